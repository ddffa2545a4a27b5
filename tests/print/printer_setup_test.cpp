#include "print/PrinterSetup.h"

#include "platform/Context.h"
#include "platform/SettingsStore.h"
#include "print/FakePrinters.h"
#include "print/PrintFonts.h"
#include "support/DataRuleTable.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryDir>

using namespace quittora;
using quittora::testing::FakePrinters;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

class PrinterSettings : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store = makeQtSettingsStore(dir.filePath(u("s.ini")));
    ProgramState state;
    QString stored() const
    {
        return QStringList{store->value(u("xwert")), store->value(u("ywert")),
                           store->value(u("Druckerauswahl"))}
            .join(QLatin1Char('|'));
    }
};

} // namespace

TEST_F(PrinterSettings, OffsetsOfTheCurrentPrinterInMillimetres)
{
    const MarginValues fromDots = offsetsFromDeviceDots(100, 50, 600, 300);
    EXPECT_NEAR(fromDots.xwert, 4.2333f, 1e-4);
    EXPECT_NEAR(fromDots.ywert, 4.2333f, 1e-4);
    EXPECT_EQ(offsetsFromDeviceDots(100, 100, 0, 600), MarginValues{});
    // Hardware margins given in points: 12 pt left, 17 pt top.
    const MarginValues fromLayout = printableOffsets(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                                 QMarginsF(20, 20, 20, 20), QPageLayout::Point,
                                                                 QMarginsF(12, 17, 12, 17)));
    EXPECT_NEAR(fromLayout.xwert, 12 * 25.4 / 72, 0.01);
    EXPECT_NEAR(fromLayout.ywert, 17 * 25.4 / 72, 0.01);

    FakePrinters printers;
    printers.installed = {u("Laser"), u("Tinte")};
    printers.defaultPrinter = u("Laser");
    printers.offsets.insert(u("Laser"), {4.2f, 4.0f});
    printers.offsets.insert(u("Tinte"), {3.4f, 1.5f});
    Rand_ermitteln(printers, state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{4.2f, 4.0f}));
    state.currentPrinter = u("Tinte");
    Rand_ermitteln(printers, state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{3.4f, 1.5f}));
}

TEST_F(PrinterSettings, MarginsRoundTripInTheLocalesFormAndBadOnesStoreNothing)
{
    struct Case {
        char separator;
        const char *left, *top, *stored;
    };
    for (const Case& c : {Case{',', "4,5", "3,25", "4,5|3,25|Laser"}, Case{'.', "4.5", "-1.75", "4.5|-1.75|Laser"},
                          Case{',', "6", "0,00", "6|0|Laser"}}) {
        const QChar sep = QLatin1Char(c.separator);
        EXPECT_EQ(storePrinterSettings(*store, sep, u(c.left), u(c.top), u("Laser"), state), QString());
        EXPECT_EQ(stored(), u(c.stored));
        ProgramState fresh;
        fresh.xwert = fresh.ywert = 99;
        loadPrinterSettings(*store, sep, fresh);
        EXPECT_FLOAT_EQ(fresh.xwert, *readMargin(u(c.left), sep));
        EXPECT_FLOAT_EQ(fresh.ywert, *readMargin(u(c.top), sep));
        EXPECT_EQ(fresh.Druckerauswahl, u("Laser"));
    }
    EXPECT_FLOAT_EQ(*readMargin(u("4,5"), QLatin1Char(',')), 4.5f);
    EXPECT_EQ(marginBoxText(4.5f, QLatin1Char(',')), u("4,50"));
    EXPECT_EQ(marginBoxText(4.2333f, QLatin1Char('.')), u("4.23"));
    // A detected offset is stored so that it reads back as the same value.
    EXPECT_FLOAT_EQ(*readMargin(marginSettingText(4.2333331f, QLatin1Char(',')), QLatin1Char(',')), 4.2333331f);

    ASSERT_EQ(storePrinterSettings(*store, QLatin1Char(','), u("4,5"), u("4"), u("Laser"), state), QString());
    for (const auto& [left, top] : {std::pair{"", "4"}, std::pair{"4,5", "4.5"}, std::pair{"-", "x"}}) {
        const QString message = storePrinterSettings(*store, QLatin1Char(','), u(left), u(top), u("Tinte"), state);
        EXPECT_TRUE(message.startsWith(u("Bitte geben Sie bei ")) && message.contains(u("(z.B. 4,5)"))
                    && message.endsWith(u("Die Druckereinstellungen wurden nicht gespeichert.")))
            << message.toStdString();
        EXPECT_EQ(stored(), u("4,5|4|Laser"));
        EXPECT_FLOAT_EQ(state.xwert, 4.5f);
        EXPECT_EQ(state.Druckerauswahl, u("Laser"));
    }
    EXPECT_EQ(storePrinterSettings(*store, QLatin1Char(','), u("a"), QString(), QString(), state),
              u("Bitte geben Sie bei \"von links (in mm)\" und \"von oben (in mm)\" eine Zahl ein "
                "(z.B. 4,5).\nDie Druckereinstellungen wurden nicht gespeichert."));

    // Missing or unreadable stored values keep the ones in memory.
    deletePrinterSettings(*store);
    deletePrinterSettings(*store); // keys already gone: no harm
    EXPECT_EQ(stored(), u("||"));
    EXPECT_FALSE(store->contains(u("xwert")));
    state.xwert = 4.2f;
    state.ywert = 3.1f;
    state.Druckerauswahl = u("im Speicher");
    store->setValue(u("xwert"), u("4.5")); // written under another locale
    store->setValue(u("ywert"), u("2,5"));
    loadPrinterSettings(*store, QLatin1Char(','), state);
    EXPECT_FLOAT_EQ(state.xwert, 4.2f);
    EXPECT_FLOAT_EQ(state.ywert, 2.5f);
    EXPECT_EQ(state.Druckerauswahl, u("im Speicher"));
}

