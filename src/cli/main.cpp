// quittora-cli: the program's logic without windows, for scripts and
// scheduled jobs.
#include "cli/Commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace quittora::cli;

static void printUsage(QTextStream& s)
{
    s << "Aufruf: quittora-cli BEFEHL [ARGUMENTE]\n\nBefehle:\n";
    for (const Command& c : commands())
        s << "  " << c.usage << '\n';
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    Io io{out, err};
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? kUsage : kOk;
    }
    const QString name = args.takeFirst();
    for (const Command& c : commands()) {
        if (name == QLatin1String(c.name))
            return c.run(args, io);
    }
    err << "Unbekannter Befehl: " << name << "\n\n";
    printUsage(err);
    return kUsage;
}
