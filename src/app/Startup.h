#pragma once

#include "platform/Context.h"

#include <QString>

namespace quittora {

class Database;

// Start-up of the program up to the main window: the program-wide state from
// the locale, the special folders and the per-user settings, and the database
// file that everything is bound to.
namespace startup {

inline constexpr char kDataFolderName[] = "Quittora pro - Daten";
inline constexpr char kDatabaseFileName[] = "Quittora.qtb";

// "<documents>/Quittora pro - Daten/Quittora.qtb"; where the system has no
// documents folder, the home folder takes its place.
QString defaultDatabasePath(const QString& documentsFolder);

// The start window's work: decimal separator, temporary folder, and the
// settings "Datenpfad", "Sicherung", "Hintergrundfarbe" with their defaults.
// "Datenpfad" is written back at once, so the key exists after the first start.
void loadProgramState(AppContext& ctx);

// Text that stands in the temporary-folder state when there is none; exports
// that need the folder fail on it with this text.
QString noTempFolderText();

// The name test of the file dialog: only names ending exactly in ".qtb" or
// ".QTB" are database files.
bool hasDatabaseExtension(const QString& fileName);

// Opens the database of ctx.state.databasePath. When that is the default path
// and the file does not exist yet, it is created from the installation
// template first, as an installer would have done. False with a German
// message when the file cannot be used; db is then left as it was.
bool openStartDatabase(AppContext& ctx, Database& db, QString* message);

// Binds everything to the database file the user named, by the file dialog
// or as the program's argument (a double click on a .qtb file): the name must
// end in ".qtb", the file must be a usable Quittora database. Only then does
// it become the program's database and the stored "Datenpfad". Otherwise a
// German message says why and the old binding and settings stay.
bool openNamedDatabase(AppContext& ctx, Database& db, const QString& fileName);

// Lets the user choose another database file and binds everything to it.
// Returns true when the binding changed. A cancelled dialog, a wrong name or a
// file that is no usable Quittora database leave the old binding; the latter
// two are told in a German message.
bool Pfad_suchen(AppContext& ctx, Database& db);

} // namespace startup
} // namespace quittora
