#include "export/EmailMessage.h"

#include "data/CompanySettings.h"
#include "data/Numbers.h"
#include "platform/SafeFile.h"

#include <QIODevice>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <optional>

namespace quittora::email {

namespace {

const char* const kBoundary = "----=_NextPart_000_0009_01C4FBB5.C0466DF0";
// Base64 and quoted-printable never produce "=_", so neither boundary can
// occur inside a part.
const char* const kMixedBoundary = "----=_NextPart_000_0008_01C4FBB5.C0466DF0";

// The fixed pieces of the message. They are kept as plain HTML and encoded
// together with the values when the message is put together, so no piece
// can end up encoded twice or not at all.

// T1, first half: the message and part headers (plain ASCII, not encoded).
const char* const kAlternativeType =
    "Content-Type: multipart/alternative;\r\n"
    "\tboundary=\"----=_NextPart_000_0009_01C4FBB5.C0466DF0\"\r\n";
const char* const kMessageHeaders =
    "X-Priority: 3\r\n"
    "X-MSMail-Priority: Normal\r\n"
    "X-Unsent: 1\r\n"
    "X-MimeOLE: Produced By Microsoft MimeOLE V6.00.2900.2180\r\n"
    "\r\n"
    "This is a multi-part message in MIME format.\r\n"
    "\r\n";
const char* const kHtmlPartHeaders =
    "------=_NextPart_000_0009_01C4FBB5.C0466DF0\r\n"
    "Content-Type: text/html;\r\n"
    "\tcharset=\"utf-8\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n";

// T1, second half: document start and the letterhead up to the title.
const char* const kT1 =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
    "<HTML><HEAD>\n"
    "<META http-equiv=Content-Type content=\"text/html; charset=utf-8\">\n"
    "<META content=\"MSHTML 6.00.2900.2523\" name=GENERATOR></HEAD>\n"
    "<BODY bgColor=#ffffff>\n"
    "<TABLE height=315 width=650 border=0>\n"
    "  <TBODY>\n"
    "  <TR>\n"
    "    <TD>\n"
    "      <TABLE width=\"100%\" border=0>\n"
    "        <TBODY>\n"
    "        <TR>\n"
    "          <TD vAlign=top width=\"50%\">\n"
    "            <P><FONT face=Andy color=red size=6><STRONG><EM>";

// Line table head; kHeadingVat or nothing goes between the two halves.
const char* const kTableHeadStart =
    "</FONT></P></TD></TR></TBODY></TABLE>\n"
    "<TABLE width=650 border=0>\n"
    "  <TBODY>\n"
    "  <TR>\n"
    "    <TD></TD>\n"
    "    <TD><FONT face=Arial size=3><STRONG></STRONG></FONT></TD></TR></TBODY></TABLE>\n"
    "<TABLE height=200 cellPadding=0 width=650 border=0>\n"
    "  <TBODY>\n"
    "  <TR>\n"
    "    <TD colSpan=6>\n"
    "      <HR SIZE=1>\n"
    "    </TD></TR>\n"
    "  <TR>\n"
    "    <TD vAlign=top noWrap align=left width=\"5%\"><FONT face=Arial size=1><STRONG>Anz</STRONG></FONT></TD>\n"
    "    <TD vAlign=top noWrap align=left width=\"10%\"><FONT face=Arial size=1><STRONG>Einh Art</STRONG></FONT></TD>\n"
    "    <TD vAlign=top align=left width=\"48%\"><FONT face=Arial size=1><STRONG>Bezeichnung</STRONG></FONT></TD>\n"
    "    <TD vAlign=top noWrap align=right width=\"5%\"><FONT face=Arial size=1><STRONG>";
const char* const kHeadingVat = "MwSt";
const char* const kTableHeadEnd =
    "</STRONG></FONT></TD>\n"
    "    <TD vAlign=top noWrap align=right width=\"19%\"><FONT face=Arial size=1><STRONG>Preis</STRONG></FONT></TD>\n"
    "    <TD vAlign=top noWrap align=right width=\"13%\"><FONT face=Arial size=1><STRONG>Gesamt</STRONG></FONT></TD></TR>\n"
    "  <TR>\n"
    "    <TD colSpan=6>\n"
    "      <HR SIZE=1>\n"
    "    </TD></TR>\n"
    "  <TR>\n";

// T3: two empty cells.
const char* const kT3 =
    "    <TD vAlign=top noWrap align=left><FONT face=Arial color=#000000 size=2></FONT></TD>\n"
    "    <TD vAlign=top noWrap align=left><FONT face=Arial color=#000000 size=1></FONT></TD>\n";

// T16: a new row for the texts above the lines.
const char* const kT16 =
    "</TD</TR>\n"
    "  <TR>\n"
    "    <TD><P><FONT face=Arial size=2>";

// T17: between the two texts above the lines.
const char* const kT17 = "<BR></STRONG></FONT><FONT face=Arial size=2>\n";

// The totals carry the configured currency through the suffix after each
// amount; a fixed euro sign after it would name the currency twice, and
// wrongly for any currency but the euro. So the closing pieces of T5, T7
// and T18 keep their blank but add no currency of their own.

// T5: closes the net total's row and opens the label cell of the next.
const char* const kT5 =
    " \n"
    "</FONT></TD></TR>\n"
    "  <TR>\n"
    "    <TD align=right colSpan=5><FONT face=Arial size=2>";

// T7: closes the VAT row; spacer rows; the row "Rechnungsbetrag".
const char* const kT7 =
    " \n"
    "</FONT></TD></TR>\n"
    "  <TR>\n"
    "    <TD colSpan=6>&nbsp;</TD></TR>\n"
    "  <TR>\n"
    "    <TD colSpan=6></TD></TR>\n"
    "  <TR>\n"
    "    <TD align=right colSpan=5><FONT face=Arial size=2><STRONG>Rechnungsbetrag</STRONG></FONT></TD>\n"
    "    <TD noWrap align=right><FONT face=Arial size=2><STRONG>";

// T18: closes the gross total and the line table; opens the closing text.
const char* const kT18 =
    " \n"
    "</STRONG></FONT></TD></TR>\n"
    "  <TR>\n"
    "    <TD colSpan=6></TD></TR>\n"
    "  <TR>\n"
    "    <TD colSpan=6></TD></TR>\n"
    "  <TR>\n"
    "    <TD colSpan=6>\n"
    "      <TABLE width=\"100%\" border=0>\n"
    "        <TBODY>\n"
    "        <TR>\n"
    "          <TD width=\"50%\"></TD>\n"
    "          <TD width=\"50%\"></TD></TR>\n"
    "        <TR>\n"
    "          <TD width=\"50%\"></TD>\n"
    "          <TD width=\"50%\"></TD></TR></TBODY></TABLE></TD></TR></TBODY></TABLE>\n"
    "<P></P>\n"
    "<TABLE width=650 border=0>\n"
    "  <TBODY>\n"
    "  <TR>\n"
    "    <TD><FONT face=Arial size=2>";

// T8: small print for the cash-discount sentence and the footer.
const char* const kT8 =
    "</FONT></FONT>\n"
    "      <P></P>\n"
    "      <P><FONT face=Arial><SMALL><SMALL><STRONG></STRONG></SMALL></SMALL></FONT></P>\n"
    "      <P><FONT face=Arial><SMALL><SMALL><STRONG></STRONG></SMALL></SMALL></FONT></P>\n"
    "      <P><FONT face=Arial><SMALL><SMALL><STRONG></STRONG></SMALL></SMALL></FONT></P>\n"
    "      <P><FONT face=Arial><SMALL><SMALL\n";

const char* const kLineCellOpenNoWrap =
    "<TD vAlign=top noWrap align=left><FONT face=Arial color=#000000><FONT size=2>";
const char* const kLineCellOpen = "<TD vAlign=top align=left><FONT face=Arial color=#000000><FONT size=2>";
const char* const kLineCellOpenRight =
    "<TD vAlign=top noWrap align=right><FONT face=Arial color=#000000><FONT size=2>";
const char* const kLineCellClose = "</FONT></FONT></TD>";
const char* const kNetRow =
    "<TR><TD align=right colSpan=5><FONT face=Arial size=2>Netto</FONT></TD>"
    "<TD noWrap align=right><FONT face=Arial color=#000000>";
const char* const kValueCell = "</FONT></TD><TD noWrap align=right><FONT face=Arial color=#000000 size=2>";

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Text inside an attribute value in double quotes: no line breaks there.
QString htmlAttribute(const QString& text)
{
    QString out = htmlText(text);
    out.replace(QStringLiteral("<BR>\n"), QStringLiteral(" "));
    return out;
}

// How long a shown address may be in a message before it is cut.
constexpr qsizetype kShownAddress = 80;
// The limits of an address (RFC 5321): local part, domain, whole address.
constexpr qsizetype kMaxLocalPart = 64;
constexpr qsizetype kMaxDomain = 253;
constexpr qsizetype kMaxAddress = 254;
// Header lines are folded at 78 characters (RFC 5322); an encoded word is at
// most 75 (RFC 2047).
constexpr qsizetype kFoldAt = 78;
constexpr qsizetype kMaxEncodedWord = 75;

bool isAtext(QChar c)
{
    if (c.unicode() <= 0x20 || c.unicode() > 0x7E)
        return false;
    const char a = static_cast<char>(c.unicode());
    return (a >= 'a' && a <= 'z') || (a >= 'A' && a <= 'Z') || (a >= '0' && a <= '9')
        || std::strchr("!#$%&'*+/=?^_`{|}~-", a) != nullptr;
}

bool isDotAtom(const QString& text)
{
    if (text.isEmpty() || text.startsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('.'))
        || text.contains(QStringLiteral("..")))
        return false;
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char('.') || isAtext(c); });
}

