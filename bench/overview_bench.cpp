// The overview's month filter with its total (budget: under 100 ms) on a
// database of benchmark size. Set QUITTORA_BENCH_DB to a database made by
// "generate" to use it; otherwise one is generated first (seed 1).
#include "data/Database.h"
#include "export/Overview.h"
#include "tools/Generator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

quittora::Database* g_db = nullptr;

void BM_MonthFilterWithTotal(benchmark::State& state)
{
    using namespace quittora;
    for (auto _ : state) {
        const auto source = overview::monthFilter(QStringLiteral("März"), QStringLiteral("2024"),
                                                  overview::PaidState::Paid);
        QList<overview::Row> rows;
        overview::readRows(*g_db, *source, &rows);
        benchmark::DoNotOptimize(overview::total(rows, QLatin1Char(',')));
    }
}

} // namespace

BENCHMARK(BM_MonthFilterWithTotal)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QString path = qEnvironmentVariable("QUITTORA_BENCH_DB");
    if (path.isEmpty()) {
        path = dir.filePath(QStringLiteral("Quittora.qtb"));
        std::fprintf(stderr, "Erzeuge die Messdatenbank ...\n");
        const auto r = quittora::generator::generate(path, quittora::generator::Options());
        if (!r.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(r.message));
            return 1;
        }
    }
    quittora::Database db;
    QString message;
    if (!db.open(path, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return 1;
    }
    g_db = &db;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
