#include "data/Database.h"

#include "data/Decimal.h"
#include "data/JetLike.h"
#include "data/KeyFilter.h"
#include "data/Numbers.h"
#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/Schema.h"
#include "data/SearchCriterion.h"
#include "data/SqlFunctions.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <functional>
#include <sqlite3.h>
#include <utility>

using namespace quittora;
using quittora::test::TempDatabase;
using quittora::test::expectRows;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

QString makeTemplate(const QString& path)
{
    QString message;
    EXPECT_TRUE(Database::createFromTemplate(path, QLatin1Char(','), &message)) << message.toStdString();
    return path;
}

void writeFile(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(testfiles::writeBytes(path, bytes)) << path.toStdString(); }

// Runs SQL on a file through a connection of its own, outside Quittora; the first value.
int runOn(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    int first = 0;
    const auto keep = [](void* out, int, char** values, char**) {
        *static_cast<int*>(out) = values[0] ? atoi(values[0]) : 0;
        return 0;
    };
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, keep, &first, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return first;
}

// Customers in SortKunden order: Adler, becker, Mustermann (template), Zander.
struct Customers : ::testing::Test {
    TempDatabase t;
    qint64 adler = -1, becker = -1, zander = -1, mustermann = 1;
    std::unique_ptr<Recordset> rs;
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        zander = t.addCustomer(s("Zander"), s("Ute"), {{s("a5"), s("80331 München")}});
        adler = t.addCustomer(s("Adler"), s("Anna"), {{s("a5"), s("10115 Berlin")}});
        becker = t.addCustomer(s("becker"), s("Jan"), {{s("a5"), s("20095 Hamburg")}});
        rs = std::make_unique<Recordset>(t.db(), s("Kunden"));
        rs->setRecordSource(s("SortKunden"));
        ASSERT_TRUE(rs->refresh()) << rs->lastError().toStdString();
    }
    QString stored(qint64 id, const char* field) const { return t.field(s("Kunden"), id, s(field)).toString(); }
    // Where the set stands ("bof", "eof" or the current name), "!" when the step failed, "?" on no match.
    QString at(bool ok = true) const
    {
        return (rs->bof() ? s("bof") : rs->eof() ? s("eof") : rs->text(s("a2"))) + (ok ? s("") : s("!"))
            + (rs->noMatch() ? s("?") : s(""));
    }
};

Decimal d(const char* text) { return Decimal::fromString(QString::fromLatin1(text)).value_or(Decimal::fromInt(-999)); }
QString str(const std::optional<Decimal>& v) { return v ? v->toString() : QStringLiteral("-"); } // "-" for no value

QString read(const char* text) { return str(Decimal::fromString(QString::fromLatin1(text))); }
QString locale(const char16_t* text, char sep = ',') { return str(localeNumber(text, QLatin1Char(sep))); }
QString leading(const char16_t* text) { return leadingNumber(text).toString(); }

// All values of the first column of one statement, "|"-joined ("<NULL>" for NULL);
// with `plan`, the steps of its query plan.
QString eval(const TempDatabase& t, const QString& sql, const QVariantList& params = {}, bool plan = false)
{
    QSqlQuery q(t.connection());
    if (!q.prepare((plan ? s("EXPLAIN QUERY PLAN ") : QString()) + sql))
        return s("<error ") + q.lastError().text();
    for (const QVariant& p : params)
        q.addBindValue(p);
    QStringList out;
    for (q.exec(); q.next();)
        out << (q.isNull(plan ? 3 : 0) ? s("<NULL>") : q.value(plan ? 3 : 0).toString());
    return q.lastError().isValid() ? s("<error ") + q.lastError().text() : out.join(QLatin1Char('|'));
}

QSet<QString> ids(const TempDatabase& t, const QString& where, const QVariantList& params)
{
    const QStringList list = eval(t, s("SELECT ID FROM Kunden WHERE ") + where, params).split(QLatin1Char('|'));
    EXPECT_FALSE(list.value(0).startsWith(s("<error"))) << list.join(QLatin1Char('|')).toStdString();
    return QSet<QString>(list.begin(), list.end());
}

SearchCriterion rewrite(const QString& criterion, const QVariantList& params)
{
    return indexableCriterion(criterion, params, [](const QString& field) {
        return field == s("ID") ? FieldKind::RowId : field == s("opt1") ? FieldKind::Other : FieldKind::Text;
    });
}

