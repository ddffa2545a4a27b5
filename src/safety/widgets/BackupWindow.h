#pragma once

#include "safety/Backup.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QAction;

namespace quittora {

struct AppContext;

// The backup window "Datensicherung": backs the database file up to the
// backup path, writes a backup back, mails the database file to support.
//
// It works on the database file while nothing else has it open. The caller
// (the main window) therefore closes its windows and the database before it
// shows this window, and on backToProgram() opens the database again and
// shows the main window. The window sets ctx.state.backupFlag to 1 when it is
// made and to 0 after backToProgram() has been handled; every other way out
// (endProgram(), also the close box) means the program is to end.
class BackupWindow final : public QDialog {
    Q_OBJECT
public:
    explicit BackupWindow(AppContext& ctx, QWidget* parent = nullptr,
                          safety::FileOps& fileOps = safety::systemFileOps());

    // The path box was edited (or filled by the file dialog) since the
    // backup path was last stored or put back.
    bool pathChanged() const { return m_changed; }

    // The buttons' and the menu item's work, callable like a click.
    void choosePath();   // "&Sicherungspfad wählen"
    void savePath();     // "Sicherungsp&fad speichern"
    void backup();       // "Daten  &sichern"
    void restore();      // "Daten  &zurückschreiben"
    void backToMain();   // "&Zurück zum Programm"
    void quitProgram();  // "&Programm beenden"
    void mailDatabase(); // "Datendatei an Veltrin senden"

Q_SIGNALS:
    // Connect directly: the receiver opens the database again and shows the
    // main window before this window closes.
    void backToProgram();
    // The program is to end now.
    void endProgram();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStatus(const QString& text);
    void setBoxText(const QString& text);
    void storePath(const QString& path);
    void askToStoreChangedPath();
    void leaveForEnd();

    AppContext& m_ctx;
    safety::FileOps& m_ops;
    QLabel* m_databaseLabel = nullptr;
    QLineEdit* m_pathBox = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_statusTimer = nullptr;
    bool m_changed = false;
    bool m_leaving = false;
};

} // namespace quittora
