#include "data/CompanySettings.h"
#include "export/EmailExport.h"
#include "export/EmailMessage.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const QByteArray kEnd = "\r\n------=_NextPart_000_0009_01C4FBB5.C0466DF0--\r\n";

// The HTML part as the mail program reads it: quoted-printable undone, UTF-8.
QString decodedHtml(const QByteArray& message)
{
    const QByteArray start = "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    const qsizetype from = message.indexOf(start);
    const qsizetype to = message.lastIndexOf(kEnd);
    if (from < 0 || to < from)
        return {};
    QByteArray body = message.mid(from + start.size(), to - from - start.size());
    body.replace("=\r\n", "");
    QByteArray out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body.at(i) == '=' && i + 2 < body.size()) {
            out += static_cast<char>(body.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += body.at(i);
        }
    }
    return QString::fromUtf8(out);
}

CompanySettings companySettings()
{
    CompanySettings c;
    const QList<QPair<const char*, const char*>> values = {
        {"Titel", "Müller & Söhne"}, {"frei4", "Malerbetrieb"}, {"frei2", "Hauptstraße 1"},
        {"frei3", "12345 Musterstadt"}, {"Einst1", "info@mueller.example"}, {"Einst2", "www.mueller.example"},
        {"Tel", "0123 456"}, {"Fax", "0123 457"}, {"Einst15", "0170 1"},
        {"MWSt", "19"}, {"frei9", "7"}, {"frei8", "€"}, {"Rechnungsnummer", "1001"},
        {"Memo1", "Vielen Dank für Ihren Auftrag."}, {"Memo2", "Wir berechnen:"}, {"Memo3", "Zahlbar sofort."},
        {"Memo4", "Gerne bieten wir an:"}, {"Memo5", "Angebotstext zwei"}, {"Memo6", "Gültig 4 Wochen."},
        {"Einst18", "10"}, {"Einst19", "2"},
        {"Einst26", "Bank: "}, {"Bank", "Sparkasse"}, {"Einst25", "IBAN: "}, {"Einst28", "DE00 1234"},
        {"Einst27", " BIC X"}, {"Einst23", "USt-IdNr.: "}, {"Einst6", "DE123"}, {"Einst24", "Inhaber: "},
        {"frei5", "Max Müller"}};
    for (const auto& [field, value] : values)
        c.setValue(s(field), s(value));
    return c;
}

email::Head invoiceHead()
{
    email::Head h;
    h.kind = s("Rechnung");
    h.number = s("77");
    h.date = s("01.03.2024");
    h.salutation = s("Frau");
    h.name = s("Anna Beispiel");
    h.street = s("Weg 2");
    h.town = s("54321 Ort");
    h.email = s("anna@example.de");
    h.net = s("150,00");
    h.base1 = s("100");
    h.base2 = s("50");
    h.vat1 = s("19,00");
    h.vat2 = s("3,50");
    h.vatTotal = s("22,50");
    h.gross = s("172,50");
    h.skonto = s("Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (169,05 €)");
    return h;
}

QList<email::Line> twoLines()
{
    return {{s("2"), s("Stk"), s("Farbe weiß"), s("19"), s("50,00"), s("100,00")},
            {s("1"), s("Std"), s("Beratung"), s("7"), s("50,00"), s("50,00")}};
}

QString html(const email::Head& head, const QList<email::Line>& lines, const CompanySettings& c,
             PriceBasis basis = PriceBasis::Net)
{
    return decodedHtml(email::buildMessage(head, lines, c, basis));
}

} // namespace

