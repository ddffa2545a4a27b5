#include "data/CompanySettings.h"
#include "export/EmailExport.h"
#include "export/EmailMessage.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <tuple>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QByteArray kEnd = "\r\n------=_NextPart_000_0009_01C4FBB5.C0466DF0--\r\n";

// The HTML part as the mail program reads it: quoted-printable undone, UTF-8.
QString decodedHtml(const QByteArray& message)
{
    const QByteArray start = "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    const qsizetype from = message.indexOf(start), to = message.lastIndexOf(kEnd);
    if (from < 0 || to < from)
        return {};
    QByteArray body = message.mid(from + start.size(), to - from - start.size()).replace("=\r\n", "");
    QByteArray out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const bool escape = body.at(i) == '=' && i + 2 < body.size();
        out += escape ? static_cast<char>(body.mid(i + 1, 2).toInt(nullptr, 16)) : body.at(i);
        i += escape ? 2 : 0;
    }
    return QString::fromUtf8(out);
}

CompanySettings companySettings()
{
    CompanySettings c;
    const std::pair<const char*, const char*> values[] = {
        {"Titel", "Müller & Söhne"}, {"frei4", "Malerbetrieb"}, {"frei2", "Hauptstraße 1"}, {"frei3", "12345 Musterstadt"},
        {"Einst1", "info@mueller.example"}, {"Einst2", "www.mueller.example"}, {"Tel", "0123 456"}, {"Fax", "0123 457"},
        {"Einst15", "0170 1"}, {"MWSt", "19"}, {"frei9", "7"}, {"frei8", "€"}, {"Rechnungsnummer", "1001"},
        {"Memo1", "Vielen Dank für Ihren Auftrag."}, {"Memo2", "Wir berechnen:"}, {"Memo3", "Zahlbar sofort."},
        {"Memo4", "Gerne bieten wir an:"}, {"Memo5", "Angebotstext zwei"}, {"Memo6", "Gültig 4 Wochen."},
        {"Einst18", "10"}, {"Einst19", "2"}, {"Einst26", "Bank: "}, {"Bank", "Sparkasse"}, {"Einst25", "IBAN / BIC"},
        {"Einst27", "DE27 8605"}, {"Einst28", "WELADE8LXXX"}, {"Einst23", "Steuernummer"}, {"Einst6", "231/112"},
        {"Einst24", "Inhaber: "}, {"frei5", "Max Müller"}};
    for (const auto& [field, value] : values)
        c.setValue(s(field), s(value));
    return c;
}

documents::Head invoiceHead()
{
    documents::Head h;
    std::tie(h.kind, h.number, h.date, h.salutation, h.name, h.street, h.town, h.email) = std::tuple(
        s("Rechnung"), s("77"), s("01.03.2024"), s("Frau"), s("Anna Beispiel"), s("Weg 2"), s("54321 Ort"), s("anna@example.de"));
    std::tie(h.net, h.base1, h.base2, h.vat1, h.vat2, h.vatTotal, h.gross, h.skonto) =
        std::tuple(s("150,00"), s("100"), s("50"), s("19,00"), s("3,50"), s("22,50"), s("172,50"),
                   s("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (169,05 €)"));
    return h;
}

const QList<documents::Line> kLines{{s("2"), s("Stk"), s("Farbe weiß"), s("19"), s("50,00"), s("100,00")},
                                {s("1"), s("Std"), s("Beratung"), s("7"), s("50,00"), s("50,00")}};

QString html(const documents::Head& head, const QList<documents::Line>& lines, const CompanySettings& c,
             PriceBasis basis = PriceBasis::Net)
{
    return decodedHtml(email::buildMessage(head, lines, c, basis));
}

// Runs a Python script of the standard mail parser over the files; its JSON.
QJsonDocument parsed(const char* script, const QStringList& files)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(s("python3")), QStringList{s("-c"), s(script)} + files);
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput());
}

} // namespace

