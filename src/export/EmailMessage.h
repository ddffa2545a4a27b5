#pragma once

#include "workspace/Totals.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QIODevice;

namespace quittora {

class CompanySettings;

// An invoice or quote as a ready-to-send e-mail file: one quoted-printable
// HTML part with letterhead, address, lines, totals and footer, marked as
// not yet sent so the mail program opens it as a draft.
namespace email {

// The document head fields the message shows, by their database names.
struct Head {
    QString kind;       // `a156`: "Rechnung", or a text beginning with "An" for a quote
    QString number;     // `a7`
    QString date;       // `a8`
    QString salutation; // `a1`
    QString name;       // `a2`
    QString addition;   // `a3`
    QString street;     // `a4`
    QString town;       // `a5`
    QString customerId; // `b1`
    QString email;      // `b10`
    QString net;        // `a14`
    QString base1;      // `a19`: sum of the lines at VAT rate 1
    QString base2;      // `a20`: sum of the lines at VAT rate 2
    QString base0;      // `a21`: sum of the lines at 0 %
    QString vat1;       // `a30`
    QString vat2;       // `a31`
    QString vatTotal;   // `a75`
    QString gross;      // `a6`
    QString vatSummary; // `a26`
    QString skonto;     // `b2`

    bool operator==(const Head&) const = default;
};

// One document line (`Verkauf`).
struct Line {
    QString quantity;    // `a2`
    QString unit;        // `a3`: unit or article number
    QString description; // `n1`, may span lines
    QString rate;        // `a19`: VAT rate in percent
    QString unitPrice;   // `a4`
    QString amount;      // `a5`; empty for a text line
};

// Reads the head or a line from anything that gives a field's text by name
// (a Recordset, a QSqlRecord).
using FieldText = std::function<QString(const QString& field)>;
Head headFromFields(const FieldText& field);
Line lineFromFields(const FieldText& field);

// What follows an amount: " &#8364" when the currency unit is exactly "€",
// else the unit itself without a blank.
QString currencySuffix(const QString& currency);
// Two VAT rates are in use when both settings read as numbers other than 0.
bool twoRatesSet(const CompanySettings& settings);

// The whole message file. The document's values are HTML-escaped (line
// breaks become <BR>) and the HTML part is quoted-printable encoded as UTF-8,
// the character set it declares. The recipient header names the document's
// address only when it is one address ("kunde@example.de", "<kunde@...>" or
// "Name <kunde@...>"): its display name as RFC 2047 encoded words where it is
// not plain ASCII, an international domain in its ASCII form, folded at 78
// characters. Anything else (a list, a line break, an encoded word as local
// part, a local part that is not ASCII) gives no To: header at all.
QByteArray buildMessage(const Head& head, const QList<Line>& lines, const CompanySettings& settings,
                        PriceBasis basis);
bool writeMessage(QIODevice& out, const Head& head, const QList<Line>& lines, const CompanySettings& settings,
                  PriceBasis basis);

// Why the address is left out of the message, in German, for the user; empty
// when it is used or when there is none.
QString recipientProblem(const QString& address);

// The file name in the temporary folder.
QString fileName();

// Building blocks, for the other writers of mail text.
// Text for an HTML body: & < > " escaped, line breaks as <BR>.
QString htmlText(const QString& text);
// Quoted-printable (RFC 2045) of bytes whose lines end in CR LF: encoded
// lines are at most 76 characters, with soft line breaks where needed.
QByteArray quotedPrintable(const QByteArray& bytes);

} // namespace email

} // namespace quittora
