#include "print/PrinterSetup.h"

#include "platform/Context.h"
#include "platform/SettingsStore.h"
#include "print/FakePrinters.h"
#include "print/PrintFonts.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryDir>

using namespace quittora;
using quittora::testing::FakePrinters;

namespace {

class PrinterSettings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store = makeQtSettingsStore(dir.filePath(QStringLiteral("s.ini")));
    ProgramState state;
};

} // namespace

TEST(PrintableOffsets, DeviceDotsAndPageLayoutsGiveMillimetres)
{
    const MarginValues fromDots = offsetsFromDeviceDots(100, 50, 600, 300);
    EXPECT_NEAR(fromDots.xwert, 4.2333f, 1e-4);
    EXPECT_NEAR(fromDots.ywert, 4.2333f, 1e-4);
    EXPECT_EQ(offsetsFromDeviceDots(100, 100, 0, 600), MarginValues{});

    // Hardware margins given in points: 12 pt left, 17 pt top.
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                             QPageLayout::Point, QMarginsF(12, 17, 12, 17));
    const MarginValues fromLayout = printableOffsets(layout);
    EXPECT_NEAR(fromLayout.xwert, 12 * 25.4 / 72, 0.01);
    EXPECT_NEAR(fromLayout.ywert, 17 * 25.4 / 72, 0.01);
}

TEST_F(PrinterSettings, RandErmittelnTakesTheOffsetsOfTheCurrentPrinter)
{
    FakePrinters printers;
    printers.installed = {QStringLiteral("Laser"), QStringLiteral("Tinte")};
    printers.defaultPrinter = QStringLiteral("Laser");
    printers.offsets.insert(QStringLiteral("Laser"), {4.2f, 4.0f});
    printers.offsets.insert(QStringLiteral("Tinte"), {3.4f, 1.5f});

    Rand_ermitteln(printers, state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{4.2f, 4.0f}));
    state.currentPrinter = QStringLiteral("Tinte");
    Rand_ermitteln(printers, state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{3.4f, 1.5f}));
}

