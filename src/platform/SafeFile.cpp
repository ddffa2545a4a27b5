#include "platform/SafeFile.h"

#include "platform/ErrorTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quittora {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString reasonForErrno(int error)
{
    // Reached through a size limit of the process or the file system.
    if (error == EFBIG)
        return QStringLiteral("Die Datei ist zu groß für den Datenträger.");
    return errnoReason(error);
}

// Why the file could not be created there. The path says more than the
// error code of the failed open (which may come from a fallback Qt tried).
QString whyNotCreated(const QString& path, int error)
{
    if (error == ENOSPC || error == EIO || error == EFBIG
#ifdef EDQUOT
        || error == EDQUOT
#endif
#ifdef EROFS
        || error == EROFS
#endif
    )
        return reasonForErrno(error);
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("„%1“ ist ein Ordner.").arg(shown(path));
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("Der Ordner „%1“ ist nicht vorhanden.").arg(shown(folder.filePath()));
    if (!folder.isWritable())
        return QStringLiteral("In den Ordner „%1“ darf nicht geschrieben werden.").arg(shown(folder.filePath()));
    if (info.exists() && !info.isWritable())
        return QStringLiteral("Die Datei ist schreibgeschützt.");
    return error != 0 ? reasonForErrno(error) : QStringLiteral("Der Datenträger ist voll oder nicht beschreibbar.");
}

// Every byte through the descriptor itself: a short or failed write is seen
// here, with its errno, not somewhere in a buffer later.
int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        data += written;
        left -= written;
    }
    return 0;
}

int syncDescriptor(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// The new name must survive a power cut too; a file system that cannot sync
// a folder still has the complete file, so a failure here changes nothing.
void syncFolder(const QString& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool fail(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return false;
}

} // namespace

bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* reason)
{
    QSaveFile file(path);
    // Never written into the target itself: half a file must not get its name.
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reason, whyNotCreated(path, errno));
    const int fd = file.handle();
    if (fd < 0) {
        file.cancelWriting();
        return fail(reason, QStringLiteral("Die Datei kann nicht geöffnet werden."));
    }
    int error = writeAll(fd, bytes);
    // Nothing went through Qt's buffer; flushing and asking it anyway keeps
    // this honest should that ever change.
    if (error == 0 && (!file.flush() || file.error() != QFileDevice::NoError))
        error = errno != 0 ? errno : EIO;
    if (error == 0)
        error = syncDescriptor(fd);
    if (error != 0) {
        file.cancelWriting();
        return fail(reason, reasonForErrno(error));
    }
    errno = 0;
    if (!file.commit()) {
        const int commitError = errno;
        return fail(reason, commitError != 0 ? reasonForErrno(commitError) : fileReason(file));
    }
    syncFolder(path);
    return true;
}

bool writeAllTo(QIODevice& out, const QByteArray& bytes)
{
    if (out.write(bytes) != bytes.size())
        return false;
    if (auto* file = qobject_cast<QFileDevice*>(&out))
        return file->flush() && file->error() == QFileDevice::NoError;
    return true;
}

} // namespace quittora
