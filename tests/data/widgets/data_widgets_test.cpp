#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/RecordsetGrid.h"
#include "data/widgets/SearchAsYouType.h"
#include "platform/widgets/FieldMarks.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using namespace quittora;
using test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Three documents in number order, bound to the controls of a document head.
class FieldBindingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid());
        id1 = db.addDocument(s("1001"), s("01.03.2024"), s("Rechnung"), true, {{s("a2"), s("Meier")}, {s("a14"), s("Std.")}});
        id2 = db.addDocument(s("1002"), s("02.03.2024"), s("Angebot"), false, {{s("a2"), s("Huber")}, {s("a14"), s("Pauschal")}});
        id3 = db.addDocument(s("1003"), s("03.03.2024"), s("Rechnung"), false, {{s("a2"), s("Schmid")}});
        rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7"));
        ASSERT_TRUE(rs.refresh());
        kind.addItems({s("Rechnung"), s("Angebot")});
        unit.setEditable(true);
        unit.addItems({s("Stk."), s("Std.")});
        binding.bind(&number, s("a7"));
        binding.bind(&name, s("a2"));
        binding.bind(&date, s("a8"));
        binding.bind(&idLabel, s("ID"));
        binding.bind(&kind, s("a156"));
        binding.bind(&paid, s("opt1"));
        binding.bind(&note, s("a26"));
        binding.bind(&unit, s("a14"));
    }
    QString stored(qint64 id, const char* field) const { return db.field(s("Rechnungen"), id, s(field)).toString(); }
    QString shown() const
    {
        return QStringList{number.text(), name.text(), date.text(), idLabel.text(), kind.currentText(),
                           paid.isChecked() ? s("ja") : s("nein"), unit.currentText()}
            .join(QLatin1Char('|'));
    }

    TempDatabase db;
    qint64 id1 = -1, id2 = -1, id3 = -1;
    Recordset rs{db.db(), s("Rechnungen")};
    QLineEdit number, name;
    QLabel date, idLabel;
    QComboBox kind, unit;
    QCheckBox paid;
    QPlainTextEdit note;
    FieldBinding binding{rs};
};

} // namespace

TEST_F(FieldBindingTest, ControlsShowTheCurrentRecordWheneverItChanges)
{
    EXPECT_EQ(shown(), s("1001|Meier|01.03.2024|%1|Rechnung|ja|Std.").arg(id1));
    EXPECT_EQ(unit.currentIndex(), 1);
    // A long text shows from its beginning.
    const QString longName = s("Bei Zahlung bis zum 26.01.2016 abzüglich 2% Skonto (7405,05 EUR)");
    ASSERT_TRUE(db.exec(s("UPDATE Rechnungen SET a2 = ? WHERE ID = ?"), {longName, id2}));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(shown(), s("1002|%1|02.03.2024|%2|Angebot|nein|Pauschal").arg(longName).arg(id2));
    EXPECT_EQ(name.cursorPosition(), 0);
    // A value missing from a fixed list shows as no entry and is kept.
    ASSERT_TRUE(db.exec(s("UPDATE Rechnungen SET a156 = ? WHERE ID = ?"), {s("Gutschrift"), id3}));
    ASSERT_TRUE(rs.findFirst(s("a2 LIKE ?"), {s("Sch*")}));
    EXPECT_EQ(shown(), s("1003|Schmid|03.03.2024|%1||nein|").arg(id3));
    EXPECT_EQ(kind.currentIndex(), -1);
    name.end(false);
    QTest::keyClicks(&name, s("x"));
    ASSERT_TRUE(rs.moveFirst());
    EXPECT_EQ(stored(id3, "a156"), s("Gutschrift"));
    EXPECT_EQ(stored(id3, "a2"), s("Schmidx"));

    rs.addNew();
    EXPECT_EQ(shown(), s("|||||nein|"));
    rs.cancelUpdate();
    // Nothing current: empty controls, and what is typed is not kept.
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE a7 = ?"), {s("none")});
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(shown(), s("|||||nein|"));
    QTest::keyClicks(&name, s("x"));
    EXPECT_FALSE(rs.isDirty());
    EXPECT_FALSE(binding.writeAll());
}

