#include "workspace/widgets/CustomersController.h"

#include "data/Identifiers.h"
#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/IdentifierGuard.h"
#include "data/widgets/RecordsetGrid.h"
#include "export/CustomerLists.h"
#include "platform/Clipboard.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "safety/DataCorrection.h"
#include "tools/widgets/PostalCodeDialog.h"
#include "platform/SpecialFolders.h"
#include "workspace/CustomersArticles.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/StatusPanel.h"
#include "workspace/widgets/WorkTabs.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quittora {

namespace {
// Enter walks the address in this order.
constexpr const char* kEnterOrder[] = {"Text17", "Text18", "Text19", "Text20", "Text21", "Text29", "Text30", "Text31"};
const QString kByName = QStringLiteral(" ORDER BY SortKey(a2), SortKey(a3), a2, a3, ID");
const QString kAllCustomers = DataSources::customersSource();
} // namespace

CustomersController::CustomersController(RechnungWindow& window, AppContext& ctx)
    : QObject(&window)
    , m_window(window)
    , m_ctx(ctx)
    , m_exchangePath(customers::defaultExchangeFilePath())
{
    m_lookup = [this](const QString& current, QWidget* parent) {
        return openPostalCodeLookup(m_ctx, m_ctx.folders.programFolder(), current, parent);
    };
    const struct {
        const char* name;
        void (CustomersController::*slot)();
    } buttons[] = {
        {"Command7", &CustomersController::newCustomer},   {"Command15", &CustomersController::store},
        {"Command9", &CustomersController::remove},        {"Command13", &CustomersController::copyAddress},
        {"Command12", &CustomersController::insertAddress}, {"Command23", &CustomersController::search},
        {"Command24", &CustomersController::endSelection},
    };
    for (const auto& b : buttons) {
        auto* button = find<QPushButton>(b.name);
        button->setEnabled(true);
        connect(button, &QPushButton::clicked, this, b.slot);
    }
    const struct {
        const char* name;
        customerlists::Kind kind;
    } lists[] = {{"Command27", customerlists::Kind::AddressList}, {"Command28", customerlists::Kind::MailMerge}};
    for (const auto& l : lists) {
        auto* button = find<QPushButton>(l.name);
        button->setEnabled(true);
        const customerlists::Kind kind = l.kind;
        connect(button, &QPushButton::clicked, this, [this, kind] {
            rs().update();
            customerlists::exportCustomers(kind, rs(), m_selection, m_ctx.state.tempFolder, m_ctx.prompts,
                                           m_ctx.shell, &m_window.sources().documents());
        });
    }
    // The e-invoice identifiers are checked as they are left.
    new IdentifierGuard(find<QLineEdit>("txtUStIdNr"), m_window.workTabs().customerBinding(), &ids::vatIdProblem,
                        &ids::normaliseVatId, [this](const QString& why) { m_ctx.prompts.critical(QStringLiteral("Fehler"), why); });
    new IdentifierGuard(find<QLineEdit>("txtLand"), m_window.workTabs().customerBinding(), &ids::countryProblem,
                        &ids::normaliseCountry, [this](const QString& why) { m_ctx.prompts.critical(QStringLiteral("Fehler"), why); });
    // Customers read anew from another source (another database, the return
    // from the backup window) are all customers: the selection is over.
    connect(&rs(), &Recordset::reloaded, this, [this] {
        if (m_selection && rs().recordSource() != m_selectionSource) {
            m_selection = false;
            find<QWidget>("Label58")->hide();
            find<QWidget>("Command24")->hide();
        }
    });
    QAction* correction = m_window.menus().datenkorrektur;
    correction->setEnabled(true);
    connect(correction, &QAction::triggered, this, [this] {
        datacorrection::run(rs(), m_window.sources().articles(), m_ctx.prompts, QStringLiteral("Quittora pro"));
        updateCount();
    });

    for (const char* name : kEnterOrder) {
        QWidget* w = find<QWidget>(name);
        w->installEventFilter(this);
        m_enterOrder << w;
        // An editable list types into its own line edit.
        if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) {
            combo->lineEdit()->installEventFilter(this);
            m_enterAlias.insert(combo->lineEdit(), w);
        }
    }
    // Picking a customer in the grid goes on with the search as you type;
    // the double action (DocumentController) takes the customer over.
    connect(m_window.workTabs().grid(2), &QAbstractItemView::clicked, this,
            [this] { m_window.statusPanel().searchBox()->setFocus(Qt::MouseFocusReason); });

    // The caption "Plz / Ort" opens the lookup.
    auto* plz = find<QWidget>("Text29");
    for (QLabel* l : plz->parentWidget()->findChildren<QLabel*>()) {
        if (l->text() == QStringLiteral("Plz / Ort")) {
            m_plzCaption = l;
            // Underlined like a link, so the user sees that it opens something.
            QFont linkFont = l->font();
            linkFont.setUnderline(true);
            l->setFont(linkFont);
            l->setCursor(Qt::PointingHandCursor);
            l->setToolTip(QStringLiteral("Postleitzahl oder Ort suchen"));
            l->installEventFilter(this);
        }
    }
}

