// Backup of the whole benchmark database from the open program connection,
// as the backup window makes it: a compacted copy under a temporary name
// beside the target, synced, checked and renamed into place.
#include "BenchDatabase.h"

#include "safety/Backup.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace quittora;

Database* g_db = nullptr;

void BM_BackupWholeDatabase(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Sicherung/Quittora.qtb"));
    QDir().mkpath(dir.filePath(QStringLiteral("Sicherung")));
    for (auto _ : state) {
        const safety::Result result = safety::backupDatabase(*g_db, target);
        if (!result.ok()) {
            state.SkipWithError(qPrintable(safety::failureSummary(safety::Operation::Backup, result.failure)
                                           + QLatin1Char(' ') + result.detail));
            return;
        }
    }
    state.counters["source_MB"] = static_cast<double>(QFileInfo(g_db->path()).size()) / 1e6;
    state.counters["backup_MB"] = static_cast<double>(QFileInfo(target).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_BackupWholeDatabase)->Unit(benchmark::kMillisecond)->Iterations(3);

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
