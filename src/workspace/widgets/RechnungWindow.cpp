#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/ArticlesController.h"
#include "workspace/widgets/CustomersController.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/RecordsetGrid.h"
#include "platform/Prompts.h"
#include "platform/widgets/NumericKeyFilter.h"
#include "platform/SettingsStore.h"
#include "tools/widgets/ProportionalScaler.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/GridColumns.h"
#include "workspace/LetterheadPreview.h"
#include "workspace/MainWindowRules.h"
#include "workspace/widgets/DesignGrid.h"
#include "workspace/widgets/DocumentArea.h"
#include "workspace/widgets/DocumentController.h"
#include "workspace/widgets/DocumentListPanel.h"
#include "workspace/widgets/HoverCaption.h"
#include "workspace/widgets/OutputController.h"
#include "workspace/widgets/StatusPanel.h"
#include "workspace/widgets/ToolbarArea.h"
#include "workspace/widgets/WorkTabs.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

namespace quittora {

namespace {

// The window frame (title bar, borders) is only known once the window is
// shown; this is what common desktops add.
constexpr QSize kFrameEstimate(16, 40);

// Where Frame1 and Frame2 stand in the design; every resize puts them back.
constexpr QPoint kFrame1Place(552, 72);
constexpr int kFrame2Left = 0;

// The background colour is stored as a Windows colour number: blue, green
// and red from the high to the low byte.
QColor colourFromNumber(const QString& text)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 0 || n > 0xFFFFFF)
        return QColor(0xBF, 0xBF, 0xBF);
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// New rates in the list must not wipe the rate already in the field (an
// article just picked, a line being changed).
void refill(QComboBox* combo, const QStringList& items)
{
    const QSignalBlocker block(combo);
    const QString shown = combo->currentText();
    combo->clear();
    combo->addItems(items);
    if (combo->isEditable())
        combo->setEditText(shown);
    else
        combo->setCurrentIndex(combo->findText(shown));
}

} // namespace

RechnungWindow::ScreenMetrics RechnungWindow::primaryScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {QSize(1024, 768), QRect(0, 0, 1024, 768)};
    return {screen->size(), screen->availableGeometry()};
}

RechnungWindow::RechnungWindow(AppContext& ctx, Database& db, QWidget* parent)
    : QMainWindow(parent)
    , m_ctx(ctx)
    , m_db(db)
    , m_surface(new QWidget(this))
{
    setObjectName(QStringLiteral("Rechnung"));
    setWindowTitle(QStringLiteral("Quittora pro"));
    // The controls are placed by hand; a font of known measure (Arial, or its
    // metric twin) keeps every caption inside its control on any desktop.
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    setFont(font);
    m_surface->setObjectName(QStringLiteral("RechnungSurface"));
    setCentralWidget(m_surface);

    m_sources = std::make_unique<DataSources>(db, this);
    m_navigator = new DocumentNavigator(*m_sources, this);
    m_menus = buildRechnungMenus(menuBar());

    // Built back to front: later areas lie above earlier ones.
    m_documentArea = new DocumentArea(m_surface, *m_sources, this);
    m_workTabs = new WorkTabs(m_surface, *m_sources, this);
    m_status = new StatusPanel(m_surface, *m_sources, this);
    m_toolbar = new ToolbarArea(m_surface, m_sources->documents(), this);
    m_documentList = new DocumentListPanel(m_surface, m_sources->documents(), *m_navigator, this);
    m_toolbar->hoverCaption()->add(m_documentArea->blankLineButton(), QStringLiteral(" Rechnung als HTML erstellen "));
    findChild<QWidget*>(QStringLiteral("Bezeichnung12"))->raise();

    // Runs after the scaler's own filter (filters installed later run
    // first), so the grid columns spread over the already scaled grids.
    m_surface->installEventFilter(this);
    m_surface->resize(kDesignSize);
    m_scaler = new ProportionalScaler(this);
    m_scaler->recordDesign();
    applyGridColumns();

    connectParts();
    m_documents = new DocumentController(*this, ctx, db);
    new CustomersController(*this, m_ctx);
    new ArticlesController(*this, m_ctx);
    m_output = new OutputController(*this, ctx, db);
    applyBackgroundColour();
    resize(kDesignSize.width(), kDesignSize.height() + menuBar()->sizeHint().height());
}