QString range(const char* pattern)
{
    const auto r = likePrefixRange(s(pattern));
    return r ? r->low + QLatin1Char('-') + r->high : s("none");
}

} // namespace

// Each damage is refused by checkFile and open with a message naming the file,
// and the file stays byte for byte as it was.
TEST(DatabaseCheck, RefusesEveryKindOfUnusableFileAndChangesNothing)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir.filePath(s("Quittora.qtb")));
    EXPECT_TRUE(Database::checkFile(path).isEmpty()
                && QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) == QStringList{s("Quittora.qtb")});
    QString message;
    ASSERT_TRUE(Database().open(path, &message)) << message.toStdString(); // opening adds the indexes
    runOn(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                "INSERT INTO Kunden(a2) SELECT printf('%.60c%d', 'k', i) FROM n;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                "INSERT INTO Artikel(a2) SELECT printf('%.60c%d', 'a', i) FROM n;");
    const QByteArray good = TempDatabase::readFile(path);
    const auto damaged = [&](const char* tree) {
        const int page = runOn(path, (QByteArray("SELECT pageno FROM dbstat WHERE name = '") + tree
                                      + "' AND pagetype = 'leaf' LIMIT 1 OFFSET 2").constData());
        EXPECT_GT(page, 1) << tree;
        writeFile(path, QByteArray(good).replace((page - 1) * 4096, 4096, QByteArray(4096, '\x5a')));
    };
    const QString broken = s("ist beschädigt. Quittora liest und schreibt sie nicht weiter, damit nichts verloren geht. "
                             "Bitte stellen Sie Ihre Datensicherung wieder her (Datei → Datensicherung).");
    sqlite3* other = nullptr;
    const std::pair<std::function<void()>, QString> cases[] = {
        {[&] { writeFile(path, "Das ist keine Datenbank, sondern eine Einkaufsliste.\r\n"); }, s("keine Quittora-Datenbank")},
        {[&] { writeFile(path, {}); }, s("leer")},
        {[&] { writeFile(path, good.left(2 * 4096)); }, s("unvollständig")},
        {[&] { writeFile(path, good.left(good.size() - 1)); }, s("unvollständig")},
        {[&] { damaged("Kunden"); }, broken},
        {[&] { damaged("Artikel_a2"); }, broken},
        {[&] { writeFile(path, good), runOn(path, "PRAGMA user_version = 99"); }, s("neueren Quittora-Version")},
        {[&] { writeFile(path, good), runOn(path, "DROP TABLE Verkauf"); }, s("Verkauf")},
        {[&] { writeFile(path, {}), runOn(path, "CREATE TABLE Kunden (ID INTEGER PRIMARY KEY, a2 TEXT)"); },
         s("keine Quittora-Datenbank")},
        {[&] { writeFile(path, good), QFile::setPermissions(path, QFile::ReadOwner); }, s("schreibgeschützt")},
        {[&] {
             QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
             sqlite3_open(path.toUtf8().constData(), &other);
             sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
         }, s("gesperrt")},
    };
    for (const auto& [damage, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        damage();
        const QByteArray before = TempDatabase::readFile(path);
        const QString why = Database::checkFile(path);
        EXPECT_TRUE(why.contains(expected) && why.contains(QDir::toNativeSeparators(path))) << why.toStdString();
        EXPECT_FALSE(Database().open(path, &message));
        EXPECT_TRUE(message == why && TempDatabase::readFile(path) == before) << message.toStdString();
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Database::checkFile(path), QString()) << "released";

    const QString missing = dir.filePath(s("fehlt.qtb"));
    EXPECT_TRUE(Database::checkFile(missing).contains(s("wurde nicht gefunden")) && Database::checkFile(dir.path()).contains(s("ist ein Ordner")));
    EXPECT_FALSE(Database().open(missing, &message) || QFile::exists(missing)) << "opening must never create a file";
}

// A write interrupted by a crash leaves the file half-written with its
// journal beside it: the file is accepted and opening restores the last complete state.
TEST(DatabaseOpen, AnInterruptedWriteIsRolledBackOnOpen)
{
    QTemporaryDir dir;
    const QString path = makeTemplate(dir.filePath(s("Quittora.qtb")));
    runOn(path, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                "INSERT INTO Kunden (a2, n1) SELECT 'Kunde ' || i, 'alt' FROM n");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "PRAGMA cache_size = 10; BEGIN; UPDATE Kunden SET n1 = hex(randomblob(200)); "
                                   "INSERT INTO Kunden (a2) SELECT a2 FROM Kunden;", nullptr, nullptr, nullptr), SQLITE_OK);
    const QString crashed = dir.filePath(s("Absturz.qtb"));
    ASSERT_TRUE(QFile::copy(path, crashed) && QFile::copy(path + s("-journal"), crashed + s("-journal")));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    ASSERT_NE(TempDatabase::readFile(crashed), TempDatabase::readFile(path)) << "the copy must be mid-write";
    EXPECT_EQ(Database::checkFile(crashed), QString());
    Database db;
    QString message;
    ASSERT_TRUE(db.open(crashed, &message)) << message.toStdString();
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(s("SELECT count(*) || ' ' || sum(n1 = 'alt') FROM Kunden")) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("3001 3000"));
}

