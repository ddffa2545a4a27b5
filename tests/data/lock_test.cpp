// An issued invoice stays as issued while the setting `Festschreiben` is on:
// the database itself refuses every write to it and its lines but the paid
// flag; printing and mailing it again reproduce it from what is stored.

#include "data/CompanySettings.h"
#include "data/Schema.h"
#include "documents/Preparation.h"
#include "print/DocumentPrint.h"
#include "print/PageQueries.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace quittora;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// Every row of both tables with the type of every value.
QStringList rows(const test::TempDatabase& db)
{
    QStringList out;
    for (const char* table : {"Rechnungen", "Verkauf"}) {
        QSqlQuery q(db.connection());
        EXPECT_TRUE(q.exec(u("SELECT * FROM %1 ORDER BY ID").arg(u(table))));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << QString::fromLatin1(q.value(i).typeName()) + u(":") + q.value(i).toString();
            out << u(table) + u("|") + values.join(u("|"));
        }
    }
    return out;
}

// A locked invoice 1001 with two lines, a numbered quote and an unnumbered
// draft with one line.
struct Documents {
    explicit Documents(test::TempDatabase& db, bool lockOn)
    {
        invoice = db.addDocument(u("1001"), u("01.03.2024"), u("Rechnung"), false, {{u("a6"), u("32,00")}});
        quote = db.addDocument(u("2001"), u("02.03.2024"), u("Angebot"));
        draft = db.addDocument({}, u("03.03.2024"), u("Rechnung"));
        db.addLine(invoice, u("2"), u("Brot"), u("3,50"), u("7,00"), u("7"));
        db.addLine(invoice, u("1"), u("Anfahrt"), u("25,00"), u("25,00"));
        db.addLine(draft, u("1"), u("Beratung"), u("80,00"), u("80,00"));
        EXPECT_TRUE(db.exec(u("UPDATE Einstellungen SET Festschreiben = ?"), {lockOn ? -1 : 0}));
    }
    QString sql(const char* pattern) const
    {
        return u(pattern).replace(u("$I"), QString::number(invoice)).replace(u("$Q"), QString::number(quote)).replace(u("$D"), QString::number(draft));
    }
    qint64 invoice = -1, quote = -1, draft = -1;
};

TEST(LockAfterIssue, TheDatabaseRefusesEveryChangeOfALockedInvoiceButItsPaidFlag)
{
    const struct {
        const char* sql;
        bool refused; // while the setting is on; with it off every write passes
    } cases[] = {
        {"UPDATE Rechnungen SET a2 = 'Jemand anders' WHERE ID = $I", true},
        {"UPDATE Rechnungen SET a7 = '' WHERE ID = $I", true},
        {"UPDATE Rechnungen SET Leistungsdatum = '01.01.2024' WHERE ID = $I", true}, // fields of later layouts too
        {"UPDATE Rechnungen SET a2 = 'Alle'", true}, // the other documents stay too: one statement
        {"DELETE FROM Rechnungen WHERE ID = $I", true},
        {"INSERT INTO Verkauf (a1, n1, a5) VALUES ('$I', 'nachträglich', '1,00')", true},
        {"UPDATE Verkauf SET a1 = '$D' WHERE a1 = '$I'", true}, // a line moved out of the invoice
        {"UPDATE Verkauf SET a1 = '$I' WHERE a1 = '$D'", true}, // and into it
        {"DELETE FROM Verkauf WHERE a1 = '$I'", true},
        {"UPDATE Rechnungen SET opt1 = -1 WHERE ID = $I", false},
        {"UPDATE Rechnungen SET a2 = a2, a6 = a6 WHERE ID = $I", false}, // nothing changes
        {"UPDATE Rechnungen SET a7 = '1002', a6 = '80,00' WHERE ID = $D", false}, // an invoice gets its number
        {"UPDATE Rechnungen SET a2 = 'Neu', a7 = '' WHERE ID = $Q", false},         // a quote stays editable
        {"INSERT INTO Verkauf (a1, n1) VALUES ('$D', 'dazu')", false},
        {"INSERT INTO Rechnungen (a156, a2, a7) VALUES ('Rechnung', 'Storno', '')", false}, // a cancellation
        {"DELETE FROM Rechnungen WHERE ID = $D", false},
    };
    for (const bool lockOn : {true, false}) {
        for (const auto& c : cases) {
            test::TempDatabase db;
            const Documents docs(db, lockOn);
            const QString sql = docs.sql(c.sql);
            SCOPED_TRACE((sql + (lockOn ? u(" (lock on)") : u(" (lock off)"))).toStdString());
            const QStringList before = rows(db);
            QSqlQuery q(db.connection());
            const bool done = q.exec(sql);
            const bool refused = lockOn && c.refused;
            EXPECT_EQ(done, !refused) << q.lastError().text().toStdString();
            if (refused)
                EXPECT_TRUE(rows(db) == before && q.lastError().databaseText().contains(schema::lockedMessage(u("1001"))))
                    << q.lastError().databaseText().toStdString();
            else
                EXPECT_TRUE(rows(db) != before || sql.contains(u("a2 = a2"))) << "nothing was written";
        }
    }
    EXPECT_EQ(schema::lockedMessage(u(" 1001 ")),
              u("Die Rechnung 1001 ist festgeschrieben und wird nicht mehr geändert. Eine Korrektur geht über "
                "„Rechnung stornieren“."));
}

