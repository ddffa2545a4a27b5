#include "print/widgets/Drucker.h"

#include "data/CompanySettings.h"
#include "platform/Context.h"
#include "platform/SettingsStore.h"
#include "print/FakePrinters.h"
#include "print/PdfWords.h"
#include "print/PrintCursor.h"
#include "print/PrinterSetup.h"
#include "print/widgets/SystemPrinters.h"
#include "support/DataRuleTable.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace quittora;
using quittora::testing::FakePrinters;
using namespace quittora::literals;
using quittora::testing::findWord;
using quittora::testing::pdfWords;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

class DruckerTest : public ::testing::Test {
protected:
    DruckerTest()
    {
        printers.installed = {u("Laser Büro"), u("Tinte Lager")};
        printers.defaultPrinter = u("Laser Büro");
        printers.offsets.insert(u("Laser Büro"), {4.2333f, 4.0f});
        t.state.xwert = 4.2333f, t.state.ywert = 4.0f; // detected at start-up
        company.setValue(u("frei1"), u("2"));
    }
    QLineEdit* box(const char* name) { return dialog->findChild<QLineEdit*>(u(name)); }
    void click(const char* name) { dialog->findChild<QPushButton*>(u(name))->click(); }
    QComboBox* list() { return dialog->findChild<QComboBox*>(u("cboPrinters")); }
    void open()
    {
        dialog = std::make_unique<Drucker>(t.ctx, printers, company);
        dialog->show();
    }
    void type(const char* boxName, const char* text)
    {
        box(boxName)->selectAll();
        QTest::keyClicks(box(boxName), u(text));
    }
    // The boxes as shown (left, top, copies) and the stored settings.
    QString boxes() { return box("txtLinks")->text() + u("|") + box("txtOben")->text() + u("|") + box("txtKopien")->text(); }
    QString stored() const
    {
        return t.settings.value(u("xwert")) + u("|") + t.settings.value(u("ywert")) + u("|") + t.settings.value(u("Druckerauswahl"));
    }
    // The last prompt as "title: text".
    QString prompt() const { return t.prompts.count() ? t.prompts.last().title + u(": ") + t.prompts.last().text : u("-"); }

    TestContext t;
    FakePrinters printers;
    CompanySettings company;
    std::unique_ptr<Drucker> dialog;
};

} // namespace

TEST_F(DruckerTest, ClosingWithChangesAsksAndSavesUnlessNoAndBadMarginsKeepItOpen)
{
    open();
    type("txtLinks", "5.5"); // the '.' becomes the locale's ','
    EXPECT_EQ(box("txtLinks")->text(), u("5,5"));
    t.prompts.answerMessage(Prompts::No);
    dialog->close();
    EXPECT_EQ(prompt(), u("Achtung, Daten wurden geändert !: Änderungen der Druckerränder speichern ?"));
    EXPECT_TRUE(!dialog->isVisible() && stored() == u("||") && t.state.xwert == 4.2333f) << stored().toStdString();
    open();
    type("txtOben", "2,75");
    t.prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_TRUE(stored() == u("4,23|2,75|Laser Büro") && t.state.ywert == 2.75f) << stored().toStdString();

    // Bad margins are refused through the question on closing and keep the dialog open.
    open();
    type("txtLinks", "-");
    t.prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_TRUE(prompt().startsWith(u("Fehler: Bitte geben Sie bei \"von links (in mm)\"")) && dialog->isVisible());
    const int asked = t.prompts.count();
    click("cmdSchliessen"); // leaves without asking
    EXPECT_TRUE(t.prompts.count() == asked && !dialog->isVisible() && stored() == u("4,23|2,75|Laser Büro"));
}

TEST_F(DruckerTest, ChoosingAPrinterResetsTheCopiesAndStandardDetectsAgain)
{
    open();
    list()->setCurrentIndex(1);
    Q_EMIT list()->activated(1);
    EXPECT_EQ(t.state.currentPrinter + boxes(), u("Tinte Lager4,23|4,00|1"));
    click("cmdSchliessen"); // the copies go back to the settings
    EXPECT_EQ(company.copies(), u("1"));

    // Standard forgets the stored printer and margins and detects them again.
    t.state.currentPrinter.clear();
    t.settings.setValue(u("xwert"), u("9"));
    open();
    t.prompts.answerMessage(Prompts::Yes);
    click("cmdStandard");
    EXPECT_EQ(stored() + box("txtLinks")->text(), u("||4,23"));
}

