// The e-invoice's master data (layout 2) and the command that writes an
// invoice as XRechnung, against the official rules.

#include "data/Schema.h"
#include "support/CliRunner.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace quittora;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// A file as the program wrote it before layout 2: the new fields taken out
// again, user_version 1.
bool makeLayout1(test::TempDatabase& db)
{
    // The connection's lock triggers name every field; an older program had none.
    QSqlQuery triggers(db.connection());
    QStringList names;
    if (!triggers.exec(s("SELECT name FROM sqlite_temp_schema WHERE type = 'trigger'")))
        return false;
    while (triggers.next())
        names << triggers.value(0).toString();
    for (const QString& name : names)
        if (!db.exec(s("DROP TRIGGER temp.%1").arg(name)))
            return false;
    for (const char* table : {"Kunden", "Rechnungen", "Einstellungen"}) {
        const QStringList layout1 = schema::fieldsOfLayout(s(table), 1);
        const QStringList now = schema::fieldsOfLayout(s(table), schema::kUserVersion);
        for (const QString& f : now) {
            if (!layout1.contains(f) && !db.exec(s("ALTER TABLE %1 DROP COLUMN %2").arg(s(table), f)))
                return false;
        }
    }
    return db.exec(s("PRAGMA user_version = 1"));
}

// Every value of the layout-1 fields, to compare before and after.
QStringList contents(const QSqlDatabase& c)
{
    QStringList rows;
    for (const char* table : {"Kunden", "Artikel", "Rechnungen", "Verkauf", "Einstellungen"}) {
        QSqlQuery q(c);
        EXPECT_TRUE(q.exec(s("SELECT %1 FROM %2 ORDER BY ID").arg(schema::fieldsOfLayout(s(table), 1).join(QLatin1Char(',')), s(table))));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i).toString();
            rows << s(table) + QLatin1Char(':') + row.join(QLatin1Char('|'));
        }
    }
    return rows;
}

QStringList safetyCopies(const QString& folder)
{
    return QDir(folder).entryList({s("Quittora vor Umstellung *.qtb")}, QDir::Files);
}

} // namespace

TEST(LayoutUpgrade, AnOldFileGetsAVerifiedSafetyCopyThenTheNewFieldsAndLosesNothing)
{
    test::TempDatabase db;
    ASSERT_TRUE(db.isValid());
    const qint64 customer = db.addCustomer(s("Berger"), s("Anna"));
    const qint64 invoice = db.addDocument(s("1000"), s("01.03.2024"));
    db.addLine(invoice, s("2"), s("Beratung"), s("50,00"), s("100,00"));
    // Footer values replaced by the user are taken over, the sample IBAN is not.
    ASSERT_TRUE(db.exec(s("UPDATE Einstellungen SET frei5 = 'de 811 907 980', Einst6 = '12/345/67890'")));
    ASSERT_TRUE(makeLayout1(db));
    const QStringList before = contents(db.connection());
    db.db().close();

    Database reopened;
    QString message;
    ASSERT_TRUE(reopened.open(db.path(), &message)) << message.toStdString();
    QSqlQuery q(reopened.connection());
    ASSERT_TRUE(q.exec(s("PRAGMA user_version")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), schema::kUserVersion);
    EXPECT_EQ(contents(reopened.connection()), before);
    ASSERT_TRUE(q.exec(s("SELECT UStIdNr || '|' || Steuernummer || '|' || IBAN || '|' || Land FROM Einstellungen")) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("DE811907980|12/345/67890||DE"));
    ASSERT_TRUE(q.exec(s("SELECT Land FROM Kunden WHERE ID = %1").arg(customer)) && q.next());
    EXPECT_EQ(q.value(0).toString(), s("DE"));
    reopened.close();

    // The copy is the old file, whole, under its own name.
    const QStringList copies = safetyCopies(db.folder());
    ASSERT_EQ(copies.size(), 1) << QDir(db.folder()).entryList().join(QLatin1Char(' ')).toStdString();
    const QString copy = QDir(db.folder()).filePath(copies.first());
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(s("QSQLITE"), s("copy"));
        c.setDatabaseName(copy);
        ASSERT_TRUE(c.open());
        QSqlQuery v(c);
        ASSERT_TRUE(v.exec(s("PRAGMA user_version")) && v.next());
        EXPECT_TRUE(v.value(0).toInt() == 1 && contents(c) == before);
        c.close();
    }
    QSqlDatabase::removeDatabase(s("copy"));
    EXPECT_EQ(QDir(db.folder()).entryList(QDir::Files).size(), 2) << "only the file and its copy";

    // Opened again: nothing more to do, no second copy.
    ASSERT_TRUE(reopened.open(db.path(), &message)) << message.toStdString();
    EXPECT_EQ(safetyCopies(db.folder()).size(), 1);
}

