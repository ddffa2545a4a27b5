#include "tools/widgets/PostalCodeDialog.h"

#include "platform/widgets/FieldMarks.h"
#include "support/DialogFixture.h"
#include "support/PostalCodeFixture.h"
#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>

using namespace quittora;
using namespace quittora::test;

namespace {

class PostalCodeDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        path = files.buildDatabase();
        ASSERT_FALSE(path.isEmpty());
    }
    // Shows the window and waits for its start-up search.
    static void open(PostalCodeDialog& dialog, bool active = false)
    {
        ASSERT_TRUE(showAndWait(dialog, active));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isReady(); }, 2000));
    }
    static QLineEdit* box(QWidget& d) { return child<QLineEdit>(d, "Text1"); }
    static QTableView* grid(QWidget& d) { return child<QTableView>(d, "DBGrid1"); }
    static QString cell(QWidget& d, int row, int column) { return grid(d)->model()->index(row, column).data().toString(); }
    // What the window shows: the result line, the code in the grid's current
    // row, the first town of the grid and its number of rows.
    static QString shown(QWidget& d)
    {
        return QStringLiteral("%1|%2|%3|%4")
            .arg(labelText(d, "Label3"), cell(d, grid(d)->currentIndex().row(), 0), cell(d, 0, 1))
            .arg(grid(d)->model()->rowCount());
    }

    PostalCodeFixture files;
    QString path;
};

} // namespace

TEST_F(PostalCodeDialogTest, OpensLeftOfCentreOnTheCustomersCodeAndTypingSearches)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("10117 Berlin-Mitte"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmPLZ"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("PLZ <-> Ort"));
    QStringList texts{child<QGroupBox>(dialog, "Frame1")->title()};
    for (const char* name : {"Label1", "Label2", "LabelQuelle"})
        texts << labelText(dialog, name);
    for (const char* name : {"Option1", "Option2", "Option3", "Command3", "Command4"})
        texts << child<QAbstractButton>(dialog, name)->text();
    EXPECT_EQ(texts.join(QLatin1Char('|')),
              QStringLiteral("Ergebnis|suchen nach ...|Bitte geben Sie die PLZ oder den Ort ein|Postleitzahlen: GeoNames "
                             "(CC BY 4.0)|Deutschland|Österreich|Schweiz|übernehmen|abbrechen"));
    EXPECT_TRUE(child<QRadioButton>(dialog, "Option1")->isChecked()) << "no setting: Germany";
    EXPECT_FALSE(child<QLabel>(dialog, "LabelHinweis")->isVisibleTo(&dialog));
    QAbstractItemModelTester tester(grid(dialog)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList headers;
    for (int c = 0; c < 4; ++c)
        headers << grid(dialog)->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join(QLatin1Char('|')), QStringLiteral("Postleitzahl|Ort|Zusatz|Land"));

    open(dialog);
    EXPECT_EQ(box(dialog)->text(), QStringLiteral("10117 Berlin-Mitte"));
    EXPECT_EQ(shown(dialog), QStringLiteral("10117 Berlin|10117|Dresden|11")) << "only the code counts";
    EXPECT_EQ(labelText(dialog, "Label4") + QLatin1Char('|') + labelText(dialog, "Label5"),
              QStringLiteral("Berlin|Berlin, Stadt"));
    const QRect screen = dialog.screen()->availableGeometry();
    const QRect frame = dialog.frameGeometry();
    EXPECT_LT(frame.center().x(), screen.center().x());
    EXPECT_GE(frame.left(), screen.left()) << "never off the screen";
    EXPECT_LE(qAbs(frame.center().y() - screen.center().y()), 2 + qMax(0, frame.height() - screen.height()));

    // Typed keys (umlauts too) search at once; arrows move through the list,
    // stop at its ends and do not type; the sort buttons reorder it.
    box(dialog)->clear();
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { typeText(box(dialog), QStringLiteral("Mün")); }, "80331 München|80331|Aachen|11"},
        {[&] { box(dialog)->setText(QStringLiteral("80")); }, "80331 München|80331|Dresden|11"},
        {[&] { QTest::keyClick(box(dialog), Qt::Key_Down); }, "80331 München|80331|Dresden|11"},
        {[&] { QTest::keyClick(box(dialog), Qt::Key_Up); }, "75248 Ölbronn-Dürrn|75248|Dresden|11"},
        {[&] { box(dialog)->setText(QStringLiteral("O'Brien")); }, "52062 Aachen|52062|Aachen|11"},
        {[&] { QTest::keyClick(box(dialog), Qt::Key_Up); }, "52062 Aachen|52062|Aachen|11"},
        {[&] { child<QPushButton>(dialog, "Command1")->click(); }, "01067 Dresden|01067|Dresden|11"},
        {[&] { child<QPushButton>(dialog, "Command2")->click(); }, "52062 Aachen|52062|Aachen|11"},
    };
    for (const auto& [step, expected] : steps) {
        step();
        EXPECT_EQ(shown(dialog), QString::fromUtf8(expected));
    }
    EXPECT_EQ(box(dialog)->text(), QStringLiteral("O'Brien"));
}

