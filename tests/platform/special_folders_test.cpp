#include "platform/LocaleInfo.h"
#include "platform/SpecialFolders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace quittora;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvOverride {
public:
    EnvOverride(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvOverride()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

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

// The folder privateTemp() names, without its trailing separator.
QString folderOf(const QString& privateTemp)
{
    EXPECT_TRUE(privateTemp.endsWith(QDir::separator())) << privateTemp.toStdString();
    return QDir::cleanPath(privateTemp);
}

const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

class PrivateTemp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        ASSERT_TRUE(cache.isValid());
        QFile::setPermissions(runtime.path(), kOwnerOnly);
    }
    QTemporaryDir runtime;
    QTemporaryDir cache;
};

} // namespace

TEST_F(PrivateTemp, IsAnOwnerOnlyFolderOfTheUserAndStaysTheSame)
{
    EnvOverride r("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EnvOverride c("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    auto folders = makeSystemSpecialFolders();

    const QString first = folders->privateTemp();
    ASSERT_FALSE(first.isEmpty());
    const QString dir = folderOf(first);
    const struct stat st = statOf(dir);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());

    // Nobody else can write into the folder that holds it.
    const struct stat parent = statOf(QFileInfo(dir).absolutePath());
    EXPECT_EQ(parent.st_mode & (S_IWGRP | S_IWOTH), 0u);
    EXPECT_NE(QFileInfo(dir).absolutePath(), QDir::tempPath());

    EXPECT_EQ(folders->privateTemp(), first);
    EXPECT_EQ(makeSystemSpecialFolders()->privateTemp(), first);

    // Usable: a file can be written into it.
    QFile f(first + QStringLiteral("Quittora.eml"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST_F(PrivateTemp, AWorldWritableRuntimeFolderIsNotUsed)
{
    QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7777));
    ASSERT_NE(statOf(runtime.path()).st_mode & S_IWOTH, 0u);
    EnvOverride r("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EnvOverride c("XDG_CACHE_HOME", QFile::encodeName(cache.path()));

    const QString dir = folderOf(makeSystemSpecialFolders()->privateTemp());
    EXPECT_TRUE(dir.startsWith(cache.path() + QLatin1Char('/'))) << dir.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir(runtime.path()).filePath(QStringLiteral("quittora-tmp"))));
}

TEST_F(PrivateTemp, AnExistingFolderOpenToOthersIsClosedAgain)
{
    EnvOverride r("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString planted = QDir(runtime.path()).filePath(QStringLiteral("quittora-tmp"));
    ASSERT_TRUE(QDir().mkdir(planted));
    QFile::setPermissions(planted, QFileDevice::Permissions(0x7777));

    const QString dir = folderOf(makeSystemSpecialFolders()->privateTemp());
    EXPECT_EQ(dir, planted);
    EXPECT_EQ(statOf(dir).st_mode & 07777, 0700u);
}

TEST_F(PrivateTemp, ALinkInPlaceOfTheFolderIsNeverFollowed)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    EnvOverride r("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EnvOverride c("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    ASSERT_TRUE(QFile::link(elsewhere.path(), QDir(runtime.path()).filePath(QStringLiteral("quittora-tmp"))));

    const QString dir = folderOf(makeSystemSpecialFolders()->privateTemp());
    EXPECT_TRUE(dir.startsWith(cache.path() + QLatin1Char('/'))) << dir.toStdString();
    EXPECT_FALSE(S_ISLNK(statOf(dir).st_mode));
}

TEST_F(PrivateTemp, WithoutAnyUsableFolderTheAnswerIsEmpty)
{
    QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(cache.path(), QFileDevice::Permissions(0x7777));
    EnvOverride r("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EnvOverride c("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    EXPECT_EQ(makeSystemSpecialFolders()->privateTemp(), QString());
}

TEST(SystemLocaleInfo, GivesOneSeparatorCharacterAndAUsableDateFormat)
{
    auto locale = makeSystemLocaleInfo();
    const QChar sep = locale->decimalSeparator();
    EXPECT_FALSE(sep.isNull());
    EXPECT_FALSE(sep.isSpace());
    EXPECT_FALSE(sep.isDigit());
    const QString format = locale->shortDateFormat();
    // Reads back what it writes (two-digit years aside).
    const QDate date(2024, 3, 9);
    const QDate back = QDate::fromString(date.toString(format), format);
    ASSERT_TRUE(back.isValid()) << format.toStdString();
    EXPECT_EQ(back.day(), 9);
    EXPECT_EQ(back.month(), 3);
}
