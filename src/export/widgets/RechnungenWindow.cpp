#include "export/widgets/RechnungenWindow.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/widgets/RecordsetGrid.h"
#include "export/ExportFile.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "print/OverviewList.h"
#include "print/PageRenderer.h"
#include "print/PrinterSetup.h"
#include "print/Printers.h"
#include "tools/widgets/ProportionalScaler.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <utility>

namespace quittora {

namespace {

const QString kWholeTable = QStringLiteral("Select * from Rechnungen");

template <typename W>
W* place(QWidget* parent, const char* name, const QRect& rect)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(rect);
    return w;
}

QLabel* boxLabel(QWidget* parent, const char* name, const QRect& rect)
{
    auto* l = place<QLabel>(parent, name, rect);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

// The hourglass for as long as a step runs, however it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

RechnungenWindow::RechnungenWindow(AppContext& ctx, Database& db, Printers& printers, bool mainHasDocuments,
                                   QWidget* parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_db(db)
    , m_printers(printers)
    , m_mainHasDocuments(mainHasDocuments)
{
    setObjectName(QStringLiteral("Rechnungen"));
    setWindowTitle(QStringLiteral("Umsatz"));
    setModal(true);
    resize(790, 520);

    m_data1 = new Recordset(db, QStringLiteral("Rechnungen"), this);
    m_data1->setObjectName(QStringLiteral("Data1"));
    m_source = {kWholeTable, {}};
    m_data1->setRecordSource(m_source.sql, m_source.params);
    m_data1->refresh();

    m_month = place<QComboBox>(this, "cboMonat", QRect(10, 10, 190, 24));
    m_month->setEditable(true);
    m_month->addItems(overview::monthEntries());
    m_year = place<QComboBox>(this, "cboJahr", QRect(210, 10, 90, 24));
    m_year->setEditable(true);
    const QDate now = ctx.clock.today();
    m_year->addItems(overview::yearEntries(now.year()));
    m_date = place<QComboBox>(this, "cboDatum", QRect(310, 10, 160, 24));
    m_date->setEditable(true);
    // What is typed into a box picks from its list; it never becomes an entry.
    for (QComboBox* box : {m_month, m_year, m_date})
        box->setInsertPolicy(QComboBox::NoInsert);

    auto* options = place<QGroupBox>(this, "Frame1", QRect(10, 40, 460, 36));
    m_open = place<QRadioButton>(options, "optOffen", QRect(8, 8, 180, 22));
    m_open->setText(overview::paidStateCaption(overview::PaidState::Open));
    m_open->setChecked(true);
    m_paid = place<QRadioButton>(options, "optBezahlt", QRect(200, 8, 200, 22));
    m_paid->setText(overview::paidStateCaption(overview::PaidState::Paid));

    m_grid = new RecordsetGrid(*m_data1, {QStringLiteral("a7"), QStringLiteral("a2"), QStringLiteral("a8"),
                                          QStringLiteral("a6")},
                               {QStringLiteral("Nr."), QStringLiteral("Name"), QStringLiteral("Datum"),
                                QStringLiteral("Betrag")},
                               this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setGeometry(10, 84, 460, 380);
    // The four columns fit beside the row heads and the scroll bar, so the
    // amounts are never hidden behind a horizontal scroll; numbers such as
    // "2026-00001" and amounts up to millions stand in full.
    m_grid->setColumnWidth(0, 80);
    m_grid->setColumnWidth(1, 168);
    m_grid->setColumnWidth(2, 80);
    m_grid->setColumnWidth(3, 90);
    m_grid->recordsetModel()->setColumnAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    // The name takes what a larger window gives.
    m_grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    // The fields beside the list show in full what the list may shorten,
    // a company name of some 45 characters included.
    m_number = boxLabel(this, "lblNummer", QRect(480, 84, 300, 22));
    m_name = boxLabel(this, "lblName", QRect(480, 110, 300, 22));
    m_dateLabel = boxLabel(this, "lblDatum", QRect(480, 136, 300, 22));
    m_amount = boxLabel(this, "lblBetrag", QRect(480, 162, 300, 22));
    m_paidBox = place<QCheckBox>(this, "chkBezahlt", QRect(480, 188, 300, 22));
    m_paidBox->setText(QStringLiteral("  bez.:"));
    m_paidBox->setLayoutDirection(Qt::RightToLeft);

    auto* totalCaption = place<QLabel>(this, nullptr, QRect(480, 220, 300, 20));
    totalCaption->setText(QStringLiteral("Summe:"));
    m_total = boxLabel(this, "lblSumme", QRect(480, 242, 300, 24));
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* heute = place<QPushButton>(this, "cmdHeute", QRect(480, 10, 300, 26));
    heute->setText(QStringLiteral("Heute"));
    auto* editor = place<QPushButton>(this, "cmdEditor", QRect(480, 400, 300, 28));
    editor->setText(QStringLiteral("Ausgabe in Editor"));
    auto* drucken = place<QPushButton>(this, "cmdDrucken", QRect(480, 436, 300, 28));
    drucken->setText(QStringLiteral("&Drucken"));

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(50);
    connect(m_timer1, &QTimer::timeout, this, [this] { m_ctx.shell.open(m_planPath); });

    connect(m_month, qOverload<int>(&QComboBox::activated), this, [this] { monthFilter(); });
    connect(m_year, qOverload<int>(&QComboBox::activated), this, [this] { monthFilter(); });
    connect(m_open, &QRadioButton::clicked, this, [this] { monthFilter(); });
    connect(m_paid, &QRadioButton::clicked, this, [this] { monthFilter(); });
    connect(m_date, qOverload<int>(&QComboBox::activated), this, [this] { dateFilter(); });
    connect(heute, &QPushButton::clicked, this, &RechnungenWindow::today);
    connect(editor, &QPushButton::clicked, this, &RechnungenWindow::writeTextList);
    connect(drucken, &QPushButton::clicked, this, &RechnungenWindow::printList);
    connect(m_paidBox, &QCheckBox::clicked, this, &RechnungenWindow::paidClicked);
    connect(m_data1, &Recordset::currentChanged, this, &RechnungenWindow::showCurrent);
    connect(m_data1, &Recordset::reloaded, this, &RechnungenWindow::showCurrent);
    connect(m_data1, &Recordset::writeFailed, this,
            [this](const QString& message) { m_ctx.prompts.critical(QStringLiteral("Fehler"), message); });

    // A larger window gives the list more room.
    new ProportionalScaler(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        placeOn(screen->availableGeometry());

    // The entries themselves, not just their text: the arrow keys and the
    // opened list then go on from the month and year shown.
    m_month->setCurrentIndex(m_month->findText(overview::monthName(now.month())));
    m_year->setCurrentIndex(m_year->findText(now.toString(QStringLiteral("yyyy"))));
    m_date->setEditText(overview::datePrompt());
    fillDateList();
    monthFilter();
    showCurrent();
}

RechnungenWindow::~RechnungenWindow()
{
    // An editable box reports a choice when it loses the focus, also while
    // the window goes away; nothing may be filtered then.
    for (QComboBox* box : {m_month, m_year, m_date})
        box->blockSignals(true);
    // The grid's model reads Data1 to its end; it goes first.
    delete m_grid;
}

void RechnungenWindow::placeOn(const QRect& available)
{
    move(available.center() - rect().center());
}

overview::PaidState RechnungenWindow::paidState() const
{
    return m_paid->isChecked() ? overview::PaidState::Paid : overview::PaidState::Open;
}

void RechnungenWindow::applySource(const RecordSource& source)
{
    m_source = source;
    m_data1->setRecordSource(source.sql, source.params);
    m_data1->refresh();
}

void RechnungenWindow::monthFilter()
{
    if (!m_mainHasDocuments)
        return;
    const WaitCursor wait;
    if (const auto source = overview::monthFilter(m_month->currentText(), m_year->currentText(), paidState()))
        applySource(*source);
    m_date->setEditText(overview::datePrompt());
    berechnen();
}

void RechnungenWindow::dateFilter()
{
    const WaitCursor wait;
    applySource(overview::dateFilter(m_date->currentText(), paidState()));
    m_month->setEditText(overview::monthPromptAfterDateFilter());
    berechnen();
}

QList<overview::Row> RechnungenWindow::selection() const
{
    QList<overview::Row> rows;
    QString error;
    if (!overview::readRows(m_db, m_source, &rows, &error))
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
    return rows;
}

void RechnungenWindow::berechnen()
{
    const Decimal sum = overview::total(selection(), m_ctx.state.decimalSeparator);
    m_total->setText(sum.toFixed(2, m_ctx.state.decimalSeparator));
    fillDateList();
    m_data1->moveFirst();
}

void RechnungenWindow::fillDateList()
{
    // The list is built anew each time; the text shown stays.
    const QString shown = m_date->currentText();
    const QSignalBlocker block(m_date);
    m_date->clear();
    m_date->addItems(overview::dateEntries(m_ctx.clock.today()));
    m_date->setEditText(shown);
}

void RechnungenWindow::today()
{
    m_date->setEditText(m_ctx.clock.today().toString(QStringLiteral("dd.MM.yyyy")));
    dateFilter();
}

void RechnungenWindow::showCurrent()
{
    const bool has = m_data1->hasCurrent();
    m_number->setText(has ? m_data1->text(QStringLiteral("a7")) : QString());
    m_name->setText(has ? m_data1->text(QStringLiteral("a2")) : QString());
    m_dateLabel->setText(has ? m_data1->text(QStringLiteral("a8")) : QString());
    m_amount->setText(has ? m_data1->text(QStringLiteral("a6")) : QString());
    const QSignalBlocker block(m_paidBox);
    m_paidBox->setEnabled(has);
    m_paidBox->setChecked(has && m_data1->text(QStringLiteral("opt1")).trimmed().toInt() != 0);
}

void RechnungenWindow::paidClicked(bool checked)
{
    if (m_data1->hasCurrent()) {
        m_data1->setValue(QStringLiteral("opt1"), checked ? -1 : 0);
        // Stored at once: the overview is where payments are ticked off.
        // A failed write has been said; the box then shows the stored state.
        if (!m_data1->update())
            showCurrent();
    }
    m_grid->setFocus(Qt::OtherFocusReason);
}

void RechnungenWindow::writeTextList()
{
    m_grid->setFocus(Qt::OtherFocusReason);
    const WaitCursor wait;
    const QList<overview::Row> rows = selection();
    if (rows.isEmpty())
        return;
    QString error;
    const QString path = exportFilePath(m_ctx.state.tempFolder, overview::planFileName(), &error);
    const QString heading = overview::planHeading(paidState(), m_month->currentText(), m_year->currentText());
    if (path.isEmpty() || !replaceFile(path, overview::planText(heading, rows), &error)) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
        return;
    }
    m_planPath = path;
    m_timer1->start();
    m_data1->moveFirst();
}

void RechnungenWindow::printList()
{
    m_grid->setFocus(Qt::OtherFocusReason);
    if (!m_ctx.prompts.question(overviewlist::printTitle(), overviewlist::printQuestion()))
        return;
    const WaitCursor wait;
    const QList<overview::Row> rows = selection();
    if (rows.isEmpty())
        return;
    const QChar sep = m_ctx.state.decimalSeparator;
    const std::vector<PageModel> docs = overviewlist::documents(rows, overview::total(rows, sep), sep);
    choosePrinter(m_printers, m_ctx.state);
    if (m_printers.names().isEmpty() && m_printDialog) {
        m_ctx.state.printFile.clear();
        if (!m_printDialog(m_ctx.state)) {
            m_ctx.state.printFile.clear();
            return;
        }
    }
    QString error;
    // A file chosen in the dialog holds this list only.
    const QString file = std::exchange(m_ctx.state.printFile, QString());
    const bool printed = file.isEmpty()
        ? m_printers.print(currentPrinterName(m_printers, m_ctx.state), docs,
                           MarginValues{m_ctx.state.xwert, m_ctx.state.ywert}, &error)
        : renderToPdf(docs, file, MarginValues{}, &error);
    if (!printed)
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
    m_data1->moveFirst();
}

} // namespace quittora