TEST(LayoutUpgrade, AnOldFileThatCannotBeUpgradedStaysByteForByte)
{
    test::TempDatabase db;
    ASSERT_TRUE(db.isValid() && makeLayout1(db));
    db.db().close();
    const QByteArray before = test::TempDatabase::readFile(db.path());

    // Read-only: no upgrade, no copy, and the user is told why.
    ASSERT_TRUE(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::ReadGroup));
    Database readOnly;
    QString message;
    EXPECT_FALSE(readOnly.open(db.path(), &message));
    EXPECT_TRUE(message.contains(s("schreibgeschützt"))) << message.toStdString();

    EXPECT_EQ(test::TempDatabase::readFile(db.path()), before);
    EXPECT_TRUE(safetyCopies(db.folder()).isEmpty());
}

// quittora-cli xrechnung: what is missing is listed and nothing is written;
// complete data gives a file that passes the official rules, numbered.
TEST(XrechnungCommand, ListsWhatIsMissingThenWritesAValidNumberedInvoice)
{
    test::TempDatabase db;
    ASSERT_TRUE(db.isValid());
    const qint64 customer = db.addCustomer(s("Stadtverwaltung Musterstadt"), QString(),
                                           {{s("a4"), s("Rathausplatz 1")}, {s("a5"), s("12345 Musterstadt")}});
    const QVariantMap head = {{s("a2"), s("Stadtverwaltung Musterstadt")}, {s("a4"), s("Rathausplatz 1")},
                              {s("a5"), s("12345 Musterstadt")}, {s("b1"), QString::number(customer)}};
    const qint64 invoice = db.addDocument(QString(), s("04.12.2026"), s("Rechnung"), false, head);
    db.addLine(invoice, s("3"), s("Beratung „Umstellung“ & <Prüfung>"), s("80,00"), s("240,00"), s("19"), s("Std."));
    db.addLine(invoice, s("1"), s("Fachbuch"), s("29,90"), s("29,90"), s("7"), s("Stk."));
    // A rate of neither setting is taxed at its own rate, on paper as in the file.
    db.addLine(invoice, s("1"), s("Nachberechnung aus 2020"), s("10,00"), s("10,00"), s("16"), s("Stk."));
    db.db().close();
    const QString out = db.filePath(s("Rechnung.xml"));
    // Amounts are written with the locale's separator: a German one here.
    QProcessEnvironment german;
    german.insert(s("LC_ALL"), s("de_DE.UTF-8"));
    const auto run = [&](qint64 id, const QString& target, const char* syntax = "cii") {
        return test::runCli({s("xrechnung"), db.path(), s("--document"), QString::number(id), s("--out"), target,
                             s("--syntax"), s(syntax)},
                            german);
    };

    const QByteArray untouched = test::fileHash(db.path());
    test::CliRun r = run(invoice, out);
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    for (const char* item : {"IBAN fehlt", "Leitweg-ID oder Referenz"}) // the whole list: the e-invoice's own test
        EXPECT_TRUE(r.err.contains(s(item))) << item << "\n" << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_EQ(test::fileHash(db.path()), untouched) << "nothing stored, no number taken";

    ASSERT_TRUE(db.db().open(db.path(), nullptr));
    ASSERT_TRUE(db.exec(s("UPDATE Einstellungen SET UStIdNr = 'DE811907980', Ansprechpartner = 'Max Mustermann', "
                          "IBAN = 'DE89370400440532013000', BIC = 'COBADEFFXXX'")));
    ASSERT_TRUE(db.exec(s("UPDATE Kunden SET Leitweg = '04011000-1234512345-06', a40 = 'rechnung@musterstadt.de' "
                          "WHERE ID = %1").arg(customer)));
    db.db().close();

    r = run(invoice, out);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(s("Rechnung Nr. 1000"))) << r.out.toStdString();
    const QString ubl = db.filePath(s("Rechnung-ubl.xml"));
    const QByteArray issued = test::fileHash(db.path());
    ASSERT_EQ(run(invoice, ubl, "ubl").exitCode, 0);
    EXPECT_EQ(test::fileHash(db.path()), issued) << "saved again: nothing to store, nothing written";

    ASSERT_TRUE(db.db().open(db.path(), nullptr));
    // The number taken and the totals stored are the ones the file states.
    EXPECT_EQ(QStringList({db.field(s("Rechnungen"), invoice, s("a7")).toString(), db.setting(s("Rechnungsnummer")).toString(),
                           db.field(s("Rechnungen"), invoice, s("a6")).toString(), db.field(s("Rechnungen"), invoice, s("a75")).toString()}),
              QStringList({s("1000"), s("1001"), s("329,19"), s("49,29")}));
    const QByteArray xml = test::fileBytes(out);
    EXPECT_TRUE(xml.contains("<ram:DuePayableAmount>329.19</ram:DuePayableAmount>")
                && xml.contains("<ram:TaxTotalAmount currencyID=\"EUR\">49.29</ram:TaxTotalAmount>")
                && xml.contains("<ram:BuyerReference>04011000-1234512345-06</ram:BuyerReference>")) << xml.constData();

    // The e-mail names the rate of neither setting with its VAT (the paper: the layouts' test).
    const QString eml = db.filePath(s("Rechnung.eml"));
    ASSERT_EQ(test::runCli({s("eml"), db.path(), s("--document"), QString::number(invoice), s("--out"), eml}, german).exitCode, 0);
    EXPECT_TRUE(test::fileBytes(eml).replace("=\r\n", "").contains("MwSt.16% 1,60 "));


    // Its cancellation is an e-invoice of its own that names the cancelled one.
    const test::CliRun storno =
        test::runCli({s("stornieren"), db.path(), s("--document"), QString::number(invoice)}, german);
    ASSERT_EQ(storno.exitCode, 0) << storno.err.toStdString();
    const qint64 cancellation = storno.out.trimmed().toLongLong();
    const QString stornoCii = db.filePath(s("Storno.xml")), stornoUbl = db.filePath(s("Storno-ubl.xml"));
    ASSERT_EQ(run(cancellation, stornoCii).exitCode, 0);
    ASSERT_EQ(run(cancellation, stornoUbl, "ubl").exitCode, 0);
    const QByteArray stornoXml = test::fileBytes(stornoCii);
    EXPECT_TRUE(stornoXml.contains("<ram:DuePayableAmount>-329.19</ram:DuePayableAmount>")) << stornoXml.constData();
    EXPECT_TRUE(stornoXml.contains("<ram:InvoiceReferencedDocument>")
                && stornoXml.contains("<ram:IssuerAssignedID>1000</ram:IssuerAssignedID>"));
    EXPECT_TRUE(test::fileBytes(stornoUbl).contains("<cbc:ID>1000</cbc:ID>"));

    QProcess validator;
    validator.start(s(QUITTORA_EINVOICE_VALIDATOR), {s("--xrechnung"), out, ubl, stornoCii, stornoUbl});
    ASSERT_TRUE(validator.waitForFinished(300000));
    const QString said = QString::fromUtf8(validator.readAllStandardOutput() + validator.readAllStandardError());
    EXPECT_EQ(validator.exitCode(), 0) << said.toStdString();
    EXPECT_EQ(said.count(s("RESULT\tPASS")), 4) << said.toStdString();
}
