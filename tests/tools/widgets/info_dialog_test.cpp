#include "tools/widgets/InfoDialog.h"

#include "support/ToolsDialogs.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace quittora;
using namespace quittora::test;

namespace {

using InfoDialogTest = DialogTest;

} // namespace

// Every line of every text is visible; the product name stands one pixel
// above and left of its shadow (1320/240 twips, 15 twips a pixel).
TEST_F(InfoDialogTest, ShowsTheDisclaimerWordForWordNothingCutOffAndTheNameOverItsShadow)
{
    InfoDialog d(t.ctx);
    ASSERT_TRUE(showAndWait(d));
    EXPECT_EQ(labelText(d, "Label4"),
              QStringLiteral("Für die Richtigkeit der Berechnungen in diesem Programm übernehme ich keine "
                             "Gewährleistung. Der Benutzer dieses Programmes muß sich daher von der Korrektheit "
                             "der  Rechnungsbeträge sowie der Buchungsdaten überzeugen. Für Schäden, die durch die "
                             "Benutzung dieser Software hervorgerufen werden, übernehme ich keine Verantwortung."));
    EXPECT_EQ(labelText(d, "Label10"), QStringLiteral("Postleitzahlen: GeoNames (www.geonames.org), Lizenz CC BY 4.0"));
    for (QLabel* l : d.findChildren<QLabel*>()) {
        if (l->text().isEmpty())
            continue;
        EXPECT_FALSE(Qt::mightBeRichText(l->text())) << qPrintable(l->objectName());
        EXPECT_TRUE(d.rect().contains(QRect(l->mapTo(&d, QPoint(0, 0)), l->size()))) << qPrintable(l->objectName());
        EXPECT_GE(l->wordWrap() ? l->height() : l->width(), l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().width())
            << qPrintable(l->objectName());
    }
    QLabel *name = child<QLabel>(d, "Label1"), *shadow = child<QLabel>(d, "Label2");
    EXPECT_EQ(shadow->mapTo(&d, QPoint(0, 0)) - name->mapTo(&d, QPoint(0, 0)), QPoint(1, 1));
    EXPECT_NE(shadow->palette().color(QPalette::WindowText), name->palette().color(QPalette::WindowText));
    const QObjectList siblings = name->parentWidget()->children();
    EXPECT_GT(siblings.indexOf(name), siblings.indexOf(shadow)) << "the name is drawn over its shadow";
    EXPECT_FALSE(child<QLabel>(d, "Image1")->pixmap().isNull());
}

TEST_F(InfoDialogTest, LinksOpenOnALeftClickOrSpaceAndTheDialogClosesWithItsButtonOrEscape)
{
    QPointer<QWidget> seen;
    QPoint centre;
    auto opened = whenModalOpens([&](QWidget* w) {
        seen = w;
        centre = w->frameGeometry().center();
        for (const auto& [link, button] : {std::pair{"Label8", Qt::RightButton}, {"Label9", Qt::LeftButton}, {"Label8", Qt::LeftButton}})
            QTest::mouseClick(child<QLabel>(*w, link), button);
        QTest::keyClick(child<QLabel>(*w, "Label9"), Qt::Key_Space);
        t.shell.setResult(false);
        QTest::mouseClick(child<QLabel>(*w, "Label9"), Qt::LeftButton);
        EXPECT_TRUE(w->isVisible()) << "a failing desktop changes nothing";
        QTest::mouseClick(child<QPushButton>(*w, "Command1"), Qt::LeftButton);
    });
    showInfo(t.ctx);
    ASSERT_TRUE(*opened);
    EXPECT_EQ(seen, nullptr) << "closed and gone";
    EXPECT_LE((centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength(), 2);
    const QString mail = QStringLiteral("mailto:support@veltrin.example");
    EXPECT_EQ(t.shell.opened(), (QStringList{mail, QStringLiteral("https://www.veltrin.example"), mail, mail}));
    EXPECT_EQ(t.prompts.count(), 0);

    opened = whenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    showInfo(t.ctx);
    EXPECT_TRUE(*opened);
}

