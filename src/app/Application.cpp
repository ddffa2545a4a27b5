#include "app/Application.h"

#include "app/AppInfo.h"
#include "app/MenuWiring.h"
#include "app/Startup.h"
#include "safety/Backup.h"
#include "safety/widgets/BackupWindow.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "platform/widgets/QtPrompts.h"
#include "tools/UpdateCheck.h"
#include "workspace/widgets/RechnungWindow.h"

#include <QCoreApplication>
#include <QTimer>

namespace quittora {

Application::Application()
    : m_prompts(std::make_unique<QtPrompts>())
    , m_settings(makeQtSettingsStore())
    , m_clock(makeSystemClock())
    , m_shell(makeDesktopShell())
    , m_folders(makeSystemSpecialFolders())
    , m_locale(makeSystemLocaleInfo())
    , m_clipboard(makeSystemClipboard())
    , m_ctx(std::make_unique<AppContext>(AppContext{*m_prompts, *m_settings, *m_clock, *m_shell, *m_folders,
                                                    *m_locale, *m_clipboard, m_state}))
{
}

Application::Application(AppContext ctx)
    : m_ctx(std::make_unique<AppContext>(ctx))
{
}

Application::~Application() = default;

RechnungWindow* Application::start(const QString& fileToOpen)
{
    startup::loadProgramState(*m_ctx);
    // Yes to a newer version opens its download page; the program then ends
    // without showing its window, so the installer can replace it.
    if (update::runUpdateCheck(*m_ctx, installedVersion()) == update::Decision::EndProgram)
        return nullptr;

    m_window = std::make_unique<RechnungWindow>(*m_ctx, m_db);
    QObject::connect(m_window.get(), &RechnungWindow::openDatabaseRequested, m_window.get(),
                     [this] { chooseDatabase(); });
    // Closing the main window ends the program, whatever other window is open.
    QObject::connect(m_window.get(), &RechnungWindow::programEndRequested, m_window.get(),
                     [] { QCoreApplication::quit(); });
    wireHelpAndColourMenus(*m_window, *m_ctx);
    wireBackup(*m_window, [this] { openBackup(); });
    if (auto* qtPrompts = dynamic_cast<QtPrompts*>(&m_ctx->prompts))
        qtPrompts->setParentWidget(m_window.get());
    if (!m_window->prepare(RechnungWindow::primaryScreen())) {
        m_window.reset();
        return nullptr;
    }
    m_window->show();

    // A database that cannot be opened leaves the window without data; the
    // user is told why and asked for the file at once.
    if (!fileToOpen.isEmpty() && startup::openNamedDatabase(*m_ctx, m_db, fileToOpen)) {
        markDatabase();
        m_window->rebind();
        return m_window.get();
    }
    QString message;
    if (startup::openStartDatabase(*m_ctx, m_db, &message)) {
        markDatabase();
        m_window->rebind();
    } else {
        m_ctx->prompts.critical(QStringLiteral("Fehler"), message);
        chooseDatabase();
    }
    return m_window.get();
}

void Application::openBackup()
{
    // Backup and above all restore replace the database file: nothing may
    // hold it open meanwhile, and no edit may be left unstored.
    m_window->sources().storeAll();
    // Deferred work of the main window (going to the last document,
    // following the current one, loading a clicked line) would reach for the
    // closed database; reopening schedules it anew.
    m_window->navigator().loadTimer()->stop();
    m_window->navigator().syncTimer()->stop();
    if (auto* lineLoad = m_window->findChild<QTimer*>(QStringLiteral("Timer6")))
        lineLoad->stop();
    BackupWindow backup(*m_ctx);
    m_window->hide();
    m_db.close();
    markDatabase();
    bool done = false;
    QObject::connect(&backup, &BackupWindow::backToProgram, &backup, [this, &done] {
        reopenAfterBackup();
        done = true;
    });
    QObject::connect(&backup, &BackupWindow::endProgram, &backup, [&done] {
        done = true;
        QCoreApplication::quit();
    });
    backup.exec();
    // However the window went away, the program goes on with its database.
    if (!done)
        reopenAfterBackup();
}

void Application::reopenAfterBackup()
{
    m_window->show();
    QString message;
    if (m_db.open(m_ctx->state.databasePath, &message)) {
        markDatabase();
        m_window->rebind();
    } else {
        m_ctx->prompts.critical(QStringLiteral("Fehler"), message);
        chooseDatabase();
    }
}

void Application::chooseDatabase()
{
    if (startup::Pfad_suchen(*m_ctx, m_db)) {
        markDatabase();
        m_window->rebind();
    }
}

void Application::markDatabase()
{
    m_mark.reset();
    if (m_db.isOpen())
        m_mark = std::make_unique<safety::InUseMark>(m_db.path());
}

} // namespace quittora