TEST(DatabaseOpen, OpensAPathWithCharactersOfAnAddress)
{
    TempDatabase t;
    const QString odd = makeTemplate(t.filePath(s("Müller & Söhne #1 ?%20/Quittora.qtb")));
    QString message;
    ASSERT_TRUE(t.db().open(odd, &message)) << message.toStdString();
    EXPECT_EQ(t.db().counts().value_or(Database::Counts{}).kunden, 1);
}

TEST_F(Customers, MovesAndFindsLikeADataControlBetweenBofAndEof)
{
    ASSERT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->text(s("A5")), s("10115 Berlin")) << "field names are case-insensitive";
    const QString inTown = s("a5 LIKE ?");
    const QVariantList withR = {s("*r*")}; // Berlin, Hamburg, Musterstadt; not München
    QStringList walk{at()};
    for (const auto& step : std::initializer_list<std::function<bool()>>{
             [&] { return rs->moveNext(); }, [&] { return rs->moveLast(); }, [&] { return rs->moveNext(); },
             [&] { return rs->moveNext(); }, [&] { return rs->movePrevious(); }, [&] { return rs->moveFirst(); },
             [&] { return rs->movePrevious(); }, [&] { return rs->movePrevious(); }, [&] { return rs->moveNext(); },
             [&] { return rs->findNext(inTown, withR); }, [&] { return rs->findNext(inTown, withR); },
             [&] { return rs->findNext(inTown, withR); }, [&] { return rs->findPrevious(inTown, withR); },
             [&] { return rs->findFirst(s("a2 = ?"), {s("Niemand")}); }, [&] { return rs->findFirst(inTown, withR); },
             [&] { return rs->moveLast() && rs->moveNext(); }, [&] { return rs->findPrevious(s("a2 LIKE ?"), {s("Z*")}); },
             [&] { return rs->findFirst(s("ID LIKE ?"), {QString::number(becker)}); }})
        walk << at(step());
    // No move beyond eof or bof; no match leaves the position; at eof findPrevious starts with the last record.
    EXPECT_EQ(walk.join(QLatin1Char(' ')), s("Adler becker Zander eof eof! Zander Adler bof bof! Adler becker Mustermann "
                                             "Mustermann!? becker becker!? Adler eof Zander becker"));
    EXPECT_TRUE(rs->position() == 1 && rs->idAt(2) == mustermann && rs->idAt(4) == -1);

    // An empty set is both bof and eof, and nothing moves or finds.
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE a2 = ?"), {s("Niemand")});
    ASSERT_TRUE(rs->refresh() && rs->bof() && rs->eof());
    EXPECT_FALSE(rs->moveFirst() || rs->moveNext() || rs->findFirst(s("a2 LIKE ?"), {s("*")}) || rs->deleteCurrent());
    // A broken source is reported and keeps the set.
    rs->setRecordSource(s("SELECT * FROM Kunden WHERE nichtda = ?"), {1});
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    EXPECT_TRUE(!rs->refresh() && failed.count() == 1 && rs->recordCount() == 0);
}

