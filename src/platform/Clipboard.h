#pragma once

#include <QString>

#include <memory>

namespace quittora {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

// The system clipboard (needs a QGuiApplication).
std::unique_ptr<Clipboard> makeSystemClipboard();

} // namespace quittora