// The domain as it goes into the header: an international domain in its
// ASCII form (xn--...), which every mail program reads. Empty when it is none.
QString headerDomain(const QString& domain)
{
    if (domain.isEmpty() || domain.size() > kMaxDomain)
        return {};
    const QString ascii = QString::fromLatin1(QUrl::toAce(domain.toLower()));
    if (ascii.isEmpty() || ascii.size() > kMaxDomain)
        return {};
    const QStringList labels = ascii.split(QLatin1Char('.'));
    if (labels.size() < 2)
        return {};
    for (const QString& label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
            return {};
        for (QChar c : label) {
            if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('-')))
                return {};
        }
    }
    // A top-level domain is never a number: "1.2.3.4" is no mail domain.
    bool isNumber = false;
    labels.last().toInt(&isNumber);
    return isNumber ? QString() : ascii;
}

// One address (local@domain) in the form a header carries; empty when the
// text is not one. A local part that looks like an encoded word is refused:
// mail programs decode it and show something else than was typed.
QString headerAddrSpec(const QString& text)
{
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || text.count(QLatin1Char('@')) != 1)
        return {};
    const QString local = text.left(at);
    if (local.size() > kMaxLocalPart || !isDotAtom(local) || local.contains(QStringLiteral("=?")))
        return {};
    const QString domain = headerDomain(text.mid(at + 1));
    if (domain.isEmpty())
        return {};
    const QString address = local + QLatin1Char('@') + domain;
    return address.size() > kMaxAddress ? QString() : address;
}