TEST_F(Customers, EditsAreStoredWhenThePositionMovesOrTheSetClosesAndDeleteKeepsAPosition)
{
    rs->setValue(s("a8"), QVariant()); // empty text and NULL are the same to the user
    EXPECT_FALSE(rs->isDirty());
    rs->setValue(s("a4"), s("Hauptstraße 1"));
    EXPECT_EQ(stored(adler, "a4"), QString()) << "not stored before the move";
    ASSERT_TRUE(rs->moveNext());
    rs->setValue(s("a6"), s("030 123"));
    ASSERT_TRUE(rs->refresh());
    EXPECT_EQ(stored(adler, "a4") + stored(becker, "a6"), s("Hauptstraße 1030 123"));

    // A new record is appended at the end, whatever the order, and current.
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    ASSERT_TRUE(rs->update());
    EXPECT_TRUE(rs->position() == 4 && stored(rs->currentId(), "a2") == s("Neumann"));
    rs->addNew();
    rs->setValue(s("a2"), s("Nachtrag"));
    EXPECT_TRUE(rs->moveFirst()); // moving away stores it
    rs->setValue(s("a2"), s("Geändert"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->text(s("a2")), s("Adler"));
    rs->moveLast();
    rs->setValue(s("a6"), s("089 456"));
    rs.reset();
    EXPECT_EQ(t.count(s("Kunden"), s("a6 = '089 456'")) + t.count(s("Kunden"), s("a2 = 'Nachtrag'")), 2);

    rs = std::make_unique<Recordset>(t.db(), s("Kunden"));
    rs->setRecordSource(s("SortKunden"));
    ASSERT_TRUE(rs->refresh() && rs->moveNext()); // becker
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(rs->currentId(), mustermann) << "the following record";
    rs->moveLast();
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_TRUE(rs->text(s("a2")) == s("Neumann") && t.count(s("Kunden")) == 4) << "the new last record";
}

TEST_F(Customers, AFailedWriteIsReportedAndLosesNothing)
{
    QSignalSpy failed(rs.get(), &Recordset::writeFailed);
    t.exec(s("PRAGMA query_only = ON"));
    rs->setValue(s("a2"), s("Adler-Meier"));
    EXPECT_FALSE(rs->moveNext());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.at(0).at(0).toString().startsWith(s("Die Änderungen konnten nicht gespeichert werden.")));
    EXPECT_TRUE(rs->currentId() == adler && rs->text(s("a2")) == s("Adler-Meier")) << "no move, the edit still there";
    EXPECT_FALSE(rs->findFirst(s("a2 = ?"), {s("Zander")}) || rs->refresh() || rs->deleteCurrent());
    rs->cancelUpdate();
    rs->addNew();
    rs->setValue(s("a2"), s("Neumann"));
    EXPECT_TRUE(!rs->update() && rs->isAdding());
    t.exec(s("PRAGMA query_only = OFF"));
    EXPECT_TRUE(rs->update() && rs->recordCount() == 5);

    // A record deleted elsewhere.
    rs->moveFirst();
    t.exec(s("DELETE FROM Kunden WHERE ID = ?"), {adler});
    rs->setValue(s("a2"), s("Adler-Schulz"));
    EXPECT_TRUE(!rs->update() && rs->lastError().contains(s("gelöscht"))) << rs->lastError().toStdString();
}

TEST(Recordset, TheModelOfALargeSetFollowsTheSet)
{
    TempDatabase t;
    QSqlDatabase con = t.connection();
    con.transaction();
    for (int i = 0; i < 3000; ++i)
        t.addDocument(QString::number(5000 + i), s("01.01.2024"), s("Rechnung"), i % 3 == 0, {{s("a2"), s("Kunde %1").arg(i)}});
    con.commit();
    // The model reads rows in blocks and follows the set.
    Recordset rs(t.db(), s("Rechnungen"));
    rs.setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7 DESC"));
    ASSERT_TRUE(rs.refresh());
    RecordsetModel model(rs, {s("a7"), s("a2"), s("opt1")}, {s("Rechnungs-Nr."), s("Name"), s("bezahlt")});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
    test::expectRows("cells", {{cell(0, 0), "7999"}, {cell(2999, 0), "5000"}, {cell(1500, 0), "6499"}, {cell(1, 1), "Kunde 2998"},
                               {cell(0, 2), "Nein"}, {cell(2, 2), "Ja"},
                               {QString::number(model.index(5, 1).data(RecordsetModel::IdRole).toLongLong() - rs.idAt(5)), "0"}});
    rs.moveNext();
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    ASSERT_TRUE(rs.deleteCurrent());
    EXPECT_TRUE(cell(2, 0) == s("7996") && reset.count() == 1);
}

