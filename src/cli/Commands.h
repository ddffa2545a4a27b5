#pragma once

#include <QStringList>
#include <QTextStream>

namespace quittora::cli {

// Exit codes of quittora-cli.
inline constexpr int kOk = 0;
inline constexpr int kUsage = 1;    // wrong call
inline constexpr int kRefused = 2;  // file refused: not a Quittora database, exists already, ...

struct Io {
    QTextStream& out;
    QTextStream& err;
};

// One command: its name, a one-line German usage text and the function that
// runs it on the arguments after the name.
struct Command {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& args, Io& io);
};

// All commands, in the order the help lists them.
const QList<Command>& commands();

int runInit(const QStringList& args, Io& io);
int runInfo(const QStringList& args, Io& io);

} // namespace quittora::cli
