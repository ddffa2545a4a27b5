#include "platform/ErrorTexts.h"

#include "data/Database.h"
#include "export/ExportFile.h"
#include "support/GermanText.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSqlError>

#include <cerrno>

using namespace quittora;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(ErrorTexts, SystemReasonsAreGerman)
{
    for (int error : {ENOSPC, EACCES, EPERM, ENOENT, ENOTDIR, EISDIR, EEXIST, EBUSY, EIO, ENAMETOOLONG, 9999}) {
        const QString reason = errnoReason(error);
        EXPECT_FALSE(reason.isEmpty()) << error;
        EXPECT_FALSE(test::looksEnglish(reason)) << reason.toStdString();
    }
    EXPECT_TRUE(errnoReason(ENOSPC).contains(u("voll")));
}

TEST(ErrorTexts, DatabaseReasonsFollowTheSqliteCodeExtendedOrNot)
{
    // SQLITE_NOTADB, SQLITE_BUSY, SQLITE_READONLY, SQLITE_FULL; 266 is an
    // extended SQLITE_IOERR.
    EXPECT_EQ(sqliteReason(26), u("Die Datei ist keine Datenbank."));
    EXPECT_TRUE(sqliteReason(5).contains(u("anderen Programm")));
    EXPECT_TRUE(sqliteReason(8).contains(u("schreibgeschützt")));
    EXPECT_TRUE(sqliteReason(13).contains(u("voll")));
    EXPECT_EQ(sqliteReason(266), sqliteReason(10));
    for (int code = 1; code <= 28; ++code) {
        EXPECT_FALSE(sqliteReason(code).isEmpty()) << code;
        EXPECT_FALSE(test::looksEnglish(sqliteReason(code))) << sqliteReason(code).toStdString();
    }

    EXPECT_EQ(databaseReason(QSqlError(u("file is not a database"), u("file is not a database"),
                                       QSqlError::StatementError, u("26"))),
              u("Die Datei ist keine Datenbank."));
    // A failed COMMIT reaches us without a code, with SQLite's English text.
    EXPECT_EQ(databaseReason(QSqlError(u("Unable to commit transaction"), u("database or disk is full"),
                                       QSqlError::TransactionError)),
              u("Der Datenträger ist voll."));
    EXPECT_EQ(databaseReason(QSqlError(u("Unable to commit transaction"), u("disk I/O error"), QSqlError::TransactionError)),
              sqliteReason(10));
    // A fault of the program keeps SQLite's words only as an addition.
    EXPECT_EQ(databaseReason(QSqlError(u("driver"), u("no such table: X"), QSqlError::StatementError, u("1"))),
              sqliteReason(1) + u(" (technisch: no such table: X)"));
}

TEST(ErrorTexts, FileReasonTellsAFolderAndAMissingFolderApart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSaveFile intoFolder(dir.path());
    EXPECT_FALSE(intoFolder.open(QIODevice::WriteOnly));
    EXPECT_EQ(fileReason(intoFolder), u("Der Name bezeichnet einen Ordner."));

    QSaveFile intoNowhere(dir.filePath(u("fehlt/datei.txt")));
    EXPECT_FALSE(intoNowhere.open(QIODevice::WriteOnly));
    EXPECT_EQ(fileReason(intoNowhere), u("Der Ordner ist nicht vorhanden."));

    QFile missing(dir.filePath(u("fehlt.txt")));
    EXPECT_FALSE(missing.open(QIODevice::ReadOnly));
    EXPECT_FALSE(test::looksEnglish(fileReason(missing))) << fileReason(missing).toStdString();
}

TEST(ErrorTexts, AnExportNeverReplacesADatabase)
{
    test::TempDatabase db;
    ASSERT_TRUE(db.isValid());
    EXPECT_TRUE(Database::isDatabaseFile(db.path()));
    const QByteArray before = test::TempDatabase::readFile(db.path());
    QString error;
    EXPECT_FALSE(replaceFile(db.path(), "Kundenliste", &error));
    EXPECT_TRUE(error.contains(u("ist eine Datenbank und wird nicht überschrieben"))) << error.toStdString();
    EXPECT_EQ(test::TempDatabase::readFile(db.path()), before);

    const QString text = db.filePath(u("liste.txt"));
    EXPECT_TRUE(replaceFile(text, "alt", &error));
    EXPECT_FALSE(Database::isDatabaseFile(text));
    EXPECT_TRUE(replaceFile(text, "neu", &error)) << "an earlier export is replaced";
    EXPECT_EQ(test::TempDatabase::readFile(text), QByteArray("neu"));

    EXPECT_FALSE(replaceFile(db.folder(), "x", &error));
    EXPECT_TRUE(error.contains(u("ist ein Ordner"))) << error.toStdString();
    EXPECT_FALSE(test::looksEnglish(error)) << error.toStdString();
}

TEST(ErrorTexts, NewDatabaseInPlaceOfAFolderOrInAnUnwritablePlaceSaysWhyInGerman)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString message;
    EXPECT_FALSE(Database::createFromTemplate(dir.path(), QLatin1Char(','), &message));
    EXPECT_TRUE(message.contains(u("ist ein Ordner"))) << message.toStdString();
    QFile plain(dir.filePath(u("datei")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(Database::createFromTemplate(dir.filePath(u("datei/neu.qtb")), QLatin1Char(','), &message));
    EXPECT_FALSE(test::looksEnglish(message)) << message.toStdString();
}

} // namespace
