#pragma once

#include "support/TestDatabaseFile.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs a program of the build or the package as its own process, the way a
// scheduled job or a shell script would, and hands back what it said.
namespace quittora::test {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Extra variables are set on top of the test's own environment; the names in
// unset are taken out of it.
inline CliRun runProgram(const QString& program, const QStringList& args, const QProcessEnvironment& extra = {},
                         const QStringList& unset = {}, int timeoutMs = 60000)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : unset)
        env.remove(key);
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, QString(), program + QStringLiteral(" did not finish in time")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

#ifdef QUITTORA_CLI
inline CliRun runCli(const QStringList& args, const QProcessEnvironment& extra = {}, const QStringList& unset = {},
                     int timeoutMs = 60000)
{
    return runProgram(QStringLiteral(QUITTORA_CLI), args, extra, unset, timeoutMs);
}
#endif

inline QByteArray fileBytes(const QString& path) { return testfiles::bytesOf(path); }

inline QByteArray fileHash(const QString& path)
{
    return QFile::exists(path) ? QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256) : QByteArray();
}

} // namespace quittora::test
