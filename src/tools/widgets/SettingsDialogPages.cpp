// The pages of the settings dialog: controls, captions and layout.
#include "tools/SettingsRules.h"
#include "tools/widgets/SettingsDialog.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace quittora {

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

QLineEdit* lineEdit(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    return e;
}

QPlainTextEdit* textBox(const char* name, int lines)
{
    auto* e = new QPlainTextEdit;
    e->setObjectName(QLatin1String(name));
    e->setTabChangesFocus(true);
    // Lines are a fraction of a pixel higher than the rounded line spacing;
    // counted short, the last line hides behind a scroll bar.
    const int text = int(std::ceil(QFontMetricsF(e->font()).lineSpacing() * lines)) + lines;
    e->setFixedHeight(text + 2 * int(std::ceil(e->document()->documentMargin())) + 2 * e->frameWidth());
    return e;
}

QLabel* caption(const QString& text, QWidget* buddy = nullptr)
{
    auto* l = new QLabel(text);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

QGroupBox* frame(const char* name, const QString& title)
{
    auto* g = new QGroupBox(title);
    g->setObjectName(QLatin1String(name));
    return g;
}

} // namespace

QWidget* SettingsDialog::buildCompanyPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Seite1"));
    auto* outer = new QGridLayout(page);

    // Letterhead.
    auto* head = new QGridLayout;
    m_title = lineEdit("Text3");
    m_addition = lineEdit("Text4");
    m_street = lineEdit("Text5");
    m_town = lineEdit("Text6");
    m_email = lineEdit("Text7");
    m_internet = lineEdit("Text8");
    m_phone = lineEdit("Text9");
    m_fax = lineEdit("Text11");
    m_mobile = lineEdit("Text12");
    const QList<QPair<QString, QLineEdit*>> rows = {
        {u("Titel"), m_title},      {u("Zusatz"), m_addition}, {u("Straße"), m_street},
        {u("Plz / Ort"), m_town},   {u("E-Mail"), m_email},    {u("Internet"), m_internet},
        {u("Telefon"), m_phone},    {u("Fax"), m_fax},         {u("Mobil"), m_mobile},
    };
    // Wide enough for a company name or an e-mail address of 45 characters,
    // which the letterhead prints in full (their letters run wider than the
    // font's average).
    const int letterheadWidth = m_title->fontMetrics().averageCharWidth() * 54;
    for (int i = 0; i < rows.size(); ++i) {
        head->addWidget(caption(rows[i].first, rows[i].second), i, 0);
        head->addWidget(rows[i].second, i, 1);
        rows[i].second->setMinimumWidth(letterheadWidth);
    }
    m_letterhead = new QCheckBox(u("folgende Daten als Briefkopf mit ausdrucken"));
    m_letterhead->setObjectName(QStringLiteral("Check1"));
    head->addWidget(m_letterhead, int(rows.size()), 0, 1, 2);
    outer->addLayout(head, 0, 0);

    // Logo and title colour.
    auto* logo = frame("Frame1", u("Grafik einfügen"));
    auto* lg = new QGridLayout(logo);
    m_logoLeft = lineEdit("Text23");
    m_logoTop = lineEdit("Text24");
    m_logoHeight = lineEdit("Text25");
    // Millimetres of three digits: the letterhead fields take the width.
    for (QLineEdit* e : {m_logoLeft, m_logoTop, m_logoHeight})
        e->setFixedWidth(60);
    lg->addWidget(caption(u("Druckposition von links ="), m_logoLeft), 0, 0);
    lg->addWidget(m_logoLeft, 0, 1);
    lg->addWidget(caption(u("Druckposition von oben ="), m_logoTop), 1, 0);
    lg->addWidget(m_logoTop, 1, 1);
    lg->addWidget(caption(u("Werte in mm")), 0, 2, 2, 1);
    lg->addWidget(caption(u("Höhe* der Grafik in mm  = "), m_logoHeight), 2, 0);
    lg->addWidget(m_logoHeight, 2, 1);
    auto* note = caption(u("*Breite ergibt sich aus den Proportionen"));
    note->setWordWrap(true);
    lg->addWidget(note, 2, 2);
    lg->addWidget(caption(u("Grafikdatei:")), 3, 0);
    m_logoPath = new QLabel;
    m_logoPath->setObjectName(QStringLiteral("Label20"));
    m_logoPath->setWordWrap(true);
    m_logoPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_logoPath->setTextFormat(Qt::PlainText);
    lg->addWidget(m_logoPath, 3, 1, 1, 2);
    m_logoPreview = new QLabel;
    m_logoPreview->setObjectName(QStringLiteral("Image1"));
    m_logoPreview->setFixedSize(settingsrules::kLogoPreviewPixels, settingsrules::kLogoPreviewPixels);
    m_logoPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_logoPreview->setFrameShape(QFrame::Box);
    lg->addWidget(m_logoPreview, 0, 3, 4, 1);
    m_insertLogo = new QPushButton(u("Grafik einfügen"));
    m_insertLogo->setObjectName(QStringLiteral("Command1"));
    m_removeLogo = new QPushButton(u("Grafik entfernen"));
    m_removeLogo->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_insertLogo);
    buttons->addWidget(m_removeLogo);
    buttons->addStretch();
    lg->addLayout(buttons, 4, 0, 1, 4);

    const QString colourTip = u("Wenn Sie hier weiß wählen, wird der Titel nicht gedruckt (falls Sie eine Grafik "
                                "anstatt des Titels einetzen möchten)");
    m_colourSwatch = new QLabel;
    m_colourSwatch->setObjectName(QStringLiteral("Picture1"));
    m_colourSwatch->setFixedSize(40, 20);
    m_colourSwatch->setFrameShape(QFrame::Box);
    m_colourSwatch->setAutoFillBackground(true);
    m_colourSwatch->setCursor(Qt::PointingHandCursor);
    m_colourSwatch->setToolTip(colourTip);
    m_colourCaption = new QLabel(u("Schriftfarbe Titel"));
    m_colourCaption->setObjectName(QStringLiteral("Label25"));
    m_colourCaption->setCursor(Qt::PointingHandCursor);
    m_colourCaption->setToolTip(colourTip);
    auto* colour = new QHBoxLayout;
    colour->addWidget(m_colourSwatch);
    colour->addWidget(m_colourCaption);
    colour->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(logo);
    right->addLayout(colour);
    right->addStretch();
    outer->addLayout(right, 0, 1);
    outer->setColumnStretch(0, 1);

    // Footer lines, printed in the order of the fields below.
    auto* footer = frame("Frame6", u("Fußzeilen"));
    auto* fg = new QGridLayout(footer);
    static const char* const names[9] = {"Text14", "Text15", "Text16", "Text17", "Text18",
                                         "Text19", "Text20", "Text21", "Text22"};
    for (int i = 0; i < 9; ++i)
        m_footer[i] = lineEdit(names[i]);
    // Line 1: Einst23, Einst6; line 2: Einst24, frei5; line 3: Einst26, Bank
    // (wide); line 4: Einst25, then Einst27 (wide) and Einst28 in the order
    // the footer prints them, so "IBAN / BIC" reads as it will on paper.
    fg->addWidget(m_footer[0], 0, 0);
    fg->addWidget(m_footer[1], 0, 1, 1, 2);
    fg->addWidget(m_footer[2], 1, 0);
    fg->addWidget(m_footer[3], 1, 1, 1, 2);
    fg->addWidget(m_footer[4], 2, 0);
    fg->addWidget(m_footer[5], 2, 1, 1, 2);
    fg->addWidget(m_footer[6], 3, 0);
    fg->addWidget(m_footer[8], 3, 1);
    fg->addWidget(m_footer[7], 3, 2);
    QWidget::setTabOrder(m_footer[6], m_footer[8]);
    QWidget::setTabOrder(m_footer[8], m_footer[7]);
    fg->setColumnStretch(0, 1);
    fg->setColumnStretch(1, 2);
    fg->setColumnStretch(2, 1);
    outer->addWidget(footer, 1, 0, 1, 2);
    outer->setRowStretch(2, 1);
    return page;
}

