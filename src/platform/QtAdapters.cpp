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
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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
    // A mail draft opens only in a mail program: where the desktop names no
    // program for mail files, xdg-open would start none (or show the raw
    // text in a browser) and the user would see nothing happen. Other kinds
    // of file have viewers to fall back on. Without xdg-mime the desktop is
    // trusted.
    static bool mailProgramFor(const QString& file)
    {
        const QString type = QMimeDatabase().mimeTypeForFile(file).name();
        if (!type.startsWith(QLatin1String("message/")))
            return true;
        const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdgMime.isEmpty())
            return true;
        QProcess query;
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
        if (!query.waitForFinished(3000)) {
            query.kill();
            query.waitForFinished();
            return true;
        }
        if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
            return true;
        return !query.readAllStandardOutput().trimmed().isEmpty();
    }

public:
    bool open(const QString& fileOrUrl) override
    {
        const bool local = !fileOrUrl.contains(QLatin1String("://")) && !fileOrUrl.startsWith(QLatin1String("mailto:"));
        if (local && !mailProgramFor(fileOrUrl))
            return false;
        return QDesktopServices::openUrl(local ? QUrl::fromLocalFile(fileOrUrl) : QUrl(fileOrUrl));
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
        // Exports land here and are opened by other programs; other accounts
        // must neither read them nor plant files or links in their place. So
        // the folder lives in a folder of the user's own (the session's
        // runtime folder, else the cache folder below the home), never under a
        // fixed name in a shared /tmp, and it is checked every time: a real
        // directory, ours, 0700.
        for (const QString& base : candidateBases()) {
            const QString dir = ensurePrivateFolder(base);
            if (!dir.isEmpty())
                return QDir::toNativeSeparators(dir) + QDir::separator();
        }
        return {};
    }
    QString programFolder() const override { return QCoreApplication::applicationDirPath(); }

private:
    static constexpr QFileDevice::Permissions kOwnerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

    static QStringList candidateBases()
    {
        QStringList bases;
        // Qt falls back to a fixed name in /tmp when XDG_RUNTIME_DIR is unset;
        // only the session's own runtime folder is wanted here.
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
            bases.push_back(runtime);
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!cache.isEmpty())
            bases.push_back(cache);
        return bases;
    }

    static bool isOwnedByUs(const QFileInfo& info)
    {
#ifdef Q_OS_UNIX
        return info.ownerId() == ::getuid();
#else
        Q_UNUSED(info);
        return true;
#endif
    }

    // The base must be a directory of ours that nobody else may write to
    // (the runtime folder is 0700, ~/.cache at most 0755).
    static bool isSafeBase(const QString& base)
    {
        const QFileInfo info(base);
        if (!info.exists() || info.isSymLink() || !info.isDir() || !isOwnedByUs(info))
            return false;
        return !(info.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
    }

    static QString ensurePrivateFolder(const QString& base)
    {
        if (!QFileInfo::exists(base) && !QDir().mkpath(base))
            return {};
        if (!isSafeBase(base))
            return {};
        const QString dir = QDir(base).filePath(QStringLiteral("quittora-tmp"));
        QFileInfo info(dir);
        if (!info.exists() && !info.isSymLink()) {
            // Made 0700 at once, so there is no moment in which it is open.
            if (!QDir().mkdir(dir, kOwnerOnly))
                return {};
            info = QFileInfo(dir);
        }
        if (info.isSymLink() || !info.isDir() || !isOwnedByUs(info))
            return {};
        if (info.permissions() != kOwnerOnly && !QFile::setPermissions(dir, kOwnerOnly))
            return {};
        return dir;
    }
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
        if (auto* cb = clipboard())
            cb->setText(text);
    }
    QString text() const override
    {
        auto* cb = clipboard();
        return cb ? cb->text() : QString();
    }

private:
    // QGuiApplication::clipboard() crashes under a plain QCoreApplication
    // (the command-line tool); there is simply no clipboard then.
    static QClipboard* clipboard()
    {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
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
