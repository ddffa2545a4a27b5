#pragma once

#include "platform/Clipboard.h"

#include <QStringList>

namespace quittora {

// A clipboard of the test's own; history() lists every text set, in order.
class FakeClipboard final : public Clipboard {
public:
    void setText(const QString& text) override
    {
        m_text = text;
        m_history.push_back(text);
    }
    QString text() const override { return m_text; }

    const QStringList& history() const { return m_history; }

private:
    QString m_text;
    QStringList m_history;
};

} // namespace quittora
