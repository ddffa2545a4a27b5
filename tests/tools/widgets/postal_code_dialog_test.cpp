#include "tools/widgets/PostalCodeDialog.h"

#include "platform/widgets/FieldMarks.h"
#include "support/ModalHelper.h"
#include "support/PostalCodeFixture.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace quittora;
using quittora::test::PostalCodeFixture;

namespace {

class PostalCodeDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = files.buildDatabase();
        ASSERT_FALSE(path.isEmpty());
    }

    // Shows the window and waits for its start-up search.
    void open(PostalCodeDialog& dialog)
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isReady(); }, 2000));
    }

    template <typename T>
    static T* child(QWidget& dialog, const char* name)
    {
        T* w = dialog.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QLineEdit* searchBox(QWidget& d) { return child<QLineEdit>(d, "Text1"); }
    static QString label(QWidget& d, const char* name) { return child<QLabel>(d, name)->text(); }
    static QTableView* grid(QWidget& d) { return child<QTableView>(d, "DBGrid1"); }
    static int gridRow(QWidget& d) { return grid(d)->currentIndex().row(); }
    static QString gridText(QWidget& d, int row, int column)
    {
        return grid(d)->model()->index(row, column).data().toString();
    }

    PostalCodeFixture files;
    QString path;
    TestContext t;
};

} // namespace

TEST_F(PostalCodeDialogTest, OpensOnTheCustomersPostalCodeAndTown)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("10117 Berlin-Mitte"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmPLZ"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("PLZ <-> Ort"));
    EXPECT_EQ(label(dialog, "Label1"), QStringLiteral("suchen nach ..."));
    EXPECT_EQ(label(dialog, "Label2"), QStringLiteral("Bitte geben Sie die PLZ oder den Ort ein"));
    EXPECT_EQ(label(dialog, "LabelQuelle"), QStringLiteral("Postleitzahlen: GeoNames (CC BY 4.0)"));
    EXPECT_EQ(child<QGroupBox>(dialog, "Frame1")->title(), QStringLiteral("Ergebnis"));
    EXPECT_EQ(child<QRadioButton>(dialog, "Option1")->text(), QStringLiteral("Deutschland"));
    EXPECT_EQ(child<QRadioButton>(dialog, "Option2")->text(), QStringLiteral("Österreich"));
    EXPECT_EQ(child<QRadioButton>(dialog, "Option3")->text(), QStringLiteral("Schweiz"));
    EXPECT_EQ(child<QPushButton>(dialog, "Command3")->text(), QStringLiteral("übernehmen"));
    EXPECT_EQ(child<QPushButton>(dialog, "Command4")->text(), QStringLiteral("abbrechen"));
    EXPECT_TRUE(child<QRadioButton>(dialog, "Option1")->isChecked()) << "no setting: Deutschland";
    EXPECT_FALSE(child<QLabel>(dialog, "LabelHinweis")->isVisibleTo(&dialog));
    QAbstractItemModelTester tester(grid(dialog)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);

    open(dialog);
    EXPECT_EQ(searchBox(dialog)->text(), QStringLiteral("10117 Berlin-Mitte"));
    // Only the code counts: the first code beginning with 10117, sorted by code.
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("10117 Berlin"));
    EXPECT_EQ(label(dialog, "Label4"), QStringLiteral("Berlin"));
    EXPECT_EQ(label(dialog, "Label5"), QStringLiteral("Berlin, Stadt"));
    EXPECT_EQ(gridText(dialog, gridRow(dialog), 0), QStringLiteral("10117"));
    QStringList headers;
    for (int c = 0; c < 4; ++c)
        headers.append(grid(dialog)->model()->headerData(c, Qt::Horizontal).toString());
    EXPECT_EQ(headers, (QStringList{QStringLiteral("Postleitzahl"), QStringLiteral("Ort"), QStringLiteral("Zusatz"),
                                    QStringLiteral("Land")}));
}

TEST_F(PostalCodeDialogTest, OpensLeftOfTheScreensCentre)
{
    PostalCodeDialog dialog(t.ctx, path, QString());
    open(dialog);
    const QRect screen = dialog.screen()->availableGeometry();
    const QRect frame = dialog.frameGeometry();
    EXPECT_LT(frame.center().x(), screen.center().x());
    EXPECT_GE(frame.left(), screen.left()) << "never off the screen";
    EXPECT_LE(qAbs(frame.center().y() - screen.center().y()), 2 + qMax(0, frame.height() - screen.height()));
}

