#pragma once

class QSqlDatabase;

namespace quittora {

// Registers on an open SQLite connection what the program's queries use:
//   x LIKE pattern   pattern matching of jetLike() (replaces SQLite's own LIKE,
//                    so '*' '?' '#' '[..]' are the wildcards and '%' is text)
//   Mid(s, start [, length])  1-based, on characters
//   Left(s, n)                first n characters; LEFT is an SQL keyword,
//                             so it is written [Left](s, n) in a statement
//   Val(s)                    leadingNumber(), as INTEGER when whole, else REAL
//                             (for ordering and comparing only; amounts are
//                             never computed in SQL)
// Returns false when the connection is not an SQLite connection.
bool registerSqlFunctions(const QSqlDatabase& db);

} // namespace quittora
