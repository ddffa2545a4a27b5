#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using namespace quittora;
using test::TempDatabase;

namespace {

// Three documents in number order, bound to the controls of a document head.
class FieldBindingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid());
        id1 = db.addDocument(QStringLiteral("1001"), QStringLiteral("01.03.2024"), QStringLiteral("Rechnung"), true,
                             {{QStringLiteral("a2"), QStringLiteral("Meier")}});
        id2 = db.addDocument(QStringLiteral("1002"), QStringLiteral("02.03.2024"), QStringLiteral("Angebot"), false,
                             {{QStringLiteral("a2"), QStringLiteral("Huber")}});
        id3 = db.addDocument(QStringLiteral("1003"), QStringLiteral("03.03.2024"), QStringLiteral("Rechnung"), false,
                             {{QStringLiteral("a2"), QStringLiteral("Schmid")}});
        rs.setRecordSource(QStringLiteral("SELECT * FROM Rechnungen ORDER BY a7"));
        ASSERT_TRUE(rs.refresh());
        kind.addItems({QStringLiteral("Rechnung"), QStringLiteral("Angebot")});
        binding.bind(&number, QStringLiteral("a7"));
        binding.bind(&name, QStringLiteral("a2"));
        binding.bind(&date, QStringLiteral("a8"));
        binding.bind(&idLabel, QStringLiteral("ID"));
        binding.bind(&kind, QStringLiteral("a156"));
        binding.bind(&paid, QStringLiteral("opt1"));
        binding.bind(&note, QStringLiteral("a26"));
    }

    QVariant stored(qint64 id, const char* field) const
    {
        return db.field(QStringLiteral("Rechnungen"), id, QString::fromLatin1(field));
    }

    TempDatabase db;
    qint64 id1 = -1, id2 = -1, id3 = -1;
    Recordset rs{db.db(), QStringLiteral("Rechnungen")};
    QLineEdit number, name;
    QLabel date, idLabel;
    QComboBox kind;
    QCheckBox paid;
    QPlainTextEdit note;
    FieldBinding binding{rs};
};

} // namespace

TEST_F(FieldBindingTest, ControlsShowTheCurrentRecordWheneverItChanges)
{
    EXPECT_EQ(number.text(), QStringLiteral("1001"));
    EXPECT_EQ(name.text(), QStringLiteral("Meier"));
    EXPECT_EQ(date.text(), QStringLiteral("01.03.2024"));
    EXPECT_EQ(idLabel.text(), QString::number(id1));
    EXPECT_EQ(kind.currentText(), QStringLiteral("Rechnung"));
    EXPECT_TRUE(paid.isChecked());

    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(number.text(), QStringLiteral("1002"));
    EXPECT_EQ(name.text(), QStringLiteral("Huber"));
    // A box shows the beginning of its text, also when the text is too long for it.
    EXPECT_EQ(name.cursorPosition(), 0);
    EXPECT_EQ(kind.currentText(), QStringLiteral("Angebot"));
    EXPECT_FALSE(paid.isChecked());

    ASSERT_TRUE(rs.findFirst(QStringLiteral("a2 LIKE ?"), {QStringLiteral("Sch*")}));
    EXPECT_EQ(number.text(), QStringLiteral("1003"));

    rs.addNew();
    EXPECT_EQ(number.text(), QString());
    EXPECT_EQ(idLabel.text(), QString());
    EXPECT_FALSE(paid.isChecked());
    rs.cancelUpdate();

    // Nothing current: empty controls.
    rs.setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a7 = ?"), {QStringLiteral("none")});
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(number.text(), QString());
    EXPECT_EQ(name.text(), QString());
    EXPECT_EQ(kind.currentIndex(), -1);
    EXPECT_FALSE(paid.isChecked());
}

TEST_F(FieldBindingTest, WhatTheUserTypesIsStoredByTheNextMove)
{
    name.setFocus();
    name.end(false);
    typeText(&name, QStringLiteral("-Lüdenscheid"));
    QTest::keyClicks(&note, QStringLiteral("bar bezahlt"));
    EXPECT_TRUE(rs.isDirty());
    EXPECT_EQ(stored(id1, "a2").toString(), QStringLiteral("Meier"));

    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id1, "a2").toString(), QStringLiteral("Meier-Lüdenscheid"));
    EXPECT_EQ(stored(id1, "a26").toString(), QStringLiteral("bar bezahlt"));
    EXPECT_EQ(name.text(), QStringLiteral("Huber"));
    EXPECT_EQ(note.toPlainText(), stored(id2, "a26").toString());

    ASSERT_TRUE(rs.movePrevious());
    EXPECT_EQ(name.text(), QStringLiteral("Meier-Lüdenscheid"));
}

TEST_F(FieldBindingTest, ACheckBoxStoresMinusOneAndZero)
{
    ASSERT_TRUE(rs.moveNext());
    ASSERT_FALSE(paid.isChecked());
    QTest::keyClick(&paid, Qt::Key_Space);
    ASSERT_TRUE(paid.isChecked());
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id2, "opt1").toInt(), -1);

    ASSERT_TRUE(rs.moveFirst());
    ASSERT_TRUE(paid.isChecked());
    paid.click();
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(stored(id1, "opt1").toInt(), 0);
    EXPECT_FALSE(paid.isChecked());
}

