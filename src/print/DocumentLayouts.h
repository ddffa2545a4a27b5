#pragma once

#include "documents/Document.h"
#include "print/PageModel.h"
#include "documents/Totals.h"

#include <QChar>
#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace quittora {

class CompanySettings;

// A document as printing reads it: the head of `Rechnungen` (with its totals
// already recomputed) and its `Verkauf` lines in the order the main window
// lists them.
using DocumentHead = documents::Head;
using DocumentLine = documents::Line;

// What the printed documents depend on besides the document and the company
// settings.
struct PrintEnvironment {
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy"); // the cash-discount date of the totals
    PriceBasis basis = PriceBasis::Net;   // `Rechnungsbasis`: "zuzüglich" or "enthaltene MwSt."
    QColor titleColour = QColor(0, 0, 0); // "Schriftfarbe Titel" of the letterhead
    bool receiptConfirmation = true;      // "Empfangsbestätigung" block on delivery notes
    bool giroCode = true;                 // the GiroCode on page 1 of an invoice
    QDate today;                          // the date a reminder is printed with
};

// --- Layout geometry, millimetres from the paper's top-left corner ---------

namespace layout {
inline constexpr double kFirstItemY = 130.0;    // first item on page 1
inline constexpr double kFollowItemY = 30.0;    // first item on further pages
inline constexpr double kLastItemY = 230.0;     // no item prints below this
inline constexpr double kBreakAfterY = 225.0;   // an item below this ends the page
inline constexpr double kItemPitch = 5.0;       // one item, or one description line
inline constexpr double kInvoiceDescriptionX = 55.0;
inline constexpr double kDeliveryDescriptionX = 70.0;
} // namespace layout

// The printed lines of a description (`n1`). A description typed over
// several lines prints them one below the other, kItemPitch apart, and the
// items after it move down accordingly; trailing empty lines take no room.
// Always at least one entry.
QStringList descriptionLines(const QString& description);

// Number of copies to print from the settings' "Rechnungskopien" (`frei1`):
// invoices read it as a locale number, delivery notes by its leading number
// (a decimal comma ends it); both rounded to a whole number. Text that is no
// number, or a number below 1, gives 0.
int invoiceCopies(const QString& copiesSetting, QChar decimalSeparator);
int deliveryNoteCopies(const QString& copiesSetting);

// The invoice or quote, one document (one print job) per copy: letterhead
// (when `Vordruck` is set), address window, title, intro texts, the items
// with their page breaks, "Übertrag" and page numbers, the totals, closing
// text, rules and footer. A non-empty reminder text (`Mahntext`) goes on the
// first copy only, with today's date and a reference to the invoice's own
// number and date. Nothing for copies < 1.
std::vector<PageModel> invoiceDocuments(const DocumentHead& head, const QList<DocumentLine>& lines,
                                        const CompanySettings& company, const PrintEnvironment& env, int copies,
                                        const QString& Mahntext = {});

// The delivery note of the document, one document per copy: the invoice's
// page frame with "Auftrag Nr.", quantities, units and descriptions only, and
// the receipt block when env.receiptConfirmation is set. A reminder text is
// never printed, but while one is pending the reference line is.
std::vector<PageModel> deliveryNoteDocuments(const DocumentHead& head, const QList<DocumentLine>& lines,
                                             const CompanySettings& company, const PrintEnvironment& env,
                                             int copies, const QString& Mahntext = {});

} // namespace quittora