TEST(EmailMessage, HeadersStructureAndEscapingCannotBeChangedByTheValues)
{
    const QByteArray m = email::buildMessage(invoiceHead(), kLines, companySettings(), PriceBasis::Net);
    EXPECT_TRUE(m.startsWith("To: <anna@example.de>\r\nSubject: Ihre Rechnung\r\nMIME-Version: 1.0\r\n"));
    EXPECT_TRUE(m.contains("\r\nX-Unsent: 1\r\n"));
    EXPECT_TRUE(m.contains("boundary=\"----=_NextPart_000_0009_01C4FBB5.C0466DF0\"\r\n"));
    EXPECT_TRUE(m.contains("Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"));
    EXPECT_TRUE(m.endsWith(kEnd));
    for (const QByteArray& line : m.split('\n'))
        EXPECT_LE(line.size(), 77) << line.constData();

    documents::Head h = invoiceHead();
    h.name = s("A=B <script> & \"C\"");
    h.email = s("anna@example.de\r\nBcc: spion@example.com");
    QList<documents::Line> lines = kLines;
    lines[0].description = s("Zeile eins\r\nZeile zwei");
    lines[1].description = s("--=_NextPart_000_0009_01C4FBB5.C0466DF0");
    const QByteArray hostile = email::buildMessage(h, lines, companySettings(), PriceBasis::Net);
    // A line break makes it no address: no recipient rather than a second one.
    EXPECT_TRUE(hostile.startsWith("Subject: Ihre Rechnung\r\n"));
    EXPECT_FALSE(hostile.contains("Bcc:") || hostile.contains("spion"));
    // The boundary: in the header, the delimiter and the closing delimiter only.
    EXPECT_EQ(hostile.count("=_NextPart_000_0009_01C4FBB5.C0466DF0"), 3);
    const QString body = decodedHtml(hostile);
    EXPECT_TRUE(body.contains(s("A=B &lt;script&gt; &amp; &quot;C&quot;</B>")));
    EXPECT_TRUE(body.contains(s("Zeile eins<BR>\r\nZeile zwei")));

    EXPECT_EQ(email::htmlText(s("a<b>&\"c\"\nd")), s("a&lt;b&gt;&amp;&quot;c&quot;<BR>\nd"));
    EXPECT_EQ(email::quotedPrintable("a=b \r\nc\t\r\n\xC3\xA4"), QByteArray("a=3Db=20\r\nc=09\r\n=C3=A4"));
    const QList<QByteArray> encoded = email::quotedPrintable(QByteArray(200, 'x')).split('\n');
    ASSERT_EQ(encoded.size(), 3);
    EXPECT_EQ(encoded.at(0), QByteArray(75, 'x') + "=\r");
    // An encoded byte is never split by a soft break.
    for (QByteArray line : email::quotedPrintable(QString(40, QChar(0xE4)).toUtf8()).split('\n')) {
        EXPECT_LE(line.size(), 77);
        line.replace("=\r", "").replace("\r", "");
        EXPECT_EQ(line.size() % 3, 0) << line.constData();
    }
}

