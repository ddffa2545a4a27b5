#include "export/widgets/RechnungenWindow.h"

#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/widgets/RecordsetGrid.h"
#include "print/FakePrinters.h"
#include "print/OverviewList.h"
#include "print/PdfWords.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <memory>

using namespace quittora;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Sample documents of March 2024: 1001 open 32,00; 1002 paid 240,00;
// 2001 a quote; 1003 open 17,50. Today is 01.03.2024.
class RechnungenWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a6 = ? WHERE ID = ?"), {u("32,00"), sample.doc1}));
        ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a6 = ? WHERE ID = ?"), {u("240,00"), sample.doc2}));
        ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a6 = ? WHERE ID = ?"), {u("105,00"), sample.doc3}));
        ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a6 = ? WHERE ID = ?"), {u("17,50"), sample.doc4}));
    }

    void open(bool mainHasDocuments = true)
    {
        window = std::make_unique<RechnungenWindow>(t.ctx, db.db(), printers, mainHasDocuments);
        tester = std::make_unique<QAbstractItemModelTester>(window->grid()->model());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control " << name;
        return w;
    }
    QStringList numbers() const
    {
        QStringList out;
        Recordset& rs = window->documents();
        for (int i = 0; i < rs.recordCount(); ++i) {
            rs.moveTo(i);
            out << rs.text(u("a7"));
        }
        rs.moveFirst();
        return out;
    }
    QString total() const { return find<QLabel>("lblSumme")->text(); }
    // A click on the box itself, where the user ticks it.
    static void clickBox(QCheckBox* box)
    {
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
    }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    TestContext t;
    quittora::testing::FakePrinters printers;
    std::unique_ptr<RechnungenWindow> window;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

} // namespace

TEST_F(RechnungenWindowTest, OpensOnTheCurrentMonthWithTheOpenInvoicesAndTheirTotal)
{
    open();
    EXPECT_EQ(window->objectName(), u("Rechnungen"));
    EXPECT_EQ(window->windowTitle(), u("Umsatz"));
    EXPECT_EQ(find<QComboBox>("cboMonat")->currentText(), u("März"));
    EXPECT_EQ(find<QComboBox>("cboJahr")->currentText(), u("2024"));
    EXPECT_EQ(find<QComboBox>("cboJahr")->count(), 12);
    EXPECT_EQ(find<QComboBox>("cboDatum")->currentText(), u("Datum wählen"));
    EXPECT_EQ(find<QComboBox>("cboDatum")->count(), 61);
    EXPECT_TRUE(find<QRadioButton>("optOffen")->isChecked());
    EXPECT_EQ(numbers(), (QStringList{u("1003"), u("1001")})); // the quote stays out
    EXPECT_EQ(total(), u("49,50"));
    EXPECT_EQ(find<QLabel>("lblNummer")->text(), u("1003"));
}

TEST_F(RechnungenWindowTest, PaidOptionAndOtherMonthsRunTheFilterAgain)
{
    open();
    QTest::mouseClick(find<QRadioButton>("optBezahlt"), Qt::LeftButton);
    EXPECT_EQ(numbers(), QStringList{u("1002")});
    EXPECT_EQ(total(), u("240,00"));

    auto* month = find<QComboBox>("cboMonat");
    month->setCurrentIndex(0); // Januar
    Q_EMIT month->activated(0);
    EXPECT_TRUE(numbers().isEmpty());
    EXPECT_EQ(total(), u("0,00"));
}

TEST_F(RechnungenWindowTest, ArrowKeysInTheBoxesGoOnFromTheMonthAndYearShown)
{
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a8 = '10.02.2024' WHERE ID = ?"), {sample.doc1}));
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a8 = '10.03.2023' WHERE ID = ?"), {sample.doc4}));
    open();
    auto* month = find<QComboBox>("cboMonat");
    auto* year = find<QComboBox>("cboJahr");
    EXPECT_EQ(month->currentIndex(), 2);
    EXPECT_EQ(year->currentIndex(), 3);

    QTest::keyClick(month, Qt::Key_Up);
    EXPECT_EQ(month->currentText(), u("Februar"));
    EXPECT_EQ(numbers(), QStringList{u("1001")});
    EXPECT_EQ(total(), u("32,00"));

    QTest::keyClick(month, Qt::Key_Down);
    QTest::keyClick(year, Qt::Key_Up);
    EXPECT_EQ(year->currentText(), u("2023"));
    EXPECT_EQ(numbers(), QStringList{u("1003")});
    EXPECT_EQ(total(), u("17,50"));
}

TEST_F(RechnungenWindowTest, WithoutDocumentsInTheMainWindowTheWholeTableStays)
{
    open(false);
    EXPECT_EQ(window->documents().recordCount(), 4);
}