TEST(Schema, NewRecordsStartEmptyAndUnpaidAndFlagsTakeOnlyMinusOneAndZero)
{
    TempDatabase t;
    QSqlQuery q(t.connection());
    const qint64 id = t.insert(s("Rechnungen"), {});
    EXPECT_EQ(t.count(s("Rechnungen"), s("a2 = '' AND a7 = '' AND opt1 = 0 AND ID = ?"), {id}), 1);
    EXPECT_FALSE(q.exec(s("INSERT INTO Rechnungen (opt1) VALUES (1)")));
}

TEST(Decimal, ReadsComputesAndRoundsExactly)
{
    Decimal sum;
    for (int i = 0; i < 10; ++i)
        sum += d("0.1");
    // Beyond nine decimals the tenth decides, half away from zero; the product likewise.
    expectRows("decimal", {
        {read("-123.456"), "-123.456"}, {read(".5"), "0.5"}, {read("0.0000000015"), "0.000000002"},
        {read("-0.0000000015"), "-0.000000002"}, {read("0.0000000014"), "0.000000001"},
        {read("1000000000000000000000000000000"), "-"}, {read("1,5"), "-"}, {read("1e3"), "-"}, {read(""), "-"},
        {sum.toString(), "1"}, {(d("19.99") * d("3")).toString(), "59.97"}, {(d("-2.5") * d("-0.5")).toString(), "1.25"},
        {(d("99999999999.999999999") * d("99999999.5")).toString(), "9999999949999999999.900000001"},
        {str(d("-2").dividedBy(d("3"))), "-0.666666667"}, {str(d("1").dividedBy(Decimal())), "-"},
        {d("1.005").rounded(2).toString(), "1.01"}, {d("1.0049999").rounded(2).toString(), "1"},
        {d("-2.5").rounded(0).toString(), "-3"}, {QString::number(d("-7.9").toLongLong()), "-7"},
        {d("2.675").toFixed(2, QLatin1Char(',')), "2,68"}, {d("-0.004").toFixed(2), "0.00"}, {d("-0.005").toFixed(2), "-0.01"},
        // One rounding to the wanted decimals: 0.0049999999975 stays below the half cent.
        {str(Decimal::mulDiv(d("100"), d("19"), d("119"), 2)), "15.97"},
        {str(Decimal::mulDiv(d("-50"), d("7"), d("107"), 2)), "-3.27"},
        {str(Decimal::mulDiv(d("0.5"), d("1"), d("100"), 2)), "0.01"},
        {str(Decimal::mulDiv(d("0.01"), d("1"), d("2.000000001"), 2)), "0"},
        {str(Decimal::mulDiv(d("1"), d("1"), Decimal(), 2)), "-"},
        {str(Decimal::mulDiv(d("10000000000000000000"), d("10000000000"), d("100000000000"), 2)), "1000000000000000000"},
    });
}

TEST(Numbers, LocaleAndLeadingNumbersAndDates)
{
    // Only the locale's separator counts; Val() reads the longest leading number.
    expectRows("numbers", {
        {amountText(d("-0.005"), QLatin1Char(',')), "-0,01"}, {amountText(d("1234567.5"), QLatin1Char('.')), "1234567.50"},
        {plainNumberText(d("-12.50"), QLatin1Char(',')), "-12,5"}, {plainNumberText(d("150"), QLatin1Char(',')), "150"},
        {locale(u"12,50"), "12.5"}, {locale(u"12,50", '.'), "-"}, {locale(u"12.50", '.'), "12.5"}, {locale(u"12.50"), "-"},
        {locale(u"  -3,5 "), "-3.5"}, {locale(u"1.234,50"), "-"}, {locale(u"10 Tage"), "-"}, {locale(u""), "-"},
        {locale(u"1,2,3"), "-"}, {leading(u"0815"), "815"}, {leading(u"12,50"), "12"}, {leading(u"12.50"), "12.5"},
        {leading(u"abc"), "0"}, {leading(u"  1 2\t3\n4 Stück"), "1234"}, {leading(u"- 5"), "-5"}, {leading(u"1.2.3"), "1.2"},
        {leading(u"\r5"), "0"}, {leading(u"1.5e2"), "150"}, {leading(u"1D2"), "100"}, {leading(u"25E-2"), "0.25"},
        {leading(u"1E400"), "0"}, {dateText(QDate(2024, 3, 1)), "01.03.2024"}, {dateText(QDate()), ""},
        {dateText(parseDateText(u"1.3.2024")), "01.03.2024"}, {dateText(parseDateText(u" 29.02.24 ")), "29.02.2024"},
    });
    for (const char* bad : {"", "29.02.2023", "32.01.2024", "1.13.2024", "01.03", "01.03.2024.1", "1.3.202", "2024-03-01"})
        EXPECT_FALSE(parseDateText(QString::fromLatin1(bad)).isValid()) << bad;
}

