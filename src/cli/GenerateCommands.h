#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// generate DATEI [--documents N] [--customers N] [--articles N]
//                [--lines-per-document N] [--seed S] [--last-year JAHR]
// Creates a new database full of realistic generated data (for benchmarks
// and trying things out). Without options: the benchmark size of 50,000
// documents averaging 10 lines, 5,000 customers, 5,000 articles, seed 1,
// dated over the ten years up to 2025. Amounts use the decimal separator of
// the system's locale. Refuses an existing file (exit 2); sizes that make no
// sense are a wrong call (exit 1).
int runGenerate(const QStringList& args, Io& io);

// The same, with the program call named in the usage text ("generate" for
// the benchmark folder's own executable).
int runGenerateAs(const QString& call, const QStringList& args, Io& io);

} // namespace quittora::cli
