// Creates a large Quittora database for the benchmarks:
//   generate FILE [--documents N] [--customers N] [--articles N]
//                 [--lines-per-document N] [--seed S] [--last-year JAHR]
// The same as "quittora-cli generate".
#include "cli/GenerateCommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    quittora::cli::Io io{out, err};
    return quittora::cli::runGenerateAs(QStringLiteral("generate"), QCoreApplication::arguments().mid(1), io);
}
