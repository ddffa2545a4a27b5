#pragma once

#include "data/Schema.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace quittora::testfiles {

// A small Quittora file without the full layout: marked with the program's
// application id and layout version, with one table `Kunden` of names. Enough
// for code that treats the database as a whole file (backup, restore).
// Returns false when it could not be written.
inline bool makeNamesDatabase(const QString& path, const QStringList& names, bool wal = false)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const QByteArray setup = QStringLiteral("PRAGMA application_id=%1; PRAGMA user_version=%2; %3"
                                            "CREATE TABLE Kunden(ID INTEGER PRIMARY KEY AUTOINCREMENT, a1 TEXT);")
                                 .arg(schema::kApplicationId)
                                 .arg(schema::kUserVersion)
                                 .arg(wal ? QStringLiteral("PRAGMA journal_mode=WAL;") : QString())
                                 .toUtf8();
    bool ok = sqlite3_exec(db, setup.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const QString& name : names) {
        sqlite3_stmt* stmt = nullptr;
        ok = ok && sqlite3_prepare_v2(db, "INSERT INTO Kunden(a1) VALUES(?)", -1, &stmt, nullptr) == SQLITE_OK;
        const QByteArray utf8 = name.toUtf8();
        if (ok) {
            sqlite3_bind_text(stmt, 1, utf8.constData(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(stmt) == SQLITE_DONE;
        }
        sqlite3_finalize(stmt);
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The names of such a file in their order; empty when it cannot be read.
inline QStringList namesIn(const QString& path)
{
    QStringList names;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT a1 FROM Kunden ORDER BY ID", -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return names;
}

// Runs SQL on a file; false on any error.
inline bool execOn(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
              && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
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