TEST_F(FieldBindingTest, WhatTheUserChangesIsStoredByTheNextMoveAndWhatTheProgramSetsOnlyWhenAsked)
{
    name.setCursorPosition(2);
    QTest::keyClicks(&name, s("x"));
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(name.text(), s("Mexier")); // re-shown, the cursor where it was
    EXPECT_EQ(name.cursorPosition(), 3);
    name.end(false);
    typeText(&name, s("-Lüdenscheid"));
    QTest::keyClicks(&note, s("bar bezahlt"));
    paid.click();
    kind.setCurrentIndex(1);
    Q_EMIT kind.activated(1); // as a pick in the list
    number.setText(s("9999")); // the program, not the user: not written
    EXPECT_EQ(stored(id1, "a2"), s("Mexier"));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id1, "a2"), s("Mexier-Lüdenscheid"));
    EXPECT_EQ(stored(id1, "a26"), s("bar bezahlt"));
    EXPECT_EQ(stored(id1, "opt1"), s("0"));
    EXPECT_EQ(stored(id1, "a156"), s("Angebot"));
    EXPECT_EQ(stored(id1, "a7"), s("1001"));
    EXPECT_EQ(note.toPlainText(), stored(id2, "a26"));

    QSignalSpy edited(&binding, &FieldBinding::edited);
    QTest::keyClick(&paid, Qt::Key_Space);
    kind.setCurrentIndex(0); // the program again
    unit.lineEdit()->selectAll();
    QTest::keyClicks(unit.lineEdit(), s("kg"));
    // write(): the program's value goes in like a user edit.
    date.setText(s("24.12.2024"));
    EXPECT_TRUE(binding.write(&date));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(stored(id2, "opt1"), s("-1"));
    EXPECT_EQ(stored(id2, "a156"), s("Angebot"));
    EXPECT_EQ(stored(id2, "a14"), s("kg"));
    EXPECT_EQ(stored(id2, "a8"), s("24.12.2024"));
    ASSERT_GE(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(1).toString(), s("opt1"));

    // Writes::AllChanges: every change is written, the binding's own showing aside.
    QLineEdit total;
    binding.bind(&total, s("a30"), FieldBinding::Writes::AllChanges);
    EXPECT_FALSE(rs.isDirty());
    total.setText(s("172,50"));
    ASSERT_TRUE(rs.movePrevious());
    EXPECT_EQ(stored(id3, "a30"), s("172,50"));
    EXPECT_FALSE(binding.write(nullptr));
    QLineEdit unboundBox;
    EXPECT_FALSE(binding.write(&unboundBox));

    // Unbound and deleted controls are left alone.
    binding.unbind(&name);
    EXPECT_EQ(binding.fieldOf(&name), QString());
    QTest::keyClicks(&name, s("x"));
    EXPECT_FALSE(rs.isDirty());
    auto* gone = new QLineEdit;
    binding.bind(gone, s("a3"));
    delete gone;
    EXPECT_TRUE(rs.moveNext()); // must not touch the deleted box
    EXPECT_EQ(number.text(), s("1003"));
}

TEST(RecordsetGrid, TheCurrentRecordIsTheSelectedRowAndPickingARowMovesTheSet)
{
    TempDatabase db;
    ASSERT_TRUE(db.isValid());
    QList<qint64> ids;
    for (int i = 0; i < 44; ++i)
        ids << db.addDocument(QString::number(1001 + i), s("01.03.2024"));
    Recordset rs(db.db(), s("Rechnungen"));
    ASSERT_TRUE(rs.refresh());
    RecordsetGrid grid(rs, {s("a7"), s("a2")}, {s("Nr."), s("Name")});
    QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.resize(400, 900);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const auto selected = [&] {
        const auto rows = grid.selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    };
    EXPECT_EQ(selected(), 0);
    rs.moveLast();
    rs.movePrevious();
    EXPECT_EQ(selected(), 42);
    EXPECT_EQ(grid.currentIndex().row(), 42);

    rs.moveFirst();
    rs.setValue(s("a2"), s("Geändert"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(2, 0)).center());
    EXPECT_EQ(rs.currentId(), ids.at(2));
    EXPECT_EQ(db.field(s("Rechnungen"), ids.at(0), s("a2")).toString(), s("Geändert"));
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), s("Geändert"));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rs.currentId(), ids.at(3));

    // The current row stays in view when the grid shrinks.
    ASSERT_TRUE(rs.moveTo(30));
    grid.resize(400, 150);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.height() == 150; }, 1000));
    QApplication::processEvents();
    const QRect row = grid.visualRect(grid.model()->index(30, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(row)) << row.y() << " in " << grid.viewport()->height();

    // A re-read set selects its first record again.
    db.addDocument(s("0999"), s("02.03.2024"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7"));
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), s("0999"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE a7 = ?"), {s("nix")});
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(selected(), -1);
}

namespace {

// Customers in the customer list's order (SortKunden), searched by name
// (prefix) and town (contains).
class SearchAsYouTypeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid());
        ASSERT_TRUE(db.exec(s("DELETE FROM Kunden")));
        const std::pair<const char*, const char*> customers[] = {
            {"Zander", "Münster"}, {"Müller", "Bad Tölz"}, {"Mustermann", "Berlin"}, {"O'Brien", "Dublin"},
            {"Stern*chen", "100% [Ost]"}, {"Stern chen", "Hamburg"}, {"Bauer", "Köln"}, {"Adler", "1000 Wien Ost"}};
        for (const auto& [name, town] : customers)
            db.addCustomer(s(name), {}, {{s("a5"), s(town)}});
        rs.setRecordSource(s("SortKunden"));
        ASSERT_TRUE(rs.refresh());
    }
    // The name found after typing each text into the emptied box, one after another.
    QString found(const QStringList& texts)
    {
        QStringList out;
        for (const QString& text : texts) {
            box.clear();
            typeText(&box, text);
            out << rs.text(s("a2")) + (rs.noMatch() ? s("?") : QString());
        }
        return out.join(QLatin1Char(' '));
    }
    QString afterKeys(std::initializer_list<Qt::Key> keys)
    {
        for (const Qt::Key key : keys)
            QTest::keyClick(&box, key);
        return rs.text(s("a2"));
    }

    TempDatabase db;
    Recordset rs{db.db(), s("Kunden")};
    QLineEdit box;
};

} // namespace