TEST_F(PrinterSettings, MarginsRoundTripInTheLocalesNumberForm)
{
    struct Case {
        QChar separator;
        QString left, top;
        QString storedLeft, storedTop;
    };
    const Case cases[] = {
        {QLatin1Char(','), QStringLiteral("4,5"), QStringLiteral("3,25"), QStringLiteral("4,5"), QStringLiteral("3,25")},
        {QLatin1Char('.'), QStringLiteral("4.5"), QStringLiteral("-1.75"), QStringLiteral("4.5"), QStringLiteral("-1.75")},
        {QLatin1Char(','), QStringLiteral("6"), QStringLiteral("0,00"), QStringLiteral("6"), QStringLiteral("0")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(storePrinterSettings(*store, c.separator, c.left, c.top, QStringLiteral("Laser"), state), QString());
        EXPECT_EQ(store->value(QStringLiteral("xwert")), c.storedLeft);
        EXPECT_EQ(store->value(QStringLiteral("ywert")), c.storedTop);
        EXPECT_EQ(store->value(QStringLiteral("Druckerauswahl")), QStringLiteral("Laser"));

        ProgramState fresh;
        fresh.xwert = 99;
        fresh.ywert = 99;
        loadPrinterSettings(*store, c.separator, fresh);
        EXPECT_FLOAT_EQ(fresh.xwert, *readMargin(c.left, c.separator));
        EXPECT_FLOAT_EQ(fresh.ywert, *readMargin(c.top, c.separator));
        EXPECT_EQ(fresh.Druckerauswahl, QStringLiteral("Laser"));
    }
    EXPECT_FLOAT_EQ(*readMargin(QStringLiteral("4,5"), QLatin1Char(',')), 4.5f);
    EXPECT_EQ(marginBoxText(4.5f, QLatin1Char(',')), QStringLiteral("4,50"));
    EXPECT_EQ(marginBoxText(4.2333f, QLatin1Char('.')), QStringLiteral("4.23"));
    // A detected offset is stored so that it reads back as the same value.
    const float detected = 4.2333331f;
    EXPECT_FLOAT_EQ(*readMargin(marginSettingText(detected, QLatin1Char(',')), QLatin1Char(',')), detected);
}

TEST_F(PrinterSettings, AMarginThatIsNoNumberIsRefusedAndNothingIsStored)
{
    ASSERT_EQ(storePrinterSettings(*store, QLatin1Char(','), QStringLiteral("4,5"), QStringLiteral("4"),
                                   QStringLiteral("Laser"), state),
              QString());
    for (const auto& [left, top] : {std::pair{QString(), QStringLiteral("4")},
                                    std::pair{QStringLiteral("4,5"), QStringLiteral("4.5")},
                                    std::pair{QStringLiteral("-"), QStringLiteral("x")}}) {
        const QString message = storePrinterSettings(*store, QLatin1Char(','), left, top, QStringLiteral("Tinte"), state);
        EXPECT_TRUE(message.startsWith(QStringLiteral("Bitte geben Sie bei "))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("(z.B. 4,5)")));
        EXPECT_TRUE(message.contains(QStringLiteral("Die Druckereinstellungen wurden nicht gespeichert.")));
        EXPECT_EQ(store->value(QStringLiteral("xwert")), QStringLiteral("4,5"));
        EXPECT_EQ(store->value(QStringLiteral("ywert")), QStringLiteral("4"));
        EXPECT_EQ(store->value(QStringLiteral("Druckerauswahl")), QStringLiteral("Laser"));
        EXPECT_FLOAT_EQ(state.xwert, 4.5f);
        EXPECT_EQ(state.Druckerauswahl, QStringLiteral("Laser"));
    }
    EXPECT_EQ(storePrinterSettings(*store, QLatin1Char(','), QStringLiteral("a"), QString(), QString(), state),
              QStringLiteral("Bitte geben Sie bei \"von links (in mm)\" und \"von oben (in mm)\" eine Zahl ein "
                             "(z.B. 4,5).\nDie Druckereinstellungen wurden nicht gespeichert."));
}

TEST_F(PrinterSettings, MissingOrUnreadableStoredValuesKeepTheDetectedOnes)
{
    state.xwert = 4.2f;
    state.ywert = 3.1f;
    state.Druckerauswahl = QStringLiteral("im Speicher");
    loadPrinterSettings(*store, QLatin1Char(','), state);
    EXPECT_FLOAT_EQ(state.xwert, 4.2f);
    EXPECT_FLOAT_EQ(state.ywert, 3.1f);
    EXPECT_EQ(state.Druckerauswahl, QStringLiteral("im Speicher"));

    store->setValue(QStringLiteral("xwert"), QStringLiteral("4.5")); // written under another locale
    store->setValue(QStringLiteral("ywert"), QStringLiteral("2,5"));
    loadPrinterSettings(*store, QLatin1Char(','), state);
    EXPECT_FLOAT_EQ(state.xwert, 4.2f);
    EXPECT_FLOAT_EQ(state.ywert, 2.5f);

    deletePrinterSettings(*store);
    deletePrinterSettings(*store); // keys already gone: no harm
    EXPECT_FALSE(store->contains(QStringLiteral("xwert")));
    EXPECT_FALSE(store->contains(QStringLiteral("ywert")));
    EXPECT_FALSE(store->contains(QStringLiteral("Druckerauswahl")));
}

