#pragma once

#include <QByteArray>
#include <QString>

namespace quittora {

// The path of an export file in the private temporary folder (which ends with
// a separator). Empty, with the German reason in *error, when there is no
// such folder.
QString exportFilePath(const QString& tempFolder, const QString& fileName, QString* error);

// Writes a file whole, replacing any file of that name only once the new
// content is complete (a failed write leaves the old file as it was).
// False and the German reason in *error when it cannot be written.
bool replaceFile(const QString& path, const QByteArray& bytes, QString* error);

} // namespace quittora
