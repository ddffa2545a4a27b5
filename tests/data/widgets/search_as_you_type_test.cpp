#include "data/Recordset.h"
#include "data/widgets/SearchAsYouType.h"
#include "platform/widgets/FieldMarks.h"
#include "support/TempDatabase.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace quittora;
using test::TempDatabase;

namespace {

// Customers in the customer list's order (SortKunden), searched by name
// (prefix) and town (contains):
//   Adler "1000 Wien Ost", Bauer "Köln", Mustermann "Berlin", Müller "Bad Tölz",
//   O'Brien "Dublin", "Stern chen" "Hamburg", "Stern*chen" "100% [Ost]",
//   Zander "Münster"
class SearchAsYouTypeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid());
        ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Kunden")));
        add(QStringLiteral("Zander"), QStringLiteral("Münster"));
        add(QStringLiteral("Müller"), QStringLiteral("Bad Tölz"));
        add(QStringLiteral("Mustermann"), QStringLiteral("Berlin"));
        add(QStringLiteral("O'Brien"), QStringLiteral("Dublin"));
        add(QStringLiteral("Stern*chen"), QStringLiteral("100% [Ost]"));
        add(QStringLiteral("Stern chen"), QStringLiteral("Hamburg"));
        add(QStringLiteral("Bauer"), QStringLiteral("Köln"));
        add(QStringLiteral("Adler"), QStringLiteral("1000 Wien Ost"));
        rs.setRecordSource(QStringLiteral("SortKunden"));
        ASSERT_TRUE(rs.refresh());
        ASSERT_EQ(current(), QStringLiteral("Adler"));
    }
    void add(const QString& name, const QString& town)
    {
        db.addCustomer(name, {}, {{QStringLiteral("a5"), town}});
    }
    QString current() const { return rs.text(QStringLiteral("a2")); }
    // Clears the box (back to the first record) and types text key by key.
    void type(const QString& text)
    {
        box.clear();
        typeText(&box, text);
    }
    static QList<SearchAsYouType::Field> nameAndTown()
    {
        return {{QStringLiteral("a2"), LikeMode::StartsWith}, {QStringLiteral("a5"), LikeMode::Contains}};
    }

    TempDatabase db;
    Recordset rs{db.db(), QStringLiteral("Kunden")};
    QLineEdit box;
};

} // namespace

TEST_F(SearchAsYouTypeTest, EachKeystrokeFindsTheFirstNameStartingWithTheText)
{
    SearchAsYouType search(&box, rs, QStringList{QStringLiteral("a2")});
    QSignalSpy searched(&search, &SearchAsYouType::searched);
    typeText(&box, QStringLiteral("M"));
    EXPECT_EQ(current(), QStringLiteral("Mustermann"));
    typeText(&box, QStringLiteral("ü"));
    EXPECT_EQ(current(), QStringLiteral("Müller"));
    EXPECT_EQ(searched.count(), 2);
    EXPECT_TRUE(searched.last().at(0).toBool());

    // Case and umlauts do not matter.
    type(QStringLiteral("mÜL"));
    EXPECT_EQ(current(), QStringLiteral("Müller"));
    // No match keeps the position the last match found.
    type(QStringLiteral("Mx"));
    EXPECT_EQ(current(), QStringLiteral("Mustermann"));
    EXPECT_FALSE(searched.last().at(0).toBool());
    EXPECT_TRUE(rs.noMatch());

    // An empty box goes back to the start of the list.
    box.clear();
    EXPECT_EQ(current(), QStringLiteral("Adler"));
}

TEST_F(SearchAsYouTypeTest, ContainsSearchesOverSeveralFields)
{
    SearchAsYouType search(&box, rs, nameAndTown());
    EXPECT_EQ(search.criterion(), QStringLiteral("a2 LIKE ? OR a5 LIKE ?"));
    EXPECT_EQ(search.parameters(QStringLiteral("ab")), (QVariantList{QStringLiteral("ab*"), QStringLiteral("*ab*")}));
    type(QStringLiteral("lin"));
    EXPECT_EQ(current(), QStringLiteral("Mustermann")); // Ber-lin
    type(QStringLiteral("tö"));
    EXPECT_EQ(current(), QStringLiteral("Müller")); // Bad Tölz
    type(QStringLiteral("Za"));
    EXPECT_EQ(current(), QStringLiteral("Zander"));
    type(QStringLiteral("nster"));
    EXPECT_EQ(current(), QStringLiteral("Zander")); // Mü-nster
}

