// A 1,000-line invoice saved as XRechnung (budget: under 100 ms): the whole
// export as "quittora-cli xrechnung" runs it — read the document, its lines,
// its customer and the settings, `berechnen`, check what the rules need,
// store totals and number, write the CII file atomically. And the same
// invoice as ZUGFeRD PDF (budget: under 1 s) as "quittora-cli zugferd" makes
// it: all of that, the pages drawn as PDF/A, the XML embedded by qpdf.
#include "BenchDatabase.h"
#include "BenchInvoice.h"

#include "export/EInvoiceExport.h"
#include "output/InvoiceFiles.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QGuiApplication>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace quittora;

constexpr int kLines = 1000;

Database* g_db = nullptr;
qint64 g_document = -1;
QString g_xml;
QString g_pdf;
documents::Environment g_env;

// The master data an XRechnung needs, for the seller and the invoice's buyer.
bool completeMasterData()
{
    QSqlQuery q(g_db->connection());
    return bench::exec(q, QStringLiteral("UPDATE Einstellungen SET UStIdNr = 'DE811907980', Ansprechpartner = "
                                         "'Max Mustermann', IBAN = 'DE89370400440532013000', Tel = '089 123456', "
                                         "Einst1 = 'info@firma.de'"))
        && bench::exec(q, QStringLiteral("UPDATE Rechnungen SET Referenz = '04011000-1234512345-06', a5 = "
                                         "'80331 München', b10 = 'einkauf@kunde.de' WHERE ID = ?"),
                       {g_document});
}

void BM_InvoiceWith1000LinesToXRechnung(benchmark::State& state)
{
    for (auto _ : state) {
        const einvoice::ExportResult r = einvoice::exportInvoice(*g_db, g_document, g_env, einvoice::Syntax::Cii,
                                                                 einvoice::Profile::XRechnung, g_xml);
        if (r.status != einvoice::ExportResult::Status::Written) {
            state.SkipWithError(qPrintable(r.message + r.missing.join(QLatin1Char('\n'))));
            return;
        }
    }
    state.counters["xml_kB"] = static_cast<double>(QFileInfo(g_xml).size()) / 1000.0;
}

void BM_InvoiceWith1000LinesToZugferd(benchmark::State& state)
{
    PrintEnvironment env;
    env.decimalSeparator = g_env.decimalSeparator;
    env.today = QDate::currentDate();
    for (auto _ : state) {
        const einvoice::ExportResult r =
            invoicefiles::saveZugferd(*g_db, g_document, env, QDateTime::currentDateTimeUtc(), g_pdf);
        if (r.status != einvoice::ExportResult::Status::Written) {
            state.SkipWithError(qPrintable(r.message + r.missing.join(QLatin1Char('\n'))));
            return;
        }
    }
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(g_pdf).size()) / 1000.0;
}

} // namespace

BENCHMARK(BM_InvoiceWith1000LinesToXRechnung)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InvoiceWith1000LinesToZugferd)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // The PDF's pages need fonts; no display is needed for them.
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
    g_xml = dir.filePath(QStringLiteral("Rechnung.xml"));
    g_pdf = dir.filePath(QStringLiteral("Rechnung.pdf"));
    g_document = bench::addLargeInvoice(db, kLines, &g_env.decimalSeparator);
    if (g_document < 0 || !completeMasterData()) {
        std::fprintf(stderr, "Die Rechnung mit %d Zeilen konnte nicht angelegt werden.\n", kLines);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
