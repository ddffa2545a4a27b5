#include "data/CompanySettings.h"
#include "data/Database.h"
#include "data/Numbers.h"
#include "tools/Generator.h"
#include "workspace/Totals.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>

using namespace quittora;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

generator::Options small(quint64 seed = 7)
{
    generator::Options o;
    o.documents = 200;
    o.customers = 25;
    o.articles = 40;
    o.linesPerDocument = 4;
    o.seed = seed;
    o.lastYear = 2024;
    return o;
}

// Every record of the four data tables and the settings as text, in ID order.
QStringList dump(const Database& db)
{
    QStringList out;
    for (const char* table : {"Kunden", "Artikel", "Rechnungen", "Verkauf", "Einstellungen"}) {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table))));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << q.value(i).toString();
            out << QLatin1String(table) + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
    }
    return out;
}

class Generator : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(s(name)); }

    // Generates and opens; fails the test when either does not work.
    bool make(Database& db, const QString& file, const generator::Options& o)
    {
        const generator::Result r = generator::generate(file, o);
        EXPECT_TRUE(r.ok()) << r.message.toStdString();
        QString message;
        EXPECT_TRUE(Database::checkFile(file).isEmpty()) << Database::checkFile(file).toStdString();
        const bool opened = db.open(file, &message);
        EXPECT_TRUE(opened) << message.toStdString();
        return r.ok() && opened;
    }
};

} // namespace

TEST_F(Generator, StoredTotalsAreWhatBerechnenComputesForEveryDocument)
{
    Database db;
    ASSERT_TRUE(make(db, path("Quittora.qtb"), small()));
    CompanySettings settings;
    ASSERT_TRUE(settings.load(db));

    QHash<QString, QString> customerSkonto;
    QSqlQuery c(db.connection());
    ASSERT_TRUE(c.exec(s("SELECT ID, a9 FROM Kunden")));
    while (c.next())
        customerSkonto.insert(c.value(0).toString(), c.value(1).toString());

    QSqlQuery doc(db.connection());
    ASSERT_TRUE(doc.exec(s("SELECT ID, a8, b1, a14, a19, a20, a21, a30, a31, a75, a6, a26, b2 FROM Rechnungen")));
    int documents = 0;
    int withSkonto = 0;
    while (doc.next()) {
        ++documents;
        TotalsInput in;
        in.vatRate1 = settings.vatRate1();
        in.vatRate2 = settings.vatRate2();
        in.basis = PriceBasis::Net;
        in.skontoDays = settings.skontoDays();
        in.skontoPercent = settings.skontoPercent();
        in.currency = settings.currency();
        in.documentDate = doc.value(1).toString();
        in.customerSkonto = customerSkonto.value(doc.value(2).toString());
        QSqlQuery lines(db.connection());
        lines.prepare(s("SELECT a5, a19 FROM Verkauf WHERE a1 = ? ORDER BY ID"));
        lines.addBindValue(doc.value(0).toString());
        ASSERT_TRUE(lines.exec());
        while (lines.next())
            in.lines.append({lines.value(0).toString(), lines.value(1).toString()});
        const TotalsResult expected = berechnen(in);
        ASSERT_TRUE(expected.ok());
        const Totals& t = expected.totals;
        const QStringList want = {t.net, t.mw1, t.mw2, t.mw3, t.vat1, t.vat2, t.vatTotal, t.gross, t.vatSummary,
                                  t.skontoText};
        QStringList stored;
        for (int i = 3; i <= 12; ++i)
            stored << doc.value(i).toString();
        ASSERT_EQ(stored, want) << "document " << doc.value(0).toLongLong();
        EXPECT_FALSE(t.gross.isEmpty());
        EXPECT_NE(t.gross, s("0,00")) << "every document has an amount";
        if (!t.skontoText.isEmpty())
            ++withSkonto;
    }
    EXPECT_EQ(documents, 200);
    EXPECT_GT(withSkonto, 0);
}