TEST_F(SearchAsYouTypeTest, TypedTextIsAPatternThatNeverBreaks)
{
    SearchAsYouType search(&box, rs, nameAndTown());
    // A quote is just a character.
    type(QStringLiteral("O'"));
    EXPECT_EQ(current(), QStringLiteral("O'Brien"));
    // '*' is the list's wildcard, as users know it from the search.
    type(QStringLiteral("Z*er"));
    EXPECT_EQ(current(), QStringLiteral("Zander"));
    // SQL's own wildcards mean nothing: '%' is a character (else Adler's
    // "1000 Wien Ost" would match first).
    type(QStringLiteral("100%"));
    EXPECT_EQ(current(), QStringLiteral("Stern*chen"));
    // A '[' without its ']' is a character too.
    type(QStringLiteral("% ["));
    EXPECT_EQ(current(), QStringLiteral("Stern*chen"));
    type(QStringLiteral("_"));
    EXPECT_TRUE(rs.noMatch());
    EXPECT_EQ(current(), QStringLiteral("Adler"));

    for (const QString& odd : {QStringLiteral("["), QStringLiteral("]"), QStringLiteral("[]"), QStringLiteral("?"),
                               QStringLiteral("#"), QStringLiteral("%"), QStringLiteral("\""), QStringLiteral("\\"),
                               QStringLiteral("'; DROP TABLE Kunden; --"), QStringLiteral("[!a-z]"),
                               QStringLiteral("[a-"), QStringLiteral("[z-a]"), QStringLiteral("**"),
                               QStringLiteral("*[*")}) {
        SCOPED_TRACE(odd.toStdString());
        type(odd);
        EXPECT_TRUE(rs.lastError().isEmpty()) << rs.lastError().toStdString();
        EXPECT_TRUE(rs.hasCurrent());
    }
    EXPECT_EQ(rs.recordCount(), 8);
    EXPECT_EQ(db.count(QStringLiteral("Kunden")), 8);
}

TEST_F(SearchAsYouTypeTest, ArrowKeysMoveThroughTheListAndStopAtItsEnds)
{
    SearchAsYouType search(&box, rs, QStringList{QStringLiteral("a2")});
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(current(), QStringLiteral("Adler"));
    EXPECT_FALSE(rs.bof());
    QTest::keyClick(&box, Qt::Key_Down);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(current(), QStringLiteral("Mustermann"));
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(current(), QStringLiteral("Zander"));
    EXPECT_FALSE(rs.eof());
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(current(), QStringLiteral("Stern*chen"));
    EXPECT_EQ(box.text(), QString()); // the keys are not typed
}

TEST_F(SearchAsYouTypeTest, EnterFindsTheNextMatchWhenWanted)
{
    SearchAsYouType search(&box, rs, QStringList{QStringLiteral("a2")});
    type(QStringLiteral("M"));
    ASSERT_EQ(current(), QStringLiteral("Mustermann"));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(current(), QStringLiteral("Mustermann"));

    search.setFindNextOnEnter(true);
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(current(), QStringLiteral("Müller"));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(current(), QStringLiteral("Müller")); // no further match
}

TEST_F(SearchAsYouTypeTest, TheBoxIsYellowWhileItHasTheFocus)
{
    SearchAsYouType search(&box, rs, QStringList{QStringLiteral("a2")});
    EXPECT_EQ(fieldBackground(&box), QColor(Qt::white));
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&box, &in);
    EXPECT_EQ(fieldBackground(&box), QColor(0xFF, 0xFF, 0x00));
    // 65535 as a Windows colour value (blue-green-red) is this yellow.
    EXPECT_EQ(fieldBackground(&box).rgb() & 0xFFFFFF, 0xFFFF00u);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&box, &out);
    EXPECT_EQ(fieldBackground(&box), QColor(Qt::white));
}

TEST_F(SearchAsYouTypeTest, AnEmptySetIsHarmless)
{
    rs.setRecordSource(QStringLiteral("SELECT * FROM Kunden WHERE a2 = ?"), {QStringLiteral("none")});
    ASSERT_TRUE(rs.refresh());
    SearchAsYouType search(&box, rs, QStringList{QStringLiteral("a2")});
    type(QStringLiteral("M"));
    QTest::keyClick(&box, Qt::Key_Down);
    QTest::keyClick(&box, Qt::Key_Up);
    box.clear();
    EXPECT_EQ(rs.recordCount(), 0);
    EXPECT_FALSE(rs.hasCurrent());
}
