#include "tools/PostalCodes.h"

#include "support/PostalCodeFixture.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace quittora;
using namespace quittora::plz;
using quittora::test::PostalCodeFixture;

namespace {

QList<QStringList> readAll(const QString& text, QString* error = nullptr)
{
    CsvReader reader(text);
    QList<QStringList> records;
    QStringList fields;
    while (reader.readRecord(&fields))
        records.append(fields);
    if (error)
        *error = reader.error();
    return records;
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Reads rows of a table of a postal-code database in file order.
QStringList tableRows(const QString& path, Country country)
{
    QStringList rows;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plz-read"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("SELECT Postleitzahl, Ort, Zusatz, Bundesland FROM \"%1\" ORDER BY rowid")
                       .arg(tableName(country)));
            while (q.next()) {
                rows.append(QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                        q.value(3).toString()}
                                .join(QLatin1Char('|')));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plz-read"));
    return rows;
}

QStringList leftoverFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.mdb.*")}, QDir::Files);
}

} // namespace

// --- CSV ---------------------------------------------------------------------

TEST(PostalCodeCsv, QuotedFieldsKeepCommasQuotesAndLineBreaks)
{
    const auto records = readAll(QStringLiteral("a,\"b, c\",\"say \"\"hi\"\"\"\r\n"
                                                "\"two\nlines\",,end\n"
                                                "x,y"));
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[0], (QStringList{QStringLiteral("a"), QStringLiteral("b, c"), QStringLiteral("say \"hi\"")}));
    EXPECT_EQ(records[1], (QStringList{QStringLiteral("two\nlines"), QString(), QStringLiteral("end")}));
    EXPECT_EQ(records[2], (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

TEST(PostalCodeCsv, EmptyFieldsEmptyLinesAndByteOrderMark)
{
    const auto records = readAll(QChar(0xFEFF) + QStringLiteral("h1,h2\n\n\r\n,\n\"\",\"\"\nlast,\n"));
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0], (QStringList{QStringLiteral("h1"), QStringLiteral("h2")})) << "the mark is no text";
    EXPECT_EQ(records[1], (QStringList{QString(), QString()}));
    EXPECT_EQ(records[2], (QStringList{QString(), QString()}));
    EXPECT_EQ(records[3], (QStringList{QStringLiteral("last"), QString()}));
}

TEST(PostalCodeCsv, StrayQuotesInUnquotedFieldsStandAsTheyAre)
{
    const auto records = readAll(QStringLiteral("O'Brien,5\" Zoll,\"a\"b\n"));
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0], (QStringList{QStringLiteral("O'Brien"), QStringLiteral("5\" Zoll"), QStringLiteral("ab")}));
}

TEST(PostalCodeCsv, AnUnclosedQuoteIsAnErrorNamingTheLine)
{
    QString error;
    const auto records = readAll(QStringLiteral("a,b\nc,d\n\"open,\nstill open\n"), &error);
    EXPECT_EQ(records.size(), 2);
    EXPECT_EQ(error, QStringLiteral("Zeile 3: Ein Feld in Anführungszeichen wird nicht geschlossen."));
}

TEST(PostalCodeCsv, GeoNamesColumnsMapToTheTableFields)
{
    PostalCodeFixture files;
    QString message;
    const auto de = readPostalCodeCsv(files.csvFiles()[0], &message);
    ASSERT_TRUE(de) << message.toStdString();
    ASSERT_EQ(de->rows.size(), 11);
    EXPECT_EQ(de->rows[1], (PostalCode{QStringLiteral("10115"), QStringLiteral("Berlin"), QStringLiteral("Berlin, Stadt"),
                                       QStringLiteral("Berlin")}));
    EXPECT_EQ(de->rows[4].postleitzahl, QStringLiteral("01067")) << "leading zeros stay";
    EXPECT_EQ(de->rows[5].ort, QStringLiteral("Ölbronn-Dürrn"));

    const auto at = readPostalCodeCsv(files.csvFiles()[1], &message);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->rows[1].zusatz, QStringLiteral("Wien")) << "community";
    EXPECT_EQ(at->rows[3].zusatz, QStringLiteral("Wien Stadt")) << "province where the community is empty";
}

TEST(PostalCodeCsv, ColumnsAreFoundByNameAndRowsWithoutCodeOrTownAreSkipped)
{
    PostalCodeFixture files;
    const QString path = files.writeFile(QStringLiteral("other.csv"),
                                         QStringLiteral("place,zipcode\n"
                                                        " Wien , 1010 \n"
                                                        ",1020\n"
                                                        "Graz,\n"
                                                        "Linz\n"
                                                        "Salzburg,5020,extra\n"));
    QString message;
    const auto rows = readPostalCodeCsv(path, &message);
    ASSERT_TRUE(rows) << message.toStdString();
    ASSERT_EQ(rows->rows.size(), 2);
    EXPECT_EQ(rows->rows[0], (PostalCode{QStringLiteral("1010"), QStringLiteral("Wien"), QString(), QString()}));
    EXPECT_EQ(rows->rows[1].ort, QStringLiteral("Salzburg"));
    EXPECT_EQ(rows->skipped, 3);
}

