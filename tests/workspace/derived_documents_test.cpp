// New documents from old ones, through the command line as a script would
// run them: the new document's ID on its own line, a refused case with a
// German reason and nothing written; the source never changes.

#include "support/CliRunner.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QSqlQuery>

using namespace quittora;
using namespace quittora::test;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// A document's head fields and lines, "|"-joined, for before/after checks.
QString contents(TempDatabase& db, qint64 id, const char* fields = "a156 a7 a8 opt1 a14 a75 a6 Bezugsrechnung Bezugsdatum")
{
    QStringList out;
    for (const QString& f : s(fields).split(QLatin1Char(' ')))
        out << db.field(s("Rechnungen"), id, f).toString();
    QSqlQuery q(db.connection());
    q.prepare(s("SELECT a2, n1, a4, a5, a19 FROM Verkauf WHERE a1 = ? ORDER BY ID"));
    q.addBindValue(QString::number(id));
    EXPECT_TRUE(q.exec());
    while (q.next())
        out << s("[%1 %2 %3 %4 %5]").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                         q.value(3).toString(), q.value(4).toString());
    return out.join(QLatin1Char('|'));
}

} // namespace

TEST(DerivedDocuments, CancellationQuoteToInvoiceAndCopyWriteANewDraftOrNothing)
{
    TempDatabase db;
    ASSERT_TRUE(db.isValid()) << db.error().toStdString();
    const auto withLines = [&](qint64 id) {
        db.addLine(id, s("2"), s("Wandfarbe"), s("50,00"), s("100,00"), s("19"));
        db.addLine(id, s("1"), s("Anfahrt"), s("50,00"), s("50,00"), s("7"));
        db.addLine(id, {}, s("Ausführung nach Absprache"), {}, {}, {});
        return id;
    };
    const qint64 invoice = withLines(db.addDocument(s("1001"), s("01.03.2024"), s("Rechnung"), true,
                                                    {{s("a6"), s("172,50")}, {s("Leistungsdatum"), s("28.02.2024")}}));
    const qint64 quote = withLines(db.addDocument({}, s("02.03.2024"), s("Angebot")));
    const qint64 draft = withLines(db.addDocument({}, s("03.03.2024")));
    const QString today = QDate::currentDate().toString(s("dd.MM.yyyy"));
    QProcessEnvironment german;
    german.insert(s("LC_ALL"), s("de_DE.UTF-8"));
    const QString lines = s("[2 Wandfarbe 50,00 100,00 19]|[1 Anfahrt 50,00 50,00 7]|[ Ausführung nach Absprache   ]");

    const struct {
        const char* command;
        qint64 source;
        const char* refused; // part of the reason; nullptr: a new document
        QString made;        // contents() of the new document
    } rows[] = {
        {"stornieren", invoice, nullptr,
         s("Rechnung||%1|0|-150,00|-22,50|-172,50|1001|01.03.2024|[ Stornorechnung zu Rechnung Nr. 1001 vom 01.03.2024   ]|"
           "[-2 Wandfarbe 50,00 -100,00 19]|[-1 Anfahrt 50,00 -50,00 7]|[ Ausführung nach Absprache   ]").arg(today)},
        {"stornieren", quote, "Angebot ist keine Rechnung", {}},
        {"stornieren", draft, "noch keine Nummer", {}},
        {"angebot-zu-rechnung", quote, nullptr, s("Rechnung||%1|0|150,00|22,50|172,50|||").arg(today) + lines},
        {"angebot-zu-rechnung", invoice, "Nur ein Angebot", {}},
        {"kopieren", quote, nullptr, s("Angebot||%1|0|150,00|22,50|172,50|||").arg(today) + lines},
        {"kopieren", 999, "nicht gefunden", {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.command) + " " + std::to_string(r.source));
        const QString before = contents(db, invoice) + contents(db, quote) + contents(db, draft);
        const qint64 documents = db.count(s("Rechnungen")), positions = db.count(s("Verkauf"));
        const CliRun run = runCli({s(r.command), db.path(), s("--document"), QString::number(r.source)}, german);
        EXPECT_EQ(contents(db, invoice) + contents(db, quote) + contents(db, draft), before);
        if (r.refused) {
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_TRUE(run.err.contains(s(r.refused))) << run.err.toStdString();
            EXPECT_EQ(db.count(s("Rechnungen")) * 1000 + db.count(s("Verkauf")), documents * 1000 + positions);
            continue;
        }
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        bool isId = false;
        const qint64 made = run.out.trimmed().toLongLong(&isId);
        ASSERT_TRUE(isId && run.out.endsWith(QLatin1Char('\n'))) << run.out.toStdString();
        EXPECT_EQ(contents(db, made), r.made);
    }
}
