#pragma once

#include <QString>
#include <QStringList>

namespace quittora {

// Files the program reads but does not write: the postal-code database and
// the manual. In the build tree and in a copied program folder they lie beside
// the program; an installed package keeps programs in <prefix>/bin and such
// files in <prefix>/share/quittora.

// The folders searched, in order: the program folder, then
// <program folder>/../share/quittora. Empty when the program folder is unknown.
QStringList programFileFolders(const QString& programFolder);

// The first of those folders that holds fileName; when none does, the path
// beside the program (where a message tells the user to put it). Empty when
// the program folder is unknown.
QString programFilePath(const QString& programFolder, const QString& fileName);

} // namespace quittora
