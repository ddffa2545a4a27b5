#pragma once

#include <QRegularExpression>
#include <QString>

namespace quittora::test {

// True when a text shown to the user gives itself away as English: words the
// system, Qt or SQLite put into their own messages ("No such file or
// directory", "database is locked", "file is not a database", ...).
inline bool looksEnglish(const QString& text)
{
    static const QRegularExpression english(
        QStringLiteral("\\b(the|error|failed|cannot|could not|unable|denied|permission|no such|driver|query|"
                       "mismatch|locked|invalid|unknown|syntax|constraint|readonly|attempt|database|file is|not a|"
                       "directory|refers to|disk|space left|opening)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    // Option names ("--syntax") are part of the call, not of the message.
    static const QRegularExpression option(QStringLiteral("--[a-z-]+"));
    return english.match(QString(text).remove(option)).hasMatch();
}

} // namespace quittora::test