TEST(KeyFilters, DecideEachTypedCharacter)
{
    // Digits, "-", backspace, Enter and the editing commands (Ctrl+C, Ctrl+V,
    // Tab, Escape, Delete) pass; the decimal key follows the locale.
    const QString typed = QStringLiteral("059-\b\r\x03\x16\t\x1b\x7f.,aE+ /\u00e4");
    const auto amount = [](QChar sep) { return [sep](QChar c) { return amountKey(c, sep); }; };
    expectRows("keys", {
        {test::keyDecisions(typed, amount(QLatin1Char(','))), "+++++++++++,+xxxxxx"},
        {test::keyDecisions(typed, amount(QLatin1Char('.'))), "+++++++++++x.xxxxxx"},
        // A locale with neither separator: no rewriting; "," passes, "." does not.
        {test::keyDecisions(typed, amount(QChar(0x066B))), "+++++++++++x+xxxxxx"},
        {test::keyDecisions(typed, invoiceNumberKey), "+++++++++++xxxxxxxx"},
    });
}

TEST(JetLike, PatternsMatchInTheProgramAndInSql)
{
    const struct Case {
        const char *text, *pattern;
        bool matches;
    } cases[] = {
        {"Müller", "M*", true}, {"Amüller", "M*", false}, {"Hans Müller", "*Mü*", true}, {"", "*", true}, {"", "?", false},
        {"Meier", "M??er", true}, {"Meyer2", "M??er", false}, {"R-2024-09", "R-####-##", true},
        {"R-2024-0x", "R-####-##", false}, {"abcabcabd", "*abd", true}, {"aXbX", "a*b*c", false}, {"exactly", "exact", false},
        // Case does not matter, umlauts included; ü is no ue.
        {"MÜLLER", "mül*", true}, {"ärger", "Ä*", true}, {"Ärger", "ä*", true}, {"Mueller", "Mü*", false},
        // Groups, ranges and negation.
        {"bauer", "[ABC]*", true}, {"Dauer", "[abc]*", false}, {"dauer", "[A-F]auer", true}, {"Gauer", "[a-f]auer", false},
        {"Gauer", "[!a-f]auer", true}, {"Bauer", "[!abc]*", false}, {"Xaver", "[!abc]*", true}, {"x-y", "x[-]y", true},
        {"a-", "a[a-]", true}, {"ab", "a[a-]", false}, {"a*b", "a[*]b", true}, {"aXb", "a[*]b", false},
        // Typed text never breaks the pattern; SQL's wildcards are plain characters.
        {"[Firma", "[Firma", true}, {"Firma alt", "*[alt*", false}, {"500", "50%", false}, {"axb", "a_b", false},
    };
    TempDatabase t;
    for (const Case& c : cases) {
        EXPECT_EQ(jetLike(s(c.text), s(c.pattern)), c.matches) << c.text << " LIKE " << c.pattern;
        EXPECT_EQ(eval(t, s("SELECT ? LIKE ?"), {s(c.text), s(c.pattern)}), c.matches ? s("1") : s("0"))
            << "SQL: " << c.text << " LIKE " << c.pattern;
    }
    EXPECT_TRUE(likePattern(s("Mü"), LikeMode::Contains) == s("*Mü*") && !registerSqlFunctions(QSqlDatabase()));
    const auto e = [&](const char* expression, const char* value) { return eval(t, s("SELECT ") + s(expression), {s(value)}); };
    expectRows("functions", {
        {e("? LIKE NULL", ""), "<NULL>"}, {e("? NOT LIKE 'A*'", "Zander"), "1"}, {e("Mid(?, 3, 2)", "Größe"), "öß"},
        {e("Mid(?, 4)", "17.11.2024"), "11.2024"}, {e("Mid(?, 20, 2)", "17.11.2024"), ""}, {e("Mid(?, 0, 2)", "abc"), "<NULL>"},
        {e("[Left](?, 2)", "Äpfel"), "Äp"}, {e("\"Left\"(?, 0)", "Äpfel"), ""}, {e("Val(?)", "12,50"), "12"},
        {e("Val(?)", "abc"), "0"}, {e("Val(?)", "2.5"), "2.5"}, {e("typeof(Val(?))", "7"), "integer"},
    });
}

