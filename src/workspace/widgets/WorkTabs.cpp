#include "workspace/widgets/WorkTabs.h"

#include "data/Recordset.h"
#include "data/widgets/FieldBinding.h"
#include "data/widgets/RecordsetGrid.h"
#include "workspace/DataSources.h"
#include "workspace/GridColumns.h"
#include "workspace/widgets/DesignGrid.h"
#include "workspace/widgets/Placement.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QTabWidget>

namespace quittora {

using namespace placement;

namespace {

constexpr QRect kTabs(552, 50, 440, 594);
constexpr QRect kFrame2(0, 310, 548, 236);

// A field with its caption to the left.
template <typename W>
W* field(QWidget* page, const char* name, const QString& text, int captionLeft, int captionWidth, const QRect& rect)
{
    W* w = make<W>(page, name, rect);
    caption(page, text, QRect(captionLeft, rect.top(), captionWidth, 22), w);
    return w;
}

} // namespace

WorkTabs::WorkTabs(QWidget* surface, DataSources& sources, QObject* parent)
    : QObject(parent)
    , m_sources(sources)
    , m_tabs(make<QTabWidget>(surface, "SSTab1", kTabs))
    , m_customer(new FieldBinding(sources.customers(), this))
    , m_article(new FieldBinding(sources.articles(), this))
{
    m_tabs->setDocumentMode(false);
    m_tabs->addTab(buildAuswahl(), QStringLiteral(" Auswahl"));
    m_tabs->addTab(buildKunden(), QStringLiteral(" Kunden"));
    m_tabs->addTab(buildArtikel(), QStringLiteral(" Artikel"));
    buildPriceChange(surface);
}

WorkTabs::~WorkTabs() = default;

RecordsetGrid* WorkTabs::grid(int number) const
{
    return number >= 1 && number <= 3 ? m_grids[number - 1] : nullptr;
}

QWidget* WorkTabs::buildAuswahl()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabAuswahl"));
    // DBGrid1's design width is the measure of the column spread.
    m_grids[0] = makeDesignGrid(page, m_sources.articles(), QStringLiteral("DBGrid1"),
                          QRect(4, 4, gridcolumns::dbGrid1DesignWidthPixels(), 480));

    auto* sort = make<QGroupBox>(page, "Frame3", QRect(4, 490, 423, 50));
    sort->setTitle(QStringLiteral("sortieren nach ..."));
    m_option3 = make<QRadioButton>(sort, "Option3", QRect(12, 22, 120, 20));
    m_option3->setText(QStringLiteral("Art-Nr."));
    m_option4 = make<QRadioButton>(sort, "Option4", QRect(140, 22, 160, 20));
    m_option4->setText(QStringLiteral("Bezeichnung"));
    return page;
}

