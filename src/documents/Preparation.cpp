#include "documents/Preparation.h"

#include "data/CompanySettings.h"
#include "data/Schema.h"
#include "documents/DocumentChanges.h"
#include "documents/InvoiceNumber.h"

namespace quittora::documents {

bool isLocked(const Head& head, const CompanySettings& settings)
{
    return settings.value(QStringLiteral("Festschreiben")).toInt() != 0 && schema::isLockable(head.kind, head.number);
}

Preparation prepare(const Head& head, const QList<Line>& lines, const Customer& customer,
                    const CompanySettings& settings, const Environment& env)
{
    Preparation p;
    p.head = head;
    if (isLocked(head, settings)) {
        // As issued: the totals as stored, not as today's rates would
        // give them. The customer's address serves this mail only.
        p.locked = true;
        if (p.head.email.isEmpty())
            p.head.email = customer.email;
        return p;
    }

    TotalsInput in = totalsInputFromSettings(settings, env.basis, env.decimalSeparator, env.shortDateFormat);
    for (const Line& l : lines)
        in.lines.append(TotalsLine{l.amount, l.rate});
    in.customerSkonto = customer.skonto;
    in.documentDate = head.date;
    in.storedMw1 = head.base1;
    in.storedMw2 = head.base2;
    in.storedMw3 = head.base0;
    const TotalsResult totals = berechnen(in);
    if (!totals.ok()) {
        p.outcome = Preparation::Outcome::TotalsFailed;
        p.title = totalsErrorTitle();
        p.message = totals.message;
        return p;
    }
    setHeadTotals(p.head, totals.totals);

    const InvoiceNumberAssignment number =
        assignInvoiceNumber(head.kind, head.number, settings.nextInvoiceNumber(), env.decimalSeparator);
    if (number.outcome == InvoiceNumberAssignment::Outcome::NextNumberMissing) {
        p.outcome = Preparation::Outcome::NumberMissing;
        p.title = QStringLiteral("Hinweis !");
        p.message = number.message;
        return p;
    }
    if (number.assigned()) {
        p.head.number = number.number;
        p.nextInvoiceNumber = number.nextNumber;
        p.numberWanted = true;
        p.decimalSeparator = env.decimalSeparator;
    }

    if (p.head.email.isEmpty())
        p.head.email = customer.email;

    p.documentChanges = headChanges(head, p.head);
    // The address taken from the customer is stored with the document.
    if (head.email != p.head.email)
        p.documentChanges.insert(QStringLiteral("b10"), p.head.email);
    return p;
}

bool storeChanges(const Database& db, qint64 documentId, const CompanySettings& settings,
                  Preparation& preparation, QString* error)
{
    if (!preparation.ready()) {
        if (error)
            *error = preparation.message;
        return false;
    }
    QString reason;
    if (storePrepared(db, documentId, settings.id(), preparation, &reason))
        return true;
    if (error)
        *error = QStringLiteral("Die Rechnung konnte nicht gespeichert werden:\n%1").arg(reason);
    return false;
}

} // namespace quittora::documents
