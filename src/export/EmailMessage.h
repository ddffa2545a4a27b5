#pragma once

#include "documents/Document.h"

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

// The message shows the document as it is prepared for print.
using documents::Head;
using documents::Line;

// What follows an amount: " &#8364" when the currency unit is exactly "€",
// else the unit itself without a blank.
QString currencySuffix(const QString& currency);

// A file the message carries beside its HTML body (the invoice as PDF, its
// e-invoice XML).
struct Attachment {
    QString fileName; // as the recipient sees it, umlauts allowed
    QByteArray mimeType;
    QByteArray data;
};

// The whole message file. The document's values are HTML-escaped (line
// breaks become <BR>) and the HTML part is quoted-printable encoded as UTF-8,
// the character set it declares. The recipient header names the document's
// address only when it is one address ("kunde@example.de", "<kunde@...>" or
// "Name <kunde@...>"): its display name as RFC 2047 encoded words where it is
// not plain ASCII, an international domain in its ASCII form, folded at 78
// characters. Anything else (a list, a line break, an encoded word as local
// part, a local part that is not ASCII) gives no To: header at all.
// With attachments the HTML part stays byte for byte the same; it moves into
// a multipart/mixed message followed by each file in base64, its name given
// as RFC 2231 parameter (and as RFC 2047 word for older readers).
QByteArray buildMessage(const Head& head, const QList<Line>& lines, const CompanySettings& settings,
                        PriceBasis basis, const QList<Attachment>& attachments = {});
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
