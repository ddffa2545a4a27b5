#pragma once

#include "data/Schema.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace quittora::testfiles {

// Runs SQL on a file; false on any error.
inline bool execOn(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
              && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// A small Quittora file without the full layout: marked with the program's
// application id and layout version, with one table `Kunden` of names. Enough
// for code that treats the database as a whole file (backup, restore).
// Returns false when it could not be written.
inline bool makeNamesDatabase(const QString& path, const QStringList& names)
{
    QString sql = QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2; "
                                 "CREATE TABLE Kunden(ID INTEGER PRIMARY KEY AUTOINCREMENT, a1 TEXT); BEGIN;")
                      .arg(schema::kApplicationId)
                      .arg(schema::kUserVersion);
    for (QString name : names)
        sql += QStringLiteral("INSERT INTO Kunden(a1) VALUES('%1');").arg(name.replace(QLatin1Char('\''), QStringLiteral("''")));
    return execOn(path, (sql + QStringLiteral("COMMIT;")).toUtf8().constData());
}

// The names of such a file in their order; empty when it cannot be read.
inline QStringList namesIn(const QString& path)
{
    QStringList names;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        const auto add = [](void* list, int, char** values, char**) {
            *static_cast<QStringList*>(list) << QString::fromUtf8(values[0]);
            return 0;
        };
        sqlite3_exec(db, "SELECT a1 FROM Kunden ORDER BY ID", add, &names, nullptr);
    }
    sqlite3_close(db);
    return names;
}

inline QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace quittora::testfiles
