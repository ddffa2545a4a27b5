#include "workspace/widgets/LineEntryController.h"

#include "data/CompanySettings.h"
#include "data/Recordset.h"
#include "data/widgets/IdentifierGuard.h"
#include "data/widgets/RecordsetGrid.h"
#include "platform/Context.h"
#include "platform/Prompts.h"
#include "platform/widgets/FieldMarks.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentLines.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/DocumentArea.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/StatusPanel.h"
#include "workspace/widgets/WorkTabs.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace quittora {

namespace {

const QString kFrameNormal = QStringLiteral("#LineEntryFrame { border: 1px solid #8a96aa; border-radius: 2px; }");
const QString kFrameRed = QStringLiteral("#LineEntryFrame { border: 1px solid #ff0000; border-radius: 2px; }");
const QString kChangeButton = QStringLiteral("background-color: #ffc0c0;");

} // namespace

template <typename T>
T* LineEntryController::child(const char* name) const
{
    T* w = m_window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(w);
    return w;
}

LineEntryController::LineEntryController(RechnungWindow& window, AppContext& ctx, std::function<bool()> berechnen,
                                         std::function<bool()> refuseLocked, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_ctx(ctx)
    , m_sources(window.sources())
    , m_berechnen(std::move(berechnen))
    , m_refuseLocked(std::move(refuseLocked))
    , m_timer6(new QTimer(this))
{
    m_quantity = child<QLineEdit>("Text12");
    m_unit = child<QLineEdit>("Text13");
    m_designation = child<QPlainTextEdit>("Text14");
    m_price = child<QLineEdit>("Text15");
    m_amount = child<QLineEdit>("Text16");
    m_rate = child<QComboBox>("Combo5");
    m_take = child<QPushButton>("Command3");
    m_deleteLine = child<QPushButton>("Command29");
    m_entryFrame = child<QFrame>("LineEntryFrame");
    m_date = child<QLabel>("Text3");
    m_search = m_window.statusPanel().searchBox();

    m_timer6->setObjectName(QStringLiteral("Timer6"));
    m_timer6->setSingleShot(true);
    m_timer6->setInterval(100);
    connect(m_timer6, &QTimer::timeout, this, &LineEntryController::enterChangeMode);

    for (const char* name : {"Command3", "Command17", "Command29"})
        child<QPushButton>(name)->setEnabled(true);
    connect(m_take, &QPushButton::clicked, this, &LineEntryController::addOrChangeLine);
    connect(child<QPushButton>("Command17"), &QPushButton::clicked, this, &LineEntryController::blankLine);
    connect(m_deleteLine, &QPushButton::clicked, this, &LineEntryController::deleteLine);

    // The article grid fills the entry, the line grid picks a line.
    RecordsetGrid* articles = m_window.workTabs().grid(1);
    connect(articles->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &LineEntryController::fillFromArticle);
    connect(articles, &QAbstractItemView::doubleClicked, this, [this] {
        m_quantity->setFocus(Qt::OtherFocusReason);
        setFieldBackground(m_quantity, markYellow());
    });
    connect(articles, &QAbstractItemView::clicked, this, &LineEntryController::addModeLook);
    // The article shown in the entry changed its price (quick price change,
    // "Artikel speichern") without another row becoming current.
    connect(&m_sources.articles(), &Recordset::currentChanged, this, &LineEntryController::followArticleEdit);
    connect(m_window.documentArea().lineGrid(), &QAbstractItemView::clicked, m_timer6,
            qOverload<>(&QTimer::start));
    // Another document is shown: a line picked in the previous one is no
    // longer there to change.
    connect(&m_window.navigator(), &DocumentNavigator::synced, this, [this] {
        if (inChangeMode() && m_sources.documents().currentId() != m_changeDocument) {
            clearEntry();
            addModeLook();
        }
    });

    connect(m_quantity, &QLineEdit::textChanged, this, [this] { quantityOrPriceChanged(false); });
    connect(m_price, &QLineEdit::textChanged, this, [this] { quantityOrPriceChanged(true); });
    m_quantity->installEventFilter(this);
    m_price->installEventFilter(this);
    m_designation->installEventFilter(this);
    // A price is stored with two decimals; one that is no number is refused
    // here, not later as a missing quantity.
    const QChar sep = m_ctx.state.decimalSeparator;
    new IdentifierGuard(
        m_price, [sep](const QString& p) { return documentlines::priceProblem(p, sep); },
        [sep](const QString& p) { return documentlines::priceText(p, sep); },
        [this](const QString& why) { m_ctx.prompts.critical(QStringLiteral("Fehler"), why); });
}

void LineEntryController::fillFromArticle()
{
    Recordset& articles = m_sources.articles();
    if (!articles.hasCurrent())
        return;
    clearEntry();
    m_unit->setText(articles.text(QStringLiteral("a2")));
    m_designation->setPlainText(articles.text(QStringLiteral("a3")));
    m_price->setText(articles.text(QStringLiteral("a4")));
    m_rate->setEditText(articles.text(QStringLiteral("a19")));
    m_filledArticle = articles.currentId();
    m_filledValues = {m_unit->text(), m_designation->toPlainText(), m_price->text(), m_rate->currentText()};
}

void LineEntryController::followArticleEdit()
{
    Recordset& articles = m_sources.articles();
    if (inChangeMode() || !articles.hasCurrent() || articles.currentId() != m_filledArticle
        || m_filledValues.size() != 4)
        return;
    const QStringList now = {articles.text(QStringLiteral("a2")), articles.text(QStringLiteral("a3")),
                             articles.text(QStringLiteral("a4")), articles.text(QStringLiteral("a19"))};
    // A field the user has typed over keeps what was typed.
    if (now[0] != m_filledValues[0] && m_unit->text() == m_filledValues[0])
        m_unit->setText(now[0]);
    if (now[1] != m_filledValues[1] && m_designation->toPlainText() == m_filledValues[1])
        m_designation->setPlainText(now[1]);
    if (now[2] != m_filledValues[2] && m_price->text() == m_filledValues[2])
        m_price->setText(now[2]);
    if (now[3] != m_filledValues[3] && m_rate->currentText() == m_filledValues[3])
        m_rate->setEditText(now[3]);
    m_filledValues = now;
}

void LineEntryController::quantityOrPriceChanged(bool priceTyped)
{
    const QString q = m_quantity->text();
    const QString p = m_price->text();
    if (priceTyped && !documentlines::priceTypingComputes(q, p))
        return;
    if (const auto amount = documentlines::lineAmount(q, p, m_ctx.state.decimalSeparator))
        m_amount->setText(*amount);
}

void LineEntryController::clearEntry()
{
    for (QLineEdit* e : {m_quantity, m_unit, m_price, m_amount})
        e->clear();
    m_designation->clear();
    m_rate->setCurrentIndex(-1);
    m_rate->setEditText(QString());
}

bool LineEntryController::inChangeMode() const
{
    return m_take->text() != documentlines::kAddCaption;
}

void LineEntryController::addModeLook()
{
    setFieldBackground(m_quantity, plainWhite());
    m_search->setFocus(Qt::OtherFocusReason);
    m_deleteLine->hide();
    m_take->setStyleSheet(QString());
    m_take->setText(documentlines::kAddCaption);
    m_entryFrame->setStyleSheet(kFrameNormal);
    m_changeLine = -1;
    m_changeDocument = -1;
    m_quantity->setCursorPosition(m_quantity->text().size());
}

void LineEntryController::enterChangeMode()
{
    m_timer6->stop();
    Recordset& lines = m_sources.lines();
    if (!lines.hasCurrent() || !m_sources.documents().hasCurrent())
        return;
    m_changeLine = lines.currentId();
    m_changeDocument = m_sources.documents().currentId();
    m_take->setText(documentlines::kChangeCaption);
    m_entryFrame->setStyleSheet(kFrameRed);
    m_quantity->setText(lines.text(QStringLiteral("a2")));
    m_unit->setText(lines.text(QStringLiteral("a3")));
    m_designation->setPlainText(lines.text(QStringLiteral("n1")));
    m_price->setText(lines.text(QStringLiteral("a4")));
    m_amount->setText(lines.text(QStringLiteral("a5")));
    m_rate->setEditText(lines.text(QStringLiteral("a19")));
    m_deleteLine->show();
    m_take->setStyleSheet(kChangeButton);
    m_quantity->setFocus(Qt::OtherFocusReason);
}

void LineEntryController::addOrChangeLine()
{
    if (m_refuseLocked())
        return;
    const CompanySettings& company = m_window.companySettings();
    const QString rate = m_rate->currentText();
    // An article stored with a price that is no number is named as such.
    if (const QString why = documentlines::priceProblem(m_price->text(), m_ctx.state.decimalSeparator);
        !why.isEmpty()) {
        m_ctx.prompts.critical(QStringLiteral("Fehler"), why);
        return;
    }
    if (const auto refusal = documentlines::checkLine(m_date->text(), company.vatRate1(), company.vatRate2(),
                                                      m_quantity->text(), m_price->text(), m_amount->text(), rate)) {
        if (refusal->title.isEmpty() && refusal->text.startsWith(QStringLiteral("Sie müssen")))
            m_ctx.prompts.information(QStringLiteral("Quittora pro"), refusal->text);
        else
            m_ctx.prompts.exclamation(refusal->title.isEmpty() ? QStringLiteral("Quittora pro") : refusal->title,
                                      refusal->text);
        return;
    }
    Recordset& docs = m_sources.documents();
    if (!docs.hasCurrent())
        return;
    Recordset& lines = m_sources.lines();
    const QChar sep = m_ctx.state.decimalSeparator;
    auto write = [&] {
        lines.setValue(QStringLiteral("a2"), m_quantity->text());
        lines.setValue(QStringLiteral("a3"), m_unit->text());
        lines.setValue(QStringLiteral("n1"), m_designation->toPlainText());
        lines.setValue(QStringLiteral("a4"), documentlines::priceText(m_price->text(), sep));
        lines.setValue(QStringLiteral("a5"), m_amount->text());
        lines.setValue(QStringLiteral("a19"), rate);
    };
    if (!inChangeMode()) {
        lines.addNew();
        write();
        lines.setValue(QStringLiteral("a1"), QString::number(docs.currentId()));
        if (!lines.update()) {
            lines.cancelUpdate(); // reported by the recordset
            return;
        }
        m_quantity->clear();
        m_search->setFocus(Qt::OtherFocusReason);
        m_berechnen();
        return;
    }
    if (docs.currentId() != m_changeDocument || !lines.moveToId(m_changeLine)) {
        // The picked line is gone or belongs to another document.
        clearEntry();
        addModeLook();
        return;
    }
    const qint64 lineId = m_changeLine;
    write();
    if (!lines.update())
        return;
    m_berechnen();
    m_search->setFocus(Qt::OtherFocusReason);
    m_sources.lines().refresh();
    m_sources.lines().moveToId(lineId);
    addModeLook();
    clearEntry();
}

void LineEntryController::blankLine()
{
    if (inChangeMode() || m_refuseLocked())
        return;
    clearEntry();
    m_designation->setFocus(Qt::OtherFocusReason);
}

void LineEntryController::deleteLine()
{
    Recordset& lines = m_sources.lines();
    // Only the line picked for change is deleted, whatever became current.
    if (m_changeLine < 0 || m_sources.documents().currentId() != m_changeDocument || !lines.moveToId(m_changeLine)) {
        clearEntry();
        addModeLook();
        return;
    }
    if (m_refuseLocked())
        return;
    if (!lines.deleteCurrent())
        return;
    lines.refresh();
    clearEntry();
    addModeLook();
    m_berechnen();
}

bool LineEntryController::quantityKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_take->click();
        return true;
    case Qt::Key_Escape:
        m_search->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up: {
        if (m_window.tabs()->currentIndex() != WorkTabs::Auswahl)
            return false;
        Recordset& articles = m_sources.articles();
        if (key == Qt::Key_Down) {
            if (!articles.moveNext() || articles.eof())
                articles.moveLast();
        } else if (!articles.movePrevious() || articles.bof()) {
            articles.moveFirst();
        }
        m_search->setFocus(Qt::OtherFocusReason);
        return true;
    }
    default:
        return false;
    }
}

bool LineEntryController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_quantity) {
        if (type == QEvent::KeyPress && quantityKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
        if (type == QEvent::FocusIn)
            QTimer::singleShot(0, m_quantity, &QLineEdit::selectAll);
        return false;
    }
    if (watched == m_designation && type == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        // Shift+Enter breaks the designation into lines; Enter takes the line.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(keyEvent->modifiers() & Qt::ShiftModifier)) {
            m_take->click();
            return true;
        }
        return false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
