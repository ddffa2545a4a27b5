#pragma once

#include <QString>

namespace quittora {

inline QString productName() { return QStringLiteral("Quittora pro"); }
// The installed version text; the update check compares it exactly.
inline QString installedVersion() { return QStringLiteral("Version 3.08"); }

} // namespace quittora
