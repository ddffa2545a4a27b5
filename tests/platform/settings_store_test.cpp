#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

using namespace quittora;

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
    QSettings raw(ini, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("Startup/Datenpfad")).toString(), QStringLiteral("/x/Quittora.qtb"));
}
