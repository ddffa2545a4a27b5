#pragma once

#include <QByteArray>
#include <QString>

namespace quittora {

// The path of an export file in the private temporary folder (which ends with
// a separator). Empty, with the German reason in *error, when there is no
// such folder.
QString exportFilePath(const QString& tempFolder, const QString& fileName, QString* error);

// Writes a file whole through writeFileWhole: any file of that name is
// replaced only once the new content is complete and on the disk; a failed
// write leaves the old file as it was and no new one. A database file is
// never overwritten. False and the German message in *error otherwise.
bool replaceFile(const QString& path, const QByteArray& bytes, QString* error);

// Why a target must not be written at all, checked before anything is
// stored: a database or a folder; empty when it may be.
QString refusedTarget(const QString& path);

} // namespace quittora
