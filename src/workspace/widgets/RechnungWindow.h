#pragma once

#include "data/CompanySettings.h"
#include "platform/Context.h"
#include "workspace/widgets/RechnungMenus.h"

#include <QMainWindow>
#include <QRect>
#include <QSize>

#include <memory>

class QTabWidget;

namespace quittora {

class Database;
class DataSources;
class DocumentArea;
class DocumentController;
class DocumentListPanel;
class DocumentNavigator;
class OutputController;
class ProportionalScaler;
class Recordset;
class StatusPanel;
class ToolbarArea;
class WorkTabs;

// The main window `Rechnung`: one document with its head, lines and totals on
// the left, the tabs " Auswahl", " Kunden", " Artikel" on the right, the
// toolbar above and the status panel below. The window is the program: closing
// it ends the program.
//
// Every control and data source carries its design name (`Text12`, `DBGrid5`,
// `Data3`, `Command4`, menu actions "mnuOeffnen", ...), so the parts that add
// behaviour find them with findChild. The areas are built by their own
// classes: ToolbarArea, DocumentArea, WorkTabs, StatusPanel,
// DocumentListPanel, buildRechnungMenus; the navigation logic lives in
// DocumentNavigator and DocumentSearch.
//
// Start: construct, prepare() (size, place, screen check), show, and rebind()
// once the database is open. rebind() again after another database was chosen.
class RechnungWindow : public QMainWindow {
    Q_OBJECT
public:
    // The surface the controls are designed on, in pixels.
    static constexpr QSize kDesignSize{1000, 690};

    struct ScreenMetrics {
        QSize size;      // whole screen, pixels
        QRect available; // without task bars
    };
    static ScreenMetrics primaryScreen();

    RechnungWindow(AppContext& ctx, Database& db, QWidget* parent = nullptr);
    ~RechnungWindow() override;

    // The load steps before showing: size and centre the window on the
    // screen. A screen narrower than 800 pixels gets the message and false:
    // the program must end.
    bool prepare(const ScreenMetrics& screen);

    // Binds every source anew to the open database and re-reads it: the
    // sources, the counts, the settings (letterhead, VAT lists, currency),
    // and the last document after a short delay (Timer3).
    void rebind();

    // What each activation and deactivation of the window does.
    void activate();
    void deactivate();

    DataSources& sources() const { return *m_sources; }
    Recordset* dataSource(const QString& name) const;
    DocumentNavigator& navigator() const { return *m_navigator; }
    DocumentListPanel& documentList() const { return *m_documentList; }
    ToolbarArea& toolbar() const { return *m_toolbar; }
    DocumentArea& documentArea() const { return *m_documentArea; }
    WorkTabs& workTabs() const { return *m_workTabs; }
    DocumentController& documents() const { return *m_documents; }
    StatusPanel& statusPanel() const { return *m_status; }
    QTabWidget* tabs() const;
    const RechnungMenus& menus() const { return m_menus; }
    ProportionalScaler& scaler() const { return *m_scaler; }
    // The settings record as last read (at rebind and at each activation).
    const CompanySettings& companySettings() const { return m_company; }
    AppContext& context() const { return m_ctx; }
    // Printing, e-mail, revenue overview, document list narrowing.
    OutputController& output() const { return *m_output; }

    // Grid columns at their design widths, spread by DBGrid1's growth.
    void applyGridColumns();
    // The background colour of the program state on the window, its tab
    // control and its status panel (again after the colour was chosen).
    void applyBackgroundColour();

Q_SIGNALS:
    // "öffnen": the application lets the user choose another database and
    // then calls rebind().
    void openDatabaseRequested();
    // The window was closed for good (not by the backup): the program ends.
    void programEndRequested();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectParts();
    void tabChanged(int index);
    void sortArticles(bool byNumber);
    void readSettings();
    void updateArticleCount();
    void surfaceResized();

    AppContext& m_ctx;
    Database& m_db;
    QWidget* m_surface = nullptr;
    std::unique_ptr<DataSources> m_sources;
    DocumentNavigator* m_navigator = nullptr;
    RechnungMenus m_menus;
    ToolbarArea* m_toolbar = nullptr;
    DocumentArea* m_documentArea = nullptr;
    WorkTabs* m_workTabs = nullptr;
    StatusPanel* m_status = nullptr;
    DocumentListPanel* m_documentList = nullptr;
    ProportionalScaler* m_scaler = nullptr;
    CompanySettings m_company;
    DocumentController* m_documents = nullptr;
    OutputController* m_output = nullptr;
};

} // namespace quittora
