#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quittora {

struct AppContext;
class Database;
class DataSources;
class LineEntryController;
class RechnungWindow;

// The document work on the main window: creating (`Command4`, and by
// entering a head field while there is no document), taking over the
// customer (`Command2`), deleting (`Command5`, Rechnungen_delete), the
// lines (through LineEntryController: `Command3`, `Command17`, `Command29`,
// change mode through `DBGrid5` and `Timer6`), the totals after every change,
// the date picker on `Text3`, the next number `Text32` and the settings
// dialog from "&Stammdaten".
class DocumentController : public QObject {
    Q_OBJECT
public:
    DocumentController(RechnungWindow& window, AppContext& ctx, Database& db);

    void newDocument();                // Command4
    void takeOverCustomer();           // Command2
    void deleteDocument();             // Command5
    void Rechnungen_delete();          // deletes every document before the current one
    void addOrChangeLine();            // Command3
    void blankLine();                  // Command17
    void deleteLine();                 // Command29
    void enterChangeMode();            // Timer6's tick
    void addModeLook();
    bool inChangeMode() const;
    // Recomputes the totals of the current document and stores them with it.
    // False when there is no document or the settings' rates are invalid
    // (said to the user).
    bool berechnen();
    void pickDate();                   // click on Text3
    void setDateToday();               // double click on Text3
    void openSettings();               // "&Stammdaten"

    QTimer* changeTimer() const;

    // True, and the lock's message said, when the current document is an
    // issued invoice under the lock: the caller changes nothing.
    bool refuseLocked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    T* child(const char* name) const;
    bool headFieldEntered(QWidget* field, int reason);
    void reloadLines(qint64 lineId = -1);
    void setDocumentDate(const QString& text);
    void dropLockedEdits();

    RechnungWindow& m_window;
    AppContext& m_ctx;
    Database& m_db;
    DataSources& m_sources;
    LineEntryController* m_lines = nullptr; // the line entry (Command3, Command17, Command29, Timer6)
    QTimer* m_dateClick;
    bool m_enteringHead = false;
    bool m_afterDoubleClick = false;

    QLineEdit* m_number;       // Text2
    QLabel* m_date;            // Text3
    QLineEdit* m_search;       // Text22
    // Text35 of the customers tab, found once: the settings dialog, a child
    // of the window while open, has a "Text35" of its own.
    QLineEdit* m_customerSkonto = nullptr;
};

} // namespace quittora
