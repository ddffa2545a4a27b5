// quittora-cli: the program's logic without windows, for scripts and
// scheduled jobs.
#include "cli/Commands.h"
#include "cli/PrintCommands.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace quittora::cli;

static void printUsage(QTextStream& s)
{
    s << "Aufruf: quittora-cli BEFEHL [ARGUMENTE]\n\nBefehle:\n";
    for (const Command& c : commands())
        s << "  " << c.usage << '\n';
}

int main(int argc, char** argv)
{
    quittora::keepNewFilesPrivate();
    // Commands that draw text need the font system of a GUI application; a
    // command-line tool shows no window, so it runs on the offscreen platform
    // unless the caller names another.
    const bool fonts = argc > 1 && needsFonts(QString::fromLocal8Bit(argv[1]));
    if (fonts && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (fonts)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
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
