#pragma once

#include "platform/Clock.h"

namespace quittora {

// A clock that stands still until the test sets it; starts at
// 1 March 2024, 10:30.
class FixedClock final : public Clock {
public:
    FixedClock() = default;
    explicit FixedClock(const QDateTime& now) : m_now(now) {}

    QDate today() const override { return m_now.date(); }
    QDateTime now() const override { return m_now; }

    // Keeps the time of day.
    void setToday(const QDate& date) { m_now.setDate(date); }

private:
    QDateTime m_now{QDate(2024, 3, 1), QTime(10, 30)};
};

} // namespace quittora
