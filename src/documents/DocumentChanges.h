#pragma once

#include "documents/Totals.h"

#include <QHash>
#include <QString>

namespace quittora {

class Database;

// Stores what getting a document ready for print or mail changed: its fields
// (recomputed totals, a newly assigned number, an address taken from the
// customer) and the settings' next invoice number. Both go in one transaction,
// so a document never keeps a number that the next number has not moved past.
// Field names come from the program, never from the user. On failure nothing
// is stored and `reason` says why (database text, or that a record is gone).
// The totals fields of a document head, as printing and the e-mail file keep
// them (both head types name them alike), set from a computed result.
template <class Head>
void setHeadTotals(Head& head, const Totals& t)
{
    head.net = t.net;
    head.base1 = t.mw1;
    head.base2 = t.mw2;
    head.base0 = t.mw3;
    head.vat1 = t.vat1;
    head.vat2 = t.vat2;
    head.vatTotal = t.vatTotal;
    head.gross = t.gross;
    head.vatSummary = t.vatSummary;
    head.skonto = t.skontoText;
}

// The document fields whose value differs between the head as read and the
// head as it is to be stored: the totals and the number.
template <class Head>
QHash<QString, QString> headChanges(const Head& a, const Head& b)
{
    QHash<QString, QString> c;
    const auto add = [&c](const char* field, const QString& before, const QString& after) {
        if (before != after)
            c.insert(QString::fromLatin1(field), after);
    };
    add("a14", a.net, b.net);
    add("a19", a.base1, b.base1);
    add("a20", a.base2, b.base2);
    add("a21", a.base0, b.base0);
    add("a30", a.vat1, b.vat1);
    add("a31", a.vat2, b.vat2);
    add("a75", a.vatTotal, b.vatTotal);
    add("a6", a.gross, b.gross);
    add("a26", a.vatSummary, b.vatSummary);
    add("b2", a.skonto, b.skonto);
    add("a7", a.number, b.number);
    return c;
}

// An unnumbered invoice takes its number while it is stored, not while it is
// prepared: another window or program may take the next number in between,
// and two invoices with one number are rejected by the tax office.
struct NumberClaim {
    bool wanted = false;                 // in: give the document the settings' next number
    QChar decimalSeparator = QLatin1Char(',');
    QString number;                      // out: the number the document carries now
    QString nextNumber;                  // out: the settings' next number after it; empty if unchanged
};

// Stores the changes and, with a claim, reads the next number, checks that no
// other document carries it, gives it to the document and raises it, all in
// one immediate transaction. A document that meanwhile got its number keeps
// it and uses up no other. On failure nothing is stored and `reason` says why.
bool storeDocumentChanges(const Database& db, qint64 documentId, QHash<QString, QString> documentChanges,
                          qint64 settingsId, NumberClaim* claim, QString* reason);

// Stores what a print job or a mail/e-invoice preparation worked out (both
// name their fields alike) and, once stored, puts the number the invoice
// really got into it. False with the database's reason otherwise.
template <class Prepared>
bool storePrepared(const Database& db, qint64 documentId, qint64 settingsId, Prepared& p, QString* reason)
{
    NumberClaim claim;
    claim.wanted = p.numberWanted;
    claim.decimalSeparator = p.decimalSeparator;
    if (!storeDocumentChanges(db, documentId, p.documentChanges, settingsId, &claim, reason))
        return false;
    if (claim.wanted) {
        p.head.number = claim.number;
        p.nextInvoiceNumber = claim.nextNumber;
        p.documentChanges.insert(QStringLiteral("a7"), claim.number);
        p.numberWanted = false;
    }
    return true;
}

} // namespace quittora
