#include "data/JetLike.h"

#include <array>

namespace quittora {

namespace {

// Runs for every character of every row a search looks at: ASCII, by far
// the most frequent, folds without the Unicode tables.
inline QChar fold(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'A' && u <= u'Z') ? QChar(char16_t(u + 0x20)) : c;
    return c.toCaseFolded();
}

// Where a character sorts inside a bracket range: accented letters and the
// umlauts count as their base letter, so [a-z] takes "ä" as a German reader
// expects, and "ß" counts as "s".
char16_t rangeKey(QChar c)
{
    const QChar f = fold(c);
    if (f == QChar(0x00DF))
        return u's';
    if (f.decompositionTag() == QChar::Canonical) {
        const QString d = f.decomposition();
        if (!d.isEmpty())
            return fold(d.at(0)).unicode();
    }
    return f.unicode();
}

bool inRange(QChar c, QChar lo, QChar hi)
{
    const char16_t loKey = fold(lo).unicode();
    const char16_t hiKey = fold(hi).unicode();
    const char16_t direct = fold(c).unicode();
    if (direct >= loKey && direct <= hiKey)
        return true;
    const char16_t base = rangeKey(c);
    return base >= loKey && base <= hiKey;
}

// Index of the ']' closing the bracket at 'open', or -1 when there is none.
qsizetype closingBracket(QStringView pattern, qsizetype open)
{
    qsizetype i = open + 1;
    if (i < pattern.size() && pattern[i] == QLatin1Char('!'))
        ++i;
    for (; i < pattern.size(); ++i) {
        if (pattern[i] == QLatin1Char(']'))
            return i;
    }
    return -1;
}

// Whether the bracket group pattern[open..close] admits c.
bool groupMatches(QStringView pattern, qsizetype open, qsizetype close, QChar c)
{
    qsizetype i = open + 1;
    bool negated = false;
    if (i < close && pattern[i] == QLatin1Char('!')) {
        negated = true;
        ++i;
    }
    bool found = false;
    while (i < close) {
        const QChar first = pattern[i];
        if (i + 2 < close && pattern[i + 1] == QLatin1Char('-')) {
            if (inRange(c, first, pattern[i + 2]))
                found = true;
            i += 3;
        } else {
            if (fold(first) == fold(c))
                found = true;
            ++i;
        }
    }
    return found != negated;
}

// Tries the one-character token at pattern[p] against c. Returns the index
// after the token when it matches, -1 otherwise. Never called on '*' or on an
// empty group "[]".
qsizetype matchToken(QStringView pattern, qsizetype p, QChar c)
{
    const QChar pc = pattern[p];
    if (pc == QLatin1Char('?'))
        return p + 1;
    if (pc == QLatin1Char('#'))
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? p + 1 : -1;
    if (pc == QLatin1Char('[')) {
        const qsizetype close = closingBracket(pattern, p);
        if (close >= 0)
            return groupMatches(pattern, p, close, c) ? close + 1 : -1;
        // An unclosed '[' is just the character.
    }
    return fold(pc) == fold(c) ? p + 1 : -1;
}

// Skips tokens that match the empty text: "[]" stands for nothing.
qsizetype skipEmptyGroups(QStringView pattern, qsizetype p)
{
    while (p + 1 < pattern.size() && pattern[p] == QLatin1Char('[') && pattern[p + 1] == QLatin1Char(']'))
        p += 2;
    return p;
}

// ASCII characters that jetLike also finds for some non-ASCII character
// (U+212A KELVIN SIGN folds to "k", U+017F LONG S to "s"): a NOCASE range
// from them would miss those texts.
const std::array<bool, 128>& asciiSharedWithOthers()
{
    static const std::array<bool, 128> shared = [] {
        std::array<bool, 128> a{};
        for (char32_t u = 0x80; u <= 0xFFFF; ++u) {
            const char16_t f = fold(QChar(char16_t(u))).unicode();
            if (f < 0x80) {
                a[f] = true;
                // Both cases of the letter it folds to.
                if (f >= u'a' && f <= u'z')
                    a[f - 0x20] = true;
            }
        }
        return a;
    }();
    return shared;
}

} // namespace

std::optional<LikePrefixRange> likePrefixRange(QStringView pattern)
{
    QString prefix;
    for (const QChar c : pattern) {
        const char16_t u = c.unicode();
        if (u == 0 || u >= 0x80 || u == u'*' || u == u'?' || u == u'#' || u == u'[' || asciiSharedWithOthers()[u])
            break;
        // NOCASE compares ASCII letters as lower case.
        prefix.append(fold(c));
    }
    if (prefix.isEmpty())
        return std::nullopt;
    // The first text past every text that begins with the prefix: its last
    // character raised by one (an ASCII character, so this never overflows;
    // after 0x7F comes U+0080, which sorts above every ASCII byte as UTF-8).
    QString high = prefix;
    high.back() = QChar(char16_t(high.back().unicode() + 1));
    return LikePrefixRange{prefix, high};
}

bool jetLike(QStringView text, QStringView pattern)
{
    // Classic wildcard matching with a single backtrack point: every token
    // except '*' takes exactly one character, so returning to the last '*'
    // and letting it swallow one more character is enough.
    const qsizetype n = text.size();
    const qsizetype m = pattern.size();
    qsizetype t = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starT = 0;
    while (t < n) {
        p = skipEmptyGroups(pattern, p);
        if (p < m && pattern[p] == QLatin1Char('*')) {
            while (p < m && pattern[p] == QLatin1Char('*'))
                ++p;
            starP = p;
            starT = t;
            continue;
        }
        if (p < m) {
            const qsizetype next = matchToken(pattern, p, text[t]);
            if (next >= 0) {
                p = next;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    for (;;) {
        p = skipEmptyGroups(pattern, p);
        if (p < m && pattern[p] == QLatin1Char('*'))
            ++p;
        else
            break;
    }
    return p == m;
}

QString likePattern(const QString& typed, LikeMode mode)
{
    switch (mode) {
    case LikeMode::StartsWith:
        return typed + QLatin1Char('*');
    case LikeMode::Contains:
        return QLatin1Char('*') + typed + QLatin1Char('*');
    }
    return typed;
}

} // namespace quittora