QWidget* SettingsDialog::buildInvoicePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Seite2"));
    auto* outer = new QVBoxLayout(page);

    auto* defaults = frame("Frame2", u("Rechnungsvorgaben"));
    auto* g = new QGridLayout(defaults);
    m_copies = lineEdit("Text1");
    m_vat1 = lineEdit("Text2");
    m_vat2 = lineEdit("Text13");
    m_currency = lineEdit("Text10");
    m_nextNumber = lineEdit("Text26");
    g->addWidget(caption(u("Rechnungskopien"), m_copies), 0, 0);
    g->addWidget(m_copies, 0, 1);
    g->addWidget(caption(u("MWSt - Satz 1 in %"), m_vat1), 1, 0);
    g->addWidget(m_vat1, 1, 1);
    g->addWidget(caption(u("MWSt - Satz 2 in %"), m_vat2), 2, 0);
    g->addWidget(m_vat2, 2, 1);
    g->addWidget(caption(u("Währungseinheit"), m_currency), 0, 2);
    g->addWidget(m_currency, 0, 3);
    g->addWidget(caption(u("nächste Rechn.-Nr."), m_nextNumber), 1, 2);
    g->addWidget(m_nextNumber, 1, 3);
    m_invoiceText1 = lineEdit("Text27");
    m_invoiceText2 = lineEdit("Text28");
    m_invoiceBelow = textBox("Text29", 3);
    g->addWidget(caption(u("Rechnungstextvorgabe,  zwei Zeilen oberhalb der Positionen"), m_invoiceText1), 3, 0, 1, 4);
    g->addWidget(m_invoiceText1, 4, 0, 1, 4);
    g->addWidget(m_invoiceText2, 5, 0, 1, 4);
    g->addWidget(caption(u("Rechnungstext unterhalb der Rechnungspositionen"), m_invoiceBelow), 6, 0, 1, 4);
    g->addWidget(m_invoiceBelow, 7, 0, 1, 4);
    g->setColumnStretch(3, 1);
    outer->addWidget(defaults);

    auto* skonto = frame("Frame3", u("Skonto"));
    auto* sk = new QHBoxLayout(skonto);
    m_skontoDays = lineEdit("Text32");
    m_skontoPercent = lineEdit("Text33");
    m_skontoDays->setMaximumWidth(60);
    m_skontoPercent->setMaximumWidth(60);
    sk->addWidget(caption(u("Bei Zahlungsziel"), m_skontoDays));
    sk->addWidget(m_skontoDays);
    sk->addWidget(caption(u("Tage    ")));
    sk->addWidget(m_skontoPercent);
    sk->addWidget(caption(u("% Skonto")));
    sk->addStretch();
    outer->addWidget(skonto);

    auto* basis = new QWidget;
    basis->setObjectName(QStringLiteral("Frame7"));
    auto* bl = new QVBoxLayout(basis);
    bl->setContentsMargins(0, 0, 0, 0);
    m_net = new QRadioButton(u("Rechnungen - Netto-Preis  (zzgl. Mwst)"));
    m_net->setObjectName(QStringLiteral("Option1"));
    m_gross = new QRadioButton(u("Rechnungen - Brutto-Preis (incl. MwSt.)"));
    m_gross->setObjectName(QStringLiteral("Option2"));
    bl->addWidget(m_net);
    bl->addWidget(m_gross);
    outer->addWidget(basis);

    m_lock = new QCheckBox(u("Rechnungen nach dem Ausstellen festschreiben (GoBD)"));
    m_lock->setObjectName(QStringLiteral("chkFestschreiben"));
    outer->addWidget(m_lock);

    auto* note = caption(u("Sollten Sie ein Kleinunternehmer im Sinne des Gesetzes sein, dann stellen Sie Rechnungen "
                           "ohne MwSt. aus. In diesem Fall wählen Sie bitte die zweite Option (incl. MwSt.) und setzen "
                           "Sie beide MwSt.-Sätze auf 0. Es erfolgt dann beim Druck keine MwSt.-Ausgabe"));
    note->setWordWrap(true);
    outer->addWidget(note);
    outer->addStretch();
    return page;
}

