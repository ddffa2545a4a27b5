#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace quittora {

// Writes bytes as the whole content of the file at path. The content goes to
// a temporary file beside the target; every write, the final flush and the
// sync to the disk are checked, and only then does the file take the target's
// name, replacing an older file in one step. On any failure nothing new stays
// behind, neither under the target's name nor as a temporary file, and an
// older file of that name is left as it was.
//
// QSaveFile alone is not enough for this: it buffers the last part of the
// content and does not report a failed final write from commit(), so a full
// disk gave a file cut short that was reported as written.
//
// False with the German reason (one sentence, without the path) in *reason.
bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* reason);

// Writes bytes to an open device and, for a file, flushes Qt's buffer: true
// only when every byte was taken and no error is pending. For writers that
// take a device (a QBuffer in tests); a file on disk goes through
// writeFileWhole.
bool writeAllTo(QIODevice& out, const QByteArray& bytes);

} // namespace quittora