TEST(PrinterSettings, OffsetsMarginsInTheLocalesFormAndBadOnesStoreNothing)
{
    EXPECT_NEAR(offsetsFromDeviceDots(100, 50, 600, 300).ywert, 4.2333f, 1e-4);
    // Hardware margins given in points: 12 pt left, 17 pt top.
    const MarginValues fromLayout = printableOffsets(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                                 QMarginsF(20, 20, 20, 20), QPageLayout::Point,
                                                                 QMarginsF(12, 17, 12, 17)));
    EXPECT_TRUE(std::abs(fromLayout.xwert - 12 * 25.4 / 72) < 0.01 && std::abs(fromLayout.ywert - 17 * 25.4 / 72) < 0.01);
    FakePrinters printers;
    printers.installed = {u("Laser"), u("Tinte")};
    printers.defaultPrinter = u("Laser");
    printers.offsets.insert(u("Tinte"), {3.4f, 1.5f});
    ProgramState state;
    state.currentPrinter = u("Tinte");
    Rand_ermitteln(printers, state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{3.4f, 1.5f}));

    QTemporaryDir dir;
    auto store = makeQtSettingsStore(dir.filePath(u("s.ini")));
    const auto stored = [&] {
        return QStringList{store->value(u("xwert")), store->value(u("ywert")), store->value(u("Druckerauswahl"))}.join(u("|"));
    };
    // The dialog's test stores under ","; here the "." locale.
    EXPECT_EQ(storePrinterSettings(*store, QLatin1Char('.'), u("4.5"), u("-1.75"), u("Laser"), state), QString());
    EXPECT_EQ(stored(), u("4.5|-1.75|Laser"));
    ProgramState fresh;
    loadPrinterSettings(*store, QLatin1Char('.'), fresh);
    EXPECT_TRUE(fresh.xwert == 4.5f && fresh.ywert == -1.75f && fresh.Druckerauswahl == u("Laser"));
    // A detected offset is stored so that it reads back as the same value.
    EXPECT_FLOAT_EQ(*readMargin(marginSettingText(4.2333331f, QLatin1Char(',')), QLatin1Char(',')), 4.2333331f);
    EXPECT_FALSE(storePrinterSettings(*store, QLatin1Char(','), u("4,5"), u("4.5"), u("Tinte"), state).isEmpty());
    EXPECT_TRUE(stored() == u("4.5|-1.75|Laser") && state.ywert == -1.75f);
    // A value written under another locale keeps the one in memory.
    state.xwert = 4.2f;
    loadPrinterSettings(*store, QLatin1Char(','), state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{4.2f, -1.75f}));
}

TEST(PrinterChoice, TheFirstMatchBecomesCurrentAndTheDialogsKeys)
{
    const QStringList names = {u("HP LaserJet 4050"), u("Canon iP4950"), u("HP LaserJet 1020")};
    const auto match = [&](const char* pattern) { return QString::number(matchingPrinter(names, u(pattern))); };
    test::expectRows("printer", {{match("hp laserjet 1020"), "2"}, {match("HP*"), "0"}, {match("*10##"), "2"},
                                 {match("Canon iP49?0"), "1"}, {match("Epson*"), "-1"}, {match(""), "-1"}});
    FakePrinters printers;
    printers.installed = names;
    ProgramState state;
    state.currentPrinter = u("Canon iP4950"), state.Druckerauswahl = u("Brother*");
    EXPECT_TRUE(!choosePrinter(printers, state) && state.currentPrinter == u("Canon iP4950"));
    state.Druckerauswahl = u("*1020");
    EXPECT_TRUE(choosePrinter(printers, state) && state.currentPrinter == u("HP LaserJet 1020"));

    // Margins: the amount keys without Enter. Copies: the invoice number keys and ",".
    const QString typed = QStringLiteral("0123456789-\b\r., a");
    test::expectRows("keys", {
        {test::keyDecisions(typed, [](QChar c) { return marginKey(c, QLatin1Char(',')); }), "++++++++++++x,+xx"},
        {test::keyDecisions(typed, [](QChar c) { return marginKey(c, QLatin1Char('.')); }), "++++++++++++xx.xx"},
        {test::keyDecisions(typed, copiesKey), "+++++++++++++x+xx"},
    });
}

TEST(SystemPrinters, APrinterPrintsTheModelAtItsMillimetresLessTheMargins)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("druck.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, QString());
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    // A PDF has no hardware margins: the printable area is the whole sheet.
    EXPECT_EQ(physicalOffsets(printer), MarginValues{});

    PrintCursor p;
    p.FontSize = 12;
    p.PrintAt(135_mm, 70_mm, QStringLiteral("Rechnung"));
    p.PrintRight(QStringLiteral("Ende"), 198_mm, 80_mm);
    QString error;
    ASSERT_TRUE(printDocuments(printer, p.takeDocuments(), MarginValues{2.0f, 1.0f}, &error)) << error.toStdString();

    const auto words = pdfWords(file, &error);
    const auto *word = findWord(words, QStringLiteral("Rechnung")), *end = findWord(words, QStringLiteral("Ende"));
    ASSERT_TRUE(word && end) << error.toStdString();
    EXPECT_TRUE(std::abs(word->xMin - 133.0) < 0.15 && std::abs(word->yMin - 69.0) < 0.3 && std::abs(end->xMax - 196.0) < 0.15)
        << word->xMin << "/" << word->yMin << " " << end->xMax;
}
