// Start-up of the program as a process until its main window is ready
// (budget: under 1 s), and the program's peak resident memory on the
// benchmark database at that point (budget: under 150 MB).
//
// Runs build/bin/quittora (QUITTORA_BENCH_PROGRAM names another) on the
// offscreen platform with a settings file of its own whose "Datenpfad" is
// the benchmark database, the update check switched off, and
// QUITTORA_EXIT_WHEN_READY=1: the program then writes one line when its
// window is shown, the last document is loaded and customer and lines are
// synced, and ends. The time is taken here, from starting the process to
// reading that line, so loading the program and its libraries counts too.
#include "BenchDatabase.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString g_program;
QString g_database;
QTemporaryDir* g_home = nullptr;

constexpr int kTimeLimitMs = 60000;

QProcessEnvironment programEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = g_home->path();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUITTORA_UPDATE_URL"), QString());
    env.insert(QStringLiteral("QUITTORA_EXIT_WHEN_READY"), QStringLiteral("1"));
    return env;
}

// The per-user settings as the program reads them (section "Startup").
bool writeSettings()
{
    const QString home = g_home->path();
    QDir().mkpath(home + QStringLiteral("/runtime"));
    QFile::setPermissions(home + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSettings settings(home + QStringLiteral("/config/Quittora pro/Quittora pro.conf"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Startup/Datenpfad"), g_database);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

struct Run {
    double seconds = 0; // process start until the ready line
    qint64 inProcessMs = -1;
    qint64 peakKib = -1;
    qint64 documents = 0;
    bool ok = false;
    QString problem;
};

Run startOnce()
{
    Run run;
    QProcess process;
    process.setProcessEnvironment(programEnvironment());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(g_program, {});
    if (!process.waitForStarted(kTimeLimitMs)) {
        run.problem = QStringLiteral("Programm startet nicht: ") + process.errorString();
        return run;
    }
    static const QRegularExpression ready(
        QStringLiteral("QUITTORA_READY ms=(-?\\d+) peak_kib=(-?\\d+) rss_kib=-?\\d+ documents=(\\d+)"));
    QByteArray output;
    while (clock.elapsed() < kTimeLimitMs) {
        if (!process.waitForReadyRead(kTimeLimitMs - static_cast<int>(clock.elapsed())))
            break;
        output += process.readAllStandardOutput();
        const QRegularExpressionMatch m = ready.match(QString::fromUtf8(output));
        if (m.hasMatch()) {
            run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            run.inProcessMs = m.captured(1).toLongLong();
            run.peakKib = m.captured(2).toLongLong();
            run.documents = m.captured(3).toLongLong();
            // A window without documents did not load the database.
            run.ok = run.documents > 0;
            break;
        }
    }
    if (!process.waitForFinished(kTimeLimitMs)) {
        process.kill();
        process.waitForFinished();
    }
    if (!run.ok)
        run.problem = QStringLiteral("Das Programm meldete sich nicht mit geladenen Rechnungen bereit. Ausgabe: ") + QString::fromUtf8(output)
            + QString::fromUtf8(process.readAllStandardError());
    return run;
}

void BM_StartupUntilMainWindowReady(benchmark::State& state)
{
    qint64 peak = 0;
    qint64 documents = 0;
    double inProcess = 0;
    int runs = 0;
    for (auto _ : state) {
        const Run run = startOnce();
        if (!run.ok) {
            state.SkipWithError(qPrintable(run.problem));
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakKib);
        documents = run.documents;
        inProcess += static_cast<double>(run.inProcessMs);
        ++runs;
    }
    // Memory in MB (10^6 bytes) like the budget; the largest peak of the runs.
    state.counters["peak_rss_MB"] = static_cast<double>(peak) * 1024.0 / 1e6;
    state.counters["in_process_ms"] = runs > 0 ? inProcess / runs : 0;
    state.counters["documents"] = static_cast<double>(documents);
}

} // namespace

BENCHMARK(BM_StartupUntilMainWindowReady)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    quittora::bench::BenchDatabase bench;
    if (!bench.prepare())
        return 1;
    g_database = QFileInfo(bench.path()).absoluteFilePath();
    g_program = qEnvironmentVariable("QUITTORA_BENCH_PROGRAM");
    if (g_program.isEmpty())
        g_program = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/quittora")).absoluteFilePath();
    if (!QFileInfo(g_program).isExecutable()) {
        std::fprintf(stderr, "Programm nicht gefunden: %s\n", qPrintable(g_program));
        return 1;
    }
    QTemporaryDir home;
    g_home = &home;
    if (!writeSettings()) {
        std::fprintf(stderr, "Einstellungsdatei kann nicht geschrieben werden.\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