TEST_F(PostalCodeDialogTest, ACountryShowsItsTableIsRememberedOnEveryWayOfClosingAndReturnsTheFocus)
{
    const std::tuple<const char*, std::function<void(PostalCodeDialog&)>, const char*, const char*> table[] = {
        {"Option3", [](PostalCodeDialog& d) { child<QPushButton>(d, "Command4")->click(); }, "2", "8001 Zürich|8001|Zürich|3"},
        {"Option2", [](PostalCodeDialog& d) { QTest::keyClick(box(d), Qt::Key_Escape); }, "1", "8010 Graz|8010|Graz|4"},
        {"Option1", [](PostalCodeDialog& d) { QTest::keyClick(box(d), Qt::Key_Return); }, "0", "12345 Zeuthen|12345|Zeuthen|11"},
    };
    for (int i = 0; i < 3; ++i) {
        const auto& [option, close, setting, expected] = table[i];
        PostalCodeDialog dialog(t.ctx, path, QStringLiteral("8001"));
        if (i == 1) {
            EXPECT_TRUE(child<QRadioButton>(dialog, "Option3")->isChecked());
            EXPECT_EQ(dialog.lookup().country(), plz::Country::Schweiz);
        }
        open(dialog, true);
        QTest::mouseClick(child<QRadioButton>(dialog, option), Qt::LeftButton);
        EXPECT_EQ(shown(dialog), QString::fromUtf8(expected)) << "the table's own order, the search not repeated";
        EXPECT_EQ(box(dialog)->text(), QStringLiteral("8001"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return box(dialog)->hasFocus(); }, 1000)) << option;
        close(dialog);
        EXPECT_FALSE(dialog.isVisible()) << option;
        EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QString::fromUtf8(setting)) << option;
    }
}

TEST_F(PostalCodeDialogTest, EnterOrTheButtonTakesTheCurrentRecordOverAndCancelDoesNot)
{
    for (const char* how : {"Enter", "Command3", "Command4"}) {
        const bool takes = QString::fromUtf8(how) != QStringLiteral("Command4");
        PostalCodeDialog dialog(t.ctx, path, QStringLiteral("Dres"));
        QSignalSpy takeOver(&dialog, &PostalCodeDialog::takeOver);
        open(dialog);
        QTest::keyClick(box(dialog), Qt::Key_Down);
        if (QString::fromUtf8(how) == QStringLiteral("Enter"))
            QTest::keyClick(box(dialog), Qt::Key_Enter);
        else
            QTest::mouseClick(child<QPushButton>(dialog, how), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), takes ? QDialog::Accepted : QDialog::Rejected) << how;
        EXPECT_FALSE(dialog.isVisible()) << how;
        EXPECT_EQ(dialog.takenOver(), takes ? std::optional(QStringLiteral("12345 Eichwalde")) : std::nullopt) << how;
        ASSERT_EQ(takeOver.count(), takes ? 1 : 0) << how;
        if (takes)
            EXPECT_EQ(takeOver.at(0).at(0).toString(), QStringLiteral("12345 Eichwalde"));
    }
}

