#pragma once

#include <QString>

#include <memory>

namespace quittora {

class SpecialFolders {
public:
    virtual ~SpecialFolders() = default;
    // The user's documents folder without a trailing separator; empty when the
    // system has none.
    virtual QString documents() const = 0;
    // A temporary folder private to this user (mode 0700, created on first
    // use, never a fixed name in a shared /tmp); with a trailing separator.
    // Empty when it cannot be made.
    virtual QString privateTemp() const = 0;
    // The folder of the program (postal-code database, manual).
    virtual QString programFolder() const = 0;
};

std::unique_ptr<SpecialFolders> makeSystemSpecialFolders();

} // namespace quittora
