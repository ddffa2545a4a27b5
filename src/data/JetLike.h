#pragma once

#include <QString>

#include <optional>

namespace quittora {

// Pattern matching as the program's record searches use it:
//   *        any run of characters (also none)
//   ?        exactly one character
//   #        exactly one digit 0-9
//   [abc]    one of the listed characters; ranges like [a-f] work
//   [!abc]   one character that is not listed
// Matching ignores case, umlauts included ("ä" matches "Ä"). A '[' without
// its closing ']' stands for itself, so typed text never makes a broken
// pattern. "%" and "_" are ordinary characters.
bool jetLike(QStringView text, QStringView pattern);

// How search-as-you-type turns typed text into a pattern.
enum class LikeMode {
    StartsWith, // "text*"
    Contains,   // "*text*"
};
QString likePattern(const QString& typed, LikeMode mode);

// A range of texts that holds every match of a pattern, so that an index can
// answer a search instead of a pass over the table: every text t with
// jetLike(t, pattern) satisfies  low <= t < high  under SQLite's NOCASE
// collation. The range is built from the literal characters the pattern
// begins with, as far as NOCASE (which ignores the case of ASCII letters
// only) treats them as jetLike does: it ends before the first wildcard, the
// first non-ASCII character ("ü" and "Ü" would need two ranges) and the
// first ASCII character that a non-ASCII one also matches (the Kelvin sign
// matches "k"). The range may hold texts that do not match, so the pattern
// must still be tested. nullopt when no such characters lead the pattern
// (e.g. "*text*", "Ärzte*"): the range would be everything.
struct LikePrefixRange {
    QString low;
    QString high;
};
std::optional<LikePrefixRange> likePrefixRange(QStringView pattern);

} // namespace quittora