TEST(PrinterChoice, FirstPrinterMatchingTheWildcardBecomesCurrent)
{
    const QStringList names = {u("HP LaserJet 4050"), u("Canon iP4950"), u("HP LaserJet 1020")};
    const auto match = [&](const char* pattern) { return QString::number(matchingPrinter(names, u(pattern))); };
    test::expectRows("printer", {{match("HP LaserJet 4050"), "0"}, {match("hp laserjet 1020"), "2"}, {match("HP*"), "0"},
                                 {match("*10##"), "2"}, {match("Canon iP49?0"), "1"}, {match("Epson*"), "-1"},
                                 {match(""), "-1"}});
    FakePrinters printers;
    printers.installed = names;
    ProgramState state;
    state.currentPrinter = u("Canon iP4950");
    state.Druckerauswahl = u("Brother*");
    EXPECT_FALSE(choosePrinter(printers, state));
    EXPECT_EQ(state.currentPrinter, u("Canon iP4950"));
    state.Druckerauswahl = u("*1020");
    EXPECT_TRUE(choosePrinter(printers, state));
    EXPECT_EQ(state.currentPrinter, u("HP LaserJet 1020"));
}

TEST(PrinterDialogLogic, TestSheetAndKeyFilters)
{
    const PageModel sheet = testPrintDocument();
    ASSERT_EQ(sheet.pageCount(), 1);
    const auto lines = sheet.page(0).lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ((QList<double>{lines[0]->x2.value(), lines[0]->y2.value(), lines[1]->x2.value(), lines[1]->y2.value()}),
              (QList<double>{150, 0, 0, 150}));
    const auto texts = sheet.page(0).texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, u("Rand für DinA 4 - Hoch-Format"));
    EXPECT_EQ(texts[0]->x.value() + texts[0]->y.value(), 150.0);
    EXPECT_DOUBLE_EQ(texts[0]->style.sizePt, 9.75);
    EXPECT_EQ(texts[1]->text, u("Bitte messen Sie die jeweiligen Ränder und tragen Sie die Werte entsprechend ein."));
    // One empty line between the two.
    EXPECT_NEAR((texts[1]->y - texts[0]->y).value(), 2 * lineHeight(texts[0]->style).value(), 1e-9);

    // Margins: the amount keys without Enter. Copies: the invoice number keys and ",".
    const QString typed = QStringLiteral("0123456789-\b\r., a");
    test::expectRows("keys", {
        {test::keyDecisions(typed, [](QChar c) { return marginKey(c, QLatin1Char(',')); }), "++++++++++++x,+xx"},
        {test::keyDecisions(typed, [](QChar c) { return marginKey(c, QLatin1Char('.')); }), "++++++++++++xx.xx"},
        {test::keyDecisions(typed, copiesKey), "+++++++++++++x+xx"},
    });
}
