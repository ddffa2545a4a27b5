#include "data/Recordset.h"

#include "data/widgets/FieldBinding.h"
#include "data/widgets/RecordsetGrid.h"
#include "data/widgets/SearchAsYouType.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace quittora;
using test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

} // namespace

TEST(FieldBinding, ControlsShowTheCurrentRecordAndWhatTheUserChangesIsStoredByTheNextMove)
{
    TempDatabase db;
    ASSERT_TRUE(db.isValid());
    const qint64 id1 = db.addDocument(s("1001"), s("01.03.2024"), s("Rechnung"), true, {{s("a2"), s("Meier")}, {s("a14"), s("Std.")}});
    const qint64 id2 = db.addDocument(s("1002"), s("02.03.2024"), s("Angebot"), false, {{s("a2"), s("Huber")}});
    ASSERT_TRUE(db.exec(s("UPDATE Rechnungen SET a156 = 'Gutschrift' WHERE ID = ?"), {id2}));
    Recordset rs(db.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7"));
    ASSERT_TRUE(rs.refresh());
    QLineEdit number, name;
    QLabel date;
    QComboBox kind, unit;
    QCheckBox paid;
    QPlainTextEdit note;
    kind.addItems({s("Rechnung"), s("Angebot")});
    unit.setEditable(true);
    unit.addItems({s("Stk."), s("Std.")});
    FieldBinding binding(rs);
    const auto bind = [&](auto* control, const char* field) { binding.bind(control, s(field)); };
    bind(&number, "a7"), bind(&name, "a2"), bind(&date, "a8"), bind(&kind, "a156"), bind(&paid, "opt1"), bind(&note, "a26");
    bind(&unit, "a14");
    const auto shown = [&] {
        return QStringList{number.text(), name.text(), date.text(), kind.currentText(), paid.isChecked() ? s("ja") : s("nein"),
                           unit.currentText()}.join(QLatin1Char('|'));
    };
    const auto stored = [&](qint64 id, const char* field) { return db.field(s("Rechnungen"), id, s(field)).toString(); };
    EXPECT_EQ(shown(), s("1001|Meier|01.03.2024|Rechnung|ja|Std."));
    name.setCursorPosition(2);
    QTest::keyClicks(&name, s("x"));
    ASSERT_TRUE(rs.update());
    EXPECT_EQ(name.text() + QString::number(name.cursorPosition()), s("Mexier3")); // re-shown, the cursor where it was
    name.end(false);
    typeText(&name, s("-Lüdenscheid"));
    QTest::keyClicks(&note, s("bar bezahlt"));
    paid.click();
    kind.setCurrentIndex(1);
    Q_EMIT kind.activated(1); // as a pick in the list
    number.setText(s("9999")); // the program, not the user: not written
    EXPECT_EQ(stored(id1, "a2"), s("Mexier"));
    ASSERT_TRUE(rs.moveNext());
    EXPECT_EQ(QStringList({stored(id1, "a2"), stored(id1, "a26"), stored(id1, "opt1"), stored(id1, "a156"), stored(id1, "a7")})
                  .join(QLatin1Char('|')),
              s("Mexier-Lüdenscheid|bar bezahlt|0|Angebot|1001"));
    // A value missing from a fixed list shows as no entry and is kept.
    EXPECT_EQ(shown(), s("1002|Huber|02.03.2024||nein|"));
    unit.lineEdit()->selectAll();
    QTest::keyClicks(unit.lineEdit(), s("kg"));
    date.setText(s("24.12.2024"));
    EXPECT_TRUE(binding.write(&date)); // the program's value goes in like a user edit
    ASSERT_TRUE(rs.moveFirst());
    EXPECT_EQ(stored(id2, "a156") + stored(id2, "a14") + stored(id2, "a8"), s("Gutschriftkg24.12.2024"));
    // Deleted controls are left alone; with nothing current, typing keeps nothing.
    auto* gone = new QLineEdit;
    binding.bind(gone, s("a3"));
    delete gone;
    EXPECT_TRUE(rs.moveNext()); // must not touch the deleted box
    rs.setRecordSource(s("SELECT * FROM Rechnungen WHERE a7 = ?"), {s("none")});
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(number.text() + date.text() + unit.currentText(), QString());
    QTest::keyClicks(&note, s("x"));
    EXPECT_FALSE(rs.isDirty() || binding.writeAll());
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
    grid.resize(400, 150);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    const auto selected = [&] {
        const auto rows = grid.selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    };
    EXPECT_EQ(selected(), 0);
    rs.setValue(s("a2"), s("Geändert"));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(2, 0)).center());
    EXPECT_EQ(rs.currentId(), ids.at(2));
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), s("Geändert"));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rs.currentId(), ids.at(3));
    ASSERT_TRUE(rs.moveTo(30)); // the current row is selected and in view
    QApplication::processEvents();
    EXPECT_TRUE(selected() == 30 && grid.viewport()->rect().contains(grid.visualRect(grid.model()->index(30, 0))));
}