TEST(EmailMessage, HeadersMarkAnUnsentMessageToTheRecipient)
{
    const QByteArray m = email::buildMessage(invoiceHead(), twoLines(), companySettings(), PriceBasis::Net);
    EXPECT_TRUE(m.startsWith("To: <anna@example.de>\r\nSubject: Ihre Rechnung\r\nMIME-Version: 1.0\r\n"));
    EXPECT_TRUE(m.contains("\r\nX-Unsent: 1\r\n"));
    EXPECT_TRUE(m.contains("boundary=\"----=_NextPart_000_0009_01C4FBB5.C0466DF0\"\r\n"));
    EXPECT_TRUE(m.contains("Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"));
    EXPECT_TRUE(m.endsWith(kEnd));
    // Every line of the file fits the mail line limit.
    for (const QByteArray& line : m.split('\n'))
        EXPECT_LE(line.size(), 77) << line.constData();
}

TEST(EmailMessage, FooterReadsAsOnThePrintedInvoice)
{
    CompanySettings c = companySettings();
    // Captions as the template has them, without a trailing blank.
    c.setValue(s("Einst25"), s("IBAN / BIC"));
    c.setValue(s("Einst27"), s("DE27 8605"));
    c.setValue(s("Einst28"), s("WELADE8LXXX"));
    c.setValue(s("Einst23"), s("Steuernummer"));
    c.setValue(s("Einst6"), s("231/112"));
    const QString body = html(invoiceHead(), twoLines(), c);
    EXPECT_TRUE(body.contains(s("<STRONG>IBAN / BIC</STRONG> DE27 8605 WELADE8LXXX<BR>Steuernummer 231/112<BR>")))
        << body.toStdString();
    // A caption that brings its own blank gets no second one.
    EXPECT_TRUE(body.contains(s("<BR>Inhaber: Max Müller"))) << body.toStdString();
}

TEST(EmailMessage, CurrencyEuroIsTheCharacterReferenceOtherUnitsFollowDirectly)
{
    CompanySettings c = companySettings();
    const QString euro = html(invoiceHead(), twoLines(), c);
    EXPECT_TRUE(euro.contains(s("100,00 &#8364</FONT>")));
    EXPECT_TRUE(euro.contains(s(" 150,00 &#8364 ")));
    EXPECT_TRUE(euro.contains(s("22,50 &#8364")));
    EXPECT_TRUE(euro.contains(s("172,50 &#8364")));
    EXPECT_TRUE(euro.contains(s("MwSt.19% 19,00  &#8364  MwSt.7% 3,50  &#8364</TD>")));
    // Each total names its currency once, as the reference; the sign as a
    // character is only in the Skonto sentence, which is stored text.
    EXPECT_EQ(euro.count(s("€")), 1);

    c.setValue(s("frei8"), s("EUR"));
    const QString eur = html(invoiceHead(), twoLines(), c);
    EXPECT_TRUE(eur.contains(s("100,00EUR</FONT>")));
    EXPECT_TRUE(eur.contains(s("172,50EUR")));
    EXPECT_FALSE(eur.contains(s("&#8364")));
}

TEST(EmailMessage, TwoRatesGiveAVatColumnAndSummaryOneRateNeither)
{
    CompanySettings c = companySettings();
    const QString two = html(invoiceHead(), twoLines(), c);
    EXPECT_TRUE(two.contains(s("<STRONG>MwSt</STRONG>")));
    EXPECT_TRUE(two.contains(s("size=2>19%</FONT></B></TD>")));
    EXPECT_TRUE(two.contains(s("<TD colSpan=6><HR SIZE=1><FONT face=Arial size=1>MwSt.19%")));
    // Net prices with two rates carry the "Netto" row twice.
    EXPECT_EQ(two.count(s(">Netto</FONT>")), 2);
    EXPECT_TRUE(two.contains(s("zuzüglich MwSt.")));

    c.setValue(s("frei9"), s("0"));
    const QString one = html(invoiceHead(), twoLines(), c, PriceBasis::Gross);
    EXPECT_FALSE(one.contains(s("<STRONG>MwSt</STRONG>")));
    EXPECT_EQ(one.count(s("<FONT face=Arial color=#000000 size=2> </FONT></B></TD>")), 2);
    EXPECT_FALSE(one.contains(s("<HR SIZE=1><FONT face=Arial size=1>")));
    EXPECT_FALSE(one.contains(s("enthaltene MwSt.")));
    EXPECT_FALSE(one.contains(s(">Netto</FONT>")));
    EXPECT_TRUE(one.contains(s("Rechnungsbetrag")));

    c.setValue(s("frei9"), s("7"));
    const QString grossTwo = html(invoiceHead(), twoLines(), c, PriceBasis::Gross);
    EXPECT_TRUE(grossTwo.contains(s("enthaltene MwSt.")));
    EXPECT_EQ(grossTwo.count(s(">Netto</FONT>")), 1);
}

