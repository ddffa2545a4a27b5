#pragma once

#include "cli/Commands.h"
#include "documents/Totals.h"
#include "print/DocumentLayouts.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace quittora {

class Database;

namespace cli {

// The database file and the options after it. Options with a value take the
// next argument; flags none.
struct Call {
    QString file;
    QHash<QString, QString> values;
    QSet<QString> flags;
};

// False on anything but the file, the value options and the flags named.
bool parse(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions, Call* call);

// The value of --document as an ID; false, with the reason and the usage said.
bool documentId(const Call& call, const char* usage, Io& io, qint64* id);

// Opens the database after checking it; false with the reason said.
bool openDatabase(Database& db, const QString& file, Io& io);

// The price basis of the per-user setting the settings dialog writes.
PriceBasis priceBasis();

// What the program prints with: the per-user settings, the locale, today.
PrintEnvironment systemPrintEnvironment();

} // namespace cli

} // namespace quittora
