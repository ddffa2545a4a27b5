#include "platform/LocaleInfo.h"
#include "platform/SettingsStore.h"
#include "platform/SpecialFolders.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

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

TEST(QtSettingsStore, KeepsTextValuesInTheStartupSectionAcrossInstances)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("q.ini"));
    {
        auto store = makeQtSettingsStore(ini);
        EXPECT_FALSE(store->contains(QStringLiteral("Datenpfad")));
        EXPECT_EQ(store->value(QStringLiteral("Sicherung"), QStringLiteral("D:\\")), QStringLiteral("D:\\"));
        store->setValue(QStringLiteral("Datenpfad"), QStringLiteral("/x/Quittora.qtb"));
        store->setValue(QStringLiteral("Fenster"), QStringLiteral("2"));
        store->remove(QStringLiteral("Fenster"));
    }
    auto again = makeQtSettingsStore(ini);
    EXPECT_EQ(again->value(QStringLiteral("Datenpfad")), QStringLiteral("/x/Quittora.qtb"));
    EXPECT_FALSE(again->contains(QStringLiteral("Fenster")));
    EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("Startup/Datenpfad")).toString(),
              QStringLiteral("/x/Quittora.qtb"));
}

TEST(PrivateTemp, IsAnOwnerOnlyFolderOfTheUserThatStaysTheSame)
{
    QTemporaryDir runtime, cache;
    ASSERT_TRUE(runtime.isValid() && cache.isValid());
    QFile::setPermissions(runtime.path(), kOwnerOnly);
    EnvOverride r("XDG_RUNTIME_DIR", runtime.path());
    EnvOverride c("XDG_CACHE_HOME", cache.path());
    auto folders = makeSystemSpecialFolders();
    const QString first = folders->privateTemp();
    ASSERT_TRUE(first.endsWith(QDir::separator())) << first.toStdString();
    const QString dir = QDir::cleanPath(first);
    const struct stat st = statOf(dir);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());
    // Nobody else can write into the folder that holds it.
    EXPECT_EQ(statOf(QFileInfo(dir).absolutePath()).st_mode & (S_IWGRP | S_IWOTH), 0u);
    EXPECT_NE(QFileInfo(dir).absolutePath(), QDir::tempPath());
    EXPECT_EQ(folders->privateTemp(), first);
    EXPECT_EQ(makeSystemSpecialFolders()->privateTemp(), first);
    QFile f(first + QStringLiteral("Quittora.eml"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << "usable";
}

TEST(PrivateTemp, UnsafePlacesAreNeverUsed)
{
    enum class Case { RuntimeOpenToAll, PlantedOpenFolder, PlantedLink, NothingUsable };
    for (Case kase : {Case::RuntimeOpenToAll, Case::PlantedOpenFolder, Case::PlantedLink, Case::NothingUsable}) {
        const int label = static_cast<int>(kase);
        QTemporaryDir runtime, cache, elsewhere;
        ASSERT_TRUE(runtime.isValid() && cache.isValid() && elsewhere.isValid());
        const QString planted = QDir(runtime.path()).filePath(QStringLiteral("quittora-tmp"));
        QFile::setPermissions(runtime.path(), kase == Case::PlantedOpenFolder || kase == Case::PlantedLink ? kOwnerOnly : kOpenToAll);
        if (kase == Case::NothingUsable)
            QFile::setPermissions(cache.path(), kOpenToAll);
        if (kase == Case::PlantedOpenFolder) {
            ASSERT_TRUE(QDir().mkdir(planted));
            QFile::setPermissions(planted, kOpenToAll);
        }
        if (kase == Case::PlantedLink)
            ASSERT_TRUE(QFile::link(elsewhere.path(), planted));
        EnvOverride r("XDG_RUNTIME_DIR", runtime.path());
        EnvOverride c("XDG_CACHE_HOME", cache.path());

        const QString dir = QDir::cleanPath(makeSystemSpecialFolders()->privateTemp());
        switch (kase) {
        case Case::PlantedOpenFolder: // closed again and used
            EXPECT_EQ(dir, planted);
            EXPECT_EQ(statOf(dir).st_mode & 07777, 0700u);
            break;
        case Case::NothingUsable:
            EXPECT_EQ(makeSystemSpecialFolders()->privateTemp(), QString());
            break;
        default: // the cache folder instead; a link is never followed
            EXPECT_TRUE(dir.startsWith(cache.path() + QLatin1Char('/'))) << dir.toStdString() << " case " << label;
            EXPECT_FALSE(S_ISLNK(statOf(dir).st_mode)) << label;
            if (kase == Case::RuntimeOpenToAll)
                EXPECT_FALSE(QFileInfo::exists(planted));
        }
    }
}

TEST(SystemLocaleInfo, GivesOneSeparatorCharacterAndAUsableDateFormat)
{
    auto locale = makeSystemLocaleInfo();
    const QChar sep = locale->decimalSeparator();
    EXPECT_FALSE(sep.isNull() || sep.isSpace() || sep.isDigit());
    const QString format = locale->shortDateFormat();
    const QDate back = QDate::fromString(QDate(2024, 3, 9).toString(format), format);
    ASSERT_TRUE(back.isValid()) << format.toStdString();
    EXPECT_EQ(back.day(), 9);
    EXPECT_EQ(back.month(), 3);
}