template <typename T>
T* CustomersController::find(const char* name) const
{
    T* w = m_window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(w);
    return w;
}

Recordset& CustomersController::rs() const
{
    return m_window.sources().customers();
}

void CustomersController::updateCount()
{
    m_window.statusPanel().setCustomerCount(rs().recordCount());
}

void CustomersController::newCustomer()
{
    rs().addNew();
    m_window.workTabs().customerBinding().showCurrent();
    m_ctx.state.neuer_Datensatz = 1;
    find<QWidget>("Text17")->setFocus(Qt::OtherFocusReason);
}

void CustomersController::store()
{
    Recordset& c = rs();
    const bool stored = c.isDirty() && c.update();
    // The whole list re-read puts a new or renamed customer where the user
    // will look for them; a search result stays as it was found.
    if (stored && c.recordSource() == kAllCustomers) {
        const qint64 id = c.currentId();
        if (c.refresh())
            c.moveToId(id);
    }
    updateCount();
}

void CustomersController::remove()
{
    Recordset& c = rs();
    // The template rule is about the customer table: a selection that lists
    // one of many customers does not make it the last one.
    if (c.recordCount() == 1 && !c.isAdding()
        && storedCount(c.database(), c.baseTable()).value_or(1) <= 1) {
        m_ctx.prompts.information(
            QStringLiteral("Achtung !"),
            QStringLiteral("Diesen Kunden können Sie erst nach dem Zufügen eines neuen Kunden löschen. Eine Kunde "
                           "muß als Mustersatz im Datenbestand erhalten bleiben."));
        return;
    }
    if (m_ctx.state.neuer_Datensatz == 1) {
        c.update();
        updateCount();
        m_ctx.prompts.information(QStringLiteral("Fehler !"),
                                  QStringLiteral("Den Kunden können Sie erst jetzt nach Speicherung löschen"));
        m_ctx.state.neuer_Datensatz = 0;
        return;
    }
    if (!c.hasCurrent())
        return;
    if (!m_ctx.prompts.question(QStringLiteral("Kunden löschen"), QStringLiteral("den Kunden ") + c.text(QStringLiteral("a3"))
                                                                     + QLatin1Char(' ') + c.text(QStringLiteral("a2"))
                                                                     + QStringLiteral(" wirklich löschen ?")))
        return;
    c.deleteCurrent();
    updateCount();
    if (m_selection)
        showSelectionLabel();
}

namespace {
customers::Address addressOf(const Recordset& c)
{
    customers::Address a;
    a.salutation = c.text(QStringLiteral("a1"));
    a.name = c.text(QStringLiteral("a2"));
    a.firstName = c.text(QStringLiteral("a3"));
    a.addition = c.text(QStringLiteral("a8"));
    a.street = c.text(QStringLiteral("a4"));
    a.place = c.text(QStringLiteral("a5"));
    a.phone = c.text(QStringLiteral("a6"));
    a.fax = c.text(QStringLiteral("a7"));
    a.notes = c.text(QStringLiteral("n1"));
    return a;
}
} // namespace

