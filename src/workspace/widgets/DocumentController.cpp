#include "workspace/widgets/DocumentController.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "export/EmailExport.h"
#include "data/Numbers.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/IdentifierGuard.h"
#include "data/widgets/RecordsetGrid.h"
#include "platform/Clock.h"
#include "platform/LocaleInfo.h"
#include "platform/Prompts.h"
#include "platform/widgets/NumericKeyFilter.h"
#include "tools/Calendar.h"
#include "tools/widgets/CalendarDialog.h"
#include "tools/widgets/SettingsDialog.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentLines.h"
#include "workspace/DocumentNavigator.h"
#include "documents/Totals.h"
#include "workspace/widgets/DocumentArea.h"
#include "workspace/widgets/LineEntryController.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/StatusPanel.h"
#include "workspace/widgets/ToolbarArea.h"
#include "workspace/widgets/WorkTabs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabWidget>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>

#include <utility>

namespace quittora {

namespace {


const char* const kAutoCreateFields[] = {"Text7",  "Text8", "Text9",       "Text10",
                                         "Text11", "Combo3", "txtReferenz", "txtLeistungsdatum", "Text2"};

// The delivery date as the e-invoice takes it: a day, or empty for the
// document's date.
QString deliveryDateProblem(const QString& text)
{
    if (text.trimmed().isEmpty() || parseDateText(text.trimmed()).isValid())
        return {};
    return QString::fromUtf8("„%1“ ist kein Leistungsdatum. Bitte geben Sie es als TT.MM.JJJJ ein, zum Beispiel "
                             "04.12.2026, oder lassen Sie das Feld leer, wenn es das Rechnungsdatum ist.")
        .arg(text.trimmed());
}

const QString kLockedTitle = QStringLiteral("Rechnung festgeschrieben");

// The number of the first of the documents that is locked, or empty.
QString firstLocked(const Database& db, const QList<qint64>& ids)
{
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT a156, a7 FROM Rechnungen WHERE ID = ?"));
    CompanySettings settings;
    if (!settings.load(db) || settings.value(QStringLiteral("Festschreiben")).toInt() == 0)
        return {};
    for (const qint64 id : ids) {
        q.bindValue(0, id);
        if (q.exec() && q.next() && schema::isLockable(q.value(0).toString(), q.value(1).toString()))
            return q.value(1).toString().trimmed();
    }
    return {};
}

QString normaliseDeliveryDate(const QString& text)
{
    const QDate date = parseDateText(text.trimmed());
    return date.isValid() ? calendar::formatDate(date) : QString();
}

} // namespace

template <typename T>
T* DocumentController::child(const char* name) const
{
    T* w = m_window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(w);
    return w;
}

DocumentController::DocumentController(RechnungWindow& window, AppContext& ctx, Database& db)
    : QObject(&window)
    , m_window(window)
    , m_ctx(ctx)
    , m_db(db)
    , m_sources(window.sources())
    , m_dateClick(new QTimer(this))
{
    m_number = child<QLineEdit>("Text2");
    m_date = child<QLabel>("Text3");
    m_search = m_window.statusPanel().searchBox();
    m_lines = new LineEntryController(
        window, ctx, [this] { return berechnen(); }, [this] { return refuseLocked(); }, this);
    // A locked invoice keeps no edit that the database would refuse on the
    // next move: said once, dropped, the user is not held on the record.
    connect(&m_sources.documents(), &Recordset::aboutToLeave, this, &DocumentController::dropLockedEdits);
    // Should a write reach the database's lock all the same (it has been
    // said by the window), what was typed goes: kept, it would refuse every
    // move off the invoice.
    connect(&m_sources.documents(), &Recordset::writeFailed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            Recordset& docs = m_sources.documents();
            if (docs.isDirty() && !docs.isAdding() && currentDocumentLocked(m_sources)) {
                docs.cancelUpdate();
                m_window.documentArea().headBinding().showCurrent();
            }
        });
    });

    // A click on the date waits whether it becomes a double click.
    m_dateClick->setSingleShot(true);
    m_dateClick->setInterval(QApplication::doubleClickInterval());
    connect(m_dateClick, &QTimer::timeout, this, &DocumentController::pickDate);

    auto enable = [](QWidget* w) { w->setEnabled(true); };
    enable(child<QWidget>("Command4"));
    enable(child<QWidget>("Command5"));
    enable(child<QWidget>("Command2"));

    connect(child<QAbstractButton>("Command4"), &QAbstractButton::clicked, this, &DocumentController::newDocument);
    connect(child<QAbstractButton>("Command5"), &QAbstractButton::clicked, this, &DocumentController::deleteDocument);
    connect(child<QAbstractButton>("Command2"), &QAbstractButton::clicked, this,
            &DocumentController::takeOverCustomer);

    // Head fields: entering one without any document creates one first.
    for (const char* name : kAutoCreateFields)
        child<QWidget>(name)->installEventFilter(this);

    connect(m_window.workTabs().grid(2), &QAbstractItemView::doubleClicked, this,
            &DocumentController::takeOverCustomer);

    m_date->installEventFilter(this);
    new IdentifierGuard(child<QLineEdit>("txtLeistungsdatum"), m_window.documentArea().headBinding(),
                        &deliveryDateProblem, &normaliseDeliveryDate,
                        [this](const QString& why) { m_ctx.prompts.critical(QStringLiteral("Fehler"), why); });

    // The customer's own cash discount changes the totals once confirmed.
    m_customerSkonto = m_window.findChild<QLineEdit*>(QStringLiteral("Text35"));
    if (m_customerSkonto)
        connect(m_customerSkonto, &QLineEdit::editingFinished, this, [this] { berechnen(); });

    // The next invoice number: typed digits and "-" only.
    auto* next = child<QLineEdit>("Text32");
    next->setReadOnly(false);
    NumericKeyFilter::installInvoiceNumber(next, m_ctx);

    QAction* settings = m_window.menus().stammdaten;
    settings->setEnabled(true);
    connect(settings, &QAction::triggered, this, &DocumentController::openSettings);
}