QWidget* SettingsDialog::buildEInvoicePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("SeiteERechnung"));
    auto* outer = new QVBoxLayout(page);
    auto* box = frame("FrameERechnung", u("Angaben für die E-Rechnung (XRechnung)"));
    auto* g = new QGridLayout(box);
    m_vatId = lineEdit("txtUStIdNr");
    m_taxNumber = lineEdit("txtSteuernummer");
    m_contact = lineEdit("txtAnsprechpartner");
    m_country = lineEdit("txtLand");
    m_country->setMaxLength(2);
    m_country->setMaximumWidth(60);
    m_iban = lineEdit("txtIBAN");
    m_bic = lineEdit("txtBIC");
    m_accountHolder = lineEdit("txtKontoinhaber");
    m_accountHolder->setPlaceholderText(u("leer: der Titel der Firma"));
    const QList<QPair<QString, QLineEdit*>> rows = {
        {u("USt-IdNr."), m_vatId},       {u("Steuernummer"), m_taxNumber}, {u("Ansprechpartner"), m_contact},
        {u("Land (z. B. DE)"), m_country}, {u("IBAN"), m_iban},           {u("BIC"), m_bic},
        {u("Kontoinhaber"), m_accountHolder},
    };
    for (int i = 0; i < rows.size(); ++i) {
        g->addWidget(caption(rows[i].first, rows[i].second), i, 0);
        g->addWidget(rows[i].second, i, 1);
    }
    g->setColumnStretch(1, 1);
    m_giroCode = new QCheckBox(u("GiroCode (QR-Code zum Bezahlen) auf Rechnungen drucken"));
    m_giroCode->setObjectName(QStringLiteral("chkGiroCode"));
    m_giroCode->setToolTip(u("mit IBAN, Betrag und Rechnungsnummer, wenn eine IBAN eingetragen ist"));
    g->addWidget(m_giroCode, int(rows.size()), 0, 1, 2);
    outer->addWidget(box);
    auto* note = caption(u("Eine E-Rechnung braucht die USt-IdNr. oder die Steuernummer, einen Ansprechpartner mit "
                           "Telefon und E-Mail (Seite „Ihre Firmendaten“) und das Konto für die Überweisung. "
                           "Behörden erwarten zusätzlich die Leitweg-ID des Kunden (Kundendaten)."));
    note->setWordWrap(true);
    outer->addWidget(note);
    outer->addStretch();
    return page;
}

