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

// For an SQLite result code (primary or extended): a German reason for
// every error code; empty only for the codes that are no error.
QString sqliteReason(int code);

// For a failed query or commit: always German. The code comes from the
// error, or from SQLite's text where the driver dropped it (a failed
// COMMIT). For faults the user cannot mend, SQLite's own text follows in
// parentheses as a technical addition; empty when there is no error.
QString databaseReason(const QSqlError& error);

} // namespace quittora