// ---- documents -------------------------------------------------------------

void DocumentController::newDocument()
{
    Recordset& docs = m_sources.documents();
    dropLockedEdits();
    // What was typed in the current document is kept before a new one starts.
    if (!docs.update())
        return;
    docs.addNew();
    docs.setValue(QStringLiteral("a8"), calendar::formatDate(m_ctx.clock.today()));
    docs.setValue(QStringLiteral("a156"), QStringLiteral("Rechnung"));
    m_window.tabs()->setCurrentIndex(WorkTabs::Kunden);
    m_ctx.state.neuer_Datensatz = 1;
    m_search->setFocus(Qt::OtherFocusReason);
    const bool stored = docs.update();
    m_ctx.state.neuer_Datensatz = 0;
    if (!stored) {
        docs.cancelUpdate(); // reported by the recordset
        return;
    }
    docs.moveLast();
    m_window.documentArea().headBinding().showCurrent();
    reloadLines();
}

bool DocumentController::headFieldEntered(QWidget* field, int reason)
{
    // The window getting the focus back (after a message box, say) is no
    // move of the user into the field.
    if (m_enteringHead || reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    m_enteringHead = true;
    Recordset& docs = m_sources.documents();
    if (docs.recordCount() == 0 && !docs.isAdding()) {
        newDocument();
        field->setFocus(Qt::OtherFocusReason);
    }
    m_enteringHead = false;
    if (field == m_number)
        m_ctx.prompts.information(QStringLiteral("Veltrin"),
                                  QStringLiteral("Die Rechnungsnummer wird beim Druck vom System vergeben"));
    return false;
}

void DocumentController::takeOverCustomer()
{
    Recordset& docs = m_sources.documents();
    if (!docs.hasCurrent()) {
        m_ctx.prompts.information(QStringLiteral("Quittora pro"),
                                  QStringLiteral("Bitte legen Sie zunächst eine neue Rechnung an"));
        return;
    }
    Recordset& customers = m_sources.customers();
    if (!customers.hasCurrent())
        return; // nobody to take over
    if (refuseLocked())
        return;
    if (!docs.text(QStringLiteral("a2")).isEmpty() &&
        !m_ctx.prompts.question(QStringLiteral("Kopf überschreiben ?"),
                                QStringLiteral("Soll der Kopf in der aktuellen Rechnung überschrieben werden ?")))
        return;
    auto c = [&customers](const char* field) { return customers.text(QString::fromLatin1(field)); };
    docs.setValue(QStringLiteral("a1"), c("a1"));
    docs.setValue(QStringLiteral("a2"), documentlines::recipientName(c("a3"), c("a2")));
    docs.setValue(QStringLiteral("a3"), c("a8"));
    docs.setValue(QStringLiteral("a4"), c("a4"));
    docs.setValue(QStringLiteral("a5"), c("a5"));
    docs.setValue(QStringLiteral("b1"), QString::number(customers.currentId()));
    docs.setValue(QStringLiteral("b10"), c("a40"));
    docs.setValue(QStringLiteral("Referenz"), c("Leitweg"));
    docs.update();
    m_window.documentArea().headBinding().showCurrent();
    m_window.tabs()->setCurrentIndex(WorkTabs::Auswahl);
}

void DocumentController::deleteDocument()
{
    Recordset& docs = m_sources.documents();
    if (!docs.hasCurrent() || refuseLocked())
        return;
    if (!m_ctx.prompts.question(QStringLiteral("Rechnung löschen"),
                                documentlines::deleteQuestion(docs.text(QStringLiteral("a7")),
                                                              docs.text(QStringLiteral("a8")))))
        return;
    const qint64 id = docs.currentId();
    QString error;
    docs.cancelUpdate(); // what was typed into a document being deleted goes with it
    if (!documentlines::deleteDocuments(m_db, {id}, &error)) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
        return;
    }
    docs.refresh();
    docs.moveLast();
    m_window.documentArea().headBinding().showCurrent();
    m_window.navigator().syncNow();
}

