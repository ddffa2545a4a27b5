#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// backup DATEI ZIEL: a compacted, checked copy of the database at ZIEL (a file,
// or a folder that then gets "Quittora.qtb"); an older backup there is
// replaced only by a complete new one.
int runBackup(const QStringList& args, Io& io);

// restore SICHERUNG DATEI: replaces the database by the backup after checking
// it; the replaced file stays beside it as a dated safety copy.
int runRestore(const QStringList& args, Io& io);

} // namespace quittora::cli