// A display name as typed or inside double quotes ("Müller, Hans");
// nullopt when the text before the address is no single name.
std::optional<QString> displayName(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
        QString name;
        for (qsizetype i = 1; i + 1 < text.size(); ++i) {
            QChar c = text.at(i);
            if (c == QLatin1Char('\\') && i + 2 < text.size())
                c = text.at(++i);
            else if (c == QLatin1Char('"'))
                return std::nullopt;
            name += c;
        }
        return name.simplified();
    }
    // Unquoted, a comma, semicolon or @ means a list of addresses was typed.
    for (QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('@') || c == QLatin1Char('"'))
            return std::nullopt;
    }
    return text.simplified();
}

bool isPlainPhrase(const QString& name)
{
    if (name.contains(QStringLiteral("=?")))
        return false;
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c == QLatin1Char(' ') || isAtext(c); });
}

// RFC 2047 encoded words ("=?utf-8?B?...?=") of at most 75 characters each,
// never splitting a character's UTF-8 bytes between two words.
QList<QByteArray> encodedWords(const QString& text)
{
    const QByteArray prefix = "=?utf-8?B?";
    const QByteArray suffix = "?=";
    // Base64 gives 4 characters for 3 bytes.
    const qsizetype maxBytes = (kMaxEncodedWord - prefix.size() - suffix.size()) / 4 * 3;
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray piece = text.mid(i, units).toUtf8();
        i += units - 1;
        if (chunk.size() + piece.size() > maxBytes) {
            words.append(prefix + chunk.toBase64() + suffix);
            chunk.clear();
        }
        chunk += piece;
    }
    if (!chunk.isEmpty())
        words.append(prefix + chunk.toBase64() + suffix);
    return words;
}