TEST(PrinterChoice, FirstPrinterMatchingTheWildcardBecomesCurrent)
{
    const QStringList names = {QStringLiteral("HP LaserJet 4050"), QStringLiteral("Canon iP4950"),
                               QStringLiteral("HP LaserJet 1020")};
    EXPECT_EQ(matchingPrinter(names, QStringLiteral("HP LaserJet 4050")), 0);
    EXPECT_EQ(matchingPrinter(names, QStringLiteral("hp laserjet 1020")), 2);
    EXPECT_EQ(matchingPrinter(names, QStringLiteral("HP*")), 0);
    EXPECT_EQ(matchingPrinter(names, QStringLiteral("*10##")), 2);
    EXPECT_EQ(matchingPrinter(names, QStringLiteral("Canon iP49?0")), 1);
    EXPECT_EQ(matchingPrinter(names, QStringLiteral("Epson*")), -1);
    EXPECT_EQ(matchingPrinter(names, QString()), -1);

    FakePrinters printers;
    printers.installed = names;
    ProgramState state;
    state.currentPrinter = QStringLiteral("Canon iP4950");
    state.Druckerauswahl = QStringLiteral("Brother*");
    EXPECT_FALSE(choosePrinter(printers, state));
    EXPECT_EQ(state.currentPrinter, QStringLiteral("Canon iP4950"));
    state.Druckerauswahl = QStringLiteral("*1020");
    EXPECT_TRUE(choosePrinter(printers, state));
    EXPECT_EQ(state.currentPrinter, QStringLiteral("HP LaserJet 1020"));
}

TEST(PrinterDialogLogic, TestSheetShowsRulesFromTheCornerAndTheHintBelow)
{
    const PageModel sheet = testPrintDocument();
    ASSERT_EQ(sheet.pageCount(), 1);
    const Page& page = sheet.page(0);
    const auto lines = page.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]->x2.value(), 150.0);
    EXPECT_EQ(lines[0]->y2.value(), 0.0);
    EXPECT_EQ(lines[1]->x2.value(), 0.0);
    EXPECT_EQ(lines[1]->y2.value(), 150.0);
    const auto texts = page.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, QStringLiteral("Rand für DinA 4 - Hoch-Format"));
    EXPECT_EQ(texts[0]->y.value(), 150.0);
    EXPECT_EQ(texts[0]->x.value(), 0.0);
    EXPECT_DOUBLE_EQ(texts[0]->style.sizePt, 9.75);
    EXPECT_EQ(texts[1]->text,
              QStringLiteral("Bitte messen Sie die jeweiligen Ränder und tragen Sie die Werte entsprechend ein."));
    // One empty line between the two.
    EXPECT_NEAR((texts[1]->y - texts[0]->y).value(), 2 * lineHeight(texts[0]->style).value(), 1e-9);
}

TEST(PrinterDialogLogic, KeyFilters)
{
    using A = KeyDecision::Action;
    for (QChar c : QStringLiteral("0123456789-"))
        EXPECT_EQ(marginKey(c, QLatin1Char(',')).action, A::Accept);
    EXPECT_EQ(marginKey(kBackspaceKey, QLatin1Char(',')).action, A::Accept);
    EXPECT_EQ(marginKey(QLatin1Char(','), QLatin1Char(',')).action, A::Accept);
    EXPECT_EQ(marginKey(QLatin1Char('.'), QLatin1Char(',')), (KeyDecision{A::Replace, QLatin1Char(',')}));
    EXPECT_EQ(marginKey(QLatin1Char(','), QLatin1Char('.')), (KeyDecision{A::Replace, QLatin1Char('.')}));
    EXPECT_EQ(marginKey(kEnterKey, QLatin1Char(',')).action, A::Reject);
    EXPECT_EQ(marginKey(QLatin1Char('a'), QLatin1Char(',')).action, A::Reject);
    EXPECT_EQ(marginKey(QLatin1Char(' '), QLatin1Char(',')).action, A::Reject);

    for (QChar c : QStringLiteral("0123456789-,"))
        EXPECT_EQ(copiesKey(c).action, A::Accept);
    EXPECT_EQ(copiesKey(kBackspaceKey).action, A::Accept);
    EXPECT_EQ(copiesKey(kEnterKey).action, A::Accept);
    EXPECT_EQ(copiesKey(QLatin1Char('.')).action, A::Reject);
    EXPECT_EQ(copiesKey(QLatin1Char('x')).action, A::Reject);
}
