#include "documents/InvoiceNumber.h"

#include "data/Numbers.h"

namespace quittora {

InvoiceNumberAssignment assignInvoiceNumber(const QString& kind, const QString& currentNumber,
                                            const QString& nextNumber, QChar decimalSeparator)
{
    InvoiceNumberAssignment a;
    if (kind != QStringLiteral("Rechnung") || !currentNumber.trimmed().isEmpty())
        return a;
    if (nextNumber.trimmed().isEmpty()) {
        // Printing an invoice without any number would leave it unidentifiable.
        a.outcome = InvoiceNumberAssignment::Outcome::NextNumberMissing;
        a.message = QStringLiteral("Für diese Rechnung kann keine Rechnungsnummer vergeben werden, "
                                   "weil keine nächste Rechnungsnummer eingetragen ist.\n"
                                   "Bitte tragen Sie die nächste Rechnungsnummer ein.");
        return a;
    }
    a.outcome = InvoiceNumberAssignment::Outcome::Assigned;
    a.number = nextNumber;
    a.nextNumber = plainNumberText(leadingNumber(nextNumber) + Decimal::fromInt(1), decimalSeparator);
    return a;
}

} // namespace quittora
