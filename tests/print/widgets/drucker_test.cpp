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
#include "support/ModalHelper.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
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

TEST_F(DruckerTest, ClosingWithChangesAsksAndSavesUnlessNoAndItOpensWithTheStoredValues)
{
    open();
    type("txtLinks", "5.5"); // the '.' becomes the locale's ','
    EXPECT_EQ(box("txtLinks")->text(), u("5,5"));
    t.prompts.answerMessage(Prompts::No);
    dialog->close();
    EXPECT_EQ(prompt(), u("Achtung, Daten wurden geändert !: Änderungen der Druckerränder speichern ?"));
    EXPECT_TRUE(t.prompts.last().buttons == (Prompts::Yes | Prompts::No) && !dialog->isVisible() && stored() == u("||")
                && t.state.xwert == 4.2333f) << stored().toStdString();
    open();
    type("txtOben", "2,75");
    t.prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_TRUE(stored() == u("4,23|2,75|Laser Büro") && t.state.ywert == 2.75f) << stored().toStdString();

    // Bad margins are refused and keep the dialog open, also through the question on closing.
    open();
    box("txtLinks")->clear();
    click("cmdSpeichern");
    EXPECT_TRUE(prompt().startsWith(u("Fehler: Bitte geben Sie bei \"von links (in mm)\"")) && t.prompts.last().icon == Prompts::Icon::Critical);
    type("txtLinks", "-");
    t.prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_TRUE(prompt().startsWith(u("Fehler: ")) && dialog->isVisible());
    const int asked = t.prompts.count();
    click("cmdSchliessen"); // leaves without asking
    EXPECT_TRUE(t.prompts.count() == asked && !dialog->isVisible() && stored() == u("4,23|2,75|Laser Büro"));

    t.settings.setValue(u("xwert"), u("4,5"));
    t.settings.setValue(u("Druckerauswahl"), u("Tinte*"));
    open();
    EXPECT_EQ(QString::number(list()->count()) + list()->currentText() + boxes(), u("2Tinte*4,50|2,75|2")); // the stored choice
    dialog->close(); // unchanged: asks nothing
    EXPECT_EQ(t.prompts.count(), asked);
}

TEST_F(DruckerTest, ChoosingAPrinterResetsTheCopiesStandardDetectsAgainAndTheTestPrint)
{
    open();
    QSignalSpy copies(dialog.get(), &Drucker::copiesChanged);
    list()->setCurrentIndex(1);
    Q_EMIT list()->activated(1);
    EXPECT_EQ(t.state.currentPrinter + boxes(), u("Tinte Lager4,23|4,00|1")); // refreshed, not re-detected
    click("cmdSchliessen"); // the copies go back to the settings
    EXPECT_TRUE(company.copies() == u("1") && copies.count() == 1);

    t.state.currentPrinter.clear();
    t.settings.setValue(u("xwert"), u("9"));
    t.settings.setValue(u("Druckerauswahl"), u("Tinte Lager"));
    open();
    t.prompts.answerMessage(Prompts::No);
    click("cmdStandard");
    EXPECT_EQ(prompt(), u("Achtung !: Die Vorauswahl des gespeicherten Druckers wird gelöscht und die Druckerränder "
                          "werden jetzt zurückgesetzt und wieder automatisch erkannt."));
    EXPECT_EQ(stored(), u("9||Tinte Lager"));
    t.prompts.answerMessage(Prompts::Yes);
    click("cmdStandard");
    EXPECT_EQ(stored(), u("||"));
    EXPECT_EQ(list()->currentText() + box("txtLinks")->text() + box("txtOben")->text(), u("4,234,00"));
    click("cmdSpeichern");
    EXPECT_EQ(stored(), u("4,23|4|Laser Büro"));

    // The test print goes to the current printer without margin values.
    t.prompts.clear();
    open();
    click("cmdTestdruck");
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_TRUE(printers.jobs[0].printer == u("Laser Büro") && printers.jobs[0].margins == MarginValues{}
                && printers.jobs[0].documents.at(0).page(0).findText(u("Rand für DinA 4 - Hoch-Format")));
    EXPECT_TRUE(prompt().startsWith(u("Quittora pro: Messen Sie die jeweiligen Ränder, und tragen")));
    printers.failPrinting = true;
    click("cmdTestdruck");
    EXPECT_TRUE(t.prompts.last().text == u("Der Drucker \"Laser Büro\" konnte nicht angesprochen werden.")
                && t.prompts.last().icon == Prompts::Icon::Critical) << prompt().toStdString();

    // The keys are filtered (the filters' rules are below); Enter presses no button.
    box("txtLinks")->clear();
    QTest::keyClicks(box("txtLinks"), u("a1x.5"));
    QTest::keyClick(box("txtLinks"), Qt::Key_Return);
    box("txtKopien")->clear();
    QTest::keyClicks(box("txtKopien"), u("3x"));
    QTest::keyClick(box("txtKopien"), Qt::Key_Return);
    EXPECT_EQ(box("txtLinks")->text() + box("txtKopien")->text(), u("1,53"));
    EXPECT_TRUE(dialog->isVisible() && printers.jobs.size() == 1u);
}

