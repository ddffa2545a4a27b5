#pragma once

#include "platform/Shell.h"

#include <QList>

namespace quittora {

// Records what the program hands to the desktop instead of doing it.
class RecordingShell final : public Shell {
public:
    struct Started {
        QString program;
        QStringList arguments;
        bool operator==(const Started&) const = default;
    };

    bool open(const QString& fileOrUrl) override
    {
        m_opened.push_back(fileOrUrl);
        return m_result;
    }
    bool start(const QString& program, const QStringList& arguments) override
    {
        m_started.push_back({program, arguments});
        return m_result;
    }

    // What open() and start() answer from now on (true at first).
    void setResult(bool ok) { m_result = ok; }

    const QStringList& opened() const { return m_opened; }
    const QList<Started>& started() const { return m_started; }
    void clear()
    {
        m_opened.clear();
        m_started.clear();
    }

private:
    QStringList m_opened;
    QList<Started> m_started;
    bool m_result = true;
};

} // namespace quittora