TEST(SearchCriterion, PrefixRangesAndKeyLookUpsSelectExactlyWhatThePatternSelects)
{
    // Letters in lower case, as NOCASE compares them; up to the first wildcard
    // or umlaut; "k" and "s" are also matched by the Kelvin sign and the long s.
    expectRows("prefix range", {
        {range("123*"), "123-124"}, {range("BAU*"), "bau-bav"}, {range("Mül*"), "m-n"}, {range("ab?d"), "ab-ac"},
        {range("*text*"), "none"}, {range("Ärzte*"), "none"}, {range("Kaiser*"), "none"}, {range("schmidt"), "none"},
    });
    // Names where case, umlauts, look-alike letters and the characters around
    // a range's ends could make the range differ from the pattern.
    const char* const texts[] = {
        "Müller", "MÜLLER", "Mueller", "Muster", "M", "Mz", "M{", "Kaiser", "\u212Aaiser", "Schmidt", "\u017Fchmidt",
        "BASKET", "ba\u212A", "123", "12", "124", "12a", "129", "13", " 12", "012", "A@b", "a`", "a[", "A\\", "a\u007F",
        "a\u00FF", "z", "{", "~x", "Ärzte", "ärzte", "ß", "SS", "O'Brien", "[abc", "a*b", "a?b", "100%", "a_b", "",
        "\u212Bngstr\u00F6m", "x\U0001F600y",
    };
    TempDatabase t;
    QStringList patterns{s("12?*"), s("1#*"), s("[mM]*"), s("*ll*"), s("a[!b]*"), s("*"), s("k*"), s("s*"), s("K")};
    for (const char* text : texts) {
        t.addCustomer(s(text));
        // Patterns as search as you type makes them; nobody types half a character.
        for (qsizetype n = 1; n <= s(text).size(); ++n) {
            if (!s(text).at(n - 1).isHighSurrogate())
                patterns << s(text).left(n) + QLatin1Char('*') << s(text).left(n);
        }
    }
    patterns.removeDuplicates();
    ASSERT_TRUE(t.exec(s("UPDATE Kunden SET a2 = NULL WHERE ID = ?"), {t.addCustomer(s("vorläufig"))}));
    int rewritten = 0;
    for (const QString& pattern : patterns) {
        for (const QString& where : {s("a2 LIKE ?"), s("IFNULL(a2, '') LIKE ?")}) {
            const SearchCriterion c = rewrite(where, {pattern});
            rewritten += c.indexed;
            EXPECT_EQ(ids(t, c.sql, c.params), ids(t, where, {pattern})) << where.toStdString() << " " << pattern.toStdString();
        }
    }
    EXPECT_GT(rewritten, 150);

    const SearchCriterion key = rewrite(s("ID LIKE ?"), {s("12")});
    EXPECT_EQ(key.sql + key.params.value(0).toString(), s("ID = ?12"));
    // Anything that is not how the number reads stays a pattern, and finds the same.
    for (const char* p : {"007", "012", "+12", " 12", "1*", "-1", "1?", "", "99999999999999999999", "0"}) {
        const SearchCriterion other = rewrite(s("ID LIKE ?"), {s(p)});
        EXPECT_EQ(ids(t, other.sql, other.params), ids(t, s("ID LIKE ?"), {s(p)})) << p;
    }
    for (const char* kept : {"a2 NOT LIKE ?", "a2 LIKE ? ESCAPE '!'", "opt1 LIKE ?", "a2 LIKE '12*'", "IFNULL(a2, 'x') LIKE ?"})
        EXPECT_EQ(rewrite(s(kept), {s("12*")}).sql, s(kept));
    // The name search is answered from its index.
    const SearchCriterion r = rewrite(s("IFNULL(a2, '') LIKE ?"), {s("Mül*")});
    EXPECT_TRUE(eval(t, s("SELECT ID FROM Kunden WHERE ") + r.sql, r.params, true).contains(s("Kunden_name")));
}
