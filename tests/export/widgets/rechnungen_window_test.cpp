#include "export/widgets/RechnungenWindow.h"

#include "data/Recordset.h"
#include "data/widgets/RecordsetGrid.h"
#include "print/FakePrinters.h"
#include "print/OverviewList.h"
#include "print/PdfWords.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "support/ToolsDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quittora;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Sample documents of March 2024: 1001 open 32,00; 1002 paid 240,00; 2001 a
// quote; 1003 open 17,50. Today is 01.03.2024 unless a test says otherwise.
class RechnungenWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::pair<qint64, const char*> amounts[] = {
            {sample.doc1, "32,00"}, {sample.doc2, "240,00"}, {sample.doc3, "105,00"}, {sample.doc4, "17,50"}};
        for (const auto& [id, amount] : amounts)
            ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a6 = ? WHERE ID = ?"), {u(amount), id}));
    }
    void open(bool mainHasDocuments = true)
    {
        tester.reset();
        window = std::make_unique<RechnungenWindow>(t.ctx, db.db(), printers, mainHasDocuments);
        tester = std::make_unique<QAbstractItemModelTester>(window->grid()->model());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    template <typename T>
    T* find(const char* name) const { return test::child<T>(*window, name); }
    // The numbers listed and the total shown, e.g. "1003 1001 = 49,50".
    QString shown() const
    {
        QStringList out;
        Recordset& rs = window->documents();
        for (int i = 0; i < rs.recordCount(); ++i) {
            rs.moveTo(i);
            out << rs.text(u("a7"));
        }
        rs.moveFirst();
        return out.join(QLatin1Char(' ')) + u(" = ") + find<QLabel>("lblSumme")->text();
    }
    void choose(const char* box, int index)
    {
        auto* combo = find<QComboBox>(box);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    void clickOn(const char* name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }
    // A click on the box itself, where the user ticks it.
    void tickPaid()
    {
        auto* box = find<QCheckBox>("chkBezahlt");
        QStyleOptionButton option;
        option.initFrom(box);
        QTest::mouseClick(box, Qt::LeftButton, {}, box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center());
    }
    int paidFlag(qint64 id) const { return db.field(u("Rechnungen"), id, u("opt1")).toInt(); }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    TestContext t;
    quittora::testing::FakePrinters printers;
    std::unique_ptr<RechnungenWindow> window;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

} // namespace

TEST_F(RechnungenWindowTest, MonthPaidStateAndDatesSelectTheListAndItsTotal)
{
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a8 = '10.02.2024' WHERE ID = ?"), {sample.doc2}));
    open();
    auto* month = find<QComboBox>("cboMonat");
    auto* date = find<QComboBox>("cboDatum");
    EXPECT_EQ(shown(), u("1003 1001 = 49,50")); // March 2024, open; the quote stays out
    clickOn("optBezahlt");
    EXPECT_EQ(shown(), u(" = 0,00"));
    choose("cboMonat", 1);
    EXPECT_EQ(shown(), u("1002 = 240,00"));

    // A date picked replaces the month filter; a month picked returns to it.
    clickOn("optOffen");
    choose("cboDatum", 3);
    EXPECT_EQ(date->currentText() + month->currentText(), u("27.02.2024Monatsübersicht wählen"));
    choose("cboMonat", 2);
    EXPECT_EQ(shown() + date->currentText(), u("1003 1001 = 49,50Datum wählen"));
}

TEST_F(RechnungenWindowTest, ThePaidBoxStoresTheFlagAtOnceAndTheRowStaysUntilTheNextRun)
{
    open();
    ASSERT_EQ(window->documents().currentId(), sample.doc4);
    tickPaid();
    EXPECT_EQ(paidFlag(sample.doc4), -1);
    tickPaid();
    EXPECT_EQ(paidFlag(sample.doc4), 0);
    tickPaid();
    clickOn("optBezahlt");
    ASSERT_EQ(window->documents().currentId(), sample.doc4);
    tickPaid();
    EXPECT_EQ(paidFlag(sample.doc4), 0);
    EXPECT_TRUE(shown().startsWith(u("1003 1002 = "))) << "the row stays until the next run";
    clickOn("optBezahlt");
    EXPECT_EQ(shown(), u("1002 = 240,00"));
}

TEST_F(RechnungenWindowTest, TheTextListIsWrittenToThePrivateFolderThenOpened)
{
    open();
    clickOn("cmdEditor");
    const QString path = t.state.tempFolder + u("Plan.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(content.startsWith(u("offene Rechnungen  März / 2024\r\n")) && content.contains(u("Otto Weg")));
    EXPECT_TRUE(t.shell.opened().isEmpty()) << "not before the file is closed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !t.shell.opened().isEmpty(); }, 2000));
    EXPECT_EQ(t.shell.opened(), QStringList{path});

    // Without the folder the user is told.
    t.state.tempFolder = db.filePath(u("fehlt/"));
    clickOn("cmdEditor");
    EXPECT_TRUE(t.prompts.last().title == u("Fehler") && t.prompts.last().text.contains(u("Plan.txt"))) << t.prompts.last().text.toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(t.shell.opened().size(), 1);
}

TEST_F(RechnungenWindowTest, ThePrintedListAsksFirstAndWithoutAPrinterOffersAPdfFile)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u("Umsatz.pdf"));
    open();
    int dialogs = 0;
    bool cancel = true;
    window->setPrintDialog([&](ProgramState& state) {
        ++dialogs;
        state.printFile = cancel ? QString() : pdf;
        return !cancel;
    });
    t.prompts.answerMessage(Prompts::Yes);
    clickOn("cmdDrucken");
    EXPECT_TRUE(t.prompts.last().text == overviewlist::printQuestion() && dialogs == 1 && !QFileInfo::exists(pdf));
    EXPECT_EQ(t.prompts.count(), 1) << "cancelling says nothing";

    cancel = false;
    t.prompts.answerMessage(Prompts::Yes);
    clickOn("cmdDrucken");
    EXPECT_TRUE(printers.jobs.empty() && t.state.printFile.isEmpty());
    QString error;
    QStringList texts;
    for (const auto& w : quittora::testing::pdfWords(pdf, &error))
        texts << w.text;
    EXPECT_TRUE(error.isEmpty() && texts.contains(u("Gesamtsumme")) && texts.contains(u("1003"))) << error.toStdString();

    printers.installed = {u("Laser")};
    t.prompts.answerMessage(Prompts::Yes);
    clickOn("cmdDrucken");
    EXPECT_TRUE(dialogs == 2 && printers.jobs.size() == 1u && printers.jobs[0].documents.size() == 1u);
}