TEST(PostalCodeCsv, StatesAreNamedInGerman)
{
    PostalCodeFixture files;
    const QString path = files.writeFile(QStringLiteral("de.csv"),
                                         QString::fromUtf8("zipcode,place,state\n"
                                                           "80331,München,Bavaria\n"
                                                           "04103,Leipzig,Saxony\n"
                                                           "06108,Halle,Saxony-Anhalt\n"
                                                           "10115,Berlin,Land Berlin\n"
                                                           "99084,Erfurt,Thuringia\n"
                                                           "30159,Hannover,Lower Saxony\n"
                                                           "18055,Rostock,Mecklenburg-Western Pomerania\n"
                                                           "50667,Köln,Nordrhein-Westfalen\n"));
    QString message;
    const auto rows = readPostalCodeCsv(path, &message);
    ASSERT_TRUE(rows) << message.toStdString();
    QStringList states;
    for (const PostalCode& row : rows->rows)
        states << row.bundesland;
    EXPECT_EQ(states, QStringList({QStringLiteral("Bayern"), QStringLiteral("Sachsen"), QStringLiteral("Sachsen-Anhalt"),
                                   QStringLiteral("Berlin"), QString::fromUtf8("Thüringen"),
                                   QStringLiteral("Niedersachsen"), QStringLiteral("Mecklenburg-Vorpommern"),
                                   QStringLiteral("Nordrhein-Westfalen")}));
}

TEST(PostalCodeCsv, UnusableFilesAreRefusedWithAGermanMessage)
{
    PostalCodeFixture files;
    struct Case {
        QString path;
        const char* expected;
    };
    const Case cases[] = {
        {files.filePath(QStringLiteral("fehlt.csv")), "kann nicht gelesen werden"},
        {files.writeFile(QStringLiteral("leer.csv"), QString()), "ist leer"},
        {files.writeFile(QStringLiteral("kopf.csv"), QString::fromUtf8(PostalCodeFixture::kHeader)),
         "enthält keine Postleitzahlen"},
        {files.writeFile(QStringLiteral("spalten.csv"), QStringLiteral("plz,ort\n10115,Berlin\n")),
         "ist keine Postleitzahlen-Datei"},
        {files.writeBytes(QStringLiteral("latin1.csv"), QByteArray("zipcode,place\n80331,M\xfcnchen\n")),
         "ist keine UTF-8-Textdatei"},
        {files.writeFile(QStringLiteral("kaputt.csv"), QStringLiteral("zipcode,place\n\"10115,Berlin\n")),
         "Zeile 2: Ein Feld in Anführungszeichen wird nicht geschlossen."},
    };
    for (const Case& c : cases) {
        QString message;
        EXPECT_FALSE(readPostalCodeCsv(c.path, &message)) << c.path.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.expected))) << message.toStdString();
    }
}

// --- search rules --------------------------------------------------------------

TEST(PostalCodeSearchPlan, CountryPrefixesTakeTheCodeWithoutSorting)
{
    using Field = SearchPlan::Field;
    struct Case {
        const char* text;
        const char* prefix;
    };
    const Case cases[] = {
        {"D-12345", "12345"}, {"D 10115 Berlin", "10115"}, {"D-1234567", "12345"}, {"D-", ""},
        {"A-1010", "1010"},   {"A 10101", "1010"},         {"A-8 Graz", "8"},       {"CH-8001", "8001"},
        {"CH 80012", "8001"}, {"CH-", ""},
    };
    for (const Case& c : cases) {
        const SearchPlan plan = planSearch(QString::fromUtf8(c.text));
        EXPECT_EQ(plan.field, Field::Code) << c.text;
        EXPECT_EQ(plan.sortFirst, std::nullopt) << c.text;
        EXPECT_EQ(plan.prefix, QString::fromUtf8(c.prefix)) << c.text;
    }
}