void CustomersController::copyAddress()
{
    const customers::Address a = addressOf(rs());
    QWidget* head = m_window.findChild<QWidget*>(QStringLiteral("Text7"));
    if (customers::isEmptyForCopy(a)) {
        m_ctx.prompts.information(QStringLiteral("Fehler !"), QStringLiteral("Keine Daten zum kopieren vorhanden !"));
        if (head)
            head->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_ctx.clipboard.setText(customers::clipboardText(a));
    m_ctx.prompts.information(QStringLiteral("Information"), QStringLiteral("Adressdaten kopiert !"));
    if (head)
        head->setFocus(Qt::OtherFocusReason);
    // The exchange file is a convenience for the other program; failing to
    // write it harms nothing here.
    customers::writeExchangeFile(m_exchangePath, a);
}

void CustomersController::insertAddress()
{
    Recordset& c = rs();
    QWidget* search = m_window.statusPanel().searchBox();
    if (customers::hasOverwritableData(addressOf(c))
        && !m_ctx.prompts.question(
            QStringLiteral("Achtung !"),
            QStringLiteral("Mindest ein Feld, das überschrieben werden soll enthält Daten, Adresse trotzdem einsetzen ?"))) {
        search->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::optional<customers::Address> a = customers::readExchangeFile(m_exchangePath);
    if (a && (c.hasCurrent() || c.isAdding())) {
        c.setValue(QStringLiteral("a1"), a->salutation);
        c.setValue(QStringLiteral("a2"), a->name);
        c.setValue(QStringLiteral("a3"), a->firstName);
        c.setValue(QStringLiteral("a4"), a->street);
        c.setValue(QStringLiteral("a5"), a->place);
        c.setValue(QStringLiteral("a6"), a->phone);
        c.setValue(QStringLiteral("a7"), a->fax);
        c.setValue(QStringLiteral("n1"), a->notes);
        m_window.workTabs().customerBinding().showCurrent();
    }
    search->setFocus(Qt::OtherFocusReason);
}

void CustomersController::search()
{
    const QString text = m_ctx.prompts
                             .input(QStringLiteral("Spezialsuche "),
                                    QStringLiteral("Bitte geben Sie die zu suchende Buchstabenfolge ein\n\nin allen "
                                                   "Datenfeldern wird gesucht !"))
                             .value_or(QString());
    Recordset& c = rs();
    c.update();
    const AllFieldsSearch s = allFieldsSearch(kCustomerSearchFields, text);
    m_selectionSource = QStringLiteral("SELECT * FROM Kunden ") + s.where + kByName;
    c.setRecordSource(m_selectionSource, s.params);
    if (!c.refresh()) {
        endSelection();
        return;
    }
    m_selection = true;
    m_selectionText = text;
    showSelectionLabel();
    find<QWidget>("Command24")->show();
    if (c.recordCount() == 0) {
        m_ctx.prompts.information(QStringLiteral("Selektion nach ") + text,
                                  QStringLiteral("keine Kunden in der Datenbank, die die Buchstabenfolge ''") + text
                                      + QStringLiteral("'' enthält !"));
        endSelection();
    }
}

void CustomersController::showSelectionLabel()
{
    auto* label = find<QLabel>("Label58");
    label->setText(QString::number(rs().recordCount()) + QStringLiteral(" Kunden selektiert nach \"")
                   + m_selectionText + QLatin1Char('"'));
    label->show();
}

void CustomersController::endSelection()
{
    Recordset& c = rs();
    c.setRecordSource(kAllCustomers);
    c.refresh();
    m_selection = false;
    find<QWidget>("Label58")->hide();
    find<QWidget>("Command24")->hide();
    m_window.statusPanel().searchBox()->setFocus(Qt::OtherFocusReason);
}

void CustomersController::lookupPostalCode()
{
    Recordset& c = rs();
    if (!c.hasCurrent() && !c.isAdding())
        return;
    const std::optional<QString> place = m_lookup(c.text(QStringLiteral("a5")), &m_window);
    if (!place)
        return;
    c.setValue(QStringLiteral("a5"), *place);
    m_window.workTabs().customerBinding().showCurrent();
    // The postal code first: a long town would otherwise push it out of view.
    find<QLineEdit>("Text29")->setCursorPosition(0);
}

bool CustomersController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_plzCaption && event->type() == QEvent::MouseButtonRelease) {
        lookupPostalCode();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QObject* field = m_enterAlias.value(watched, watched);
            const qsizetype i = m_enterOrder.indexOf(field);
            if (i >= 0 && i + 1 < m_enterOrder.size()) {
                static_cast<QWidget*>(m_enterOrder[i + 1])->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
