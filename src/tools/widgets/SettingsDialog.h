#pragma once

#include <QColor>
#include <QDialog>
#include <QList>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace quittora {

struct AppContext;
class CompanySettings;
class Database;
class FieldBinding;
class IdentifierGuard;
class Recordset;

// The settings dialog "Einstellungen": company data and letterhead, logo,
// footer lines, invoice defaults, cash discount, quote and delivery-note
// texts, the price basis, the title colour and the receipt line.
//
// The record of `Einstellungen` is edited through the dialog's own
// recordset `Data1`; the price basis, the title colour and the receipt line
// are per-user values. Nothing is stored while the dialog is open: every way
// of closing it (Escape, the window's close button, "Schließen") first
// checks the VAT rates and then stores the record in one transaction, writes
// the per-user values, sets ProgramState::Rechnungsbasis and emits
// settingsChanged(). While a VAT rate is empty the dialog does not close.
class SettingsDialog final : public QDialog {
    Q_OBJECT
public:
    // db must stay open while the dialog lives.
    SettingsDialog(AppContext& ctx, Database& db, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    Recordset& recordset() const { return *m_rs; }
    QColor titleColour() const { return m_titleColour; }

    // What closing runs; true when the dialog may close (values stored, or
    // the user chose to drop them after a failed store).
    bool storeAtClosing();
    // Whether the last closing stored the values.
    bool stored() const { return m_stored; }

    // Lets the user pick a logo file; a file that is no readable picture is
    // refused with a message and changes nothing.
    void insertLogo();
    void removeLogo();
    // Opens the colour dialog for the title colour.
    void chooseTitleColour();

    // Sizes the dialog for a screen's free area (openSettingsDialog passes
    // the screen it opens on): what the pages want, within the area, and
    // centred over the main window.
    void fitInto(const QRect& available);

    // Shows the logo of `Memo10` fitted into the preview square; an
    // unreadable file leaves the preview empty.
    void showLogoPreview();

public Q_SLOTS:
    void done(int result) override;

Q_SIGNALS:
    // The record and the per-user values were stored: whoever keeps the
    // settings (CompanySettings) reloads them.
    void settingsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildCompanyPage();
    QWidget* buildInvoicePage();
    QWidget* buildQuotePage();
    QWidget* buildEInvoicePage();
    void bindFields();
    void installKeyFilters();
    void loadRegistryValues();
    void applyBackgroundColour();
    void fillDefaultTexts();
    void setTitleColour(const QColor& colour);
    void applyWebScheme();
    bool checkVatRates();
    void guardEInvoiceFields();

    AppContext& m_ctx;
    Recordset* m_rs = nullptr;
    FieldBinding* m_binding = nullptr;
    QColor m_titleColour;
    bool m_recordAvailable = false;
    bool m_closing = false;
    bool m_stored = false;

    QTabWidget* m_tabs = nullptr;
    // "E-Rechnung"
    QWidget* m_eInvoicePage = nullptr;
    QList<IdentifierGuard*> m_identifierGuards;
    QLineEdit* m_vatId = nullptr;         // txtUStIdNr       UStIdNr
    QLineEdit* m_taxNumber = nullptr;     // txtSteuernummer  Steuernummer
    QLineEdit* m_contact = nullptr;       // txtAnsprechpartner Ansprechpartner
    QLineEdit* m_country = nullptr;       // txtLand          Land
    QLineEdit* m_iban = nullptr;          // txtIBAN          IBAN
    QLineEdit* m_bic = nullptr;           // txtBIC           BIC
    QLineEdit* m_accountHolder = nullptr; // txtKontoinhaber  Kontoinhaber
    // " Ihre Firmendaten"
    QLineEdit* m_title = nullptr;       // Text3  Titel
    QLineEdit* m_addition = nullptr;    // Text4  frei4
    QLineEdit* m_street = nullptr;      // Text5  frei2
    QLineEdit* m_town = nullptr;        // Text6  frei3
    QLineEdit* m_email = nullptr;       // Text7  Einst1
    QLineEdit* m_internet = nullptr;    // Text8  Einst2
    QLineEdit* m_phone = nullptr;       // Text9  Tel
    QLineEdit* m_fax = nullptr;         // Text11 Fax
    QLineEdit* m_mobile = nullptr;      // Text12 Einst15
    QCheckBox* m_letterhead = nullptr;  // Check1 Vordruck
    QLineEdit* m_footer[9] = {};        // Text14..Text22
    QLineEdit* m_logoLeft = nullptr;    // Text23 Einst3
    QLineEdit* m_logoTop = nullptr;     // Text24 Einst4
    QLineEdit* m_logoHeight = nullptr;  // Text25 Einst5
    QLabel* m_logoPath = nullptr;       // Label20 Memo10
    QLabel* m_logoPreview = nullptr;    // Image1
    QPushButton* m_insertLogo = nullptr; // Command1
    QPushButton* m_removeLogo = nullptr; // Command2
    QLabel* m_colourSwatch = nullptr;   // Picture1
    QLabel* m_colourCaption = nullptr;  // Label25
    // "Rechnungsvorgaben"
    QLineEdit* m_copies = nullptr;      // Text1  frei1
    QLineEdit* m_vat1 = nullptr;        // Text2  MWSt
    QLineEdit* m_vat2 = nullptr;        // Text13 frei9
    QLineEdit* m_currency = nullptr;    // Text10 frei8
    QLineEdit* m_nextNumber = nullptr;  // Text26 Rechnungsnummer
    QLineEdit* m_invoiceText1 = nullptr; // Text27 Memo1
    QLineEdit* m_invoiceText2 = nullptr; // Text28 Memo2
    QPlainTextEdit* m_invoiceBelow = nullptr; // Text29 Memo3
    QLineEdit* m_skontoDays = nullptr;  // Text32 Einst18
    QLineEdit* m_skontoPercent = nullptr; // Text33 Einst19
    QRadioButton* m_net = nullptr;      // Option1
    QRadioButton* m_gross = nullptr;    // Option2
    QCheckBox* m_lock = nullptr;        // chkFestschreiben Festschreiben
    // "Angebot / Lieferschein"
    QLineEdit* m_quoteText1 = nullptr;  // Text34 Memo4
    QLineEdit* m_quoteText2 = nullptr;  // Text35 Memo5
    QPlainTextEdit* m_quoteBelow = nullptr; // Text36 Memo6
    QLineEdit* m_deliveryAbove = nullptr;   // Text37 Memo7
    QPlainTextEdit* m_deliveryBelow = nullptr; // Text38 Memo8
    QCheckBox* m_receipt = nullptr;     // Check2 Empfangsbestätigung
    QCheckBox* m_giroCode = nullptr;    // chkGiroCode: the GiroCode on printed invoices

    QPushButton* m_close = nullptr;     // Command3
};

// Opens the settings dialog modally over parent (menu "&Einstellungen" →
// "&Stammdaten"). When company is given it is loaded again from db after the
// dialog stored its values. Returns true when values were stored.
bool openSettingsDialog(AppContext& ctx, Database& db, QWidget* parent, CompanySettings* company = nullptr);

} // namespace quittora
