// berechnen on a document of 1,000 lines (budget: under 5 ms).
#include "documents/Totals.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Berechnen(benchmark::State& state)
{
    using namespace quittora;
    TotalsInput in;
    in.vatRate1 = QStringLiteral("19");
    in.vatRate2 = QStringLiteral("7");
    in.skontoDays = QStringLiteral("10");
    in.skontoPercent = QStringLiteral("2");
    in.documentDate = QStringLiteral("01.03.2024");
    in.currency = QStringLiteral("EUR");
    for (int i = 0; i < state.range(0); ++i) {
        const QString cents = QString::number(100 + (i * 37) % 900);
        in.lines.append({QString::number(i % 250) + QLatin1Char(',') + cents.right(2),
                         i % 10 == 0 ? QStringLiteral("7") : QStringLiteral("19")});
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(berechnen(in));
}

} // namespace

BENCHMARK(BM_Berechnen)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
