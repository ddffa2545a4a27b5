#pragma once

#include "platform/LocaleInfo.h"

namespace quittora {

// A locale whose decimal separator and date format the test chooses;
// German by default.
class FakeLocaleInfo final : public LocaleInfo {
public:
    explicit FakeLocaleInfo(QChar separator = QLatin1Char(','),
                            const QString& dateFormat = QStringLiteral("dd.MM.yyyy"))
        : m_separator(separator), m_dateFormat(dateFormat)
    {
    }

    QChar decimalSeparator() const override { return m_separator; }
    QString shortDateFormat() const override { return m_dateFormat; }

    void setDecimalSeparator(QChar separator) { m_separator = separator; }

private:
    QChar m_separator;
    QString m_dateFormat;
};

} // namespace quittora