QWidget* WorkTabs::buildKunden()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabKunden"));
    // One list row less than the page could hold buys the row that lets the
    // name and the e-mail address run across the page: company names and
    // addresses of 40 characters and more are common.
    m_grids[1] = makeDesignGrid(page, m_sources.customers(), QStringLiteral("DBGrid2"), QRect(4, 4, 423, 146));

    auto* salutation = field<QComboBox>(page, "Text17", QStringLiteral("Anrede"), 4, 62, QRect(68, 156, 150, 22));
    salutation->setEditable(true);
    salutation->addItems({QString(), QStringLiteral("Herrn"), QStringLiteral("Frau"), QStringLiteral("Firma"),
                          QStringLiteral("Familie")});
    m_customer->bind(salutation, QStringLiteral("a1"));

    const struct {
        const char* name;
        const char* caption;
        const char* field;
        int left;
        int top;
        int width;
    } fields[] = {
        {"Text18", "Name", "a2", 4, 180, 359},      {"Text19", "Vorname", "a3", 4, 204, 150},
        {"Text20", "Zusatz", "a8", 4, 228, 150},    {"Text21", "Straße", "a4", 4, 252, 150},
        {"Text29", "Plz / Ort", "a5", 4, 276, 150}, {"Text30", "Telefon", "a6", 224, 156, 143},
        {"Text31", "Fax", "a7", 224, 204, 143},     {"Text34", "E-Mail", "a40", 4, 300, 359},
        {"Text35", "% Skonto", "a9", 224, 228, 50}, {"txtLand", "Land", "Land", 344, 228, 50},
        {"txtUStIdNr", "USt-IdNr.", "UStIdNr", 4, 326, 150}, {"txtLeitweg", "Leitweg-ID", "Leitweg", 224, 326, 143},
    };
    for (const auto& f : fields) {
        const int fieldLeft = f.left == 4 ? 68 : f.left == 224 ? 284 : 377;
        auto* e = field<QLineEdit>(page, f.name, QString::fromUtf8(f.caption), f.left, fieldLeft - f.left - 2,
                                   QRect(fieldLeft, f.top, f.width, 22));
        m_customer->bind(e, QString::fromLatin1(f.field));
    }
    page->findChild<QLineEdit*>(QStringLiteral("Text35"))
        ->setToolTip(QStringLiteral("Kundenspezifischer Skontosatz (Zahlungsziel gemäß Einstellungsvorgabe)"));

    QLabel* id = label(page, "ID", QString(), QRect(284, 252, 60, 22));
    id->setFrameShape(QFrame::StyledPanel);
    id->setFrameShadow(QFrame::Sunken);
    id->setIndent(3);
    caption(page, QStringLiteral("ID"), QRect(224, 252, 58, 22));
    m_customer->bind(id, QStringLiteral("ID"));

    // The customer part brings the work of these buttons.
    QPushButton* copy = button(page, "Command13", QStringLiteral("Kopieren"), QRect(284, 276, 70, 22), false);
    copy->setToolTip(QStringLiteral(
        "Adresse in die Zwischenablage übernehmen (zum Einfügen in die Textverarbeitung  oder für Etikettendruck)"));
    QPushButton* paste = button(page, "Command12", QStringLiteral("Einfügen"), QRect(357, 276, 70, 22), false);
    paste->setToolTip(QStringLiteral("Adresse aus Fakturo 5.0 einfügen"));

    page->findChild<QLineEdit*>(QStringLiteral("txtLand"))->setMaxLength(2);
    page->findChild<QLineEdit*>(QStringLiteral("txtLeitweg"))
        ->setToolTip(QStringLiteral("Leitweg-ID einer Behörde oder andere Käuferreferenz für die E-Rechnung"));

    auto* notes = field<QPlainTextEdit>(page, "Text23", QStringLiteral("Notizen"), 4, 62, QRect(68, 352, 359, 28));
    notes->setTabChangesFocus(true);
    m_customer->bind(notes, QStringLiteral("n1"));

    button(page, "Command7", QStringLiteral("N&euer Kunde"), QRect(4, 384, 120, 26), false);
    button(page, "Command15", QStringLiteral("Kunden speichern"), QRect(128, 384, 148, 26), false);
    button(page, "Command9", QStringLiteral("Kunden l&öschen"), QRect(280, 384, 147, 26), false);
    QPushButton* take = button(page, "Command2", QStringLiteral("In Rechnung ü&bernehmen"), QRect(4, 414, 224, 30), false);
    QFont bold = take->font();
    bold.setBold(true);
    take->setFont(bold);

    QLabel* searchCaption = caption(page, QStringLiteral("suchen in allen  Datenfeldern "), QRect(4, 448, 110, 34));
    searchCaption->setWordWrap(true);
    button(page, "Command23", QStringLiteral("Datensatz enthält ..."), QRect(116, 452, 154, 26), false);
    button(page, "Command24", QStringLiteral("Selektion aufheben"), QRect(274, 452, 153, 26), false)->hide();
    label(page, "Label58", QString(), QRect(4, 482, 423, 18))->hide();

    button(page, "Command25", QStringLiteral("alle Rechnungen dieses Kunden"), QRect(4, 504, 212, 26), false);
    button(page, "Command27", QStringLiteral("Kundenliste  ausgeben"), QRect(220, 504, 207, 26), false);
    button(page, "Command28", QStringLiteral("Serienbrief - Steuerdatei"), QRect(220, 532, 207, 26), false);
    return page;
}