TEST(PostalCodeSearchPlan, NumbersSortByCodeAndTakeFiveCharacters)
{
    struct Case {
        const char* text;
        const char* prefix;
    };
    // A code ends at a blank: the Austrian "1010 Wien" of a customer must find
    // 1010, which "1010 " never would.
    const Case cases[] = {
        {"1234", "1234"}, {"123456", "12345"}, {"10115 Berlin", "10115"}, {"1010 Wien", "1010"},
        {"0815", "0815"}, {" 8001", "8001"},   {"12a", "12a"},
    };
    for (const Case& c : cases) {
        const SearchPlan plan = planSearch(QString::fromUtf8(c.text));
        EXPECT_EQ(plan.field, SearchPlan::Field::Code) << c.text;
        EXPECT_EQ(plan.sortFirst, SortOrder::ByCode) << c.text;
        EXPECT_EQ(plan.prefix, QString::fromUtf8(c.prefix)) << c.text;
    }
}

TEST(PostalCodeSearchPlan, EverythingElseSortsByTownAndLooksForTheWholeText)
{
    for (const char* text : {"Ber", "", "Dresden", "Aachen", "Chur", "d-10115", "0", "00 Test", "-5", "O'Brien"}) {
        const SearchPlan plan = planSearch(QString::fromUtf8(text));
        EXPECT_EQ(plan.field, SearchPlan::Field::Town) << text;
        EXPECT_EQ(plan.sortFirst, SortOrder::ByTown) << text;
        EXPECT_EQ(plan.prefix, QString::fromUtf8(text)) << text;
    }
}

TEST(PostalCodes, TakeOverTextIsCodeBlankTown)
{
    EXPECT_EQ(takeOverText(QStringLiteral("10115"), QStringLiteral("Berlin")), QStringLiteral("10115 Berlin"));
    EXPECT_EQ(takeOverText(QStringLiteral("1201"), QStringLiteral("Genève")), QStringLiteral("1201 Genève"));
}

TEST(PostalCodes, TownKeysIgnoreCaseUmlautsAndAccents)
{
    EXPECT_EQ(townKey(u"Österreich"), QStringLiteral("osterreich"));
    EXPECT_EQ(townKey(u"GROSSENHAIN"), townKey(u"Großenhain"));
    EXPECT_EQ(townKey(u"Zürich"), QStringLiteral("zurich"));
    EXPECT_EQ(townKey(u"Genève"), QStringLiteral("geneve"));
    EXPECT_EQ(townKey(u"Bad Tölz-Ärzen"), QStringLiteral("bad tolz-arzen"));
    // Letters equal but for case give equal keys, also beyond ASCII.
    EXPECT_EQ(townKey(u"ÄÖÜẞ"), townKey(u"äöüß"));
}

TEST(PostalCodes, CountrySettingAndTables)
{
    EXPECT_EQ(countryFromSetting(QStringLiteral("0")), Country::Deutschland);
    EXPECT_EQ(countryFromSetting(QStringLiteral("1")), Country::Oesterreich);
    EXPECT_EQ(countryFromSetting(QStringLiteral("2")), Country::Schweiz);
    for (const char* other : {"", "3", "-1", "x", "1.0"})
        EXPECT_EQ(countryFromSetting(QString::fromUtf8(other)), std::nullopt) << other;
    EXPECT_EQ(settingValue(Country::Schweiz), QStringLiteral("2"));
    EXPECT_EQ(tableName(Country::Deutschland), QStringLiteral("tblPostleitzahlen"));
    EXPECT_EQ(tableName(Country::Oesterreich), QStringLiteral("tbl_PLZ_Österreich"));
    EXPECT_EQ(tableName(Country::Schweiz), QStringLiteral("tbl_PLZ_Schweiz"));
    EXPECT_EQ(databasePath(QStringLiteral("/opt/quittora")), QStringLiteral("/opt/quittora/plz.mdb"));
}

// --- import ----------------------------------------------------------------------

TEST(PostalCodeImport, BuildsTheThreeTablesWithIndexesForBothOrders)
{
    PostalCodeFixture files;
    const QString target = files.filePath(QStringLiteral("neu/plz.mdb"));
    const ImportResult result = importPostalCodes(target, files.csvFiles());
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.rows, (std::array<int, 3>{11, 4, 3}));
    EXPECT_EQ(result.skipped, (std::array<int, 3>{0, 0, 0}));
    EXPECT_TRUE(isPostalCodeDatabase(target));
    EXPECT_TRUE(leftoverFiles(files.filePath(QStringLiteral("neu"))).isEmpty());

    const QStringList de = tableRows(target, Country::Deutschland);
    ASSERT_EQ(de.size(), 11);
    EXPECT_EQ(de[0], QStringLiteral("12345|Zeuthen|Landkreis Dahme-Spreewald|Brandenburg")) << "file order kept";
    EXPECT_EQ(de[1], QStringLiteral("10115|Berlin|Berlin, Stadt|Berlin"));
    EXPECT_EQ(tableRows(target, Country::Oesterreich)[3], QStringLiteral("1020|Wien|Wien Stadt|Wien"));
    EXPECT_EQ(tableRows(target, Country::Schweiz)[2], QStringLiteral("1201|Genève|Genève|Canton de Genève"));

    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plz-index"));
        db.setDatabaseName(target);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (Country c : kCountries) {
            const QString t = tableName(c);
            // The stored positions are the database's own orders of the fields.
            for (const auto& [position, order] : {std::pair{"NrPlz", "Postleitzahl, OrtSortierung, rowid"},
                                                  std::pair{"NrOrt", "OrtSortierung, Postleitzahl, rowid"}}) {
                ASSERT_TRUE(q.exec(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY %3")
                                       .arg(QString::fromUtf8(position), t, QString::fromUtf8(order))));
                int expected = 0;
                while (q.next())
                    EXPECT_EQ(q.value(0).toInt(), expected++) << position << " in " << t.toStdString();
                EXPECT_EQ(expected, result.rows[static_cast<int>(c)]);
            }
            // Indexes for both orders and for a screen of rows by position
            // (whether the planner takes them shows on the full data).
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT group_concat(name, ' ') FROM "
                                              "(SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = '%1' "
                                              "ORDER BY name)")
                                   .arg(t)));
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toString(),
                      QStringLiteral("%1_NrOrt %1_NrPlz %1_Ort %1_Plz").arg(t));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plz-index"));
}