TEST(EmailMessage, BodyReadsAsThePrintedDocument)
{
    CompanySettings c = companySettings();
    const QString two = html(invoiceHead(), kLines, c);
    // Footer captions without a trailing blank get one, with one no second.
    EXPECT_TRUE(two.contains(s("<STRONG>IBAN / BIC</STRONG> DE27 8605 WELADE8LXXX<BR>Steuernummer 231/112<BR>")));
    EXPECT_TRUE(two.contains(s("<BR>Inhaber: Max Müller")));
    // The euro as the character reference, once for each total; the sign as
    // a character only in the Skonto sentence, which is stored text.
    for (const char* part : {"100,00 &#8364</FONT>", " 150,00 &#8364 ", "22,50 &#8364", "172,50 &#8364",
                             "MwSt.19% 19,00  &#8364  MwSt.7% 3,50  &#8364</TD>", "<STRONG>MwSt</STRONG>",
                             "size=2>19%</FONT></B></TD>", "<TD colSpan=6><HR SIZE=1><FONT face=Arial size=1>MwSt.19%",
                             "zuzüglich MwSt.", "Rechnung-Nr.:77<BR>Datum: 01.03.2024", "Vielen Dank für Ihren Auftrag."})
        EXPECT_TRUE(two.contains(s(part))) << part;
    EXPECT_EQ(two.count(s("€")), 1);
    // Net prices with two rates carry the "Netto" row twice.
    EXPECT_EQ(two.count(s(">Netto</FONT>")), 2);
    c.setValue(s("frei8"), s("EUR"));
    const QString eur = html(invoiceHead(), kLines, c);
    EXPECT_TRUE(eur.contains(s("100,00EUR</FONT>")) && eur.contains(s("172,50EUR")) && !eur.contains(s("&#8364")));

    // One rate set: no VAT column and no summary.
    c.setValue(s("frei9"), s("0"));
    const QString one = html(invoiceHead(), kLines, c, PriceBasis::Gross);
    EXPECT_FALSE(one.contains(s("<STRONG>MwSt</STRONG>")) || one.contains(s("<HR SIZE=1><FONT face=Arial size=1>"))
                 || one.contains(s("enthaltene MwSt.")) || one.contains(s(">Netto</FONT>")));
    EXPECT_EQ(one.count(s("<FONT face=Arial color=#000000 size=2> </FONT></B></TD>")), 2);
    EXPECT_TRUE(one.contains(s("Rechnungsbetrag")));
    // Without lines the table head is followed by the totals.
    const QString none = html(invoiceHead(), {}, c);
    const qsizetype head = none.indexOf(s("<STRONG>Gesamt</STRONG>")), net = none.indexOf(s(">Netto</FONT>"));
    ASSERT_GE(head, 0);
    ASSERT_GT(net, head);
    EXPECT_FALSE(none.mid(head, net - head).contains(s("<TR><TD vAlign=top noWrap align=left>")));
    c.setValue(s("frei9"), s("7"));
    const QString grossTwo = html(invoiceHead(), kLines, c, PriceBasis::Gross);
    EXPECT_TRUE(grossTwo.contains(s("enthaltene MwSt.")));
    EXPECT_EQ(grossTwo.count(s(">Netto</FONT>")), 1);

    documents::Head quote = invoiceHead();
    quote.kind = s("Angebot");
    const QString q = html(quote, kLines, companySettings());
    for (const char* part : {"<BR><BR><BR><BR>Angebot</STRONG>", "Angebot-Nr.:77<BR>Datum: 01.03.2024",
                             "Gerne bieten wir an:", "Angebotstext zwei", "Gültig 4 Wochen."})
        EXPECT_TRUE(q.contains(s(part))) << part;
    EXPECT_FALSE(q.contains(s("Vielen Dank für Ihren Auftrag.")) || q.contains(s("Zahlbar sofort.")));
}