TEST(LockAfterIssue, ANewFileLocksAnUpgradedOneDoesNotUntilSwitchedOn)
{
    test::TempDatabase scratch;
    const QString fresh = scratch.filePath(u("neu.qtb")), old = scratch.filePath(u("alt.qtb"));
    QString error;
    for (const QString& path : {fresh, old})
        ASSERT_TRUE(Database::createFromTemplate(path, QLatin1Char(','), &error)) << error.toStdString();
    // Back to layout 2: without the fields layout 3 added.
    QByteArray downgrade = "PRAGMA user_version = 2;";
    for (const QString& table : {u("Rechnungen"), u("Einstellungen")})
        for (const QString& field : schema::fieldsOfLayout(table, 3))
            if (!schema::fieldsOfLayout(table, 2).contains(field))
                downgrade += u("ALTER TABLE %1 DROP COLUMN %2;").arg(table, field).toUtf8();
    ASSERT_TRUE(testfiles::execOn(old, downgrade.constData()));

    for (const auto& [path, expected] : {std::pair{fresh, -1}, std::pair{old, 0}}) {
        SCOPED_TRACE(path.toStdString());
        Database db;
        ASSERT_TRUE(db.open(path, &error)) << error.toStdString();
        QSqlQuery q(db.connection());
        ASSERT_TRUE(q.exec(u("SELECT Festschreiben FROM Einstellungen")) && q.next());
        EXPECT_EQ(q.value(0).toInt(), expected);
        ASSERT_TRUE(q.exec(u("UPDATE Einstellungen SET Festschreiben = -1")));
        ASSERT_TRUE(q.exec(u("INSERT INTO Rechnungen (a7, a156) VALUES ('1001', 'Rechnung')")));
        EXPECT_FALSE(q.exec(u("UPDATE Rechnungen SET a2 = 'X'"))) << "no lock on this connection";
    }
}

TEST(LockAfterIssue, PrintingAndMailingALockedInvoiceAgainGiveTheTotalsItWasIssuedWith)
{
    for (const bool lockOn : {true, false}) {
        SCOPED_TRACE(lockOn ? "lock on" : "lock off");
        test::TempDatabase db;
        TestContext t;
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET Festschreiben = ?"), {lockOn ? -1 : 0}));
        const qint64 id = db.addDocument({}, u("01.03.2024"), u("Rechnung"), false, {{u("a2"), u("Eva Schmidt")}});
        db.addLine(id, u("2"), u("Beratung"), u("50,00"), u("100,00"), u("19"));
        const PrintEnvironment env = printEnvironment(t.ctx);
        auto print = [&] {
            PrintJob job = prepareInvoicePrint(db.db(), id, env);
            EXPECT_TRUE(job.ready()) << job.message.toStdString();
            QString error;
            EXPECT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
            return quittora::testing::allTexts(printJobDocuments(job, env).at(0).page(0));
        };
        const QStringList first = print(); // issues it: number 1000, totals at 19 %
        ASSERT_EQ(db.field(u("Rechnungen"), id, u("a7")).toString(), u("1000"));
        const QStringList stored = rows(db);
        ASSERT_TRUE(first.contains(u("119,00 EUR")) || first.join(u(" ")).contains(u("119,00")));

        // Other rates and a cash discount since: a new print would show both.
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET MWSt = '16', Einst19 = '2'")));
        CompanySettings settings;
        ASSERT_TRUE(settings.load(db.db()));
        const documents::Head head = *documents::loadHead(db.db(), id);
        const documents::Preparation mail =
            documents::prepare(head, *documents::loadLines(db.db(), id), {}, settings, {});
        EXPECT_EQ(mail.head == head && mail.documentChanges.isEmpty(), lockOn);
        EXPECT_EQ(print() == first, lockOn);
        EXPECT_EQ(rows(db) == stored, lockOn);
    }
}

} // namespace
