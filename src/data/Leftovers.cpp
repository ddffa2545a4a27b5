#include "data/Leftovers.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace quittora::leftovers {

namespace {

QRegularExpression namePattern(const QString& prefix, const QString& kind, const QString& suffix)
{
    // The tail allows what SQLite keeps beside a database and the temporary
    // name Database::createFromTemplate builds a new file under.
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(prefix) + QRegularExpression::escape(kind)
                              + QStringLiteral("-([0-9a-f]{8})-([0-9]{1,10})-[A-Za-z0-9]{8}")
                              + QRegularExpression::escape(suffix)
                              + QStringLiteral("(\\.neu-[0-9a-f]{8}-[0-9]{1,10}-[A-Za-z0-9]{8})?(-journal|-wal|-shm)?$"));
}

} // namespace

QString machineTag()
{
    static const QString tag = [] {
        QByteArray id = QSysInfo::machineUniqueId();
        if (id.isEmpty())
            id = QSysInfo::machineHostName().toUtf8();
        return QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(8));
    }();
    return tag;
}

bool isProcessRunning(qint64 pid)
{
    if (pid <= 0)
        return true;
#ifdef Q_OS_WIN
    return true;
#else
    if (pid == static_cast<qint64>(::getpid()))
        return true;
    if (::kill(static_cast<pid_t>(pid), 0) == 0)
        return true;
    return errno != ESRCH;
#endif
}

QString temporaryName(const QString& folder, const QString& prefix, const QString& kind, const QString& suffix)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const qint64 pid = QCoreApplication::applicationPid();
    QString path;
    do {
        QString random;
        for (int i = 0; i < 8; ++i)
            random += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        path = QDir(folder).filePath(prefix + kind + QLatin1Char('-') + machineTag() + QLatin1Char('-')
                                     + QString::number(pid) + QLatin1Char('-') + random + suffix);
    } while (QFileInfo::exists(path) || QFileInfo(path).isSymLink());
    return path;
}

qint64 ownerOf(const QString& fileName, const QString& prefix, const QString& kind, const QString& suffix)
{
    const QRegularExpressionMatch m = namePattern(prefix, kind, suffix).match(fileName);
    if (!m.hasMatch() || m.captured(1) != machineTag())
        return 0;
    return m.captured(2).toLongLong();
}

qint64 removeAbandoned(const QString& folder, const QString& prefix, const QString& kind, const QString& suffix)
{
    qint64 freed = 0;
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // A link of that name points elsewhere: it was not made by us.
        if (entry.isSymLink())
            continue;
        const qint64 pid = ownerOf(entry.fileName(), prefix, kind, suffix);
        if (pid == 0 || isProcessRunning(pid))
            continue;
        const qint64 size = entry.size();
        if (QFile::remove(entry.absoluteFilePath()))
            freed += size;
    }
    return freed;
}

} // namespace quittora::leftovers