// Hostile or odd recipient addresses, written as message files and read back
// by a standard mail parser: one recipient at most, as typed, never one
// smuggled in; otherwise no To: header and a German hint for the user.
TEST(EmailMessage, TheRecipientIsOneCheckedAddressEncodedAndFolded)
{
    if (QStandardPaths::findExecutable(s("python3")).isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    // Long, not ASCII, with an encoded word, quotes and a comma: typed in
    // double quotes (inner ones escaped) it is one display name.
    const QString longName = QString(120, QChar(0xE4)) + s(" =?utf-8?q?x?= \"Zitat\", Komma");
    const QString quotedLongName = QString(longName).replace(s("\""), s("\\\""));
    const struct {
        QString typed, name, address; // address empty: no To: header
    } cases[] = {
        {s("kunde@example.net>, evil@attacker.example, <other@attacker.example"), {}, {}},
        {s("<x@y.example>"), {}, s("x@y.example")},
        {QString(100000, QLatin1Char('a')) + s("@example.net"), {}, {}},
        {s("a@b.example, c@d.example"), {}, {}},
        {s("anna@example.de\r\nBcc: spion@example.com"), {}, {}},
        {s("=?utf-8?q?evil=40attacker.example?=@example.net"), {}, {}},
        {s("=?utf-8?q?evil=40attacker.example?= <kunde@example.net>"), s("=?utf-8?q?evil=40attacker.example?="),
         s("kunde@example.net")},
        {s("Jörg Müller <joerg@example.de>"), s("Jörg Müller"), s("joerg@example.de")},
        {s("\"Müller, Hans\" <hans@example.de>"), s("Müller, Hans"), s("hans@example.de")},
        {longName + s(" <lang@example.de>"), {}, {}},
        {s("\"") + quotedLongName + s("\" <lang@example.de>"), longName, s("lang@example.de")},
        {s("kunde@bäckerei.example"), {}, s("kunde@xn--bckerei-5wa.example")},
        {s("jörg@example.de"), {}, {}},
        {s("  kunde@example.de \n"), {}, s("kunde@example.de")},
        {s("kunde@example"), {}, {}},
        {s("kunde..x@example.de"), {}, {}},
    };
    CompanySettings settings;
    settings.setValue(s("Titel"), s("Müller & Söhne"));
    settings.setValue(s("MWSt"), s("19"));
    QTemporaryDir dir;
    QStringList files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.left(80).toStdString());
        documents::Head head;
        head.kind = s("Rechnung");
        head.email = c.typed;
        const QByteArray message = email::buildMessage(head, {}, settings, PriceBasis::Net);
        const QByteArray headers = message.left(message.indexOf("\r\n\r\n"));
        for (const QByteArray& line : headers.split('\n'))
            EXPECT_LE(line.size(), 79) << line.left(100).constData();
        EXPECT_FALSE(headers.contains("\nBcc") || headers.contains("attacker"));
        const QString hint = email::recipientProblem(c.typed);
        EXPECT_EQ(hint.isEmpty(), !c.address.isEmpty());
        if (c.address.isEmpty())
            EXPECT_TRUE(hint.startsWith(s("Die E-Mail-Adresse „")) && hint.size() < 400) << hint.toStdString();
        files << dir.filePath(QString::number(files.size()) + s(".eml"));
        QFile file(files.last());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && email::writeMessage(file, head, {}, settings, PriceBasis::Net));
    }
    // The display name decoded as RFC 2047 says (blanks between encoded words
    // do not count); the newer parser of Python keeps them.
    const QJsonArray results = parsed(R"PY(
import email, email.header, email.policy, email.utils, json, sys
out = []
for path in sys.argv[1:]:
    raw = open(path, 'rb').read()
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    to = msg['To']
    values = email.message_from_bytes(raw).get_all('To') or []
    out.append({'count': len(values),
                'addresses': [[str(email.header.make_header(email.header.decode_header(n))), a]
                              for n, a in email.utils.getaddresses(values)],
                'parsed': [a.addr_spec for a in to.addresses] if to is not None else [],
                'defects': len(msg.defects) + (len(to.defects) if to is not None else 0)})
print(json.dumps(out))
)PY", files).array();
    ASSERT_EQ(results.size(), qsizetype(std::size(cases)));
    for (qsizetype i = 0; i < results.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.typed.left(80).toStdString());
        const QJsonObject r = results.at(i).toObject();
        EXPECT_EQ(r.value(s("defects")).toInt(), 0);
        ASSERT_EQ(r.value(s("count")).toInt(), c.address.isEmpty() ? 0 : 1);
        if (c.address.isEmpty())
            continue;
        const QJsonArray addresses = r.value(s("addresses")).toArray();
        ASSERT_EQ(addresses.size(), 1);
        EXPECT_EQ(addresses.at(0).toArray().at(0).toString(), c.name);
        EXPECT_EQ(addresses.at(0).toArray().at(1).toString(), c.address);
        EXPECT_EQ(r.value(s("parsed")).toArray(), QJsonArray{c.address});
    }
}

namespace {

// An invoice in a real database without number and without e-mail address,
// whose customer has one.
struct EmailDatabase : ::testing::Test {
    void SetUp() override
    {
        const CompanySettings c = companySettings();
        for (const char* field : {"Titel", "frei2", "frei3", "MWSt", "frei9", "frei8", "Rechnungsnummer", "Memo1",
                                  "Memo3", "Einst18", "Einst19", "frei5"})
            ASSERT_TRUE(t.exec(QStringLiteral("UPDATE Einstellungen SET %1 = ?").arg(s(field)), {c.text(s(field))}));
        const qint64 customer = t.addCustomer(s("Beispiel"), s("Anna"), {{s("a40"), s("kunde@example.de")}});
        document = t.addDocument(s(""), s("01.03.2024"), s("Rechnung"), false,
                                 {{s("a1"), s("Firma")}, {s("a2"), s("Anna = <Beispiel> & Co")},
                                  {s("a5"), s("54321 Köln")}, {s("b1"), QString::number(customer)}});
        t.addLine(document, s("2"), s("Farbe"), s("50,00"), s("100,00"), s("19"));
        t.addLine(document, s("1"), s("Beratung"), s("50,00"), s("50,00"), s("7"));
        t.addLine(document, s(""), s("Textzeile\r\n------=_NextPart_000_0009_01C4FBB5.C0466DF0--"), s(""), s(""), s(""));
    }
    QString field(const char* name) const { return t.field(s("Rechnungen"), document, s(name)).toString(); }
    email::ExportResult run() { return email::exportDocument(t.db(), document, documents::Environment{}, out); }

