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
#include "BenchInvoice.h"

#include "print/DocumentPrint.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace quittora;

constexpr int kLines = 1000;

Database* g_db = nullptr;
qint64 g_document = -1;
QString g_pdf;
PrintEnvironment g_env;

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
    Database db;
    if (!bench::openCopy(bench.path(), dir.filePath(QStringLiteral("Quittora.qtb")), db))
        return 1;
    g_db = &db;
    g_pdf = dir.filePath(QStringLiteral("Rechnung.pdf"));
    g_document = bench::addLargeInvoice(db, kLines, &g_env.decimalSeparator);
    if (g_document < 0) {
        std::fprintf(stderr, "Die Rechnung mit %d Zeilen konnte nicht angelegt werden.\n", kLines);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
