#include "workspace/widgets/DocumentArea.h"

#include "data/Recordset.h"
#include "data/Schema.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/RecordsetGrid.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/DesignGrid.h"
#include "workspace/widgets/Placement.h"

#include <QFrame>
#include <QHeaderView>

namespace quittora {

using namespace placement;

namespace {

constexpr QRect kPanel(8, 50, 536, 594);

QFont sized(const QWidget* w, qreal points, bool bold = false)
{
    QFont f = w->font();
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// A bound value the document shows but nothing types into: framed like a
// field, selectable for copying.
QLabel* valueLabel(QWidget* parent, const char* name, const QRect& rect, Qt::Alignment align = Qt::AlignLeft)
{
    QLabel* l = label(parent, name, QString(), rect);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(align | Qt::AlignVCenter);
    l->setIndent(3);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QLabel* hiddenLabel(QWidget* parent, const char* name)
{
    QLabel* l = label(parent, name, QString(), QRect(0, 0, 1, 1));
    l->hide();
    return l;
}

} // namespace

DocumentArea::DocumentArea(QWidget* surface, DataSources& sources, QObject* parent)
    : QObject(parent)
    , m_sources(sources)
    , m_panel(make<QFrame>(surface, "SSPanel1", kPanel))
    , m_head(new FieldBinding(sources.documents(), this))
    , m_line(new FieldBinding(sources.lines(), this))
{
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setFrameShadow(QFrame::Raised);
    // The document looks like the paper it becomes.
    m_panel->setAutoFillBackground(true);
    QPalette paper = m_panel->palette();
    paper.setColor(QPalette::Window, Qt::white);
    m_panel->setPalette(paper);

    buildLetterhead();
    buildHead();
    buildLineEntry();
    buildTotals();

    connect(&sources.documents(), &Recordset::currentChanged, this, &DocumentArea::headAvailability);
    // Switching the lock in the settings opens or closes the head at once.
    connect(&sources.settings(), &Recordset::currentChanged, this, &DocumentArea::headAvailability);
    headAvailability();
}

DocumentArea::~DocumentArea() = default;

void DocumentArea::buildLetterhead()
{
    QWidget* p = m_panel;
    QLabel* title = label(p, "Label13", QString(), QRect(12, 6, 310, 28));
    title->setFont(sized(p, 16, true));
    title->setStyleSheet(QStringLiteral("color: #1d3461;"));
    label(p, "Label15", QString(), QRect(12, 34, 310, 18))->setFont(sized(p, 10, true));
    QLabel* sender = label(p, "Label18", QString(), QRect(12, 72, 310, 14));
    QFont small = sized(p, 7);
    small.setUnderline(true);
    sender->setFont(small);

    label(p, "Label19", QString(), QRect(336, 8, 190, 16))->setFont(sized(p, 9));
    label(p, "Label21", QString(), QRect(336, 24, 190, 16))->setFont(sized(p, 9));
    int y = 42;
    for (const char* name : {"Label22", "Label26", "Label27", "Label28"}) {
        label(p, name, QString(), QRect(336, y, 190, 13))->setFont(sized(p, 7.5));
        y += 13;
    }
}

void DocumentArea::buildHead()
{
    QWidget* p = m_panel;
    const struct {
        const char* name;
        const char* field;
        const char* hint;
    } address[] = {
        {"Text7", "a1", "Anrede"},
        {"Text8", "a2", "Name"},
        {"Text9", "a3", "Zusatz"},
        {"Text10", "a4", "Straße"},
        {"Text11", "a5", "Plz / Ort"},
    };
    int y = 96;
    for (const auto& a : address) {
        QLineEdit* e = edit(p, a.name, QRect(12, y, 270, 22));
        e->setPlaceholderText(QString::fromUtf8(a.hint));
        m_head->bind(e, QString::fromLatin1(a.field));
        m_lockedEditors << e;
        y += 22;
    }
    m_panel->findChild<QLineEdit*>(QStringLiteral("Text8"))->setFont(sized(p, p->font().pointSizeF(), true));

    // What the e-invoice needs of the head, in the row below the address.
    QLineEdit* reference = edit(p, "txtReferenz", QRect(12, y + 2, 160, 21));
    reference->setPlaceholderText(QStringLiteral("Referenz / Leitweg-ID"));
    reference->setToolTip(QStringLiteral("Käuferreferenz der E-Rechnung; beim Übernehmen des Kunden aus seiner "
                                         "Leitweg-ID gefüllt"));
    m_head->bind(reference, QStringLiteral("Referenz"));
    QLineEdit* delivery = edit(p, "txtLeistungsdatum", QRect(176, y + 2, 106, 21));
    delivery->setPlaceholderText(QStringLiteral("Leistungsdatum"));
    delivery->setToolTip(QStringLiteral("Leistungsdatum TT.MM.JJJJ; leer: wie das Rechnungsdatum"));
    m_head->bind(delivery, QStringLiteral("Leistungsdatum"));
    m_lockedEditors << reference << delivery;

    auto* combo3 = make<QComboBox>(p, "Combo3", QRect(378, 96, 148, 21));
    combo3->addItems({QStringLiteral("Rechnung"), QStringLiteral("Angebot")});
    combo3->setCurrentIndex(-1);
    caption(p, QStringLiteral("Art"), QRect(300, 96, 76, 21), combo3);
    m_head->bind(combo3, QStringLiteral("a156"));
    m_lockedEditors << combo3;

    QLineEdit* number = edit(p, "Text2", QRect(378, 118, 148, 21));
    number->setReadOnly(true); // numbers are given when an invoice is first printed
    number->setToolTip(QStringLiteral("Rechnungsnummer wird beim Druck vom System vergeben"));
    number->setFont(sized(p, p->font().pointSizeF(), true));
    caption(p, QStringLiteral("Nummer"), QRect(300, 118, 76, 21), number);
    m_head->bind(number, QStringLiteral("a7"));

    QLabel* date = valueLabel(p, "Text3", QRect(378, 140, 148, 21));
    caption(p, QStringLiteral("Datum"), QRect(300, 140, 76, 21));
    m_head->bind(date, QStringLiteral("a8"));

    QLineEdit* customer = edit(p, "Text4", QRect(378, 162, 66, 21));
    caption(p, QStringLiteral("Kunden-Nr."), QRect(300, 162, 76, 21), customer);
    m_head->bind(customer, QStringLiteral("b1"));
    m_headEditors << customer;
    m_lockedEditors << customer;

    QLabel* mail = valueLabel(p, "Label30", QRect(378, 184, 148, 21));
    caption(p, QStringLiteral("E-Mail"), QRect(300, 184, 76, 21));
    m_head->bind(mail, QStringLiteral("b10"));

    QLabel* record = valueLabel(p, "Label32", QRect(378, 206, 66, 21));
    caption(p, QStringLiteral("Datensatz"), QRect(300, 206, 76, 21));
    m_head->bind(record, QStringLiteral("ID"));

    auto* paid = make<QCheckBox>(p, "Check1", QRect(452, 162, 76, 21));
    paid->setText(QStringLiteral("bezahlt"));
    m_head->bind(paid, QStringLiteral("opt1"));
    m_headEditors << paid;

    label(p, "Label34", QString(), QRect(12, 230, 514, 15));
    label(p, "Label35", QString(), QRect(12, 245, 514, 15));
}

void DocumentArea::buildLineEntry()
{
    auto* frame = make<QFrame>(m_panel, "LineEntryFrame", QRect(6, 262, 524, 90));
    frame->setFrameShape(QFrame::Box);
    frame->setStyleSheet(QStringLiteral("#LineEntryFrame { border: 1px solid #8a96aa; border-radius: 2px; }"));

    QLineEdit* quantity = edit(frame, "Text12", QRect(6, 16, 40, 22));
    QLineEdit* unit = edit(frame, "Text13", QRect(48, 16, 64, 22));
    auto* designation = make<QPlainTextEdit>(frame, "Text14", QRect(114, 16, 230, 40));
    designation->setTabChangesFocus(true);
    designation->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_combo5 = make<QComboBox>(frame, "Combo5", QRect(346, 16, 50, 22));
    m_combo5->setEditable(true);
    m_combo5->setInsertPolicy(QComboBox::NoInsert);
    QLineEdit* price = edit(frame, "Text15", QRect(398, 16, 58, 22));
    QLineEdit* amount = edit(frame, "Text16", QRect(458, 16, 60, 22));
    price->setAlignment(Qt::AlignRight);
    amount->setAlignment(Qt::AlignRight);
    quantity->setAlignment(Qt::AlignRight);

    caption(frame, QStringLiteral("Anz"), QRect(6, 1, 40, 14), quantity);
    caption(frame, QStringLiteral("Einh Art"), QRect(48, 1, 64, 14), unit);
    caption(frame, QStringLiteral("Bezeichnung"), QRect(114, 1, 230, 14), designation);
    caption(frame, QStringLiteral("MwSt."), QRect(346, 1, 50, 14), m_combo5);
    caption(frame, QStringLiteral("E-Preis"), QRect(398, 1, 58, 14), price);
    caption(frame, QStringLiteral("G-Preis"), QRect(458, 1, 60, 14), amount);

    // Lines are added, changed and deleted by the line-items part; until it
    // is there these buttons cannot be pressed.
    QPushButton* take = button(frame, "Command3", QStringLiteral("Artikel in Rechnung &übernehmen"),
                               QRect(6, 60, 226, 26), false);
    take->setDefault(false);
    m_command17 = button(frame, "Command17", QStringLiteral("Leerzeile /Textzeile"), QRect(238, 60, 140, 26), false);
    QPushButton* remove = button(frame, "Command29", QStringLiteral("Zeile löschen"), QRect(384, 60, 134, 26), false);
    remove->hide(); // shown while a line is being changed

    // The keyboard path of the daily work: quantity, unit, designation, VAT,
    // prices, then take the line over.
    QWidget::setTabOrder(quantity, unit);
    QWidget::setTabOrder(unit, designation);
    QWidget::setTabOrder(designation, m_combo5);
    QWidget::setTabOrder(m_combo5, price);
    QWidget::setTabOrder(price, amount);
    QWidget::setTabOrder(amount, take);

    m_dbGrid5 = makeDesignGrid(m_panel, m_sources.lines(), QStringLiteral("DBGrid5"), QRect(8, 356, 520, 136));

    // The current line, for changing it.
    const struct {
        const char* name;
        const char* field;
    } lineLabels[] = {{"Label2", "a2"}, {"Label3", "a3"},  {"Label4", "n1"}, {"Label38", "a4"},
                      {"Label50", "a5"}, {"Label5", "a19"}, {"Label39", "ID"}};
    for (const auto& l : lineLabels)
        m_line->bind(hiddenLabel(m_panel, l.name), QString::fromLatin1(l.field));
}

void DocumentArea::buildTotals()
{
    QWidget* p = m_panel;
    QLabel* below = label(p, "Label36", QString(), QRect(12, 495, 514, 30));
    below->setWordWrap(true);
    below->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QLineEdit* net = edit(p, "Text6", QRect(420, 528, 106, 20));
    net->setAlignment(Qt::AlignRight);
    net->setReadOnly(true); // written by the totals
    caption(p, QStringLiteral("Nettobetrag"), QRect(306, 528, 112, 20), net);
    m_head->bind(net, QStringLiteral("a14"));

    QLabel* vat = valueLabel(p, "Label8", QRect(420, 550, 106, 20), Qt::AlignRight);
    caption(p, QStringLiteral("MwSt."), QRect(306, 550, 112, 20));
    m_head->bind(vat, QStringLiteral("a75"));

    QLabel* gross = valueLabel(p, "Label17", QRect(420, 572, 106, 20), Qt::AlignRight);
    gross->setFont(sized(p, p->font().pointSizeF() + 1, true));
    caption(p, QStringLiteral("Gesamtbetrag"), QRect(306, 572, 112, 20))->setFont(sized(p, p->font().pointSizeF(), true));
    m_head->bind(gross, QStringLiteral("a6"));

    m_head->bind(label(p, "Label51", QString(), QRect(12, 528, 286, 18)), QStringLiteral("a26"));
    QLineEdit* skonto = edit(p, "Text37", QRect(12, 548, 286, 21));
    skonto->setPlaceholderText(QStringLiteral("Skonto"));
    m_head->bind(skonto, QStringLiteral("b2"));
    m_headEditors << skonto;

    QLabel* bank = label(p, "Label16", QString(), QRect(12, 574, 286, 16));
    bank->setFont(sized(p, 7.5));
    bank->setStyleSheet(QStringLiteral("color: #555555;"));

    // Sums per rate and VAT per rate, stored with the document by the totals.
    const struct {
        const char* name;
        const char* field;
    } hidden[] = {{"mw1", "a19"}, {"mw2", "a20"}, {"mw3", "a21"}, {"Label57", "a30"}, {"Label59", "a31"}};
    for (const auto& h : hidden)
        m_head->bind(hiddenLabel(p, h.name), QString::fromLatin1(h.field));
}

void DocumentArea::headAvailability()
{
    // Without a document there is no record to keep what would be typed.
    const bool has = m_sources.documents().hasCurrent() || m_sources.documents().isAdding();
    const bool locked = currentDocumentLocked(m_sources);
    for (QWidget* w : std::as_const(m_lockedEditors)) {
        const bool open = (has || !m_headEditors.contains(w)) && !locked;
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setReadOnly(!open);
        else
            w->setEnabled(open);
    }
    for (QWidget* w : std::as_const(m_headEditors)) {
        if (m_lockedEditors.contains(w))
            continue;
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setReadOnly(!has);
        else
            w->setEnabled(has);
    }
}

bool currentDocumentLocked(const DataSources& sources)
{
    const Recordset& docs = sources.documents();
    const Recordset& settings = sources.settings();
    return docs.hasCurrent() && !docs.isAdding() && settings.hasCurrent()
        && settings.value(QStringLiteral("Festschreiben")).toInt() != 0
        && schema::isLockable(docs.text(QStringLiteral("a156")), docs.text(QStringLiteral("a7")));
}

void DocumentArea::setLetterhead(const QList<QPair<QString, QString>>& texts)
{
    for (const auto& [name, text] : texts) {
        if (auto* l = m_panel->findChild<QLabel*>(name))
            l->setText(text);
    }
}

} // namespace quittora