void DocumentController::Rechnungen_delete()
{
    Recordset& docs = m_sources.documents();
    if (!docs.hasCurrent())
        return;
    if (!m_ctx.prompts.question(QStringLiteral("Achtung !"),
                                QStringLiteral("Sollen alle Rechnungen vor dieser gelöscht werden ?")))
        return;
    if (!docs.update())
        return;
    QList<qint64> before;
    for (int pos = 0; pos < docs.position(); ++pos)
        before.append(docs.idAt(pos));
    if (before.isEmpty())
        return;
    // One locked invoice among them keeps them all: the deletion is one step.
    if (const QString number = firstLocked(m_db, before); !number.isEmpty()) {
        m_ctx.prompts.exclamation(kLockedTitle, schema::lockedMessage(number));
        return;
    }
    // Their lines go with them: lines are only ever shown with their head.
    QString error;
    if (!documentlines::deleteDocuments(m_db, before, &error)) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
        return;
    }
    docs.refresh();
    docs.moveLast();
    m_window.navigator().syncNow();
}

// ---- lines -----------------------------------------------------------------

void DocumentController::addOrChangeLine()
{
    m_lines->addOrChangeLine();
}

void DocumentController::blankLine()
{
    m_lines->blankLine();
}

void DocumentController::deleteLine()
{
    m_lines->deleteLine();
}

void DocumentController::enterChangeMode()
{
    m_lines->enterChangeMode();
}

void DocumentController::addModeLook()
{
    m_lines->addModeLook();
}

bool DocumentController::inChangeMode() const
{
    return m_lines->inChangeMode();
}

QTimer* DocumentController::changeTimer() const
{
    return m_lines->changeTimer();
}

void DocumentController::reloadLines(qint64 lineId)
{
    Recordset& docs = m_sources.documents();
    m_sources.setLinesOf(docs.hasCurrent() ? docs.currentId() : -1);
    m_sources.lines().refresh();
    if (lineId >= 0)
        m_sources.lines().moveToId(lineId);
}

bool DocumentController::berechnen()
{
    Recordset& docs = m_sources.documents();
    if (!docs.hasCurrent())
        return false;
    // An issued invoice keeps the totals it was issued with.
    if (currentDocumentLocked(m_sources))
        return true;
    const CompanySettings& company = m_window.companySettings();
    // The same inputs as printing and the e-mail file take, so the sentence
    // on the window is the one on the paper.
    TotalsInput in = totalsInputFromSettings(
        company, m_ctx.state.Rechnungsbasis == 1 ? PriceBasis::Gross : PriceBasis::Net, m_ctx.state.decimalSeparator,
        m_ctx.locale.shortDateFormat());
    QString error;
    in.lines = documentlines::readTotalsLines(m_db, docs.currentId(), &error);
    if (!error.isEmpty()) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), error);
        return false;
    }
    // The customer's own cash discount: as typed in Text35 while the
    // document's customer is the one shown, else as stored with that
    // customer (as printing reads it), never another customer's.
    const QString customerId = docs.text(QStringLiteral("b1")).trimmed();
    Recordset& customers = m_sources.customers();
    if (m_customerSkonto && customers.hasCurrent() && QString::number(customers.currentId()) == customerId) {
        in.customerSkonto = m_customerSkonto->text();
    } else if (const std::optional<documents::Customer> customer = documents::loadCustomer(m_db, customerId)) {
        in.customerSkonto = customer->skonto;
    }
    in.documentDate = docs.text(QStringLiteral("a8"));
    in.storedMw1 = docs.text(QStringLiteral("a19"));
    in.storedMw2 = docs.text(QStringLiteral("a20"));
    in.storedMw3 = docs.text(QStringLiteral("a21"));
    const TotalsResult result = quittora::berechnen(in);
    if (!result.ok()) {
        m_ctx.prompts.exclamation(totalsErrorTitle(), result.message);
        return false;
    }
    const Totals& t = result.totals;
    const std::pair<const char*, QString> fields[] = {
        {"a14", t.net},  {"a19", t.mw1},      {"a20", t.mw2},      {"a21", t.mw3},        {"a30", t.vat1},
        {"a31", t.vat2}, {"a75", t.vatTotal}, {"a6", t.gross},     {"a26", t.vatSummary}, {"b2", t.skontoText},
    };
    for (const auto& [field, value] : fields)
        docs.setValue(QString::fromLatin1(field), value);
    const bool stored = docs.update();
    m_window.documentArea().headBinding().showCurrent();
    return stored;
}