TEST(PrinterSettings, OffsetsMarginsInTheLocalesFormAndBadOnesStoreNothing)
{
    EXPECT_NEAR(offsetsFromDeviceDots(100, 50, 600, 300).ywert, 4.2333f, 1e-4);
    EXPECT_EQ(offsetsFromDeviceDots(100, 100, 0, 600), MarginValues{});
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
    EXPECT_EQ(storePrinterSettings(*store, QLatin1Char(','), u("a"), QString(), QString(), state),
              u("Bitte geben Sie bei \"von links (in mm)\" und \"von oben (in mm)\" eine Zahl ein "
                "(z.B. 4,5).\nDie Druckereinstellungen wurden nicht gespeichert."));
    // Missing or unreadable stored values keep the ones in memory.
    deletePrinterSettings(*store);
    EXPECT_EQ(stored(), u("||"));
    state.xwert = 4.2f, state.Druckerauswahl = u("im Speicher");
    store->setValue(u("xwert"), u("4.5")); // written under another locale
    store->setValue(u("ywert"), u("2,5"));
    loadPrinterSettings(*store, QLatin1Char(','), state);
    EXPECT_EQ((MarginValues{state.xwert, state.ywert}), (MarginValues{4.2f, 2.5f}));
    EXPECT_EQ(state.Druckerauswahl, u("im Speicher"));
}

TEST(PrinterChoice, TheFirstMatchBecomesCurrentAndTheDialogsKeysAndTestSheet)
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
    // The test sheet: two lines from the corner 150 mm along each edge, to measure from.
    const PageModel sheet = testPrintDocument();
    ASSERT_EQ(sheet.pageCount(), 1);
    const auto lines = sheet.page(0).lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ((QList<double>{lines[0]->x2.value(), lines[0]->y2.value(), lines[1]->x2.value(), lines[1]->y2.value()}),
              (QList<double>{150, 0, 0, 150}));
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

TEST(SystemPrinters, PreviewShowsEveryPageOfEveryDocument)
{
    PrintCursor p;
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Kopie 1, Seite 1"));
    p.NewPage();
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Kopie 1, Seite 2"));
    p.EndDoc();
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Kopie 2"));
    const auto docs = p.takeDocuments();

    int pages = -1;
    QString title;
    auto opened = whenModalOpens([&](QWidget* w) {
        title = w->windowTitle();
        if (auto* view = w->findChild<QPrintPreviewWidget*>())
            pages = view->pageCount();
        w->close();
    });
    showPrintPreview(docs, MarginValues{}, QString(), nullptr);
    EXPECT_TRUE(*opened);
    EXPECT_EQ(title + QString::number(pages), QStringLiteral("Druckvorschau3"));
}
