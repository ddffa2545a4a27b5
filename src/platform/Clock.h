#pragma once

#include <QDate>
#include <QDateTime>

#include <memory>

namespace quittora {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
};

std::unique_ptr<Clock> makeSystemClock();

} // namespace quittora
