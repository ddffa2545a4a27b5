#include "workspace/widgets/ArticlesController.h"

#include "data/Database.h"
#include "data/JetLike.h"
#include "data/Numbers.h"
#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/IdentifierGuard.h"
#include "workspace/DocumentLines.h"
#include "workspace/MainWindowRules.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "workspace/CustomersArticles.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/StatusPanel.h"
#include "workspace/widgets/WorkTabs.h"

#include <QKeyEvent>
#include <QPalette>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSqlDatabase>
#include <QTabWidget>

namespace quittora {

namespace {
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kWhite(0xFF, 0xFF, 0xFF);

void setBase(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}
} // namespace

ArticlesController::ArticlesController(RechnungWindow& window, AppContext& ctx)
    : QObject(&window)
    , m_window(window)
    , m_ctx(ctx)
    , m_search(window.statusPanel().searchBox())
{
    m_search->setEnabled(true);
    m_search->installEventFilter(this);
    connect(m_search, &QLineEdit::textChanged, this, &ArticlesController::searchTyped);

    const struct {
        const char* name;
        void (ArticlesController::*slot)();
    } buttons[] = {
        {"Command14", &ArticlesController::newArticle}, {"Command16", &ArticlesController::save},
        {"Command6", &ArticlesController::remove},      {"Command19", &ArticlesController::select},
        {"Command20", &ArticlesController::changePrices},
    };
    for (const auto& b : buttons) {
        auto* button = find<QPushButton>(b.name);
        button->setEnabled(true);
        connect(button, &QPushButton::clicked, this, b.slot);
    }
    for (const char* name : {"Text24", "Text25", "Text26"})
        find<QWidget>(name)->installEventFilter(this);
    // "1.234,00" is a price; "1,2,3" is none and never reaches an invoice.
    const QChar sep = m_ctx.state.decimalSeparator;
    new IdentifierGuard(
        find<QLineEdit>("Text26"), m_window.workTabs().articleBinding(),
        [sep](const QString& p) { return documentlines::priceProblem(p, sep); },
        [sep](const QString& p) { return documentlines::priceText(p, sep); },
        [this](const QString& why) { m_ctx.prompts.critical(QStringLiteral("Fehler"), why); });
}

template <typename T>
T* ArticlesController::find(const char* name) const
{
    T* w = m_window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(w);
    return w;
}

Recordset& ArticlesController::rs() const
{
    return m_window.sources().articles();
}

int ArticlesController::page() const
{
    return m_window.tabs()->currentIndex();
}

void ArticlesController::updateCount()
{
    m_window.statusPanel().setArticleCount(rs().recordCount());
}

void ArticlesController::searchTyped(const QString& text)
{
    if (auto* take = m_window.findChild<QPushButton*>(QStringLiteral("Command3")))
        take->setText(QStringLiteral("Artikel in Rechnung &übernehmen"));
    const bool customers = page() == WorkTabs::Kunden;
    Recordset& target = customers ? m_window.sources().customers() : rs();
    const QString field = customers || m_window.workTabs().sortByNumber()->isChecked() ? QStringLiteral("a2")
                                                                                         : QStringLiteral("a3");
    // The text travels as a parameter: a quote in it is just a character.
    // Without a match the list stays where it stands.
    target.findFirst(QStringLiteral("IFNULL(%1, '') LIKE ?").arg(field), {likePattern(text, LikeMode::StartsWith)});
}

bool ArticlesController::searchKey(int key)
{
    Recordset& target = page() == WorkTabs::Kunden ? m_window.sources().customers() : rs();
    switch (key) {
    case Qt::Key_Down:
        if (!target.moveNext() || target.eof())
            target.moveLast();
        return true;
    case Qt::Key_Up:
        if (!target.movePrevious() || target.bof())
            target.moveFirst();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (page() == WorkTabs::Kunden) {
            auto* take = m_window.findChild<QPushButton*>(QStringLiteral("Command2"));
            if (take && take->isEnabled())
                take->click();
        } else if (auto* quantity = m_window.findChild<QLineEdit*>(QStringLiteral("Text12"))) {
            quantity->setFocus(Qt::OtherFocusReason);
            setBase(quantity, kYellow);
        }
        return true;
    default:
        return false;
    }
}

void ArticlesController::newArticle()
{
    m_ctx.state.neuer_Datensatz = 1;
    rs().addNew();
    // Most articles carry the normal rate; without one, taking the article
    // into an invoice would only end in "Bitte geben Sie den MwSt.-Satz ein."
    rs().setValue(QStringLiteral("a19"), m_window.companySettings().vatRate1());
    m_window.workTabs().articleBinding().showCurrent();
    find<QWidget>("Text24")->setFocus(Qt::OtherFocusReason);
}

void ArticlesController::save()
{
    m_ctx.state.neuer_Datensatz = 0;
    Recordset& a = rs();
    const bool stored = a.isDirty() && a.update();
    // A new or renamed article takes its place in the list's order; a
    // selection stays as it was found.
    if (stored
        && (a.recordSource() == mainwindow::articleSource(true) || a.recordSource() == mainwindow::articleSource(false))) {
        const qint64 id = a.currentId();
        if (a.refresh())
            a.moveToId(id);
    }
    updateCount();
}

void ArticlesController::remove()
{
    Recordset& a = rs();
    if (m_ctx.state.neuer_Datensatz == 1) {
        // The move stores the pending new article.
        a.moveLast();
        m_ctx.prompts.information(QStringLiteral("Fehler !"),
                                  QStringLiteral("Den Artikel können Sie erst jetzt nach Speicherung löschen"));
        m_ctx.state.neuer_Datensatz = 0;
        updateCount();
        return;
    }
    // The last article of the table stays, not the last one a selection lists.
    if (a.recordCount() == 1 && storedCount(a.database(), a.baseTable()).value_or(1) <= 1) {
        m_ctx.prompts.information(
            QStringLiteral("Achtung !"),
            QStringLiteral("Diesen Artikel können Sie erst nach dem Zufügen eines neuen Artikels löschen. Eine "
                           "Artikel muß als Mustersatz im Datenbestand erhalten bleiben."));
        return;
    }
    if (a.hasCurrent()) {
        if (!m_ctx.prompts.question(QStringLiteral("Artikel löschen"), QStringLiteral("den Artikel ")
                                                                           + a.text(QStringLiteral("a3"))
                                                                           + QStringLiteral(" wirklich löschen ?")))
            return;
        if (a.deleteCurrent())
            a.moveLast();
    }
    updateCount();
}

bool ArticlesController::setSource(const QString& source, const QVariantList& params, bool read)
{
    Recordset& a = rs();
    const QString oldSource = a.recordSource();
    const qint64 oldId = a.currentId();
    a.setRecordSource(source, params);
    if (!read)
        return true;
    if (a.refresh())
        return true;
    // The database refused the query: the list as it was.
    a.setRecordSource(oldSource);
    a.refresh();
    a.moveToId(oldId);
    return false;
}

void ArticlesController::select()
{
    const QString from = find<QLineEdit>("Text38")->text();
    if (from.isEmpty()) {
        const QString text = m_ctx.prompts
                                 .input(QStringLiteral("Spezialsuche "),
                                        QStringLiteral("Bitte geben Sie die zu suchende Buchstabenfolge ein\n\nin "
                                                       "allen Datenfeldern wird gesucht !"))
                                 .value_or(QString());
        const AllFieldsSearch s = allFieldsSearch(kArticleSearchFields, text);
        setSource(QStringLiteral("SELECT * FROM Artikel ") + s.where + QStringLiteral(" ORDER BY SortKey(a3), a3, ID"), s.params,
                  !text.isEmpty());
    } else {
        const QString to = find<QLineEdit>("Text39")->text();
        setSource(QStringLiteral("SELECT * FROM Artikel WHERE a2 >= ? AND a2 <= ? ORDER BY a2"), {from, to}, true);
    }
    m_search->setFocus(Qt::OtherFocusReason);
    updateCount();
}

void ArticlesController::changePrices()
{
    const QChar sep = m_ctx.state.decimalSeparator;
    std::optional<Decimal> percent;
    std::optional<Decimal> amount;
    const QString percentText = find<QLineEdit>("Text40")->text().trimmed();
    const QString amountText = find<QLineEdit>("Text41")->text().trimmed();
    if (!percentText.isEmpty() && !(percent = localeNumber(percentText, sep))) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"),
                               QStringLiteral("Die prozentuale Änderung ist keine Zahl. Es wurde nichts geändert."));
        return;
    }
    if (!amountText.isEmpty() && !(amount = localeNumber(amountText, sep))) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"),
                               QStringLiteral("Der Änderungsbetrag ist keine Zahl. Es wurde nichts geändert."));
        return;
    }
    if (!m_ctx.prompts.question(QStringLiteral("Artikelpreis ändern"),
                                QStringLiteral("Preise aller sichtbaren Artikel jetzt ändern ?")))
        return;
    if (!percent && !amount)
        return;

    Recordset& a = rs();
    if (!a.update())
        return; // reported by the recordset
    // All prices or none: one transaction around every move that stores one.
    QSqlDatabase db = a.database().connection();
    if (!db.transaction()) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"),
                               QStringLiteral("Die Preise konnten nicht geändert werden: die Datenbank ist gesperrt."));
        return;
    }
    // Over the listed IDs as they stand: each article exactly once.
    QList<qint64> ids;
    for (int i = 0; i < a.recordCount(); ++i)
        ids << a.idAt(i);
    bool ok = true;
    {
        // The grids and the editor are told once at the end: following every
        // one of thousands of articles on screen made the change take seconds.
        const QSignalBlocker quiet(a);
        for (qint64 id : ids) {
            if (!(ok = a.moveToId(id)))
                break;
            if (const std::optional<QString> price =
                    articles::changedPrice(a.text(QStringLiteral("a4")), percent, amount, sep))
                a.setValue(QStringLiteral("a4"), *price);
            if (!(ok = a.update()))
                break;
        }
    }
    if (ok && db.commit()) {
        a.refresh();
        return;
    }
    db.rollback();
    a.cancelUpdate();
    a.refresh();
    m_ctx.prompts.critical(QStringLiteral("Fehler"),
                           QStringLiteral("Die Preise konnten nicht geändert werden. Es wurde nichts geändert."));
}

bool ArticlesController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_search) {
        if (event->type() == QEvent::FocusIn)
            setBase(m_search, kYellow);
        else if (event->type() == QEvent::FocusOut)
            setBase(m_search, kWhite);
        else if (event->type() == QEvent::KeyPress && searchKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString name = watched->objectName();
            if (name == QLatin1String("Text24")) {
                find<QWidget>("Text25")->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (name == QLatin1String("Text25")) {
                find<QWidget>("Text26")->setFocus(Qt::TabFocusReason);
                return true;
            }
            if (name == QLatin1String("Text26"))
                find<QWidget>("Text28")->setFocus(Qt::TabFocusReason);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
