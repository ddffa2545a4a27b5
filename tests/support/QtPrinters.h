#pragma once

#include <QString>
#include <QVariant>

#include <ostream>

// Lets GoogleTest show Qt strings as text in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(QChar c, std::ostream* os)
{
    *os << '\'' << QString(c).toStdString() << '\'';
}

inline void PrintTo(const QVariant& value, std::ostream* os)
{
    if (value.isNull())
        *os << "QVariant(null)";
    else
        *os << "QVariant(" << value.typeName() << ", \"" << value.toString().toStdString() << "\")";
}