QWidget* WorkTabs::buildArtikel()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabArtikel"));
    m_grids[2] = makeDesignGrid(page, m_sources.articles(), QStringLiteral("DBGrid3"), QRect(4, 4, 423, 300));

    auto* number = field<QLineEdit>(page, "Text24", QStringLiteral("Einh. /  Art-Nr."), 4, 96, QRect(102, 312, 130, 22));
    auto* designation = field<QLineEdit>(page, "Text25", QStringLiteral("Bezeichnung"), 4, 96, QRect(102, 336, 325, 22));
    auto* price = field<QLineEdit>(page, "Text26", QStringLiteral("Preis"), 4, 96, QRect(102, 360, 80, 22));
    price->setAlignment(Qt::AlignRight);
    m_combo4 = field<QComboBox>(page, "Combo4", QStringLiteral("MwSt."), 190, 40, QRect(232, 360, 60, 22));
    m_combo4->setEditable(true);
    m_combo4->setInsertPolicy(QComboBox::NoInsert);
    auto* further = make<QLineEdit>(page, "Text27", QRect(298, 360, 40, 22));
    auto* notes = field<QPlainTextEdit>(page, "Text28", QStringLiteral("Notizen"), 4, 96, QRect(102, 384, 325, 70));
    notes->setTabChangesFocus(true);
    m_article->bind(number, QStringLiteral("a2"));
    m_article->bind(designation, QStringLiteral("a3"));
    m_article->bind(price, QStringLiteral("a4"));
    m_article->bind(m_combo4, QStringLiteral("a19"));
    m_article->bind(further, QStringLiteral("a5"));
    m_article->bind(notes, QStringLiteral("n1"));

    // The article part brings the work of these buttons.
    button(page, "Command14", QStringLiteral("Ne&uer Artikel"), QRect(4, 464, 130, 26), false);
    button(page, "Command16", QStringLiteral("Artikel speichern"), QRect(138, 464, 140, 26), false);
    button(page, "Command6", QStringLiteral("Artikel &löschen"), QRect(282, 464, 145, 26), false);
    return page;
}

void WorkTabs::buildPriceChange(QWidget* surface)
{
    m_frame2 = make<QGroupBox>(surface, "Frame2", kFrame2);
    m_frame2->setTitle(QStringLiteral("Artikelpreis - Schnelländerung"));
    m_frame2->setAutoFillBackground(true);
    // A panel of its own above the document it covers.
    m_frame2->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame2 { background-color: palette(window); border: 1px solid #7f8ca3; border-radius: 3px;"
        " margin-top: 0px; padding-top: 20px; }"
        "QGroupBox#Frame2::title { subcontrol-origin: padding; subcontrol-position: top left; left: 8px; top: 4px; }"));
    QWidget* f = m_frame2;
    field<QLineEdit>(f, "Text38", QStringLiteral("Artikel-Nr. von .."), 10, 110, QRect(122, 28, 100, 22));
    field<QLineEdit>(f, "Text39", QStringLiteral("Artikel-Nr. bis .."), 232, 110, QRect(344, 28, 100, 22));
    button(f, "Command19", QStringLiteral("Artikel selektieren"), QRect(344, 56, 190, 26), false);

    auto* percent = field<QLineEdit>(f, "Text40", QStringLiteral("prozentuale Änderung der Preise um ..."), 10, 270,
                                     QRect(282, 100, 70, 22));
    percent->setAlignment(Qt::AlignRight);
    caption(f, QStringLiteral("%"), QRect(356, 100, 20, 22));
    auto* amount = field<QLineEdit>(f, "Text41", QStringLiteral("Änderung der Preise um den Betrag von ..."), 10, 270,
                                    QRect(282, 128, 70, 22));
    amount->setAlignment(Qt::AlignRight);
    m_currency = label(f, "Label55", QString(), QRect(356, 128, 60, 22));
    button(f, "Command20", QStringLiteral("Änderungen an allen selektierten Artikeln durchführen"),
           QRect(10, 180, 342, 28), false);
    m_frame2->hide(); // only with the " Artikel" tab
}

} // namespace quittora
