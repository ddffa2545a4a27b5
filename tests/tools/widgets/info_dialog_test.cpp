#include "tools/widgets/InfoDialog.h"

#include "support/ModalHelper.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace quittora;

namespace {

const QString kDisclaimer = QStringLiteral(
    "Für die Richtigkeit der Berechnungen in diesem Programm übernehme ich keine Gewährleistung. Der Benutzer "
    "dieses Programmes muß sich daher von der Korrektheit der  Rechnungsbeträge sowie der Buchungsdaten "
    "überzeugen. Für Schäden, die durch die Benutzung dieser Software hervorgerufen werden, übernehme ich keine "
    "Verantwortung.");

class InfoDialogTest : public ::testing::Test {
protected:
    TestContext t;

    QLabel* label(InfoDialog& d, const char* name)
    {
        auto* l = d.findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(l, nullptr) << name;
        return l;
    }
};

} // namespace

TEST_F(InfoDialogTest, IsTheModalWindowInfo)
{
    InfoDialog d(t.ctx);
    EXPECT_EQ(d.objectName(), QStringLiteral("Info"));
    EXPECT_TRUE(d.isModal());
}

TEST_F(InfoDialogTest, ShowsNameVersionDateAndTheDisclaimerWordForWord)
{
    InfoDialog d(t.ctx);
    EXPECT_EQ(label(d, "Label1")->text(), QStringLiteral("Quittora pro"));
    EXPECT_EQ(label(d, "Label2")->text(), QStringLiteral("Quittora pro"));
    EXPECT_EQ(label(d, "Label5")->text(), QStringLiteral("Version 3.08"));
    EXPECT_EQ(label(d, "Label6")->text(), QStringLiteral("20.07.2018"));
    EXPECT_EQ(label(d, "Label4")->text(), kDisclaimer);
    EXPECT_TRUE(label(d, "Label4")->text().contains(QStringLiteral("der  Rechnungsbeträge")));
    EXPECT_EQ(label(d, "Label10")->text(), QStringLiteral("Postleitzahlen: GeoNames (www.geonames.org), Lizenz CC BY 4.0"));
    // Plain text: nothing in these texts may be taken for markup.
    EXPECT_EQ(label(d, "Label4")->textFormat(), Qt::AutoText);
    EXPECT_FALSE(Qt::mightBeRichText(label(d, "Label4")->text()));
}

// Every line of every text is visible: wrapped texts get the height their
// lines need, nothing is cut at the top or bottom.
TEST_F(InfoDialogTest, NoTextIsCutOff)
{
    InfoDialog d(t.ctx);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    for (QLabel* l : d.findChildren<QLabel*>()) {
        if (l->text().isEmpty())
            continue;
        EXPECT_TRUE(d.rect().contains(QRect(l->mapTo(&d, QPoint(0, 0)), l->size()))) << qPrintable(l->objectName());
        if (l->wordWrap()) {
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << qPrintable(l->objectName());
        } else {
            EXPECT_GE(l->width(), l->sizeHint().width()) << qPrintable(l->objectName());
        }
    }
}

TEST_F(InfoDialogTest, TheProductNameHasItsShadowOnePixelLowerRight)
{
    InfoDialog d(t.ctx);
    d.show();
    QLabel* name = label(d, "Label1");
    QLabel* shadow = label(d, "Label2");
    // 1320/240 twips and 15 twips more for the shadow, at 15 twips a pixel.
    EXPECT_EQ(name->mapTo(&d, QPoint(0, 0)), QPoint(88, 16));
    EXPECT_EQ(shadow->mapTo(&d, QPoint(0, 0)), QPoint(89, 17));
    EXPECT_EQ(name->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(shadow->font(), name->font());
    EXPECT_NE(shadow->palette().color(QPalette::WindowText), name->palette().color(QPalette::WindowText));
    // The name is drawn over its shadow.
    const QObjectList siblings = name->parentWidget()->children();
    EXPECT_GT(siblings.indexOf(name), siblings.indexOf(shadow));
}

TEST_F(InfoDialogTest, ShowsThePicture)
{
    InfoDialog d(t.ctx);
    QLabel* picture = label(d, "Image1");
    ASSERT_FALSE(picture->pixmap().isNull());
    EXPECT_GE(picture->pixmap().deviceIndependentSize().width(), 32);
}

TEST_F(InfoDialogTest, ShowsTheMakersAddressAndLinks)
{
    InfoDialog d(t.ctx);
    const QString address = label(d, "Label7")->text();
    EXPECT_TRUE(address.startsWith(QStringLiteral("Veltrin\n"))) << qPrintable(address);
    EXPECT_EQ(address.count(QLatin1Char('\n')), 3);
    EXPECT_EQ(label(d, "Label8")->text(), QStringLiteral("www.veltrin.example"));
    EXPECT_EQ(label(d, "Label9")->text(), QStringLiteral("support@veltrin.example"));
}

TEST_F(InfoDialogTest, ClickingTheEmailAddressOpensAMailto)
{
    InfoDialog d(t.ctx);
    d.show();
    QTest::mouseClick(label(d, "Label9"), Qt::LeftButton);
    EXPECT_EQ(t.shell.opened(), QStringList{QStringLiteral("mailto:support@veltrin.example")});
    EXPECT_TRUE(d.isVisible());
}

TEST_F(InfoDialogTest, ClickingTheWebAddressOpensTheWebsite)
{
    InfoDialog d(t.ctx);
    d.show();
    QTest::mouseClick(label(d, "Label8"), Qt::LeftButton);
    EXPECT_EQ(t.shell.opened(), QStringList{QStringLiteral("https://www.veltrin.example")});
}

TEST_F(InfoDialogTest, LinksOpenWithTheKeyboardAndNotWithTheRightButton)
{
    InfoDialog d(t.ctx);
    d.show();
    QTest::mouseClick(label(d, "Label8"), Qt::RightButton);
    EXPECT_TRUE(t.shell.opened().isEmpty());
    QTest::keyClick(label(d, "Label9"), Qt::Key_Space);
    EXPECT_EQ(t.shell.opened(), QStringList{QStringLiteral("mailto:support@veltrin.example")});
}

TEST_F(InfoDialogTest, AFailingDesktopLeavesTheWindowAsItIs)
{
    t.shell.setResult(false);
    InfoDialog d(t.ctx);
    d.show();
    QTest::mouseClick(label(d, "Label9"), Qt::LeftButton);
    EXPECT_EQ(t.shell.opened().size(), 1);
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(InfoDialogTest, OpensModallyCentredAndItsButtonClosesIt)
{
    QPointer<QWidget> seen;
    QPoint centre;
    bool wasModal = false;
    auto opened = whenModalOpens([&](QWidget* w) {
        seen = w;
        wasModal = w->isModal();
        centre = w->frameGeometry().center();
        auto* ok = w->findChild<QPushButton*>(QStringLiteral("Command1"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    showInfo(t.ctx);
    ASSERT_TRUE(*opened);
    EXPECT_EQ(seen, nullptr); // closed and gone
    EXPECT_TRUE(wasModal);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((centre - screenCentre).manhattanLength(), 2);
}

TEST_F(InfoDialogTest, EscapeClosesIt)
{
    auto opened = whenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    showInfo(t.ctx);
    EXPECT_TRUE(*opened);
}