RechnungWindow::~RechnungWindow()
{
    // Controls and bindings go before the data sources they show; the
    // document work first, so no focus change while tearing down acts.
    delete m_documents;
    delete m_documentList;
    delete m_toolbar;
    delete m_status;
    delete m_workTabs;
    delete m_documentArea;
    delete takeCentralWidget();
    delete m_navigator;
}

void RechnungWindow::connectParts()
{
    connect(m_menus.oeffnen, &QAction::triggered, this, [this] {
        // What was typed belongs to the database it was typed in: stored
        // before another one is chosen (a failure has been reported).
        if (m_sources->storeAll())
            Q_EMIT openDatabaseRequested();
    });
    connect(m_menus.beenden, &QAction::triggered, this, &QWidget::close);

    connect(m_toolbar, &ToolbarArea::firstRequested, m_navigator, &DocumentNavigator::first);
    connect(m_toolbar, &ToolbarArea::previousRequested, m_navigator, &DocumentNavigator::previous);
    connect(m_toolbar, &ToolbarArea::nextRequested, m_navigator, &DocumentNavigator::next);
    connect(m_toolbar, &ToolbarArea::lastRequested, m_navigator, &DocumentNavigator::last);
    connect(m_toolbar->documentList(), &QToolButton::clicked, m_documentList, &DocumentListPanel::toggle);
    connect(m_documentList, &DocumentListPanel::closed, this,
            [this] { m_status->searchBox()->setFocus(Qt::OtherFocusReason); });

    connect(m_navigator, &DocumentNavigator::customerCountChanged, m_status, &StatusPanel::setCustomerCount);
    connect(m_workTabs->tabs(), &QTabWidget::currentChanged, this, &RechnungWindow::tabChanged);
    connect(m_workTabs->sortByNumber(), &QRadioButton::clicked, this, [this] { sortArticles(true); });
    connect(m_workTabs->sortByName(), &QRadioButton::clicked, this, [this] { sortArticles(false); });

    // Amounts take numbers only.
    for (const char* name : {"Text15", "Text26", "Text40", "Text41"})
        NumericKeyFilter::installAmount(m_surface->findChild<QLineEdit*>(QString::fromLatin1(name)), m_ctx);

    // Whatever could not be stored is said, never dropped silently.
    for (Recordset* rs : m_sources->all()) {
        connect(rs, &Recordset::writeFailed, this,
                [this](const QString& message) { m_ctx.prompts.critical(QStringLiteral("Fehler"), message); });
    }
}

Recordset* RechnungWindow::dataSource(const QString& name) const
{
    return m_sources->byName(name);
}

QTabWidget* RechnungWindow::tabs() const
{
    return m_workTabs->tabs();
}

bool RechnungWindow::prepare(const ScreenMetrics& screen)
{
    if (!mainwindow::screenWideEnough(screen.size.width())) {
        m_ctx.prompts.critical(mainwindow::kScreenTitle, mainwindow::kScreenTooSmallText);
        return false;
    }
    const QRect area = screen.available.isValid() ? screen.available : QRect(QPoint(0, 0), screen.size);
    const QSize client(kDesignSize.width(), kDesignSize.height() + menuBar()->sizeHint().height());
    const QSize size = mainwindow::startClientSize(client, area, kFrameEstimate);
    resize(size);
    move(mainwindow::centredTopLeft(area, size + kFrameEstimate));
    tabs()->setCurrentIndex(WorkTabs::Auswahl);
    m_output->loadPrinterState();
    return true;
}

void RechnungWindow::rebind()
{
    const bool byNumber = mainwindow::articleSortByNumber(m_ctx.settings);
    {
        // The option shows the order; choosing it is the user's doing.
        const QSignalBlocker b3(m_workTabs->sortByNumber());
        const QSignalBlocker b4(m_workTabs->sortByName());
        (byNumber ? m_workTabs->sortByNumber() : m_workTabs->sortByName())->setChecked(true);
    }
    m_sources->bindAll(mainwindow::articleSource(byNumber));
    m_sources->articles().moveLast();
    updateArticleCount();
    m_status->setCustomerCount(m_sources->customers().recordCount());
    readSettings();
    m_navigator->startLoadTimer();
    m_navigator->scheduleSync();
}

