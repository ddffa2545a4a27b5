#pragma once

#include "documents/DerivedDocument.h"
#include "export/EInvoiceExport.h"

#include "print/DocumentPrint.h"
#include "print/Reminder.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace quittora {

class Database;
class Printers;
class RechnungWindow;
struct AppContext;

// What the main window hands out of the program: printing (Command8, the
// menu "Rechnung drucken", "Lieferschein drucken"), the printer dialog, the
// e-mail file (Command18), the revenue overview (Command21, "Umsatz") and
// the narrowing, widening and sorting of the document list DBGrid4.
class OutputController : public QObject {
    Q_OBJECT
public:
    OutputController(RechnungWindow& window, AppContext& ctx, Database& db);
    ~OutputController() override;

    // The printers in use (the system's at first); tests put a fake in.
    void setPrinters(std::unique_ptr<Printers> printers);
    Printers& printers() const { return *m_printers; }
    // The print dialog (QPrintDialog at first); tests answer it themselves.
    void setPrintDialog(PrintDialog dialog) { m_printDialog = std::move(dialog); }

    // The margins and the printer choice at window load.
    void loadPrinterState();

    void printInvoice();       // Command8
    void printInvoiceAsked();  // menu "Rechnung drucken"
    void printDeliveryNote();  // menu "Lieferschein drucken"
    // "Zahlungserinnerung drucken" / "Mahnung drucken": asks for the text and
    // prints the current invoice with it. Their menu items are not offered,
    // but the commands are complete.
    void printReminder(ReminderKind kind);
    void openPrinterDialog();  // menu "&Drucker"
    void createEmail();        // Command18, menu "Rechnung als E-Mail generieren"
    void openOverview();       // Command21, menu "Umsatz"
    void saveXRechnung();      // menu "E-Rechnung (XRechnung) speichern …"
    void saveZugferd();        // menu "E-Rechnung (ZUGFeRD-PDF) speichern …"
    // Menu "Rechnung stornieren", "Angebot in Rechnung übernehmen",
    // "Rechnung kopieren": the new document becomes the current one.
    void derive(documents::Derivation how);

    void showCustomerDocuments(); // "alle Rechnungen dieses Kunden"
    void showAllDocuments();      // "alle Rechnungen anzeigen"
    void sortByColumn(int column); // heading click on DBGrid4
    void showUnpaidDocuments();   // "unbezahlte Rechnungen anzeigen"

private:
    bool storePending();
    // Price basis, separator and date format as the program runs.
    documents::Environment documentEnvironment() const;
    void reloadDocument(qint64 id);
    void printCurrent(PrintedDocument document);
    void afterPrint(qint64 id);
    // Both e-invoice files: the check said before the file dialog, then the
    // save itself, and what came of it.
    struct EInvoiceDialog {
        QString caption;
        QString filter;
        QString (*fileName)(const QString& number);
    };
    void saveEInvoice(const EInvoiceDialog& dialog, const std::function<einvoice::ExportResult(qint64)>& check,
                      const std::function<einvoice::ExportResult(qint64, const QString&)>& save);

    RechnungWindow& m_window;
    AppContext& m_ctx;
    Database& m_db;
    std::unique_ptr<Printers> m_printers;
    PrintDialog m_printDialog;
    // What is being printed, for the file name the print dialog offers.
    qint64 m_printingId = -1;
    PrintedDocument m_printing = PrintedDocument::Invoice;
    QLabel* m_customerLabel = nullptr;
    QPushButton* m_showAll = nullptr;
    bool m_plainPdfSaid = false; // the mail's plain-PDF notice was given
};

} // namespace quittora
