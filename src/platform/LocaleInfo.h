#pragma once

#include <QChar>
#include <QString>

#include <memory>

namespace quittora {

class LocaleInfo {
public:
    virtual ~LocaleInfo() = default;
    virtual QChar decimalSeparator() const = 0;
    // Short date form of the locale, as QDate::toString takes it ("dd.MM.yyyy").
    virtual QString shortDateFormat() const = 0;
};

// The system locale (QLocale::system()).
std::unique_ptr<LocaleInfo> makeSystemLocaleInfo();

} // namespace quittora