TEST_F(Generator, ARealisticDatabase)
{
    Database db;
    ASSERT_TRUE(make(db, path("Quittora.qtb"), small()));
    const auto counts = db.counts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->rechnungen, 200);
    EXPECT_EQ(counts->kunden, 25);
    EXPECT_EQ(counts->artikel, 40);
    // 1 to 7 lines each, about 4 on average.
    EXPECT_GE(counts->positionen, 200 * 3);
    EXPECT_LE(counts->positionen, 200 * 5);

    QSqlQuery q(db.connection());
    // Lines per document within 1 .. 2n-1.
    ASSERT_TRUE(q.exec(s("SELECT min(n), max(n) FROM (SELECT count(*) AS n FROM Verkauf GROUP BY a1)")));
    ASSERT_TRUE(q.next());
    EXPECT_GE(q.value(0).toInt(), 1);
    EXPECT_LE(q.value(1).toInt(), 7);
    ASSERT_TRUE(q.exec(s("SELECT count(*) FROM Rechnungen r WHERE NOT EXISTS "
                         "(SELECT 1 FROM Verkauf v WHERE v.a1 = CAST(r.ID AS TEXT))")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);

    // Invoices numbered in date order from the template's next number, quotes without.
    ASSERT_TRUE(q.exec(s("SELECT a7, a8, a156, opt1, b1, a2 FROM Rechnungen ORDER BY ID")));
    QDate previous;
    qint64 expectedNumber = 1000;
    int quotes = 0;
    int paid = 0;
    while (q.next()) {
        const QDate date = parseDateText(q.value(1).toString());
        ASSERT_TRUE(date.isValid()) << q.value(1).toString().toStdString();
        EXPECT_EQ(dateText(date), q.value(1).toString());
        EXPECT_GE(date, QDate(2015, 1, 1));
        EXPECT_LE(date, QDate(2024, 12, 31));
        if (previous.isValid()) {
            EXPECT_GE(date, previous);
        }
        previous = date;
        EXPECT_FALSE(q.value(5).toString().isEmpty());
        EXPECT_FALSE(q.value(4).toString().isEmpty());
        if (q.value(2).toString() == s("Angebot")) {
            ++quotes;
            EXPECT_TRUE(q.value(0).toString().isEmpty());
            EXPECT_EQ(q.value(3).toInt(), 0);
        } else {
            EXPECT_EQ(q.value(2).toString(), s("Rechnung"));
            EXPECT_EQ(q.value(0).toString(), QString::number(expectedNumber++));
            if (q.value(3).toInt() == -1)
                ++paid;
        }
    }
    EXPECT_GT(quotes, 0);
    EXPECT_GT(paid, 0);
    QSqlQuery next(db.connection());
    ASSERT_TRUE(next.exec(s("SELECT Rechnungsnummer FROM Einstellungen")) && next.next());
    EXPECT_EQ(next.value(0).toString(), QString::number(expectedNumber));

    // Every document belongs to a generated customer.
    ASSERT_TRUE(q.exec(s("SELECT count(*) FROM Rechnungen WHERE b1 NOT IN (SELECT CAST(ID AS TEXT) FROM Kunden)")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
    // Text lines, lines over several lines, amounts with the decimal comma.
    ASSERT_TRUE(q.exec(s("SELECT sum(a5 = ''), sum(instr(n1, char(10)) > 0), sum(a5 LIKE '*,##') FROM Verkauf")));
    ASSERT_TRUE(q.next());
    EXPECT_GT(q.value(0).toInt(), 0);
    EXPECT_GT(q.value(1).toInt(), 0);
    EXPECT_GT(q.value(2).toInt(), counts->positionen / 2);
    // Empty fields hold empty text, never NULL.
    for (const char* table : {"Kunden", "Artikel", "Rechnungen", "Verkauf"}) {
        const QSqlRecord fields = db.connection().record(QLatin1String(table));
        for (int i = 0; i < fields.count(); ++i) {
            ASSERT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 IS NULL")
                                   .arg(QLatin1String(table), fields.fieldName(i))));
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toInt(), 0) << table << "." << fields.fieldName(i).toStdString();
        }
    }
    // German names and addresses.
    ASSERT_TRUE(q.exec(s("SELECT count(*) FROM Kunden WHERE a2 <> '' AND a4 <> '' AND a5 LIKE '#*' "
                         "AND a1 IN ('Herrn', 'Frau', 'Firma', 'Familie')")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 25);
    ASSERT_TRUE(q.exec(s("SELECT count(*) FROM Artikel WHERE a2 <> '' AND a3 <> '' AND a4 LIKE '*,##' "
                         "AND a19 IN ('19', '7', '0')")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 40);
}

TEST_F(Generator, TheSameSeedGivesTheSameDataAnotherSeedOtherData)
{
    Database a;
    Database b;
    Database c;
    ASSERT_TRUE(make(a, path("a.qtb"), small(42)));
    ASSERT_TRUE(make(b, path("b.qtb"), small(42)));
    ASSERT_TRUE(make(c, path("c.qtb"), small(43)));
    const QStringList first = dump(a);
    EXPECT_GT(first.size(), 1000);
    EXPECT_EQ(first, dump(b));
    EXPECT_NE(first, dump(c));
}

TEST_F(Generator, AmountsFollowTheDecimalSeparator)
{
    generator::Options o = small();
    o.documents = 20;
    o.decimalSeparator = QLatin1Char('.');
    Database db;
    ASSERT_TRUE(make(db, path("punkt.qtb"), o));
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(s("SELECT count(*), sum(a6 LIKE '*.##') FROM Rechnungen")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 20);
    EXPECT_EQ(q.value(1).toInt(), 20);
}

TEST_F(Generator, RefusesAnExistingFileAndLeavesItAlone)
{
    const QString file = path("Quittora.qtb");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("meine Daten");
    }
    const generator::Result r = generator::generate(file, small());
    EXPECT_EQ(r.status, generator::Result::Status::Refused);
    EXPECT_TRUE(r.message.contains(s("existiert bereits"))) << r.message.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("meine Daten"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(Generator, RejectsSizesThatMakeNoSense)
{
    const auto rejected = [&](generator::Options o) {
        const QString why = generator::checkOptions(o);
        const generator::Result r = generator::generate(path("x.qtb"), o);
        EXPECT_EQ(r.status, generator::Result::Status::InvalidOptions);
        EXPECT_EQ(r.message, why);
        EXPECT_FALSE(QFile::exists(path("x.qtb")));
        return why;
    };
    generator::Options o = small();
    EXPECT_TRUE(generator::checkOptions(o).isEmpty());
    o.documents = 0; // customers and articles only: allowed
    EXPECT_TRUE(generator::checkOptions(o).isEmpty());

    o = small();
    o.customers = 0;
    EXPECT_EQ(rejected(o), s("Die Anzahl der Kunden muss zwischen 1 und 1000000 liegen (angegeben: 0)."));
    o = small();
    o.documents = -5;
    EXPECT_TRUE(rejected(o).startsWith(s("Die Anzahl der Dokumente muss zwischen 0 und")));
    o = small();
    o.articles = 0;
    EXPECT_TRUE(rejected(o).startsWith(s("Die Anzahl der Artikel")));
    o = small();
    o.linesPerDocument = 0;
    EXPECT_TRUE(rejected(o).startsWith(s("Die Anzahl der Positionen je Dokument")));
    o = small();
    o.customers = 1000000000;
    EXPECT_FALSE(rejected(o).isEmpty());
    o = small();
    o.documents = generator::kMaxDocuments;
    o.linesPerDocument = 100;
    EXPECT_TRUE(rejected(o).contains(s("Positionen")));
    o = small();
    o.lastYear = 20000;
    EXPECT_TRUE(rejected(o).contains(s("Jahr")));
}

TEST_F(Generator, NoDocuments)
{
    generator::Options o = small();
    o.documents = 0;
    Database db;
    ASSERT_TRUE(make(db, path("leer.qtb"), o));
    const auto counts = db.counts();
    ASSERT_TRUE(counts.has_value());
    EXPECT_EQ(counts->rechnungen, 0);
    EXPECT_EQ(counts->positionen, 0);
    EXPECT_EQ(counts->kunden, 25);
}

TEST(GeneratorRandom, SplitMixIsFixedAndStaysInRange)
{
    // The published first outputs of SplitMix64 for seed 0: data generated
    // from a seed must not change with the platform or the compiler.
    generator::Random r(0);
    EXPECT_EQ(r.next(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(r.next(), 0x6E789E6AA1B965F4ULL);
    generator::Random k(99);
    for (int i = 0; i < 10000; ++i) {
        const qint64 v = k.between(3, 9);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 9);
    }
    EXPECT_EQ(k.below(0), 0u);
}
