#pragma once

#include <QString>

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
//   SortKey(s)                germanSortKey(s), so that ORDER BY SortKey(a2)
//                             sorts names as German users look them up
// Returns false when the connection is not an SQLite connection.
bool registerSqlFunctions(const QSqlDatabase& db);

// The key of a name in German alphabetical order (DIN 5007-1, the order of
// dictionaries and phone books): umlauts and accented letters count as their
// base letter, "ß" as "ss", upper and lower case alike. Names equal by this
// key are ordered by their text afterwards, so the order stays fixed.
QString germanSortKey(const QString& text);

} // namespace quittora