void RechnungWindow::updateArticleCount()
{
    m_status->setArticleCount(m_sources->articles().recordCount());
}

void RechnungWindow::readSettings()
{
    m_company.load(m_db);
    const QStringList vat = mainwindow::vatChoices(m_company);
    refill(m_workTabs->articleVatList(), vat);
    refill(m_documentArea->lineVatList(), vat);
    // The article's own rate shows again; the line being entered keeps its
    // rate (the window is activated again after every message box).
    m_workTabs->articleBinding().showCurrent();
    m_documentArea->setLetterhead(letterheadPreviewTexts(m_company));
    m_workTabs->currencyLabel()->setText(m_company.currency());
}

void RechnungWindow::activate()
{
    setUpdatesEnabled(false);
    const bool maximised = mainwindow::readWindowState(m_ctx.settings) == mainwindow::WindowState::Maximised;
    if (maximised && !isMaximized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    else if (!maximised && isMaximized())
        setWindowState(windowState() & ~Qt::WindowMaximized);
    readSettings();
    setUpdatesEnabled(true);
}

void RechnungWindow::deactivate()
{
    mainwindow::writeWindowState(m_ctx.settings, isMaximized() ? mainwindow::WindowState::Maximised
                                                               : mainwindow::WindowState::Normal);
}

void RechnungWindow::applyBackgroundColour()
{
    const QColor colour = colourFromNumber(m_ctx.state.backgroundColour);
    setBackground(m_surface, colour);
    setBackground(m_status->panel(), colour);
    setBackground(tabs(), colour);
    for (int i = 0; i < tabs()->count(); ++i)
        setBackground(tabs()->widget(i), colour);
}

void RechnungWindow::tabChanged(int index)
{
    if (m_ctx.state.neuer_Datensatz == 1) {
        // A new article or customer is stored before the user moves on; the
        // flag stays for the parts that started the record.
        m_sources->articles().update();
        m_sources->customers().update();
    }
    QLineEdit* search = m_status->searchBox();
    search->clear();
    search->setFocus(Qt::OtherFocusReason);
    m_workTabs->priceChangeFrame()->setVisible(index == WorkTabs::Artikel);
    if (index == WorkTabs::Artikel)
        m_workTabs->priceChangeFrame()->raise();
}

void RechnungWindow::sortArticles(bool byNumber)
{
    Recordset& articles = m_sources->articles();
    articles.setRecordSource(mainwindow::articleSource(byNumber));
    articles.refresh();
    mainwindow::writeArticleSortByNumber(m_ctx.settings, byNumber);
    // A range selection may have counted fewer.
    updateArticleCount();
    m_status->searchBox()->setFocus(Qt::OtherFocusReason);
}

void RechnungWindow::applyGridColumns()
{
    if (isMinimized())
        return;
    const double factor = gridcolumns::spreadFactor(m_workTabs->grid(1)->width());
    for (const gridcolumns::Grid& g : gridcolumns::allGrids()) {
        if (auto* view = m_surface->findChild<QTableView*>(g.name))
            applyDesignColumns(view, g, factor);
    }
}

void RechnungWindow::surfaceResized()
{
    // Both frames stand at fixed design places whatever moved them.
    m_scaler->setDesignGeometry(m_documentList->frame(),
                                QRect(kFrame1Place, m_scaler->designGeometry(m_documentList->frame())->size()));
    QGroupBox* frame2 = m_workTabs->priceChangeFrame();
    const QRect f2 = *m_scaler->designGeometry(frame2);
    m_scaler->setDesignGeometry(frame2, QRect(kFrame2Left, f2.top(), f2.width(), f2.height()));
    applyGridColumns();
}

bool RechnungWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_surface && event->type() == QEvent::Resize && m_scaler)
        surfaceResized();
    return QMainWindow::eventFilter(watched, event);
}

bool RechnungWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        activate();
        break;
    case QEvent::WindowDeactivate:
        deactivate();
        break;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void RechnungWindow::closeEvent(QCloseEvent* event)
{
    deactivate();
    m_sources->storeAll();
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && m_ctx.state.backupFlag != 1)
        Q_EMIT programEndRequested();
}

} // namespace quittora