TEST(SearchAsYouType, EachKeystrokeFindsTheFirstMatchAndArrowKeysAndEnterMove)
{
    TempDatabase db;
    ASSERT_TRUE(db.isValid() && db.exec(s("DELETE FROM Kunden")));
    const std::pair<const char*, const char*> customers[] = {
        {"Zander", "Münster"}, {"Müller", "Bad Tölz"}, {"Mustermann", "Berlin"}, {"O'Brien", "Dublin"},
        {"Stern*chen", "100% [Ost]"}, {"Stern chen", "Hamburg"}, {"Adler", "1000 Wien Ost"}};
    for (const auto& [name, town] : customers)
        db.addCustomer(s(name), {}, {{s("a5"), s(town)}});
    Recordset rs(db.db(), s("Kunden"));
    rs.setRecordSource(s("SortKunden"));
    ASSERT_TRUE(rs.refresh());
    QLineEdit box;
    // The name found after typing each text into the emptied box, or after keys.
    const auto found = [&](const QStringList& texts) {
        QStringList out;
        for (const QString& text : texts) {
            box.clear();
            typeText(&box, text);
            out << rs.text(s("a2")) + (rs.noMatch() ? s("?") : QString());
        }
        return out.join(QLatin1Char(' '));
    };
    const auto afterKeys = [&](std::initializer_list<Qt::Key> keys) {
        for (const Qt::Key key : keys)
            QTest::keyClick(&box, key);
        return rs.text(s("a2"));
    };
    {
        SearchAsYouType search(&box, rs, QStringList{s("a2")});
        // Case and umlauts do not matter; no match keeps the position the last match found.
        EXPECT_EQ(found({s("mÜL"), s("M"), s("Mx")}), s("Müller Mustermann Mustermann?"));
        box.clear(); // back to the start of the list
        EXPECT_EQ(afterKeys({Qt::Key_Up}), s("Adler"));
        EXPECT_EQ(afterKeys({Qt::Key_Down}), s("Mustermann"));
        EXPECT_EQ(afterKeys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}), s("Zander"));
        found({s("M")});
        EXPECT_EQ(afterKeys({Qt::Key_Return}), s("Mustermann"));
        search.setFindNextOnEnter(true);
        EXPECT_EQ(afterKeys({Qt::Key_Return, Qt::Key_Return}), s("Müller")); // then no further match
    }
    // Several fields; a quote and "[" are characters, "*" the list's wildcard,
    // and SQL's "%" and "_" mean nothing (else "1000 Wien Ost" would match "100%" first).
    SearchAsYouType search(&box, rs, {{s("a2"), LikeMode::StartsWith}, {s("a5"), LikeMode::Contains}});
    EXPECT_EQ(found({s("lin"), s("tö"), s("nster"), s("O'"), s("Z*er"), s("100%"), s("% ["), s("_")}),
              s("Mustermann Müller Zander O'Brien Zander Stern*chen Stern*chen Adler?"));
    for (const char* odd : {"[", "]", "?", "#", "\"", "'; DROP TABLE Kunden; --", "[!a-z]", "[a-", "[z-a]", "*[*"})
        EXPECT_TRUE(!found({s(odd)}).isEmpty() && rs.lastError().isEmpty() && rs.hasCurrent()) << odd;
    EXPECT_EQ(db.count(s("Kunden")), 7);
}
