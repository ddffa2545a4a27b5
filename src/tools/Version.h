#pragma once

#include <QString>

namespace quittora {

inline QString productName() { return QStringLiteral("Quittora pro"); }
// The installed version text as the information window shows it; the update
// check compares the server's text with it exactly.
inline QString installedVersion() { return QStringLiteral("Version 3.08"); }
// Release date of this version, as the information window shows it.
inline QString releaseDate() { return QStringLiteral("20.07.2018"); }

} // namespace quittora