TEST(EmailMessage, AQuoteUsesTheQuoteTexts)
{
    email::Head h = invoiceHead();
    h.kind = s("Angebot");
    const QString q = html(h, twoLines(), companySettings());
    EXPECT_TRUE(q.contains(s("<BR><BR><BR><BR>Angebot</STRONG>")));
    EXPECT_TRUE(q.contains(s("Angebot-Nr.:77<BR>Datum: 01.03.2024")));
    EXPECT_TRUE(q.contains(s("Gerne bieten wir an:")));
    EXPECT_TRUE(q.contains(s("Angebotstext zwei")));
    EXPECT_TRUE(q.contains(s("Gültig 4 Wochen.")));
    EXPECT_FALSE(q.contains(s("Vielen Dank für Ihren Auftrag.")));
    EXPECT_FALSE(q.contains(s("Zahlbar sofort.")));
}

TEST(EmailMessage, WithoutLinesTheTableHeadIsFollowedByTheTotals)
{
    CompanySettings c = companySettings();
    c.setValue(s("frei9"), s("0"));
    const QString none = html(invoiceHead(), {}, c);
    const qsizetype head = none.indexOf(s("<STRONG>Gesamt</STRONG>"));
    const qsizetype net = none.indexOf(s(">Netto</FONT>"));
    ASSERT_GE(head, 0);
    ASSERT_GT(net, head);
    EXPECT_FALSE(none.mid(head, net - head).contains(s("<TR><TD vAlign=top noWrap align=left>")));
}

TEST(EmailMessage, ValuesAreEscapedAndCannotChangeTheStructure)
{
    email::Head h = invoiceHead();
    h.name = s("A=B <script> & \"C\"");
    h.email = s("anna@example.de\r\nBcc: spion@example.com");
    QList<email::Line> lines = twoLines();
    lines[0].description = s("Zeile eins\r\nZeile zwei");
    lines[1].description = s("--=_NextPart_000_0009_01C4FBB5.C0466DF0");
    const QByteArray m = email::buildMessage(h, lines, companySettings(), PriceBasis::Net);
    // A line break makes it no address: no recipient rather than a second one.
    EXPECT_TRUE(m.startsWith("Subject: Ihre Rechnung\r\n"));
    EXPECT_FALSE(m.contains("Bcc:") || m.contains("spion"));
    // The boundary: in the header, the delimiter and the closing delimiter only.
    EXPECT_EQ(m.count("=_NextPart_000_0009_01C4FBB5.C0466DF0"), 3);
    const QString body = decodedHtml(m);
    EXPECT_TRUE(body.contains(s("A=B &lt;script&gt; &amp; &quot;C&quot;</B>")));
    EXPECT_TRUE(body.contains(s("Zeile eins<BR>\r\nZeile zwei")));
}

TEST(EmailMessage, HtmlTextAndQuotedPrintable)
{
    EXPECT_EQ(email::htmlText(s("a<b>&\"c\"\nd")), s("a&lt;b&gt;&amp;&quot;c&quot;<BR>\nd"));
    EXPECT_EQ(email::quotedPrintable("a=b \r\nc\t\r\n\xC3\xA4"), QByteArray("a=3Db=20\r\nc=09\r\n=C3=A4"));
    const QByteArray longLine(200, 'x');
    const QList<QByteArray> encoded = email::quotedPrintable(longLine).split('\n');
    ASSERT_EQ(encoded.size(), 3);
    EXPECT_EQ(encoded.at(0), QByteArray(75, 'x') + "=\r");
    // An encoded byte is never split by a soft break.
    const QByteArray umlauts = email::quotedPrintable(QString(40, QChar(0xE4)).toUtf8());
    for (QByteArray line : umlauts.split('\n')) {
        EXPECT_LE(line.size(), 77);
        if (line.endsWith("\r"))
            line.chop(1);
        if (line.endsWith("="))
            line.chop(1);
        EXPECT_EQ(line.size() % 3, 0) << line.constData();
    }
}