TEST_F(PostalCodeDialogTest, AClickIntoTheGridPicksTheRowAndTheFocusedBoxIsYellowAndSelected)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("1"));
    open(dialog, true);
    QTableView* view = grid(dialog);
    const QRect row4 = view->visualRect(view->model()->index(4, 1));
    ASSERT_TRUE(row4.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row4.center());
    EXPECT_EQ(labelText(dialog, "Label3"), QStringLiteral("12345 Zeuthen"));
    EXPECT_TRUE(box(dialog)->hasFocus());
    child<QPushButton>(dialog, "Command2")->setFocus();
    EXPECT_EQ(fieldBackground(box(dialog)), plainWhite());
    box(dialog)->deselect();
    box(dialog)->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(fieldBackground(box(dialog)), markYellow());
    EXPECT_TRUE(QTest::qWaitFor([&] { return box(dialog)->selectedText() == QStringLiteral("1"); }, 1000));
    QTest::keyClick(box(dialog), Qt::Key_Return);
    EXPECT_EQ(dialog.takenOver(), QStringLiteral("12345 Zeuthen"));
}

TEST_F(PostalCodeDialogTest, WithoutAUsableDatabaseOrCountryTheWindowSaysSoAndStaysUsable)
{
    t.settings.setValue(QStringLiteral("Start-PLZ"), QStringLiteral("7"));
    PostalCodeDialog unknown(t.ctx, path, QString());
    for (const char* option : {"Option1", "Option2", "Option3"})
        EXPECT_FALSE(child<QRadioButton>(unknown, option)->isChecked()) << "unknown setting: " << option;
    open(unknown);
    EXPECT_EQ(shown(unknown), QStringLiteral("52062 Aachen|52062|Aachen|11")) << "the German table, the first town";
    unknown.reject();
    EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("7")) << "nothing was chosen";

    const std::pair<QString, const char*> table[] = {
        {files.filePath(QStringLiteral("leer/plz.mdb")), "wurde nicht gefunden"},
        {files.writeFile(QStringLiteral("kaputt/plz.mdb"), QStringLiteral("keine Datenbank")), "kann nicht gelesen werden"},
    };
    for (const auto& [database, problem] : table) {
        PostalCodeDialog dialog(t.ctx, database, QStringLiteral("10115 Berlin"));
        open(dialog);
        EXPECT_TRUE(child<QLabel>(dialog, "LabelHinweis")->isVisible());
        EXPECT_TRUE(labelText(dialog, "LabelHinweis").contains(QString::fromUtf8(problem))) << problem;
        for (const char* button : {"Command1", "Command2", "Command3"})
            EXPECT_FALSE(child<QPushButton>(dialog, button)->isEnabled()) << button;
        QTest::keyClicks(box(dialog), QStringLiteral("Ber"));
        QTest::keyClick(box(dialog), Qt::Key_Down);
        child<QRadioButton>(dialog, "Option2")->click();
        QTest::keyClick(box(dialog), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()) << "nothing to take over";
        EXPECT_EQ(shown(dialog), QStringLiteral("|||0"));
        child<QPushButton>(dialog, "Command4")->click();
        EXPECT_EQ(dialog.takenOver(), std::nullopt);
        EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("1"));
    }
}

TEST_F(PostalCodeDialogTest, OpenPostalCodeLookupSearchesTheFieldAndGivesTheTextForPlzOrt)
{
    for (const char* button : {"Command3", "Command4"}) {
        QString openedWith;
        auto done = whenModalOpens([&](QWidget* w) {
            auto* dialog = qobject_cast<PostalCodeDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isReady(); }, 2000));
            openedWith = box(*dialog)->text();
            child<QPushButton>(*dialog, button)->click();
        });
        const auto taken = openPostalCodeLookup(t.ctx, QFileInfo(path).absolutePath(), QStringLiteral("1011"));
        ASSERT_TRUE(*done);
        EXPECT_EQ(openedWith, QStringLiteral("1011"));
        EXPECT_EQ(taken, QByteArray(button) == "Command3" ? std::optional(QStringLiteral("10115 Berlin")) : std::nullopt);
    }
}
