#include "data/Database.h"
#include "export/ExportFile.h"
#include "platform/ErrorTexts.h"
#include "platform/LocaleInfo.h"
#include "platform/SettingsStore.h"
#include "platform/SpecialFolders.h"
#include "support/GermanText.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QSqlError>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace quittora;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvOverride {
public:
    EnvOverride(const char* name, const QString& value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~EnvOverride() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
const QFileDevice::Permissions kOpenToAll = QFileDevice::Permissions(0x7777);

} // namespace

TEST(SystemAdapters, SettingsKeepTextsInTheStartupSectionAndTheLocaleGivesAUsableDateFormat)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("q.ini")), key = QStringLiteral("Datenpfad");
    makeQtSettingsStore(ini)->setValue(key, QStringLiteral("/x/Quittora.qtb"));
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("Startup/Datenpfad")).toString(), QStringLiteral("/x/Quittora.qtb"));
    makeQtSettingsStore(ini)->remove(key);
    EXPECT_FALSE(makeQtSettingsStore(ini)->contains(key));
    EXPECT_EQ(makeQtSettingsStore(ini)->value(key, QStringLiteral("D:\\")), QStringLiteral("D:\\"));
    auto locale = makeSystemLocaleInfo();
    const QChar sep = locale->decimalSeparator();
    const QString format = locale->shortDateFormat();
    EXPECT_FALSE(sep.isNull() || sep.isSpace() || sep.isDigit());
    EXPECT_EQ(QDate::fromString(QDate(2024, 3, 9).toString(format), format).dayOfYear(), QDate(2024, 3, 9).dayOfYear()) << format.toStdString();
}

// The private temporary folder is the user's own, owner-only, and always the
// same; a place others can write to or a planted link is never used.
TEST(PrivateTemp, IsAnOwnerOnlyFolderOfTheUserAndUnsafePlacesAreNeverUsed)
{
    enum class Case { Safe, RuntimeOpenToAll, PlantedOpenFolder, PlantedLink, NothingUsable };
    for (Case kase : {Case::Safe, Case::RuntimeOpenToAll, Case::PlantedOpenFolder, Case::PlantedLink, Case::NothingUsable}) {
        const int label = static_cast<int>(kase);
        QTemporaryDir runtime, cache, elsewhere;
        ASSERT_TRUE(runtime.isValid() && cache.isValid() && elsewhere.isValid());
        const QString planted = QDir(runtime.path()).filePath(QStringLiteral("quittora-tmp"));
        QFile::setPermissions(runtime.path(), kase == Case::RuntimeOpenToAll || kase == Case::NothingUsable ? kOpenToAll : kOwnerOnly);
        if (kase == Case::NothingUsable)
            QFile::setPermissions(cache.path(), kOpenToAll);
        if (kase == Case::PlantedOpenFolder) {
            ASSERT_TRUE(QDir().mkdir(planted));
            QFile::setPermissions(planted, kOpenToAll);
        }
        ASSERT_TRUE(kase != Case::PlantedLink || QFile::link(elsewhere.path(), planted));
        EnvOverride r("XDG_RUNTIME_DIR", runtime.path());
        EnvOverride c("XDG_CACHE_HOME", cache.path());

        const QString first = makeSystemSpecialFolders()->privateTemp();
        if (kase == Case::NothingUsable) {
            EXPECT_EQ(first, QString());
            continue;
        }
        EXPECT_TRUE(first.endsWith(QDir::separator()) && makeSystemSpecialFolders()->privateTemp() == first) << first.toStdString();
        const QString dir = QDir::cleanPath(first);
        const struct stat st = statOf(dir);
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << label << ": a link is never followed";
        EXPECT_TRUE((st.st_mode & 07777) == 0700u && st.st_uid == ::getuid()) << label;
        EXPECT_EQ(statOf(QFileInfo(dir).absolutePath()).st_mode & (S_IWGRP | S_IWOTH), 0u) << label;
        // The planted folder is closed again and used; else the cache holds it.
        const bool inRuntime = kase == Case::Safe || kase == Case::PlantedOpenFolder;
        EXPECT_TRUE(inRuntime ? dir == planted : dir.startsWith(cache.path() + QLatin1Char('/')))
            << dir.toStdString() << " case " << label;
        EXPECT_TRUE(kase != Case::RuntimeOpenToAll || !QFileInfo::exists(planted)) << "nothing made in an open folder";
    }
}

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

