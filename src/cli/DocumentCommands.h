#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// quittora-cli stornieren | angebot-zu-rechnung | kopieren DATEI --document ID:
// writes the new document and prints its ID on a line of its own.
int runStornieren(const QStringList& args, Io& io);
int runAngebotZuRechnung(const QStringList& args, Io& io);
int runKopieren(const QStringList& args, Io& io);

} // namespace quittora::cli