struct Recipient {
    QString name;    // the display name, empty when none was typed
    QString address; // local@domain, empty when the text is no single address
};

Recipient parseRecipient(const QString& typed)
{
    const QString text = typed.trimmed();
    // A line break or any other control character cannot be in an address;
    // in a header it would start a header of its own.
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph)
            return {};
    }
    const qsizetype open = text.indexOf(QLatin1Char('<'));
    const qsizetype close = text.indexOf(QLatin1Char('>'));
    if (open < 0 && close < 0)
        return {QString(), headerAddrSpec(text)};
    // Name <address>, or <address> alone: one pair of brackets, at the end.
    if (open < 0 || close != text.size() - 1 || text.count(QLatin1Char('<')) != 1
        || text.count(QLatin1Char('>')) != 1)
        return {};
    const std::optional<QString> name = displayName(text.left(open));
    if (!name)
        return {};
    const QString address = headerAddrSpec(text.mid(open + 1, close - open - 1).trimmed());
    return address.isEmpty() ? Recipient{} : Recipient{*name, address};
}

// The whole To: header, folded, or nothing.
QByteArray toHeader(const Recipient& r)
{
    if (r.address.isEmpty())
        return {};
    QList<QByteArray> words;
    if (isPlainPhrase(r.name)) {
        for (const QString& w : r.name.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            words.append(w.toLatin1());
    } else {
        words = encodedWords(r.name);
    }
    words.append("<" + r.address.toLatin1() + ">");
    QByteArray header = "To:";
    qsizetype column = header.size();
    for (const QByteArray& w : words) {
        // Folding goes between words only; an address longer than a line stays
        // whole (it is at most 256 characters, far below the limit of 998).
        if (column + 1 + w.size() > kFoldAt && column > 3) {
            header += "\r\n";
            column = 0;
        }
        header += ' ' + w;
        column += 1 + w.size();
    }
    return header + "\r\n";
}

QString shownAddress(const QString& typed)
{
    QString out;
    for (QChar c : typed.trimmed())
        out += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(QLatin1Char(' ')) : c;
    out = out.simplified();
    if (out.size() > kShownAddress)
        out = out.left(kShownAddress - 1) + QChar(0x2026);
    return out;
}

// filename*=UTF-8''Rechnung%20M%C3%BCller.pdf (RFC 2231): every byte
// outside the unreserved set percent-encoded.
QByteArray rfc2231(const QString& name)
{
    return "UTF-8''" + name.toUtf8().toPercentEncoding("!#$&+^`{}|~");
}

QByteArray attachmentPart(const Attachment& a)
{
    const bool ascii = std::all_of(a.fileName.begin(), a.fileName.end(),
                                   [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F && c != QLatin1Char('"')
                                                     && c != QLatin1Char('\\'); });
    // Older readers know only the RFC 2047 word in name=.
    const QByteArray shownName = ascii ? "\"" + a.fileName.toLatin1() + "\""
                                       : "\"=?UTF-8?B?" + a.fileName.toUtf8().toBase64() + "?=\"";
    QByteArray part;
    part += "Content-Type: " + a.mimeType + ";\r\n\tname=" + shownName + "\r\n";
    part += "Content-Transfer-Encoding: base64\r\n";
    part += "Content-Disposition: attachment;\r\n\t";
    part += ascii ? "filename=" + shownName : "filename*=" + rfc2231(a.fileName);
    part += "\r\n\r\n";
    const QByteArray encoded = a.data.toBase64();
    for (qsizetype i = 0; i < encoded.size(); i += 76) {
        part += encoded.mid(i, 76);
        part += "\r\n";
    }
    return part;
}

} // namespace