TEST(ErrorTexts, SystemAndDatabaseReasonsAreGermanAndFollowTheCode)
{
    QStringList reasons;
    for (int error : {ENOSPC, EACCES, ENOENT, EISDIR, EBUSY, EIO, 9999})
        reasons << errnoReason(error);
    for (int code = 1; code <= 28; ++code)
        reasons << sqliteReason(code);
    for (const QString& reason : reasons)
        EXPECT_TRUE(!reason.isEmpty() && !test::looksEnglish(reason)) << reason.toStdString();
    // SQLITE_NOTADB, SQLITE_BUSY, SQLITE_READONLY; 266 is an extended SQLITE_IOERR.
    EXPECT_TRUE(errnoReason(ENOSPC).contains(u("voll")) && sqliteReason(5).contains(u("anderen Programm"))
                && sqliteReason(8).contains(u("schreibgeschützt")) && sqliteReason(266) == sqliteReason(10));
    EXPECT_EQ(sqliteReason(26), u("Die Datei ist keine Datenbank."));
    // A failed COMMIT reaches us without a code, with SQLite's English text;
    // a fault of the program keeps SQLite's words only as an addition.
    const std::pair<QSqlError, QString> table[] = {
        {QSqlError(u("x"), u("file is not a database"), QSqlError::StatementError, u("26")), sqliteReason(26)},
        {QSqlError(u("Unable to commit transaction"), u("database or disk is full"), QSqlError::TransactionError),
         u("Der Datenträger ist voll.")},
        {QSqlError(u("Unable to commit transaction"), u("disk I/O error"), QSqlError::TransactionError), sqliteReason(10)},
        {QSqlError(u("driver"), u("no such table: X"), QSqlError::StatementError, u("1")),
         sqliteReason(1) + u(" (technisch: no such table: X)")},
    };
    for (const auto& [error, expected] : table)
        EXPECT_EQ(databaseReason(error), expected) << error.databaseText().toStdString();
}

TEST(ErrorTexts, FileReasonsTellAFolderAndAMissingFolderApart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto& [path, reason] : {std::pair{dir.path(), "Der Name bezeichnet einen Ordner."},
                                       {dir.filePath(u("fehlt/datei.txt")), "Der Ordner ist nicht vorhanden."}}) {
        QSaveFile file(path);
        EXPECT_FALSE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(fileReason(file), u(reason));
    }
    QString message;
    EXPECT_TRUE(!Database::createFromTemplate(dir.path(), QLatin1Char(','), &message) && message.contains(u("ist ein Ordner")))
        << message.toStdString();
}

TEST(ErrorTexts, AnExportNeverReplacesADatabaseButAnEarlierExport)
{
    test::TempDatabase db;
    ASSERT_TRUE(db.isValid());
    const QByteArray before = test::TempDatabase::readFile(db.path());
    QString error;
    for (const auto& [path, message] : {std::pair{db.path(), "ist eine Datenbank und wird nicht überschrieben"}, {db.folder(), "ist ein Ordner"}}) {
        EXPECT_FALSE(replaceFile(path, "Kundenliste", &error));
        EXPECT_TRUE(error.contains(u(message))) << error.toStdString();
    }
    const QString text = db.filePath(u("liste.txt"));
    EXPECT_TRUE(replaceFile(text, "alt", &error) && replaceFile(text, "neu", &error));
    EXPECT_TRUE(test::TempDatabase::readFile(db.path()) == before && test::TempDatabase::readFile(text) == "neu");
}

} // namespace
