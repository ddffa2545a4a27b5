// The Qt implementations of the platform adapters that need no widgets.
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>

namespace quittora {

namespace {

const QString kApplication = QStringLiteral("Quittora pro");
const QString kSection = QStringLiteral("Startup");

class QtSettingsStore final : public SettingsStore {
public:
    explicit QtSettingsStore(const QString& iniFile)
        : m_settings(iniFile.isEmpty() ? std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kApplication, kApplication)
                                       : std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
    {
    }
    QString value(const QString& key, const QString& defaultValue) const override
    {
        return m_settings->value(path(key), defaultValue).toString();
    }
    bool contains(const QString& key) const override { return m_settings->contains(path(key)); }
    void setValue(const QString& key, const QString& value) override
    {
        m_settings->setValue(path(key), value);
        m_settings->sync();
    }
    void remove(const QString& key) override
    {
        m_settings->remove(path(key));
        m_settings->sync();
    }

private:
    static QString path(const QString& key) { return kSection + QLatin1Char('/') + key; }
    std::unique_ptr<QSettings> m_settings;
};

class SystemClock final : public Clock {
public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class DesktopShell final : public Shell {
public:
    bool open(const QString& fileOrUrl) override
    {
        const QUrl url = fileOrUrl.contains(QLatin1String("://")) || fileOrUrl.startsWith(QLatin1String("mailto:"))
                             ? QUrl(fileOrUrl)
                             : QUrl::fromLocalFile(fileOrUrl);
        return QDesktopServices::openUrl(url);
    }
    bool start(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

class SystemSpecialFolders final : public SpecialFolders {
public:
    QString documents() const override
    {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return dir.isEmpty() ? QString() : QDir::toNativeSeparators(QDir::cleanPath(dir));
    }
    QString privateTemp() const override
    {
        // Exports land here; other accounts must neither read nor plant files,
        // so the folder lives in the user's runtime or cache folder and is
        // made 0700.
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty() || !QFileInfo(base).isDir() || !QFileInfo(base).isWritable())
            base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (base.isEmpty())
            return {};
        const QString dir = QDir(base).filePath(QStringLiteral("quittora-tmp"));
        if (!QDir().mkpath(dir))
            return {};
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QFileInfo info(dir);
        if (!info.isDir() || info.ownerId() != ::getuid())
            return {};
        return QDir::toNativeSeparators(dir) + QDir::separator();
    }
    QString programFolder() const override { return QCoreApplication::applicationDirPath(); }
};

class SystemLocaleInfo final : public LocaleInfo {
public:
    QChar decimalSeparator() const override
    {
        const QString sep = QLocale::system().decimalPoint();
        return sep.isEmpty() ? QLatin1Char(',') : sep.at(0);
    }
    QString shortDateFormat() const override { return QLocale::system().dateFormat(QLocale::ShortFormat); }
};

class SystemClipboard final : public Clipboard {
public:
    void setText(const QString& text) override
    {
        if (auto* cb = QGuiApplication::clipboard())
            cb->setText(text);
    }
    QString text() const override
    {
        auto* cb = QGuiApplication::clipboard();
        return cb ? cb->text() : QString();
    }
};

} // namespace

std::unique_ptr<SettingsStore> makeQtSettingsStore(const QString& iniFile)
{
    return std::make_unique<QtSettingsStore>(iniFile);
}
std::unique_ptr<Clock> makeSystemClock() { return std::make_unique<SystemClock>(); }
std::unique_ptr<Shell> makeDesktopShell() { return std::make_unique<DesktopShell>(); }
std::unique_ptr<SpecialFolders> makeSystemSpecialFolders() { return std::make_unique<SystemSpecialFolders>(); }
std::unique_ptr<LocaleInfo> makeSystemLocaleInfo() { return std::make_unique<SystemLocaleInfo>(); }
std::unique_ptr<Clipboard> makeSystemClipboard() { return std::make_unique<SystemClipboard>(); }

} // namespace quittora
