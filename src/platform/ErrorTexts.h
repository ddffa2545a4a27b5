#pragma once

#include <QString>

class QFileDevice;
class QSqlError;

namespace quittora {

// The reasons the system gives for a failed file operation, in German: the
// system's own texts are English and would reach the user as they are.

// For an errno value (ENOSPC, EACCES, ...).
QString errnoReason(int error);

// For a file that failed to open, read or write; looks at the path as well,
// since the device's error kind alone does not say why an open failed.
QString fileReason(const QFileDevice& file);

// For an SQLite result code (primary or extended); empty when the code is
// not one a user can act on (a fault of the program itself).
QString sqliteReason(int code);

// For a failed query: the German reason where the code is known, otherwise
// the driver's own text.
QString databaseReason(const QSqlError& error);

} // namespace quittora