QWidget* SettingsDialog::buildQuotePage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Seite3"));
    auto* outer = new QVBoxLayout(page);

    auto* quote = frame("Frame4", u("Angebot"));
    auto* q = new QVBoxLayout(quote);
    m_quoteText1 = lineEdit("Text34");
    m_quoteText2 = lineEdit("Text35");
    m_quoteBelow = textBox("Text36", 3);
    q->addWidget(caption(u("Textvorgabe,  Zeile 1 oberhalb der Positionen"), m_quoteText1));
    q->addWidget(m_quoteText1);
    q->addWidget(caption(u("Textvorgabe,  Zeile2 oberhalb der Positionen"), m_quoteText2));
    q->addWidget(m_quoteText2);
    q->addWidget(caption(u("Text unterhalb der Rechnungspositionen"), m_quoteBelow));
    q->addWidget(m_quoteBelow);
    outer->addWidget(quote);

    auto* delivery = frame("Frame5", u("Lieferschein"));
    auto* d = new QVBoxLayout(delivery);
    m_deliveryAbove = lineEdit("Text37");
    m_deliveryBelow = textBox("Text38", 2);
    d->addWidget(caption(u("Textvorgabe, Zeile 1 oberhalb der Positionen"), m_deliveryAbove));
    d->addWidget(m_deliveryAbove);
    d->addWidget(caption(u("Textvorgabe, unterhalb der Positionen"), m_deliveryBelow));
    d->addWidget(m_deliveryBelow);
    m_receipt = new QCheckBox(u("Empfangsbestätigung für Lieferschein vorsehen"));
    m_receipt->setObjectName(QStringLiteral("Check2"));
    d->addWidget(m_receipt);
    outer->addWidget(delivery);
    outer->addStretch();
    return page;
}

} // namespace quittora