TEST_F(RechnungenWindowTest, PaidBoxStoresTheFlagAtOnce)
{
    open();
    ASSERT_EQ(window->documents().currentId(), sample.doc4);
    auto* paid = find<QCheckBox>("chkBezahlt");
    EXPECT_EQ(paid->text(), u("  bez.:"));
    EXPECT_FALSE(paid->isChecked());
    paid->click();
    EXPECT_EQ(db.field(u("Rechnungen"), sample.doc4, u("opt1")).toInt(), -1);
}

TEST_F(RechnungenWindowTest, PaidBoxTickedAndUntickedLeavesTheInvoiceOpen)
{
    open();
    ASSERT_EQ(window->documents().currentId(), sample.doc4);
    auto* paid = find<QCheckBox>("chkBezahlt");
    clickBox(paid);
    ASSERT_TRUE(paid->isChecked());
    ASSERT_EQ(db.field(u("Rechnungen"), sample.doc4, u("opt1")).toInt(), -1);
    clickBox(paid);
    EXPECT_FALSE(paid->isChecked());
    EXPECT_EQ(db.field(u("Rechnungen"), sample.doc4, u("opt1")).toInt(), 0);
    // Ticked again, then the record is left: the stored state follows the box.
    clickBox(paid);
    window->documents().moveNext();
    window->documents().moveFirst();
    EXPECT_TRUE(paid->isChecked());
    EXPECT_EQ(db.field(u("Rechnungen"), sample.doc4, u("opt1")).toInt(), -1);
}

TEST_F(RechnungenWindowTest, PaidBoxUntickedInThePaidSelectionStoresOpenAndKeepsTheRow)
{
    open();
    QTest::mouseClick(find<QRadioButton>("optBezahlt"), Qt::LeftButton);
    ASSERT_EQ(window->documents().currentId(), sample.doc2);
    auto* paid = find<QCheckBox>("chkBezahlt");
    ASSERT_TRUE(paid->isChecked());
    clickBox(paid);
    EXPECT_FALSE(paid->isChecked());
    EXPECT_EQ(db.field(u("Rechnungen"), sample.doc2, u("opt1")).toInt(), 0);
    EXPECT_EQ(numbers(), QStringList{u("1002")}); // until the next filter run
    QTest::mouseClick(find<QRadioButton>("optBezahlt"), Qt::LeftButton);
    EXPECT_TRUE(numbers().isEmpty());
}

TEST_F(RechnungenWindowTest, HeuteShowsTodaysInvoicesAndKeepsTheDateList)
{
    t.clock.setToday(QDate(2024, 3, 4));
    open();
    QTest::mouseClick(find<QPushButton>("cmdHeute"), Qt::LeftButton);
    EXPECT_EQ(numbers(), QStringList{u("1003")});
    EXPECT_EQ(total(), u("17,50"));
    EXPECT_EQ(find<QComboBox>("cboMonat")->currentText(), u("Monatsübersicht wählen"));
    auto* date = find<QComboBox>("cboDatum");
    EXPECT_EQ(date->currentText(), u("04.03.2024"));
    EXPECT_EQ(date->count(), 61);

    // Switching the option keeps the date selection, as it was built.
    QTest::mouseClick(find<QRadioButton>("optBezahlt"), Qt::LeftButton);
    EXPECT_EQ(numbers(), QStringList{u("1003")});
    EXPECT_EQ(date->currentText(), u("Datum wählen"));
}

TEST_F(RechnungenWindowTest, TextListIsWrittenToThePrivateFolderAndOpenedAfterwards)
{
    open();
    QTest::mouseClick(find<QPushButton>("cmdEditor"), Qt::LeftButton);
    const QString path = t.state.tempFolder + u("Plan.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(content.startsWith(u("offene Rechnungen  März / 2024\r\n")));
    EXPECT_TRUE(content.contains(u("Otto Weg")));
    EXPECT_FALSE(content.contains(u("Eva Schmidt")));
    EXPECT_TRUE(t.shell.opened().isEmpty()); // not before the file is closed
    ASSERT_TRUE(QTest::qWaitFor([&] { return !t.shell.opened().isEmpty(); }, 2000));
    EXPECT_EQ(t.shell.opened(), QStringList{path});
}

TEST_F(RechnungenWindowTest, EmptySelectionWritesNoTextList)
{
    open();
    auto* month = find<QComboBox>("cboMonat");
    month->setCurrentIndex(0);
    Q_EMIT month->activated(0);
    QTest::mouseClick(find<QPushButton>("cmdEditor"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(t.state.tempFolder + u("Plan.txt")));
    QTest::qWait(100);
    EXPECT_TRUE(t.shell.opened().isEmpty());
}

TEST_F(RechnungenWindowTest, PrintedListAsksFirstAndGoesToThePrinter)
{
    open();
    t.prompts.answerMessage(Prompts::No);
    QTest::mouseClick(find<QPushButton>("cmdDrucken"), Qt::LeftButton);
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_EQ(t.prompts.last().text, overviewlist::printQuestion());
    EXPECT_EQ(t.prompts.last().title, u("Achtung !"));

    t.prompts.answerMessage(Prompts::Yes);
    QTest::mouseClick(find<QPushButton>("cmdDrucken"), Qt::LeftButton);
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].documents.size(), 1u);
}