TEST_F(PostalCodeDialogTest, TypingSearchesCodesAndTowns)
{
    PostalCodeDialog dialog(t.ctx, path, QString());
    open(dialog);
    QLineEdit* box = searchBox(dialog);
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("52062 Aachen")) << "empty text: the first town";

    QTest::keyClicks(box, QStringLiteral("Ber"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("10115 Berlin"));
    EXPECT_EQ(gridText(dialog, 0, 1), QStringLiteral("Aachen")) << "sorted by town";
    EXPECT_EQ(gridText(dialog, gridRow(dialog), 0), QStringLiteral("10115"));

    box->clear();
    typeText(box, QStringLiteral("Mün"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("80331 München"));

    box->clear();
    QTest::keyClicks(box, QStringLiteral("1234"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("12345 Eichwalde"));
    EXPECT_EQ(gridText(dialog, 0, 0), QStringLiteral("01067")) << "sorted by code";

    // A country prefix takes the code from the table chosen, in the order
    // the list has.
    box->setText(QStringLiteral("A-1011"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("10115 Berlin"));

    // Nothing found: no crash, the list stays usable.
    box->setText(QStringLiteral("O'Brien"));
    EXPECT_TRUE(dialog.lookup().noMatch());
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("52062 Aachen"));
}

TEST_F(PostalCodeDialogTest, CountryOptionsShowTheirTableAndReturnTheFocus)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("8001"));
    open(dialog);
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    auto* schweiz = child<QRadioButton>(dialog, "Option3");
    QTest::mouseClick(schweiz, Qt::LeftButton);
    EXPECT_TRUE(schweiz->isChecked());
    EXPECT_EQ(grid(dialog)->model()->rowCount(), 3);
    EXPECT_EQ(gridText(dialog, 0, 1), QStringLiteral("Zürich")) << "the table's own order";
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("8001 Zürich"));
    EXPECT_EQ(searchBox(dialog)->text(), QStringLiteral("8001")) << "the search is not repeated";
    EXPECT_TRUE(QTest::qWaitFor([&] { return searchBox(dialog)->hasFocus(); }, 1000));

    QTest::keyClicks(searchBox(dialog), QStringLiteral("x"));
    searchBox(dialog)->setText(QStringLiteral("Gen"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("1201 Genève"));
    EXPECT_EQ(label(dialog, "Label4"), QStringLiteral("Canton de Genève"));
}

TEST_F(PostalCodeDialogTest, TheChosenCountryIsRememberedOnEveryWayOfClosing)
{
    {
        PostalCodeDialog dialog(t.ctx, path, QString());
        open(dialog);
        child<QRadioButton>(dialog, "Option3")->click();
        child<QPushButton>(dialog, "Command4")->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("2"));
    {
        PostalCodeDialog dialog(t.ctx, path, QString());
        EXPECT_TRUE(child<QRadioButton>(dialog, "Option3")->isChecked());
        EXPECT_EQ(dialog.lookup().country(), plz::Country::Schweiz);
        open(dialog);
        child<QRadioButton>(dialog, "Option2")->click();
        QTest::keyClick(searchBox(dialog), Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("1"));
    {
        PostalCodeDialog dialog(t.ctx, path, QString());
        open(dialog);
        child<QRadioButton>(dialog, "Option1")->click();
        QTest::keyClick(searchBox(dialog), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("0"));
}

TEST_F(PostalCodeDialogTest, AnUnknownSettingSelectsNoCountryAndKeepsTheGermanTable)
{
    t.settings.setValue(QStringLiteral("Start-PLZ"), QStringLiteral("7"));
    PostalCodeDialog dialog(t.ctx, path, QString());
    for (const char* option : {"Option1", "Option2", "Option3"})
        EXPECT_FALSE(child<QRadioButton>(dialog, option)->isChecked()) << option;
    open(dialog);
    EXPECT_EQ(grid(dialog)->model()->rowCount(), 11);
    dialog.reject();
    EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("7")) << "nothing was chosen";
}

TEST_F(PostalCodeDialogTest, ArrowKeysMoveThroughTheListAndStopAtItsEnds)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("80"));
    open(dialog);
    QLineEdit* box = searchBox(dialog);
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("80331 München")) << "the last code";
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("80331 München"));
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("75248 Ölbronn-Dürrn"));
    EXPECT_EQ(gridRow(dialog), 9);
    EXPECT_EQ(box->text(), QStringLiteral("80")) << "the keys do not type";

    box->setText(QStringLiteral("0"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("52062 Aachen"));
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("52062 Aachen"));
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("10117 Berlin"));
    EXPECT_EQ(gridRow(dialog), 2);
}

TEST_F(PostalCodeDialogTest, EnterTakesTheCurrentRecordOver)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("Dres"));
    QSignalSpy takeOver(&dialog, &PostalCodeDialog::takeOver);
    open(dialog);
    QTest::keyClick(searchBox(dialog), Qt::Key_Down);
    QTest::keyClick(searchBox(dialog), Qt::Key_Enter);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.takenOver(), QStringLiteral("12345 Eichwalde"));
    ASSERT_EQ(takeOver.count(), 1);
    EXPECT_EQ(takeOver.at(0).at(0).toString(), QStringLiteral("12345 Eichwalde"));
    EXPECT_TRUE(searchBox(dialog)->text().isEmpty());
}

