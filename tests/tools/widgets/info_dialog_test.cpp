#include "tools/widgets/InfoDialog.h"

#include "support/DialogFixture.h"
#include "tools/ProgramPicture.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace quittora;
using namespace quittora::test;

namespace {

class InfoDialogTest : public DialogTest {};

} // namespace

TEST_F(InfoDialogTest, ShowsNameVersionDateMakerAndTheDisclaimerWordForWord)
{
    InfoDialog d(t.ctx);
    EXPECT_EQ(d.objectName(), QStringLiteral("Info"));
    EXPECT_TRUE(d.isModal());
    const std::pair<const char*, QString> texts[] = {
        {"Label1", QStringLiteral("Quittora pro")},
        {"Label2", QStringLiteral("Quittora pro")},
        {"Label5", QStringLiteral("Version 3.08")},
        {"Label6", QStringLiteral("20.07.2018")},
        {"Label8", QStringLiteral("www.veltrin.example")},
        {"Label9", QStringLiteral("support@veltrin.example")},
        {"Label4", QStringLiteral("Für die Richtigkeit der Berechnungen in diesem Programm übernehme ich keine "
                                  "Gewährleistung. Der Benutzer dieses Programmes muß sich daher von der Korrektheit "
                                  "der  Rechnungsbeträge sowie der Buchungsdaten überzeugen. Für Schäden, die durch die "
                                  "Benutzung dieser Software hervorgerufen werden, übernehme ich keine Verantwortung.")},
        {"Label10", QStringLiteral("Postleitzahlen: GeoNames (www.geonames.org), Lizenz CC BY 4.0")},
    };
    for (const auto& [name, text] : texts) {
        EXPECT_EQ(labelText(d, name), text) << name;
        EXPECT_FALSE(Qt::mightBeRichText(labelText(d, name))) << name << ": nothing may be taken for markup";
    }
    const QString address = labelText(d, "Label7");
    EXPECT_TRUE(address.startsWith(QStringLiteral("Veltrin\n"))) << qPrintable(address);
    EXPECT_EQ(address.count(QLatin1Char('\n')), 3);
    const QLabel* picture = child<QLabel>(d, "Image1");
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_GE(picture->pixmap().deviceIndependentSize().width(), 32);
}

// Every line of every text is visible, and the product name stands one pixel
// above and left of its shadow (1320/240 twips, 15 twips a pixel).
TEST_F(InfoDialogTest, NoTextIsCutOffAndTheNameHasItsShadowOnePixelLowerRight)
{
    InfoDialog d(t.ctx);
    ASSERT_TRUE(showAndWait(d));
    for (QLabel* l : d.findChildren<QLabel*>()) {
        if (l->text().isEmpty())
            continue;
        EXPECT_TRUE(d.rect().contains(QRect(l->mapTo(&d, QPoint(0, 0)), l->size()))) << qPrintable(l->objectName());
        if (l->wordWrap())
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << qPrintable(l->objectName());
        else
            EXPECT_GE(l->width(), l->sizeHint().width()) << qPrintable(l->objectName());
    }
    QLabel* name = child<QLabel>(d, "Label1");
    QLabel* shadow = child<QLabel>(d, "Label2");
    EXPECT_EQ(name->mapTo(&d, QPoint(0, 0)), QPoint(88, 16));
    EXPECT_EQ(shadow->mapTo(&d, QPoint(0, 0)), QPoint(89, 17));
    EXPECT_EQ(name->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(shadow->font(), name->font());
    EXPECT_NE(shadow->palette().color(QPalette::WindowText), name->palette().color(QPalette::WindowText));
    const QObjectList siblings = name->parentWidget()->children();
    EXPECT_GT(siblings.indexOf(name), siblings.indexOf(shadow)) << "the name is drawn over its shadow";
}

TEST_F(InfoDialogTest, LinksOpenOnALeftClickOrSpaceAndAFailingDesktopChangesNothing)
{
    InfoDialog d(t.ctx);
    ASSERT_TRUE(showAndWait(d));
    QTest::mouseClick(child<QLabel>(d, "Label8"), Qt::RightButton);
    EXPECT_TRUE(t.shell.opened().isEmpty());
    QTest::mouseClick(child<QLabel>(d, "Label9"), Qt::LeftButton);
    QTest::mouseClick(child<QLabel>(d, "Label8"), Qt::LeftButton);
    QTest::keyClick(child<QLabel>(d, "Label9"), Qt::Key_Space);
    EXPECT_EQ(t.shell.opened(), (QStringList{QStringLiteral("mailto:support@veltrin.example"),
                                             QStringLiteral("https://www.veltrin.example"),
                                             QStringLiteral("mailto:support@veltrin.example")}));
    t.shell.setResult(false);
    QTest::mouseClick(child<QLabel>(d, "Label9"), Qt::LeftButton);
    EXPECT_EQ(t.shell.opened().size(), 4);
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(InfoDialogTest, OpensModallyCentredAndClosesWithItsButtonOrEscape)
{
    QPointer<QWidget> seen;
    QPoint centre;
    auto opened = whenModalOpens([&](QWidget* w) {
        seen = w;
        EXPECT_TRUE(w->isModal());
        centre = w->frameGeometry().center();
        auto* ok = w->findChild<QPushButton*>(QStringLiteral("Command1"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    showInfo(t.ctx);
    ASSERT_TRUE(*opened);
    EXPECT_EQ(seen, nullptr) << "closed and gone";
    EXPECT_LE((centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength(), 2);

    opened = whenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    showInfo(t.ctx);
    EXPECT_TRUE(*opened);
}

TEST(ProgramPicture, IsASquareSheetOnADarkGroundWithClearCorners)
{
    for (int size : {16, 64, 256}) {
        const QImage image = programPicture(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        const QRgb sheet = image.pixel(size * 30 / 100, size * 80 / 100);
        EXPECT_EQ(qAlpha(sheet), 255) << size;
        EXPECT_GE(qGray(sheet), 240) << size;
        EXPECT_LT(qGray(image.pixel(size * 10 / 100, size / 2)), 160) << size;
    }
    EXPECT_EQ(programPicture(0).size(), QSize(1, 1));
}