QString currencySuffix(const QString& currency)
{
    if (currency == QString(QChar(0x20AC)))
        return QStringLiteral(" &#8364");
    return htmlText(currency);
}

QString htmlText(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '&': out += QStringLiteral("&amp;"); break;
        case '<': out += QStringLiteral("&lt;"); break;
        case '>': out += QStringLiteral("&gt;"); break;
        case '"': out += QStringLiteral("&quot;"); break;
        case '\r':
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QStringLiteral("<BR>\n");
            break;
        case '\n': out += QStringLiteral("<BR>\n"); break;
        default: out += c;
        }
    }
    return out;
}

QByteArray quotedPrintable(const QByteArray& bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    constexpr int kMaxLine = 76;
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 4);
    qsizetype lineStart = 0;
    while (lineStart <= bytes.size()) {
        qsizetype lineEnd = bytes.indexOf("\r\n", lineStart);
        const bool last = lineEnd < 0;
        if (last)
            lineEnd = bytes.size();
        int column = 0;
        for (qsizetype i = lineStart; i < lineEnd; ++i) {
            const auto c = static_cast<unsigned char>(bytes.at(i));
            const bool atLineEnd = i + 1 == lineEnd;
            char piece[3];
            int pieceSize = 1;
            const bool blank = c == ' ' || c == '\t';
            if ((c >= 33 && c <= 126 && c != '=') || (blank && !atLineEnd)) {
                piece[0] = static_cast<char>(c);
            } else {
                piece[0] = '=';
                piece[1] = hex[c >> 4];
                piece[2] = hex[c & 0x0F];
                pieceSize = 3;
            }
            // Room must stay for a soft break "=" unless this is the line's
            // last piece.
            const int limit = atLineEnd ? kMaxLine : kMaxLine - 1;
            if (column + pieceSize > limit) {
                out += "=\r\n";
                column = 0;
            }
            out.append(piece, pieceSize);
            column += pieceSize;
        }
        if (last)
            break;
        out += "\r\n";
        lineStart = lineEnd + 2;
    }
    return out;
}

