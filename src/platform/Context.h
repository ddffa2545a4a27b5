#pragma once

#include <QString>

namespace quittora {

class Prompts;
class SettingsStore;
class Clock;
class Shell;
class SpecialFolders;
class LocaleInfo;
class Clipboard;

// Program-wide state: one instance for the whole run, owned by the
// application and handed to every window and command through AppContext.
struct ProgramState {
    QString databasePath;           // "Datenpfad"
    QString backupPath;             // "Sicherung"
    QString backgroundColour = QStringLiteral("12566463"); // "Hintergrundfarbe", BGR decimal
    QChar decimalSeparator = QLatin1Char(',');
    QString tempFolder;             // private temporary folder, trailing separator
    QString newestVersion;          // update check; empty when none was got
    float xwert = 0.0f;             // printer offsets, millimetres
    float ywert = 0.0f;
    QString Druckerauswahl;         // printer choice
    QString currentPrinter;         // device name of the printer in use; empty = system default
    QString printFile;              // "print to file" chosen in the print dialog: the next print
                                    // goes into this PDF file instead of a printer, once
    QString Mahntext;               // reminder text for the next invoice print
    int Rechnungsbasis = 0;         // 0 net prices, 1 gross prices
    int neuer_Datensatz = 0;        // 1 while a new record is not yet stored
    int backupFlag = 0;             // 1 while the backup window has closed the main window
    bool documentSortDescending = false; // heading-click toggle of the document grid
};

// The adapters and the state every window and command works with. Nothing in
// here is owned: the application (or a test) keeps the objects alive.
struct AppContext {
    Prompts& prompts;
    SettingsStore& settings;
    Clock& clock;
    Shell& shell;
    SpecialFolders& folders;
    LocaleInfo& locale;
    Clipboard& clipboard;
    ProgramState& state;
};

} // namespace quittora
