// A 1,000-line invoice printed into a PDF file (budget: under 2 s): the
// whole print as "quittora-cli print" runs it — read the document, its lines,
// its customer and the settings, `berechnen`, store totals and number, lay
// out the pages and render them with QPdfWriter.
//
// The benchmark database is copied into a temporary folder first and the
// invoice is added to the copy (1,000 lines of the database's articles for
// one of its customers), so the database named by QUITTORA_BENCH_DB is never
// changed.
#include "BenchDatabase.h"

#include "data/Decimal.h"
#include "data/Numbers.h"
#include "print/DocumentPrint.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace quittora;

constexpr int kLines = 1000;

Database* g_db = nullptr;
qint64 g_document = -1;
QString g_pdf;
PrintEnvironment g_env;

bool exec(QSqlQuery& q, const QString& sql, const QVariantList& params = {})
{
    if (!q.prepare(sql)) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return false;
    }
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// The invoice: a customer of the database and its first 1,000 articles,
// quantities 1 to 5, amounts as the line entry computes them.
bool addInvoice()
{
    QSqlDatabase con = g_db->connection();
    QSqlQuery q(con);
    if (!exec(q, QStringLiteral("SELECT a4 FROM Artikel WHERE a4 <> '' LIMIT 1")) || !q.next())
        return false;
    g_env.decimalSeparator = q.value(0).toString().contains(QLatin1Char(',')) ? QLatin1Char(',') : QLatin1Char('.');
    if (!exec(q, QStringLiteral("SELECT ID, a1, a2, a3, a4, a5, a40 FROM Kunden ORDER BY ID LIMIT 1 OFFSET 100"))
        || !q.next())
        return false;
    const QVariantList customer{q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6)};
    con.transaction();
    if (!exec(q,
              QStringLiteral("INSERT INTO Rechnungen (a156, a8, b1, a1, a2, a4, a5, b10) "
                             "VALUES ('Rechnung', '15.03.2025', ?, ?, ?, ?, ?, ?)"),
              {customer[0].toString(), customer[1], customer[3].toString() + QLatin1Char(' ') + customer[2].toString(),
               customer[4], customer[5], customer[6]})) {
        con.rollback();
        return false;
    }
    g_document = q.lastInsertId().toLongLong();
    QSqlQuery articles(con);
    if (!exec(articles, QStringLiteral("SELECT a2, a3, a4, a19 FROM Artikel ORDER BY ID LIMIT ?"), {kLines})) {
        con.rollback();
        return false;
    }
    int i = 0;
    QSqlQuery insert(con);
    insert.prepare(QStringLiteral("INSERT INTO Verkauf (a1, a2, a3, n1, a4, a19, a5) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    while (articles.next()) {
        const int quantity = 1 + i % 5;
        const QString price = articles.value(2).toString();
        const Decimal unit = localeNumber(price, g_env.decimalSeparator).value_or(Decimal());
        const QString amount = amountText(unit * Decimal::fromInt(quantity), g_env.decimalSeparator);
        for (const QVariant& v : QVariantList{QString::number(g_document), QString::number(quantity),
                                              articles.value(0), articles.value(1), price, articles.value(3), amount})
            insert.addBindValue(v);
        if (!insert.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(insert.lastError().text()));
            con.rollback();
            return false;
        }
        ++i;
    }
    con.commit();
    return i == kLines;
}

void BM_InvoiceWith1000LinesToPdf(benchmark::State& state)
{
    int pages = 0;
    for (auto _ : state) {
        PrintJob job;
        QString error;
        if (!printToPdf(*g_db, g_document, PrintedDocument::Invoice, g_env, g_pdf, &job, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        if (pages == 0) {
            const auto documents = printJobDocuments(job, g_env);
            pages = documents.empty() ? 0 : static_cast<int>(documents.front().pages().size());
        }
    }
    state.counters["pages"] = pages;
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(g_pdf).size()) / 1000.0;
}

} // namespace

BENCHMARK(BM_InvoiceWith1000LinesToPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    quittora::bench::BenchDatabase bench;
    if (!bench.prepare())
        return 1;
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("Quittora.qtb"));
    if (!QFile::copy(bench.path(), copy)) {
        std::fprintf(stderr, "Die Messdatenbank kann nicht kopiert werden.\n");
        return 1;
    }
    Database db;
    QString message;
    if (!db.open(copy, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    g_db = &db;
    g_pdf = dir.filePath(QStringLiteral("Rechnung.pdf"));
    if (!addInvoice()) {
        std::fprintf(stderr, "Die Rechnung mit %d Zeilen konnte nicht angelegt werden.\n", kLines);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
