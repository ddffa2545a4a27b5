#pragma once

#include "platform/Clipboard.h"

#include <QStringList>

namespace quittora {

// A clipboard of the test's own.
class FakeClipboard final : public Clipboard {
public:
    void setText(const QString& text) override { m_text = text; }
    QString text() const override { return m_text; }

private:
    QString m_text;
};

} // namespace quittora