namespace {

// A document in a real database: an invoice without number and without
// e-mail address whose customer has one.
struct EmailDatabase : ::testing::Test {
    TempDatabase t;
    qint64 customer = -1;
    qint64 document = -1;
    QString out;
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        const CompanySettings c = companySettings();
        for (const char* field : {"Titel", "frei2", "frei3", "MWSt", "frei9", "frei8", "Rechnungsnummer", "Memo1",
                                  "Memo3", "Einst18", "Einst19", "frei5"})
            ASSERT_TRUE(t.exec(QStringLiteral("UPDATE Einstellungen SET %1 = ?").arg(s(field)), {c.text(s(field))}));
        customer = t.addCustomer(s("Beispiel"), s("Anna"), {{s("a40"), s("kunde@example.de")}});
        document = t.addDocument(s(""), s("01.03.2024"), s("Rechnung"), false,
                                 {{s("a1"), s("Firma")},
                                  {s("a2"), s("Anna = <Beispiel> & Co")},
                                  {s("a5"), s("54321 Köln")},
                                  {s("b1"), QString::number(customer)}});
        t.addLine(document, s("2"), s("Farbe"), s("50,00"), s("100,00"), s("19"));
        t.addLine(document, s("1"), s("Beratung"), s("50,00"), s("50,00"), s("7"));
        t.addLine(document, s(""), s("Textzeile\r\n------=_NextPart_000_0009_01C4FBB5.C0466DF0--"), s(""), s(""),
                  s(""));
        out = t.filePath(s("Quittora.eml"));
    }
};

} // namespace

TEST_F(EmailDatabase, AddressedToTheCustomerNumberedTotalsStored)
{
    const auto r = email::exportDocument(t.db(), document, email::Environment{}, out);
    ASSERT_EQ(r.status, email::ExportResult::Status::Written) << r.message.toStdString();
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <kunde@example.de>\r\n"));
    EXPECT_EQ(file, r.preparation.messageBytes);
    EXPECT_EQ(r.preparation.clipboardText, s("kunde@example.de"));
    // The document keeps the address, gets the next number and its totals.
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("b10")).toString(), s("kunde@example.de"));
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("a7")).toString(), s("1001"));
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("a6")).toString(), s("172,50"));
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("a75")).toString(), s("22,50"));
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("1002"));
    const QString body = decodedHtml(file);
    EXPECT_TRUE(body.contains(s("Rechnung-Nr.:1001<BR>Datum: 01.03.2024")));
    EXPECT_TRUE(body.contains(s("(169,05 €)")));

    // A second run replaces the file and keeps number and address.
    const auto again = email::exportDocument(t.db(), document, email::Environment{}, out);
    ASSERT_EQ(again.status, email::ExportResult::Status::Written);
    EXPECT_TRUE(again.preparation.documentChanges.isEmpty());
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("1002"));
    EXPECT_EQ(TempDatabase::readFile(out), file);
}

TEST_F(EmailDatabase, TheDocumentsOwnAddressWins)
{
    ASSERT_TRUE(t.exec(s("UPDATE Rechnungen SET b10 = ? WHERE ID = ?"), {s("eigen@example.de"), document}));
    const auto r = email::exportDocument(t.db(), document, email::Environment{}, out);
    ASSERT_EQ(r.status, email::ExportResult::Status::Written);
    EXPECT_TRUE(TempDatabase::readFile(out).startsWith("To: <eigen@example.de>\r\n"));
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("b10")).toString(), s("eigen@example.de"));
}