TEST_F(PostalCodeDialogTest, TheButtonsTakeOverOrCancel)
{
    {
        PostalCodeDialog dialog(t.ctx, path, QStringLiteral("Zeu"));
        open(dialog);
        QTest::mouseClick(child<QPushButton>(dialog, "Command3"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.takenOver(), QStringLiteral("12345 Zeuthen"));
    }
    {
        PostalCodeDialog dialog(t.ctx, path, QStringLiteral("Zeu"));
        QSignalSpy takeOver(&dialog, &PostalCodeDialog::takeOver);
        open(dialog);
        QTest::mouseClick(child<QPushButton>(dialog, "Command4"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.takenOver(), std::nullopt);
        EXPECT_EQ(takeOver.count(), 0);
    }
}

TEST_F(PostalCodeDialogTest, SortButtonsReorderTheList)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("D-"));
    open(dialog);
    EXPECT_EQ(gridText(dialog, 0, 1), QStringLiteral("Zeuthen")) << "the table's own order";
    child<QPushButton>(dialog, "Command2")->click();
    EXPECT_EQ(gridText(dialog, 0, 1), QStringLiteral("Aachen"));
    EXPECT_EQ(gridText(dialog, 10, 1), QStringLiteral("Zeuthen"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("52062 Aachen"));
    child<QPushButton>(dialog, "Command1")->click();
    EXPECT_EQ(gridText(dialog, 0, 0), QStringLiteral("01067"));
    EXPECT_EQ(gridText(dialog, 10, 0), QStringLiteral("80331"));
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("01067 Dresden"));
}

TEST_F(PostalCodeDialogTest, AClickIntoTheGridPicksTheRowAndReturnsToTheSearchBox)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("1"));
    open(dialog);
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTableView* view = grid(dialog);
    const QRect cell = view->visualRect(view->model()->index(4, 1));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(label(dialog, "Label3"), QStringLiteral("12345 Zeuthen"));
    EXPECT_TRUE(searchBox(dialog)->hasFocus());
    QTest::keyClick(searchBox(dialog), Qt::Key_Return);
    EXPECT_EQ(dialog.takenOver(), QStringLiteral("12345 Zeuthen"));
}

TEST_F(PostalCodeDialogTest, TheFocusedSearchBoxIsYellowWithItsTextSelected)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("10115 Berlin"));
    open(dialog);
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* box = searchBox(dialog);
    child<QPushButton>(dialog, "Command2")->setFocus();
    EXPECT_EQ(fieldBackground(box), plainWhite());
    box->deselect();
    box->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(fieldBackground(box), markYellow());
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->selectedText() == QStringLiteral("10115 Berlin"); }, 1000));
    EXPECT_EQ(box->selectionStart(), 0);
}

TEST_F(PostalCodeDialogTest, WithoutTheDatabaseTheWindowSaysSoAndStaysUsable)
{
    const QString missing = files.filePath(QStringLiteral("leer/plz.mdb"));
    PostalCodeDialog dialog(t.ctx, missing, QStringLiteral("10115 Berlin"));
    open(dialog);
    auto* hint = child<QLabel>(dialog, "LabelHinweis");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("Die Postleitzahlen-Datenbank „"))) << hint->text().toStdString();
    EXPECT_TRUE(hint->text().contains(QStringLiteral("wurde nicht gefunden"))) << hint->text().toStdString();
    EXPECT_FALSE(child<QPushButton>(dialog, "Command3")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(dialog, "Command1")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(dialog, "Command2")->isEnabled());
    EXPECT_EQ(grid(dialog)->model()->rowCount(), 0);

    QLineEdit* box = searchBox(dialog);
    QTest::keyClicks(box, QStringLiteral("Ber"));
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Up);
    child<QRadioButton>(dialog, "Option2")->click();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible()) << "nothing to take over";
    EXPECT_EQ(dialog.takenOver(), std::nullopt);
    EXPECT_TRUE(label(dialog, "Label3").isEmpty());

    child<QPushButton>(dialog, "Command4")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(t.settings.value(QStringLiteral("Start-PLZ")), QStringLiteral("1"));
}

TEST_F(PostalCodeDialogTest, AnUnreadableDatabaseIsSaidToo)
{
    const QString broken = files.writeFile(QStringLiteral("kaputt/plz.mdb"), QStringLiteral("keine Datenbank"));
    PostalCodeDialog dialog(t.ctx, broken, QString());
    open(dialog);
    EXPECT_TRUE(label(dialog, "LabelHinweis").contains(QStringLiteral("kann nicht gelesen werden")));
    EXPECT_FALSE(child<QPushButton>(dialog, "Command3")->isEnabled());
}

TEST_F(PostalCodeDialogTest, OpenPostalCodeLookupReturnsTheTextForPlzOrt)
{
    const QString programFolder = QFileInfo(path).absolutePath();
    QString openedWith;
    auto done = whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<PostalCodeDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isReady(); }, 2000));
        openedWith = dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->text();
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("Text1")), Qt::Key_Return);
    });
    EXPECT_EQ(openPostalCodeLookup(t.ctx, programFolder, QStringLiteral("1011")), QStringLiteral("10115 Berlin"));
    EXPECT_TRUE(*done);
    EXPECT_EQ(openedWith, QStringLiteral("1011"));

    done = whenModalOpens([](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("Command4"))->click(); });
    EXPECT_EQ(openPostalCodeLookup(t.ctx, programFolder, QStringLiteral("1011")), std::nullopt);
    EXPECT_TRUE(*done);
}