TEST(PostalCodeImport, ARefreshReplacesTheOldDatabase)
{
    PostalCodeFixture files;
    const QString target = files.buildDatabase();
    ASSERT_FALSE(target.isEmpty());
    files.writeFile(QStringLiteral("de.csv"), QString::fromUtf8(PostalCodeFixture::kHeader)
                                                  + QStringLiteral("DE,99084,Erfurt,Thüringen,15,,00,\"Erfurt, Stadt\",16051,50.98,11.03\n"));
    const ImportResult result = importPostalCodes(target, files.csvFiles());
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(tableRows(target, Country::Deutschland), QStringList{QStringLiteral("99084|Erfurt|Erfurt, Stadt|Thüringen")});
    EXPECT_EQ(tableRows(target, Country::Oesterreich).size(), 4);
    EXPECT_TRUE(leftoverFiles(QFileInfo(target).absolutePath()).isEmpty());
}

TEST(PostalCodeImport, BadInputLeavesTheDatabaseAsItWas)
{
    PostalCodeFixture files;
    const QString target = files.buildDatabase();
    ASSERT_FALSE(target.isEmpty());
    const QByteArray before = fileHash(target);

    // The Swiss file is broken: nothing may be written, not even Germany.
    files.writeFile(QStringLiteral("de.csv"), QString::fromUtf8(PostalCodeFixture::kHeader)
                                                  + QStringLiteral("DE,99084,Erfurt,Thüringen,15,,00,,,50.98,11.03\n"));
    files.writeFile(QStringLiteral("ch.csv"), QString::fromUtf8(PostalCodeFixture::kHeader)
                                                  + QStringLiteral("CH,8001,\"Zürich,Kanton Zürich\n"));
    ImportResult result = importPostalCodes(target, files.csvFiles());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(QLatin1String("ch.csv"))) << result.message.toStdString();

    // A country without any postal code would empty its table.
    files.writeFile(QStringLiteral("ch.csv"), QString::fromUtf8(PostalCodeFixture::kHeader));
    result = importPostalCodes(target, files.csvFiles());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(QStringLiteral("enthält keine Postleitzahlen"))) << result.message.toStdString();

    EXPECT_EQ(fileHash(target), before);
    EXPECT_TRUE(leftoverFiles(QFileInfo(target).absolutePath()).isEmpty());
}

TEST(PostalCodeImport, NeverReplacesAFileThatIsNoPostalCodeDatabase)
{
    PostalCodeFixture files;
    test::TempDatabase business;
    ASSERT_TRUE(business.isValid()) << business.error().toStdString();
    const QString text = files.writeFile(QStringLiteral("notiz.mdb"), QStringLiteral("Kundenliste"));

    for (const QString& target : {business.path(), text}) {
        const QByteArray before = fileHash(target);
        const ImportResult result = importPostalCodes(target, files.csvFiles());
        EXPECT_FALSE(result.ok) << target.toStdString();
        EXPECT_TRUE(result.message.contains(QStringLiteral("ist keine Postleitzahlen-Datenbank und wird nicht ersetzt")))
            << result.message.toStdString();
        EXPECT_EQ(fileHash(target), before);
        EXPECT_FALSE(isPostalCodeDatabase(target));
    }

    // An empty file holds nothing to lose.
    const QString empty = files.writeFile(QStringLiteral("leer.mdb"), QString());
    EXPECT_TRUE(importPostalCodes(empty, files.csvFiles()).ok);
    EXPECT_TRUE(isPostalCodeDatabase(empty));
}