QByteArray buildMessage(const Head& head, const QList<Line>& lines, const CompanySettings& settings,
                        PriceBasis basis, const QList<Attachment>& attachments)
{
    auto set = [&settings](const char* field) { return htmlText(settings.text(QString::fromLatin1(field))); };
    const bool twoRates = documents::twoRatesSet(settings);
    const bool quote = head.kind.left(2) == QStringLiteral("An");
    const QString kind = htmlText(head.kind);
    const QString suffix = currencySuffix(settings.currency());

    QString html;
    html += s(kT1);
    html += set("Titel") + s("<BR></FONT><FONT face=Arial color=#000000 size=2>") + set("frei4");
    html += s("<BR><BR><BR><BR><U></EM></STRONG></FONT></P><P><FONT face=Arial size=1></FONT></P>"
              "<P><FONT face=Arial size=1>");
    html += set("Titel") + s(" - ") + set("frei2") + s(" - ") + set("frei3");
    html += s("</U></FONT><FONT face=Arial  size=3><BR><BR>");
    html += htmlText(head.salutation) + s("<BR>") + htmlText(head.name) + s("</B><BR>") + htmlText(head.addition)
        + s("<BR>") + htmlText(head.street) + s("<BR><BR>") + htmlText(head.town);

    html += s(kT3);
    html += s("</B></FONT></P><P></P><P></P></STRONG></TD><TD vAlign=top noWrap align=right width=\"50%\">"
              "<FONT face= Arial  size=2><B><P>");

    html += set("Titel") + s("</B><BR>") + set("frei2") + s("<BR>") + set("frei3");
    const QString mail = htmlAttribute(settings.text(QStringLiteral("Einst1")));
    const QString web = htmlAttribute(settings.text(QStringLiteral("Einst2")));
    html += s("<BR><BR><A href=\"mailto:") + mail + s("\">") + set("Einst1") + s("</A><BR>");
    html += s("<A href=\"") + web + s("\">") + set("Einst2") + s("</A><BR>");

    html += s("<BR><BR><BR>Tel.: ") + set("Tel") + s("<BR>Fax: ") + set("Fax") + s("<BR>Mobil: ") + set("Einst15");
    html += s("<BR></FONT></P></TD></TR></TBODY></TABLE></TD></TR><TR><TD vAlign=top><P><FONT size=4>"
              "<FONT face=Arial><STRONG><BR><BR><BR><BR>");
    html += kind;
    html += s("</STRONG><FONT size=2><BR>&nbsp;</FONT></FONT></P><P></P></FONT></TD><TD vAlign=top align=right>"
              "<FONT face=Arial size=4><FONT size=2>");
    html += kind + s("-Nr.:") + htmlText(head.number) + s("<BR>Datum: ") + htmlText(head.date);

    html += s(kT16) + (quote ? set("Memo4") : set("Memo1")) + s(kT17) + (quote ? set("Memo5") : set("Memo2"));
    html += s(kTableHeadStart) + (twoRates ? s(kHeadingVat) : QString()) + s(kTableHeadEnd) + s(kT3);

    for (const Line& line : lines) {
        QString rate = QStringLiteral(" ");
        if (twoRates)
            rate = line.rate.isEmpty() ? QString() : htmlText(line.rate) + QLatin1Char('%');
        html += s("<TR>") + s(kLineCellOpenNoWrap) + htmlText(line.quantity) + s(kLineCellClose);
        html += s(kLineCellOpenNoWrap) + htmlText(line.unit) + s(kLineCellClose);
        html += s(kLineCellOpen) + htmlText(line.description) + s(kLineCellClose);
        html += s("<TD vAlign=top noWrap align=right><FONT face=Arial color=#000000 size=2>") + rate
            + s("</FONT></B></TD>");
        html += s(kLineCellOpenRight) + htmlText(line.unitPrice) + (line.unitPrice.isEmpty() ? QString() : suffix)
            + s(kLineCellClose);
        html += s(kLineCellOpenRight) + htmlText(line.amount) + (line.amount.isEmpty() ? QString() : suffix)
            + s(kLineCellClose) + s("</TR>");
    }

    if (twoRates) {
        const QString partA = head.base1.isEmpty() ? QString()
            : s("MwSt.") + set("MWSt") + s("% ") + htmlText(head.vat1) + s(" ") + suffix;
        const QString partB = head.base2.isEmpty() ? QString()
            : s("MwSt.") + set("frei9") + s("% ") + htmlText(head.vat2) + s(" ") + suffix;
        // Rates of neither setting follow in the stored summary after the
        // two of the settings.
        QString others;
        for (const QString& part : head.vatSummary.split(QStringLiteral("   ")).mid(2)) {
            if (!part.isEmpty())
                others += s("  ") + htmlText(part) + s(" ") + suffix;
        }
        html += s("<TD colSpan=6><HR SIZE=1><FONT face=Arial size=1>") + partA + s("  ") + partB + others
            + s("</TD></TR>");
    }

    const bool net = basis == PriceBasis::Net;
    const bool gross = basis == PriceBasis::Gross;
    if (net)
        html += s(kNetRow);
    if (twoRates)
        html += s(kNetRow);
    html += s("<FONT face=Arial size=2>");
    if (net || gross)
        html += s(" ") + htmlText(head.net) + suffix + s(" ") + s(kT5);
    if (net) {
        html += s("zuzüglich MwSt.") + s(kValueCell) + htmlText(head.vatTotal) + suffix;
    } else if (gross && twoRates) {
        html += s("enthaltene MwSt.") + s(kValueCell) + htmlText(head.vatTotal) + suffix;
    }
    html += s(kT7) + htmlText(head.gross) + suffix;

    html += s(kT18) + (quote ? set("Memo6") : set("Memo3")) + s(kT8);
    html += s("<BR>") + htmlText(head.skonto) + s("<BR>");

    // The footer reads as on the printed invoice: a caption and its value
    // apart by a blank ("Steuernummer 123/456"), the two values of line 4 in
    // the order the settings dialog shows and the print uses (IBAN, BIC).
    auto footer = [&settings](std::initializer_list<const char*> fields) { return settings.footerText(fields); };
    auto captioned = [&](const char* caption, std::initializer_list<const char*> values) {
        QString value = footer(values);
        const QString head = settings.text(QString::fromLatin1(caption));
        if (!head.isEmpty() && !value.isEmpty() && !head.back().isSpace() && !value.front().isSpace())
            value.prepend(QLatin1Char(' '));
        return s("<STRONG>") + htmlText(head) + s("</STRONG>") + htmlText(value);
    };
    html += s("<STRONG>") + set("Einst26") + s("</STRONG><BR>") + set("Bank") + s("<BR>");
    html += captioned("Einst25", {"Einst27", "Einst28"}) + s("<BR>") + htmlText(footer({"Einst23", "Einst6"}))
        + s("<BR>") + htmlText(footer({"Einst24", "frei5"}));

    // Every line break of the part as CR LF before encoding.
    html.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    html.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    html.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));

    QByteArray message;
    message += toHeader(parseRecipient(head.email));
    message += "Subject: Ihre Rechnung\r\n";
    message += "MIME-Version: 1.0\r\n";
    if (attachments.isEmpty()) {
        message += kAlternativeType;
        message += kMessageHeaders;
    } else {
        message += "Content-Type: multipart/mixed;\r\n\tboundary=\"";
        message += kMixedBoundary;
        message += "\"\r\n";
        message += kMessageHeaders;
        message += "--";
        message += kMixedBoundary;
        message += "\r\n";
        message += kAlternativeType;
        message += "\r\n";
    }
    message += kHtmlPartHeaders;
    message += quotedPrintable(html.toUtf8());
    message += "\r\n--";
    message += kBoundary;
    message += "--\r\n";
    for (const Attachment& a : attachments) {
        message += "\r\n--";
        message += kMixedBoundary;
        message += "\r\n";
        message += attachmentPart(a);
    }
    if (!attachments.isEmpty()) {
        message += "\r\n--";
        message += kMixedBoundary;
        message += "--\r\n";
    }
    return message;
}

bool writeMessage(QIODevice& out, const Head& head, const QList<Line>& lines, const CompanySettings& settings,
                  PriceBasis basis)
{
    return writeAllTo(out, buildMessage(head, lines, settings, basis));
}

QString recipientProblem(const QString& address)
{
    if (address.trimmed().isEmpty() || !parseRecipient(address).address.isEmpty())
        return {};
    return QStringLiteral("Die E-Mail-Adresse „%1“ ist keine gültige einzelne E-Mail-Adresse. Die E-Mail-Datei "
                          "wurde ohne Empfänger erstellt; bitte tragen Sie den Empfänger im E-Mail-Programm ein "
                          "und korrigieren Sie die Adresse beim Kunden.")
        .arg(shownAddress(address));
}

QString fileName()
{
    return QStringLiteral("Quittora.eml");
}

} // namespace quittora::email