TEST_F(FieldBindingTest, AComboStoresWhatTheUserPicks)
{
    ASSERT_EQ(kind.currentText(), QStringLiteral("Rechnung"));
    kind.setCurrentIndex(1); // the program, not the user: not written
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(stored(id1, "a156").toString(), QStringLiteral("Rechnung"));

    QSignalSpy edited(&binding, &FieldBinding::edited);
    Q_EMIT kind.activated(1); // as a pick in the list
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(stored(id1, "a156").toString(), QStringLiteral("Angebot"));
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(1).toString(), QStringLiteral("a156"));
}

TEST_F(FieldBindingTest, AValueMissingFromAFixedListIsShownEmptyAndKept)
{
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Rechnungen SET a156 = ? WHERE ID = ?"), {QStringLiteral("Gutschrift"), id3}));
    ASSERT_TRUE(rs.moveLast());
    rs.reloadCurrent();
    EXPECT_EQ(kind.currentIndex(), -1);
    name.end(false); // the user appends
    QTest::keyClicks(&name, QStringLiteral("x"));
    ASSERT_TRUE(rs.moveFirst());
    EXPECT_EQ(stored(id3, "a156").toString(), QStringLiteral("Gutschrift"));
    EXPECT_EQ(stored(id3, "a2").toString(), QStringLiteral("Schmidx"));
}

TEST_F(FieldBindingTest, TextTheProgramSetsIsStoredOnlyWhenAskedFor)
{
    number.setText(QStringLiteral("9999"));
    date.setText(QStringLiteral("24.12.2024"));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id1, "a7").toString(), QStringLiteral("1001"));
    EXPECT_EQ(stored(id1, "a8").toString(), QStringLiteral("01.03.2024"));

    // write(): the program's value goes in like a user edit.
    date.setText(QStringLiteral("24.12.2024"));
    EXPECT_TRUE(binding.write(&date));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id2, "a8").toString(), QStringLiteral("24.12.2024"));

    // Writes::AllChanges: every change is written, the binding's own showing aside.
    QLineEdit total;
    binding.bind(&total, QStringLiteral("a30"), FieldBinding::Writes::AllChanges);
    EXPECT_FALSE(rs.isDirty());
    total.setText(QStringLiteral("172,50"));
    ASSERT_TRUE(rs.movePrevious());
    EXPECT_EQ(stored(id3, "a30").toString(), QStringLiteral("172,50"));
    EXPECT_FALSE(rs.isDirty());

    EXPECT_FALSE(binding.write(nullptr));
    QLineEdit unbound;
    EXPECT_FALSE(binding.write(&unbound));
}

TEST_F(FieldBindingTest, ReShowingTheSameRecordLeavesTheCursorWhereItWas)
{
    name.setCursorPosition(2);
    QTest::keyClicks(&name, QStringLiteral("x"));
    ASSERT_EQ(name.text(), QStringLiteral("Mexier"));
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(name.text(), QStringLiteral("Mexier"));
    EXPECT_EQ(name.cursorPosition(), 3);
}

TEST_F(FieldBindingTest, WithoutACurrentRecordEditsAreNotKept)
{
    rs.setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a7 = ?"), {QStringLiteral("none")});
    ASSERT_TRUE(rs.refresh());
    QTest::keyClicks(&name, QStringLiteral("x"));
    EXPECT_FALSE(rs.isDirty());
    EXPECT_FALSE(binding.writeAll());
}

TEST_F(FieldBindingTest, UnboundAndDeletedControlsAreLeftAlone)
{
    binding.unbind(&name);
    EXPECT_EQ(binding.fieldOf(&name), QString());
    EXPECT_EQ(binding.fieldOf(&number), QStringLiteral("a7"));
    name.end(false);
    QTest::keyClicks(&name, QStringLiteral("x"));
    EXPECT_FALSE(rs.isDirty());
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(name.text(), QStringLiteral("Meierx"));

    auto* gone = new QLineEdit;
    binding.bind(gone, QStringLiteral("a3"));
    delete gone;
    EXPECT_TRUE(rs.moveNext()); // must not touch the deleted box
    EXPECT_EQ(number.text(), QStringLiteral("1003"));
}

TEST_F(FieldBindingTest, AnEditableComboShowsAnyValueAndStoresWhatIsTyped)
{
    QComboBox unit;
    unit.setEditable(true);
    unit.addItems({QStringLiteral("Stk."), QStringLiteral("Std.")});
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Rechnungen SET a14 = ? WHERE ID = ?"), {QStringLiteral("Std."), id1}));
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Rechnungen SET a14 = ? WHERE ID = ?"), {QStringLiteral("Pauschal"), id2}));
    rs.reloadCurrent();
    binding.bind(&unit, QStringLiteral("a14"));
    EXPECT_EQ(unit.currentText(), QStringLiteral("Std."));
    EXPECT_EQ(unit.currentIndex(), 1);
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(unit.currentText(), QStringLiteral("Pauschal"));

    unit.lineEdit()->selectAll();
    QTest::keyClicks(unit.lineEdit(), QStringLiteral("kg"));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id2, "a14").toString(), QStringLiteral("kg"));
}

TEST_F(FieldBindingTest, ALongTextShowsFromItsBeginningUnlessTheUserIsInTheBox)
{
    const QString longName = QStringLiteral("Bei Zahlung bis zum 26.01.2016 abzüglich 2% Skonto (7405,05 EUR)");
    ASSERT_TRUE(db.exec(QStringLiteral("UPDATE Rechnungen SET a2 = ? WHERE ID = ?"), {longName, id2}));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(name.text(), longName);
    EXPECT_EQ(name.cursorPosition(), 0);
}