    TempDatabase t;
    qint64 document = -1;
    const QString out = t.filePath(s("Quittora.eml"));
};

} // namespace

TEST_F(EmailDatabase, AddressedToTheCustomerNumberedTotalsStoredAndReadByAStandardParser)
{
    const auto r = run();
    ASSERT_EQ(r.status, email::ExportResult::Status::Written) << r.message.toStdString();
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <kunde@example.de>\r\n"));
    EXPECT_EQ(file, r.preparation.messageBytes);
    EXPECT_EQ(r.preparation.clipboardText, s("kunde@example.de"));
    // The document keeps the address, gets the next number and its totals.
    EXPECT_EQ(field("b10") + s("|") + field("a7") + s("|") + field("a6") + s("|") + field("a75"),
              s("kunde@example.de|1001|172,50|22,50"));
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("1002"));
    EXPECT_TRUE(decodedHtml(file).contains(s("Rechnung-Nr.:1001<BR>Datum: 01.03.2024")));

    // A second run replaces the file and keeps number and address.
    const auto again = run();
    ASSERT_EQ(again.status, email::ExportResult::Status::Written);
    EXPECT_TRUE(again.preparation.documentChanges.isEmpty());
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("1002"));
    EXPECT_EQ(TempDatabase::readFile(out), file);

    if (QStandardPaths::findExecutable(s("python3")).isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    const QJsonObject p = parsed(R"PY(
import email, email.policy, html.parser, json, sys
msg = email.message_from_bytes(open(sys.argv[1], 'rb').read(), policy=email.policy.default)
parts = [p for p in msg.walk() if not p.is_multipart()]
class Text(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.text = []
    def handle_data(self, data):
        self.text.append(data)
t = Text()
t.feed(parts[0].get_content())
print(json.dumps({'head': '|'.join([str(msg['To']), str(msg['X-Unsent']), str(len(parts)), parts[0].get_content_type(),
                                    str(parts[0].get_content_charset()),
                                    str(len(msg.defects) + sum(len(p.defects) for p in parts))]),
                  'text': ' '.join(t.text)}))
)PY", {out}).object();
    EXPECT_EQ(p.value(s("head")).toString(), s("kunde@example.de|1|1|text/html|utf-8|0"));
    const QString text = p.value(s("text")).toString();
    for (const char* part : {"Anna = <Beispiel> & Co", "54321 Köln", "Müller & Söhne", "zuzüglich MwSt.", "172,50 €",
                             "(169,05 €)", "------=_NextPart_000_0009_01C4FBB5.C0466DF0--"})
        EXPECT_TRUE(text.contains(s(part))) << part << "\n" << text.toStdString();
}

TEST_F(EmailDatabase, TheDocumentsOwnAddressWinsAndAQuoteKeepsTheNextNumber)
{
    ASSERT_TRUE(t.exec(s("UPDATE Rechnungen SET b10 = 'eigen@example.de', a156 = 'Angebot' WHERE ID = ?"), {document}));
    ASSERT_EQ(run().status, email::ExportResult::Status::Written);
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <eigen@example.de>\r\n"));
    EXPECT_EQ(field("b10") + s("|") + field("a7"), s("eigen@example.de|"));
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("1001"));
    EXPECT_TRUE(decodedHtml(file).contains(s("Angebot-Nr.:<BR>Datum: 01.03.2024")));
    // The customer's address is taken for a quote too.
    ASSERT_TRUE(t.exec(s("UPDATE Rechnungen SET b10 = '' WHERE ID = ?"), {document}));
    ASSERT_EQ(run().status, email::ExportResult::Status::Written);
    EXPECT_EQ(field("b10"), s("kunde@example.de"));
}

TEST_F(EmailDatabase, RefusedWithoutChangeWhenNoNumberCanBeGivenOrTotalsFail)
{
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET Rechnungsnummer = ''")));
    auto r = run();
    EXPECT_EQ(r.status, email::ExportResult::Status::Refused);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(field("b10"), s(""));
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET Rechnungsnummer = '5', MWSt = 'neunzehn'")));
    r = run();
    EXPECT_EQ(r.status, email::ExportResult::Status::Refused);
    EXPECT_EQ(r.preparation.outcome, email::Preparation::Outcome::TotalsFailed);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(field("a7"), s(""));
    EXPECT_EQ(email::exportDocument(t.db(), 999999, documents::Environment{}, out).status,
              email::ExportResult::Status::UnknownDocument);
}