TEST_F(RechnungenWindowTest, WithoutAPrinterTheDialogOffersAPdfFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(u("Umsatz.pdf"));
    open();
    int shown = 0;
    bool cancel = true;
    window->setPrintDialog([&](ProgramState& state) {
        ++shown;
        if (cancel)
            return false;
        state.printFile = pdf;
        return true;
    });
    t.prompts.answerMessage(Prompts::Yes);
    QTest::mouseClick(find<QPushButton>("cmdDrucken"), Qt::LeftButton);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_EQ(t.prompts.count(), 1); // the question only: cancelling says nothing

    cancel = false;
    t.prompts.answerMessage(Prompts::Yes);
    QTest::mouseClick(find<QPushButton>("cmdDrucken"), Qt::LeftButton);
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(printers.jobs.empty());
    EXPECT_TRUE(t.state.printFile.isEmpty());
    QString error;
    const auto words = quittora::testing::pdfWords(pdf, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList texts;
    for (const auto& w : words)
        texts << w.text;
    EXPECT_TRUE(texts.contains(u("Gesamtsumme")));
    EXPECT_TRUE(texts.contains(u("1003")));

    // With a printer the list goes straight to it, as before.
    printers.installed = {u("Laser")};
    t.prompts.answerMessage(Prompts::Yes);
    QTest::mouseClick(find<QPushButton>("cmdDrucken"), Qt::LeftButton);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(printers.jobs.size(), 1u);
}

TEST_F(RechnungenWindowTest, PickingDatesAgainAndAgainKeepsSixtyOneDates)
{
    t.clock.setToday(QDate(2024, 3, 4));
    open();
    auto* date = find<QComboBox>("cboDatum");
    ASSERT_EQ(date->count(), 61);
    EXPECT_EQ(date->itemText(0), u("04.03.2024"));
    EXPECT_EQ(date->itemText(60), u("04.01.2024"));
    for (int pick : {3, 0, 60, 3}) {
        date->setCurrentIndex(pick);
        Q_EMIT date->activated(pick);
        EXPECT_EQ(date->count(), 61);
        EXPECT_EQ(date->currentText(), date->itemText(pick));
        EXPECT_EQ(find<QComboBox>("cboMonat")->currentText(), u("Monatsübersicht wählen"));
    }
    // 01.03.2024 (index 3): the open invoice 1001 only; the quote stays out.
    EXPECT_EQ(numbers(), QStringList{u("1001")});
    EXPECT_EQ(total(), u("32,00"));
    // Choosing a month again returns to the month filter.
    auto* month = find<QComboBox>("cboMonat");
    month->setCurrentIndex(2);
    Q_EMIT month->activated(2);
    EXPECT_EQ(numbers(), (QStringList{u("1003"), u("1001")}));
    EXPECT_EQ(date->currentText(), u("Datum wählen"));
}

TEST_F(RechnungenWindowTest, TheListShowsEveryColumnAndGrowsWithTheWindow)
{
    open();
    RecordsetGrid* grid = window->grid();
    QTest::qWait(50);
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0); // amounts are never scrolled away
    const int amountAlignment = grid->model()->index(0, 3).data(Qt::TextAlignmentRole).toInt();
    EXPECT_TRUE(amountAlignment & Qt::AlignRight);

    const QSize before = grid->size();
    window->resize(window->width() * 3 / 2, window->height() * 3 / 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->width() > before.width(); }, 2000));
    EXPECT_GT(grid->height(), before.height());
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);
}

TEST_F(RechnungenWindowTest, WithoutATemporaryFolderTheTextListIsRefusedWithAMessageAndNothingOpens)
{
    open();
    t.state.tempFolder = db.filePath(u("fehlt/"));
    QTest::mouseClick(find<QPushButton>("cmdEditor"), Qt::LeftButton);
    EXPECT_EQ(t.prompts.last().title, u("Fehler"));
    EXPECT_TRUE(t.prompts.last().text.contains(u("Plan.txt"))) << t.prompts.last().text.toStdString();
    QTest::qWait(100);
    EXPECT_TRUE(t.shell.opened().isEmpty());
}
