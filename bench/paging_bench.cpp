// Paging to the next document with the navigation bar of Data3, until the
// customer tab and the lines follow it (Timer5's work), on the benchmark
// database. The lines' grid model is read as the grid shows it.
//
// The timer's 5 ms wait is the program's design (the move finishes first);
// it is left out here: measured is the work of the move and of the sync.
#include "BenchDatabase.h"

#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/MainWindowRules.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

namespace {

using namespace quittora;

Database* g_db = nullptr;

void BM_PageToNextDocument(benchmark::State& state)
{
    QObject owner;
    DataSources sources(*g_db, &owner);
    if (!sources.bindAll(mainwindow::articleSource(false))) {
        state.SkipWithError("Die Datenquellen konnten nicht gelesen werden.");
        return;
    }
    DocumentNavigator navigator(sources);
    // The line grid DBGrid5 over Data5, with its columns.
    const QStringList fields{QStringLiteral("a2"), QStringLiteral("a3"), QStringLiteral("n1"), QStringLiteral("a4"),
                             QStringLiteral("a19"), QStringLiteral("a5")};
    RecordsetModel lineGrid(sources.lines(), fields, fields);
    Recordset& docs = sources.documents();
    // Half-way through, where an average document is.
    docs.moveTo(docs.recordCount() / 2);
    navigator.syncNow();
    qint64 lines = 0;
    int moves = 0;
    for (auto _ : state) {
        if (docs.position() >= docs.recordCount() - 1)
            navigator.first();
        navigator.next();
        navigator.syncNow();
        // What the grid shows: every line's every column.
        for (int row = 0; row < lineGrid.rowCount(); ++row) {
            for (int column = 0; column < lineGrid.columnCount(); ++column)
                benchmark::DoNotOptimize(lineGrid.data(lineGrid.index(row, column)));
        }
        lines += lineGrid.rowCount();
        ++moves;
        benchmark::DoNotOptimize(sources.customers().currentId());
    }
    state.counters["lines_per_document"] = moves > 0 ? static_cast<double>(lines) / moves : 0;
}

} // namespace

BENCHMARK(BM_PageToNextDocument)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    quittora::bench::BenchDatabase bench;
    if (!bench.prepare() || !(g_db = bench.open()))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
