#pragma once

#include <QString>

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

} // namespace quittora
