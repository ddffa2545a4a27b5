#pragma once

#include "data/Database.h"
#include "platform/Context.h"

#include <memory>

namespace quittora {

class Prompts;
class SettingsStore;
class Clock;
class Shell;
class SpecialFolders;
class LocaleInfo;
class Clipboard;
class RechnungWindow;
namespace safety {
class InUseMark;
}

// Owns the adapters, the program-wide state and the database for one run, and
// brings the program from start to its main window.
class Application {
public:
    // Real adapters; settingsFile empty means the platform's per-user store.
    Application();
    // Given adapters (tests).
    explicit Application(AppContext ctx);
    ~Application();

    // Start-up sequence; returns the main window, already shown, or nullptr
    // when the program is to end: the user took up a newer version, or the
    // screen is too small (the user has been told). A non-empty fileToOpen
    // (the program's argument) is opened instead of the stored database when
    // it is a usable Quittora database; otherwise the user is told why and
    // the stored database is opened as usual.
    RechnungWindow* start(const QString& fileToOpen = {});

    AppContext& context() { return *m_ctx; }
    Database& database() { return m_db; }

private:
    void chooseDatabase();
    void openBackup();
    void reopenAfterBackup();
    // Marks the open database as in use (or drops the mark when none is open).
    void markDatabase();

    std::unique_ptr<Prompts> m_prompts;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<Clock> m_clock;
    std::unique_ptr<Shell> m_shell;
    std::unique_ptr<SpecialFolders> m_folders;
    std::unique_ptr<LocaleInfo> m_locale;
    std::unique_ptr<Clipboard> m_clipboard;
    ProgramState m_state;
    std::unique_ptr<AppContext> m_ctx;
    Database m_db;
    std::unique_ptr<safety::InUseMark> m_mark;
    std::unique_ptr<RechnungWindow> m_window;
};

} // namespace quittora
