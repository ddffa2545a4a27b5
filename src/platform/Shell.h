#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace quittora {

// Hands files and addresses to the desktop's programs.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or URL ("mailto:", "https:") with the desktop's program
    // for it. False when the desktop could not open it.
    virtual bool open(const QString& fileOrUrl) = 0;
    // Starts a program with arguments, detached. False when it could not start.
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
};

std::unique_ptr<Shell> makeDesktopShell();

} // namespace quittora