// ---- lock after issue ------------------------------------------------------

bool DocumentController::refuseLocked()
{
    if (!currentDocumentLocked(m_sources))
        return false;
    m_ctx.prompts.exclamation(kLockedTitle, schema::lockedMessage(m_sources.documents().text(QStringLiteral("a7"))));
    return true;
}

void DocumentController::dropLockedEdits()
{
    Recordset& docs = m_sources.documents();
    if (!docs.isDirty() || !currentDocumentLocked(m_sources))
        return;
    QSqlQuery q(m_db.connection());
    q.prepare(QStringLiteral("SELECT * FROM Rechnungen WHERE ID = ?"));
    q.addBindValue(docs.currentId());
    if (!q.exec() || !q.next())
        return; // the write says what is wrong
    const QSqlRecord stored = q.record();
    bool refused = false;
    for (int i = 0; i < stored.count(); ++i) {
        const QString field = stored.fieldName(i);
        if (field != QLatin1String("opt1") && docs.value(field).toString() != stored.value(i).toString())
            refused = true;
    }
    if (!refused)
        return; // the paid flag alone: stored as usual
    const QVariant paid = docs.value(QStringLiteral("opt1"));
    docs.cancelUpdate();
    if (paid.toInt() != docs.value(QStringLiteral("opt1")).toInt())
        docs.setValue(QStringLiteral("opt1"), paid);
    m_window.documentArea().headBinding().showCurrent();
    m_ctx.prompts.exclamation(kLockedTitle, schema::lockedMessage(docs.text(QStringLiteral("a7"))));
}

// ---- date ------------------------------------------------------------------

void DocumentController::setDocumentDate(const QString& text)
{
    Recordset& docs = m_sources.documents();
    if (!docs.hasCurrent() || refuseLocked())
        return;
    docs.setValue(QStringLiteral("a8"), text);
    docs.update();
    m_window.documentArea().headBinding().showCurrent();
    berechnen(); // the cash-discount date follows the document date
}

void DocumentController::pickDate()
{
    m_dateClick->stop();
    if (!m_sources.documents().hasCurrent() || refuseLocked())
        return;
    if (const auto chosen = GetDate(m_date->text(), m_ctx.clock, QString(), &m_window))
        setDocumentDate(calendar::formatDate(*chosen));
}

void DocumentController::setDateToday()
{
    m_dateClick->stop();
    setDocumentDate(calendar::formatDate(m_ctx.clock.today()));
}

// ---- settings --------------------------------------------------------------

void DocumentController::openSettings()
{
    Recordset& settings = m_sources.settings();
    if (!settings.update())
        return; // reported; the dialog would otherwise overwrite what was typed
    openSettingsDialog(m_ctx, m_db, &m_window, nullptr);
    settings.refresh();
    // Reads the settings again: the VAT lists and the letterhead follow.
    m_window.activate();
}

// ---- keys and mouse ----------------------------------------------------------

bool DocumentController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_date) {
        if (type == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // The release that ends a double click opens nothing.
            if (!std::exchange(m_afterDoubleClick, false))
                m_dateClick->start();
        } else if (type == QEvent::MouseButtonDblClick) {
            m_afterDoubleClick = true;
            setDateToday();
        }
        return false;
    }
    if (type == QEvent::FocusIn && watched->isWidgetType())
        return headFieldEntered(static_cast<QWidget*>(watched), static_cast<QFocusEvent*>(event)->reason());
    // A head field may hold the focus without the user having moved into it
    // (the window was activated by the click into it); typing there must not
    // go into no record at all.
    if (type == QEvent::KeyPress && watched->isWidgetType() && !static_cast<QKeyEvent*>(event)->text().isEmpty()) {
        const Recordset& docs = m_sources.documents();
        if (docs.recordCount() == 0 && !docs.isAdding())
            headFieldEntered(static_cast<QWidget*>(watched), Qt::OtherFocusReason);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