TEST_F(SearchAsYouTypeTest, EachKeystrokeFindsTheFirstMatchAndArrowKeysAndEnterMove)
{
    SearchAsYouType search(&box, rs, QStringList{s("a2")});
    QSignalSpy searched(&search, &SearchAsYouType::searched);
    typeText(&box, s("M"));
    typeText(&box, s("ü"));
    EXPECT_EQ(rs.text(s("a2")), s("Müller"));
    EXPECT_EQ(searched.count(), 2);
    EXPECT_TRUE(searched.last().at(0).toBool());
    // Case and umlauts do not matter; no match keeps the position the last match found.
    EXPECT_EQ(found({s("mÜL"), s("M"), s("Mx")}), s("Müller Mustermann Mustermann?"));
    EXPECT_FALSE(searched.last().at(0).toBool());
    box.clear(); // back to the start of the list
    EXPECT_EQ(rs.text(s("a2")), s("Adler"));

    EXPECT_EQ(afterKeys({Qt::Key_Up}), s("Adler"));
    EXPECT_FALSE(rs.bof());
    EXPECT_EQ(afterKeys({Qt::Key_Down, Qt::Key_Down}), s("Mustermann"));
    EXPECT_EQ(afterKeys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}), s("Zander"));
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(afterKeys({Qt::Key_Up}), s("Stern*chen"));
    EXPECT_EQ(box.text(), QString()); // the keys are not typed

    found({s("M")});
    EXPECT_EQ(afterKeys({Qt::Key_Return}), s("Mustermann"));
    search.setFindNextOnEnter(true);
    EXPECT_EQ(afterKeys({Qt::Key_Return}), s("Müller"));
    EXPECT_EQ(afterKeys({Qt::Key_Return}), s("Müller")); // no further match

    // The box is yellow (65535 as a Windows colour value) while it has the focus.
    EXPECT_EQ(fieldBackground(&box), QColor(Qt::white));
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&box, &in);
    EXPECT_EQ(fieldBackground(&box).rgb() & 0xFFFFFF, 0xFFFF00u);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&box, &out);
    EXPECT_EQ(fieldBackground(&box), QColor(Qt::white));
}

TEST_F(SearchAsYouTypeTest, SeveralFieldsAndTypedTextThatNeverBreaksThePattern)
{
    SearchAsYouType search(&box, rs, {{s("a2"), LikeMode::StartsWith}, {s("a5"), LikeMode::Contains}});
    EXPECT_EQ(search.criterion(), s("a2 LIKE ? OR a5 LIKE ?"));
    EXPECT_EQ(search.parameters(s("ab")), (QVariantList{s("ab*"), s("*ab*")}));
    // Ber-lin, Bad Tölz, Mü-nster; a quote and "[" are characters, "*" the
    // list's wildcard, and SQL's "%" and "_" mean nothing (else Adler's
    // "1000 Wien Ost" would match "100%" first).
    EXPECT_EQ(found({s("lin"), s("tö"), s("Za"), s("nster"), s("O'"), s("Z*er"), s("100%"), s("% ["), s("_")}),
              s("Mustermann Müller Zander Zander O'Brien Zander Stern*chen Stern*chen Adler?"));
    for (const char* odd : {"[", "]", "[]", "?", "#", "\"", "\\", "'; DROP TABLE Kunden; --", "[!a-z]", "[a-", "[z-a]",
                            "**", "*[*"}) {
        found({s(odd)});
        EXPECT_TRUE(rs.lastError().isEmpty()) << odd << rs.lastError().toStdString();
        EXPECT_TRUE(rs.hasCurrent()) << odd;
    }
    EXPECT_EQ(db.count(s("Kunden")), 8);

    rs.setRecordSource(s("SELECT * FROM Kunden WHERE a2 = ?"), {s("none")});
    ASSERT_TRUE(rs.refresh());
    found({s("M")});
    afterKeys({Qt::Key_Down, Qt::Key_Up});
    box.clear();
    EXPECT_FALSE(rs.hasCurrent());
}