TEST_F(EmailDatabase, RefusedWithoutChangeWhenNoNumberCanBeGivenOrTotalsFail)
{
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET Rechnungsnummer = ''")));
    auto r = email::exportDocument(t.db(), document, email::Environment{}, out);
    EXPECT_EQ(r.status, email::ExportResult::Status::Refused);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("b10")).toString(), s(""));

    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET Rechnungsnummer = '5', MWSt = 'neunzehn'")));
    r = email::exportDocument(t.db(), document, email::Environment{}, out);
    EXPECT_EQ(r.status, email::ExportResult::Status::Refused);
    EXPECT_EQ(r.preparation.outcome, email::Preparation::Outcome::TotalsFailed);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("a7")).toString(), s(""));

    EXPECT_EQ(email::exportDocument(t.db(), 999999, email::Environment{}, out).status,
              email::ExportResult::Status::UnknownDocument);
}

TEST_F(EmailDatabase, AStandardMimeParserReadsOnePartWithTheTextAsTyped)
{
    const QString python = QStandardPaths::findExecutable(s("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    ASSERT_EQ(email::exportDocument(t.db(), document, email::Environment{}, out).status,
              email::ExportResult::Status::Written);
    const char* script = R"PY(
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
print(json.dumps({'to': str(msg['To']), 'unsent': str(msg['X-Unsent']), 'parts': len(parts),
                  'type': parts[0].get_content_type(), 'charset': parts[0].get_content_charset(),
                  'defects': len(msg.defects) + sum(len(p.defects) for p in parts),
                  'text': ' '.join(t.text)}))
)PY";
    QProcess p;
    p.start(python, {s("-c"), s(script), out});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonObject r = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_EQ(r.value(s("to")).toString(), s("kunde@example.de"));
    EXPECT_EQ(r.value(s("unsent")).toString(), s("1"));
    EXPECT_EQ(r.value(s("parts")).toInt(), 1);
    EXPECT_EQ(r.value(s("type")).toString(), s("text/html"));
    EXPECT_EQ(r.value(s("charset")).toString(), s("utf-8"));
    EXPECT_EQ(r.value(s("defects")).toInt(), 0);
    const QString text = r.value(s("text")).toString();
    EXPECT_TRUE(text.contains(s("Anna = <Beispiel> & Co"))) << text.toStdString();
    EXPECT_TRUE(text.contains(s("54321 Köln")));
    EXPECT_TRUE(text.contains(s("Müller & Söhne")));
    EXPECT_TRUE(text.contains(s("zuzüglich MwSt.")));
    EXPECT_TRUE(text.contains(s("172,50 €")));
    EXPECT_TRUE(text.contains(s("(169,05 €)")));
    EXPECT_TRUE(text.contains(s("------=_NextPart_000_0009_01C4FBB5.C0466DF0--")));
}

TEST_F(EmailDatabase, AQuoteWithoutNumberStaysWithoutAndKeepsTheNextInvoiceNumber)
{
    ASSERT_TRUE(t.exec(s("UPDATE Rechnungen SET a156 = ? WHERE ID = ?"), {s("Angebot"), document}));
    const auto r = email::exportDocument(t.db(), document, email::Environment{}, out);
    ASSERT_EQ(r.status, email::ExportResult::Status::Written) << r.message.toStdString();
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("a7")).toString(), s(""));
    EXPECT_EQ(t.setting(s("Rechnungsnummer")).toString(), s("1001"));
    const QString body = decodedHtml(TempDatabase::readFile(out));
    EXPECT_TRUE(body.contains(s("Angebot-Nr.:<BR>Datum: 01.03.2024")));
    // The customer's address is taken for a quote too.
    EXPECT_EQ(t.field(s("Rechnungen"), document, s("b10")).toString(), s("kunde@example.de"));
}
