#include "data/CompanySettings.h"
#include "data/Recordset.h"
#include "export/CustomerLists.h"
#include "export/EmailExport.h"
#include "export/EmailMessage.h"
#include "export/Overview.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <tuple>

using namespace quittora;
using quittora::test::TempDatabase;
using namespace quittora::customerlists;
using overview::PaidState;

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

QByteArray u8(const char* text) { return QByteArray(text); }

const Customer kAnna{s("Frau"), s("Müller"), s("Anna"), s("c/o Weiß"), s("Hauptstraße 5"), s("50667 Köln"),
                     s("0221 123"), s("0221 124")};
// No first name, no telephone, no fax.
const Customer kCompany{s("Firma"), s("Bäckerei Groß"), s(""), s(""), s("Am Markt 1"), s("80331 München"), s(""), s("")};
const char* const kHeading = "Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n";

class CustomerExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        t.addCustomer(s("Zander"), s("Ute"), {{s("a1"), s("Frau")}, {s("a5"), s("04109 Leipzig")}, {s("a6"), s("0341 1")}});
        t.addCustomer(s("Bäcker; Söhne"), s(""), {{s("a1"), s("Firma")}, {s("a4"), s("Weg 2")}});
        customers.setRecordSource(s("SortKunden"));
        ASSERT_TRUE(customers.refresh());
    }
    QString path(Kind kind) const { return QDir(ctx.state.tempFolder).filePath(fileName(kind)); }
    Outcome run(Kind kind, bool selectionActive, Recordset* documents = nullptr)
    {
        return exportCustomers(kind, customers, selectionActive, ctx.state.tempFolder, ctx.prompts, ctx.shell, documents);
    }
    void select(const char* sql, const char* value)
    {
        customers.setRecordSource(s(sql), {s(value)});
        ASSERT_TRUE(customers.refresh());
    }

    TempDatabase t;
    TestContext ctx;
    Recordset customers{t.db(), s("Kunden")};
};

// The numbers of the rows an overview source reads, blank-joined.
QString numbersOf(TempDatabase& t, const std::optional<RecordSource>& source)
{
    QStringList numbers;
    QList<overview::Row> rows;
    QString error;
    EXPECT_TRUE(source && overview::readRows(t.db(), *source, &rows, &error)) << error.toStdString();
    for (const auto& r : rows)
        numbers << r.number;
    return numbers.join(QLatin1Char(' '));
}

} // namespace

TEST(EmailMessage, HeadersStructureAndEscapingCannotBeChangedByTheValues)
{
    const QByteArray m = email::buildMessage(invoiceHead(), kLines, companySettings(), PriceBasis::Net);
    EXPECT_TRUE(m.startsWith("To: <anna@example.de>\r\nSubject: Ihre Rechnung\r\nMIME-Version: 1.0\r\n") && m.endsWith(kEnd)
                && m.contains("\r\nX-Unsent: 1\r\n") && m.contains("boundary=\"----=_NextPart_000_0009_01C4FBB5.C0466DF0\"\r\n")
                && m.contains("Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"));

    documents::Head h = invoiceHead();
    h.name = s("A=B <script> & \"C\"");
    h.email = s("anna@example.de\r\nBcc: spion@example.com");
    QList<documents::Line> lines = kLines;
    lines[0].description = s("Zeile eins\r\nZeile zwei");
    lines[1].description = s("--=_NextPart_000_0009_01C4FBB5.C0466DF0");
    const QByteArray hostile = email::buildMessage(h, lines, companySettings(), PriceBasis::Net);
    // A line break makes it no address: no recipient rather than a second one. The boundary: in the
    // header, the delimiter and the closing delimiter only.
    EXPECT_TRUE(hostile.startsWith("Subject: Ihre Rechnung\r\n") && !hostile.contains("Bcc:") && !hostile.contains("spion"));
    EXPECT_EQ(hostile.count("=_NextPart_000_0009_01C4FBB5.C0466DF0"), 3);
    const QString body = decodedHtml(hostile);
    EXPECT_TRUE(body.contains(s("A=B &lt;script&gt; &amp; &quot;C&quot;</B>")) && body.contains(s("Zeile eins<BR>\r\nZeile zwei")));

    EXPECT_EQ(email::htmlText(s("a<b>&\"c\"\nd")), s("a&lt;b&gt;&amp;&quot;c&quot;<BR>\nd"));
    EXPECT_EQ(email::quotedPrintable("a=b \r\nc\t\r\n\xC3\xA4"), QByteArray("a=3Db=20\r\nc=09\r\n=C3=A4"));
    const QList<QByteArray> encoded = email::quotedPrintable(QByteArray(200, 'x')).split('\n');
    EXPECT_TRUE(encoded.size() == 3 && encoded.at(0) == QByteArray(75, 'x') + "=\r");
    // An encoded byte is never split by a soft break.
    for (QByteArray line : email::quotedPrintable(QString(40, QChar(0xE4)).toUtf8()).split('\n')) {
        EXPECT_LE(line.size(), 77);
        line.replace("=\r", "").replace("\r", "");
        EXPECT_EQ(line.size() % 3, 0) << line.constData();
    }
}

// The invoice attached: the HTML part byte for byte as without, each file
// back whole from the standard parser under its name, umlauts included.
TEST(EmailMessage, AttachmentsLeaveTheHtmlPartAsItIsAndArriveWholeUnderTheirNames)
{
    const QByteArray plain = email::buildMessage(invoiceHead(), kLines, companySettings(), PriceBasis::Net);
    QByteArray binary;
    for (int i = 0; i < 700; ++i)
        binary += static_cast<char>(i % 256);
    const QList<email::Attachment> files{{s("Rechnung Müller & Söhne 77.pdf"), "application/pdf", binary},
                                         {s("Rechnung 77.xml"), "application/xml", "<x>ä</x>"}};
    const QByteArray mixed = email::buildMessage(invoiceHead(), kLines, companySettings(), PriceBasis::Net, files);
    const QByteArray htmlPart = plain.mid(plain.indexOf("------=_NextPart_000_0009"));
    EXPECT_TRUE(mixed.contains(htmlPart) && mixed.contains("\r\nX-Unsent: 1\r\n")
                && mixed.startsWith("To: <anna@example.de>\r\nSubject: Ihre Rechnung\r\n"));
    // Mail programs other than Python's need the character set the name is in.
    EXPECT_TRUE(mixed.contains("\tfilename*=UTF-8''Rechnung%20M%C3%BCller%20&%20S%C3%B6hne%2077.pdf\r\n")
                && mixed.contains("\tfilename=\"Rechnung 77.xml\"\r\n")) << mixed.left(3000).constData();
    if (QStandardPaths::findExecutable(s("python3")).isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(s("m.eml"));
    ASSERT_TRUE(testfiles::writeBytes(file, mixed));
    const QJsonDocument j = parsed(R"(
import email, email.policy, json, sys, hashlib
m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)
parts = [(p.get_content_type(), p.get_filename(), hashlib.sha256(p.get_payload(decode=True) or b'').hexdigest())
         for p in m.walk()]
print(json.dumps({'parts': parts, 'html': m.get_body(('html',)).get_content()}))
)", {file});
    const auto sha = [](const QByteArray& b) { return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex()); };
    QStringList parts;
    for (const QJsonValue& p : j[s("parts")].toArray())
        parts << p[0].toString() + s("|") + p[1].toString() + s("|") + (p[1].isNull() ? QString() : p[2].toString());
    EXPECT_EQ(parts, (QStringList{s("multipart/mixed||"), s("multipart/alternative||"), s("text/html||"),
                                  s("application/pdf|Rechnung Müller & Söhne 77.pdf|") + sha(binary),
                                  s("application/xml|Rechnung 77.xml|") + sha("<x>ä</x>")}));
    EXPECT_EQ(j[s("html")].toString().replace(s("\r\n"), s("\n")), decodedHtml(plain).replace(s("\r\n"), s("\n")));
}

TEST(EmailMessage, BodyReadsAsThePrintedDocument)
{
    CompanySettings c = companySettings();
    const QString two = html(invoiceHead(), kLines, c);
    // The euro as the character reference, once for each total; the sign as
    // a character only in the Skonto sentence, which is stored text.
    for (const char* part : {"100,00 &#8364</FONT>", " 150,00 &#8364 ", "22,50 &#8364", "172,50 &#8364", "zuzüglich MwSt.",
                             "MwSt.19% 19,00  &#8364  MwSt.7% 3,50  &#8364</TD>", "<TD colSpan=6><HR SIZE=1><FONT face=Arial size=1>MwSt.19%",
                             "<STRONG>MwSt</STRONG>", "Rechnung-Nr.:77<BR>Datum: 01.03.2024", "Steuernummer 231/112<BR>"})
        EXPECT_TRUE(two.contains(s(part))) << part;
    // Net prices with two rates carry the "Netto" row twice.
    EXPECT_TRUE(two.count(s("€")) == 1 && two.count(s(">Netto</FONT>")) == 2);

    // One rate set: no VAT column and no summary.
    c.setValue(s("frei9"), s("0"));
    const QString one = html(invoiceHead(), kLines, c, PriceBasis::Gross);
    EXPECT_FALSE(one.contains(s("<STRONG>MwSt</STRONG>")) || one.contains(s("<HR SIZE=1><FONT face=Arial size=1>"))
                 || one.contains(s("enthaltene MwSt.")) || one.contains(s(">Netto</FONT>")) || !one.contains(s("Rechnungsbetrag")));

    documents::Head quote = invoiceHead();
    quote.kind = s("Angebot");
    const QString q = html(quote, kLines, companySettings());
    EXPECT_TRUE(q.contains(s("Angebot-Nr.:77<BR>Datum: 01.03.2024")) && q.contains(s("Gerne bieten wir an:"))
                && !q.contains(s("Vielen Dank für Ihren Auftrag.")));
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
        {s("kunde@example.net>, evil@attacker.example, <other@attacker.example"), {}, {}}, {s("<x@y.example>"), {}, s("x@y.example")},
        {QString(100000, QLatin1Char('a')) + s("@example.net"), {}, {}}, {s("=?utf-8?q?evil=40attacker.example?=@example.net"), {}, {}},
        {s("=?utf-8?q?evil=40attacker.example?= <kunde@example.net>"), s("=?utf-8?q?evil=40attacker.example?="), s("kunde@example.net")},
        {s("Jörg Müller <joerg@example.de>"), s("Jörg Müller"), s("joerg@example.de")},
        {longName + s(" <lang@example.de>"), {}, {}},
        {s("\"") + quotedLongName + s("\" <lang@example.de>"), longName, s("lang@example.de")},
        {s("kunde@bäckerei.example"), {}, s("kunde@xn--bckerei-5wa.example")}, {s("jörg@example.de"), {}, {}},
        {s("  kunde@example.de \n"), {}, s("kunde@example.de")}, {s("kunde..x@example.de"), {}, {}},
    };
    const CompanySettings settings = companySettings();
    QTemporaryDir dir;
    QStringList files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.left(80).toStdString());
        documents::Head head = invoiceHead();
        head.email = c.typed;
        const QByteArray message = email::buildMessage(head, {}, settings, PriceBasis::Net);
        const QByteArray headers = message.left(message.indexOf("\r\n\r\n"));
        for (const QByteArray& line : headers.split('\n'))
            EXPECT_TRUE(line.size() <= 79 && !line.startsWith("Bcc") && !line.contains("attacker")) << line.left(100).constData();
        const QString hint = email::recipientProblem(c.typed);
        EXPECT_TRUE(c.address.isEmpty() ? hint.startsWith(s("Die E-Mail-Adresse „")) && hint.size() < 400 : hint.isEmpty())
            << hint.toStdString();
        QFile file(files.emplace_back(dir.filePath(QString::number(files.size()) + s(".eml"))));
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
        EXPECT_TRUE(c.address.isEmpty() || (r.value(s("addresses")).toArray() == QJsonArray{QJsonArray{c.name, c.address}}))
            << QJsonDocument(r).toJson().toStdString();
    }
}

TEST_F(EmailDatabase, AddressedToTheCustomerNumberedAndTotalsStored)
{
    const auto r = run();
    ASSERT_EQ(r.status, email::ExportResult::Status::Written) << r.message.toStdString();
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <kunde@example.de>\r\n") && file == r.preparation.messageBytes);
    EXPECT_EQ(r.preparation.clipboardText, s("kunde@example.de"));
    // The document keeps the address, gets the next number and its totals.
    EXPECT_EQ(field("b10") + s("|") + field("a7") + s("|") + field("a6") + s("|") + field("a75") + s("|")
                  + t.setting(s("Rechnungsnummer")).toString(), s("kunde@example.de|1001|172,50|22,50|1002"));
    EXPECT_TRUE(decodedHtml(file).contains(s("Rechnung-Nr.:1001<BR>Datum: 01.03.2024"))
                && decodedHtml(file).contains(s("Anna = &lt;Beispiel&gt; &amp; Co")));
    // A second run replaces the file and keeps number and address.
    const auto again = run();
    EXPECT_TRUE(again.status == email::ExportResult::Status::Written && again.preparation.documentChanges.isEmpty());
    EXPECT_TRUE(t.setting(s("Rechnungsnummer")).toString() == s("1002") && TempDatabase::readFile(out) == file);
}

TEST_F(EmailDatabase, TheDocumentsOwnAddressWinsAndAQuoteKeepsTheNextNumber)
{
    ASSERT_TRUE(t.exec(s("UPDATE Rechnungen SET b10 = 'eigen@example.de', a156 = 'Angebot' WHERE ID = ?"), {document}));
    ASSERT_EQ(run().status, email::ExportResult::Status::Written);
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <eigen@example.de>\r\n"));
    EXPECT_EQ(field("b10") + s("|") + field("a7") + s("|") + t.setting(s("Rechnungsnummer")).toString(), s("eigen@example.de||1001"));
    // The customer's address is taken for a quote too.
    ASSERT_TRUE(t.exec(s("UPDATE Rechnungen SET b10 = '' WHERE ID = ?"), {document}));
    EXPECT_TRUE(run().status == email::ExportResult::Status::Written && field("b10") == s("kunde@example.de"));
}

TEST_F(EmailDatabase, RefusedWithoutChangeWhenNoNumberCanBeGivenOrTotalsFail)
{
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET Rechnungsnummer = ''")));
    auto r = run();
    EXPECT_TRUE(r.status == email::ExportResult::Status::Refused && !r.message.isEmpty() && field("b10").isEmpty());
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET Rechnungsnummer = '5', MWSt = 'neunzehn'")));
    r = run();
    EXPECT_TRUE(r.status == email::ExportResult::Status::Refused && r.preparation.outcome == email::Preparation::Outcome::TotalsFailed
                && !QFile::exists(out) && field("a7").isEmpty());
}

TEST(CustomerListText, NineLinesPerCustomerAndOneMailMergeLineInUtf8WithCrLf)
{
    EXPECT_EQ(fileText(Kind::AddressList, {kAnna, kCompany}),
              u8("Frau\r\nAnna Müller\r\nc/o Weiß\r\nHauptstraße 5\r\n50667 Köln\r\nTelefon: 0221 123\r\nFax: 0221 124\r\n\r\n\r\n"
                 "Firma\r\nBäckerei Groß\r\n\r\nAm Markt 1\r\n80331 München\r\nTelefon: \r\nFax: \r\n\r\n\r\n"));
    EXPECT_EQ(fileText(Kind::MailMerge, {kAnna, kCompany}),
              kHeading + u8("Frau;Müller;Anna;c/o Weiß;Hauptstraße 5;50667 Köln\r\nFirma;Bäckerei Groß;;;Am Markt 1;80331 München\r\n"));
    EXPECT_TRUE(addressListText({}).isEmpty() && mailMergeText({}) == QByteArray(kHeading));
}

// A separator, quote, line break or NUL in a field moves nothing: the list
// keeps nine lines a customer (a break becomes a blank), the mail-merge file
// its columns (the value is quoted), and neither holds a NUL.
TEST(CustomerListText, SeparatorsQuotesLineBreaksAndNulKeepTheLayout)
{
    const QString nul(QChar(0));
    const struct {
        QString typed, listLine, csvValue;
    } cases[] = {
        {s("Müller"), s("Müller"), s("Müller")}, {s("Meyer; Schulz"), s("Meyer; Schulz"), s("\"Meyer; Schulz\"")},
        {s("Gasthof \"Zur Post\""), s("Gasthof \"Zur Post\""), s("\"Gasthof \"\"Zur Post\"\"\"")},
        {s("Hinterhaus\r\n2. Stock"), s("Hinterhaus 2. Stock"), s("\"Hinterhaus\r\n2. Stock\"")},
        {s("eins\nzwei\rdrei"), s("eins zwei drei"), s("\"eins\nzwei\rdrei\"")}, {s("Null") + nul + s("Byte"), s("NullByte"), s("NullByte")},
        {s("Seite\fVor\vTab\tEnde"), s("Seite Vor Tab\tEnde"), s("Seite Vor Tab\tEnde")},
        {s("Absatz") + QChar(0x2029) + s("neu"), s("Absatz neu"), s("Absatz neu")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        for (int field = 0; field < 7; ++field) {
            Customer customer{s("Frau"), s("Name"), s("Vor"), s("Zusatz"), s("Weg 1"), s("1 Ort"), s("01"), s("02")};
            QString* fields[] = {&customer.salutation, &customer.name, &customer.addition, &customer.street,
                                 &customer.place, &customer.phone, &customer.fax};
            *fields[field] = c.typed;
            const QByteArray list = addressListText({customer, customer}), csv = mailMergeText({customer});
            EXPECT_FALSE(list.contains('\0') || csv.contains('\0'));
            const QStringList lines = QString::fromUtf8(list).split(s("\r\n"));
            ASSERT_EQ(lines.size(), 19);
            EXPECT_FALSE(lines.join(QString()).contains(QLatin1Char('\n')) || lines.join(QString()).contains(QLatin1Char('\r')));
            EXPECT_TRUE(lines.at(field).endsWith(c.listLine) && lines.at(9) == lines.at(0)) << lines.at(field).toStdString();
            if (field < 5) {
                EXPECT_TRUE(mailMergeValue(c.typed) == c.csvValue && QString::fromUtf8(csv).contains(c.csvValue));
                EXPECT_EQ(csv.count(';'), 10 + c.csvValue.count(QLatin1Char(';'))) << "columns kept";
            }
        }
    }
}

TEST_F(CustomerExport, ReadsTheSelectionWithItsPendingEditsAndStoresThem)
{
    select("SELECT * FROM Kunden WHERE a5 LIKE ? ORDER BY ID DESC", "*Leipzig*");
    customers.setValue(s("a3"), s("Uta"));
    const auto selected = readSelection(customers);
    ASSERT_TRUE(selected.has_value() && selected->size() == 1);
    EXPECT_EQ(selected->at(0).firstName, s("Uta"));
    EXPECT_EQ(t.field(s("Kunden"), customers.currentId(), s("a3")).toString(), s("Uta")) << "the edit is stored";
}

TEST_F(CustomerExport, AddressListIsWrittenAndOpenedWithTheHintOnlyWithoutSelection)
{
    t.addDocument(s("1"), s("01.01.2024"));
    t.addDocument(s("2"), s("02.01.2024"));
    Recordset documents(t.db(), s("Rechnungen"));
    ASSERT_TRUE(documents.refresh());
    documents.moveLast();
    const Outcome out = run(Kind::AddressList, false, &documents);
    EXPECT_TRUE(out.status == Outcome::Status::Opened && out.path == path(Kind::AddressList));
    ASSERT_EQ(ctx.prompts.count(), 1);
    EXPECT_TRUE(ctx.prompts.last().text == selectionHint() && ctx.prompts.last().icon == Prompts::Icon::Information);
    EXPECT_EQ(ctx.shell.opened(), QStringList{path(Kind::AddressList)});
    const QByteArray file = TempDatabase::readFile(out.path);
    EXPECT_TRUE(file.startsWith(u8("Firma\r\nBäcker; Söhne\r\n\r\nWeg 2\r\n")) && file.count("\r\n") == 27);
    EXPECT_TRUE(customers.position() == 0 && documents.position() == 0) << "the document list goes to its first document";

    select("SELECT * FROM Kunden WHERE a2 LIKE ?", "Z*");
    ctx.prompts.clear();
    EXPECT_TRUE(run(Kind::AddressList, true).status == Outcome::Status::Opened && ctx.prompts.count() == 0);
    EXPECT_EQ(TempDatabase::readFile(out.path), u8("Frau\r\nUte Zander\r\n\r\n\r\n04109 Leipzig\r\nTelefon: 0341 1\r\nFax: \r\n\r\n\r\n"));
}

TEST_F(CustomerExport, MailMergeAsksThenTellsWhereToSaveThenOpens)
{
    const QByteArray older(300, 'x'); // an older, longer file of the same name
    ASSERT_TRUE(testfiles::writeBytes(path(Kind::MailMerge), older));
    ctx.prompts.answerMessage(Prompts::Cancel);
    EXPECT_TRUE(run(Kind::MailMerge, true).status == Outcome::Status::Cancelled && ctx.prompts.count() == 1);
    EXPECT_TRUE(TempDatabase::readFile(path(Kind::MailMerge)) == older && ctx.shell.opened().isEmpty()) << "cancelled: nothing written";

    ctx.prompts.clear();
    ctx.prompts.answerMessage(Prompts::Ok); // hint
    ctx.prompts.answerMessage(Prompts::Ok); // question
    ctx.prompts.onShown([&](const FakePrompts::Shown& shown) {
        // The file exists by the time the user is told to save it.
        EXPECT_TRUE(shown.text != mailMergeSaveHint() || TempDatabase::readFile(path(Kind::MailMerge)).startsWith("Anrede;"));
    });
    EXPECT_EQ(run(Kind::MailMerge, false).status, Outcome::Status::Opened);
    ASSERT_EQ(ctx.prompts.count(), 3);
    EXPECT_EQ(ctx.prompts.messageTexts(), (QStringList{selectionHint(), mailMergeQuestion(), mailMergeSaveHint()}));
    EXPECT_EQ(ctx.shell.opened(), QStringList{path(Kind::MailMerge)});
    EXPECT_EQ(TempDatabase::readFile(path(Kind::MailMerge)),
              kHeading + u8("Firma;\"Bäcker; Söhne\";;;Weg 2;\r\nHerrn;Mustermann;Max;;Musterweg 5;12345 Musterstadt\r\n"
                            "Frau;Zander;Ute;;;04109 Leipzig\r\n"));
}

TEST_F(CustomerExport, FailuresAreNamedToTheUser)
{
    select("SELECT * FROM Kunden WHERE a2 = ?", "niemand"); // an empty selection still gives the file
    ctx.shell.setResult(false);
    const Outcome notOpened = run(Kind::AddressList, true);
    EXPECT_TRUE(notOpened.status == Outcome::Status::NotOpened && QFile::exists(notOpened.path)
                && TempDatabase::readFile(notOpened.path).isEmpty() && ctx.prompts.count() == 1);
    EXPECT_TRUE(ctx.prompts.last().text.contains(QDir::toNativeSeparators(notOpened.path)));

    ctx.state.tempFolder = ctx.folders.root() + s("/fehlt/");
    EXPECT_EQ(run(Kind::AddressList, true).status, Outcome::Status::Failed);
    EXPECT_TRUE(ctx.prompts.last().title == s("Fehler") && ctx.prompts.last().icon == Prompts::Icon::Critical
                && ctx.prompts.last().text.contains(s("Kundenliste.txt")));
}

// For every month of 2024 an open and a paid invoice, numbered "<month>o" and
// "<month>p"; the same month of 2023 and quotes of 2024 never show.
TEST(OverviewMonths, EachMonthSelectsExactlyItsOwnInvoicesInThePaidStateChosen)
{
    TempDatabase t;
    ASSERT_TRUE(t.connection().transaction());
    for (int m = 1; m <= 12; ++m) {
        const QString n = QString::number(m), day = QStringLiteral("15.%1.").arg(m, 2, 10, QLatin1Char('0'));
        for (const auto& [suffix, year, kind, paid] : {std::tuple{"o", "2024", "Rechnung", false}, {"p", "2024", "Rechnung", true},
                                                       {"x", "2023", "Rechnung", false}, {"q", "2024", "Angebot", false}, {"Q", "2024", "ANGEBOT", true}})
            t.addDocument(n + s(suffix), day + s(year), s(kind), paid);
    }
    ASSERT_TRUE(t.connection().commit());
    for (int m = 1; m <= 12; ++m)
        for (const PaidState paid : {PaidState::Open, PaidState::Paid})
            EXPECT_EQ(numbersOf(t, overview::monthFilter(overview::monthName(m), s("2024"), paid)),
                      QString::number(m) + (paid == PaidState::Paid ? s("p") : s("o"))) << "month " << m;
    // Counted, not as text: "12p" is above "9p".
    EXPECT_EQ(numbersOf(t, overview::monthFilter(s("alle"), s("2024"), PaidState::Paid)), s("12p 11p 10p 9p 8p 7p 6p 5p 4p 3p 2p 1p"));
    // An unknown month leaves the source alone; a year that is no number
    // finds nothing; a year text is read as its leading number.
    EXPECT_FALSE(overview::monthFilter(overview::monthPromptAfterDateFilter(), s("2024"), PaidState::Open)
                 || overview::monthFilter(s("januar"), s("2024"), PaidState::Open));
    EXPECT_EQ(numbersOf(t, overview::monthFilter(s("Mai"), s("kein Jahr"), PaidState::Open)) + s("|")
                  + numbersOf(t, overview::monthFilter(s("Mai"), s("2024 "), PaidState::Open)), s("|5o"));
}

TEST(OverviewDateFilter, OneDayOfInvoicesOnlyInThePaidStateChosen)
{
    TempDatabase t;
    const std::tuple<const char*, const char*, const char*, bool> documents[] = {
        {"1", "03.05.2024", "Rechnung", false}, {"2", "03.05.2024", "Rechnung", true}, {"3", "03.05.2024", "Angebot", false},
        {"4", "03.05.2024", "Rechnungskopie", false}, {"5", "04.05.2024", "Rechnung", false}, {"6", "03.05.2024", "Rechnung", false}};
    for (const auto& [number, date, kind, paid] : documents)
        t.addDocument(s(number), s(date), s(kind), paid);
    // A date typed with a quote is only a date that matches nothing.
    EXPECT_EQ(numbersOf(t, overview::dateFilter(s("03.05.2024"), PaidState::Open)) + s("|")
                  + numbersOf(t, overview::dateFilter(s("03.05.2024"), PaidState::Paid)) + s("|")
                  + numbersOf(t, overview::dateFilter(s("03.05.2024' OR '1'='1"), PaidState::Open)), s("6 1|2|"));
}

TEST(OverviewTotal, SkipsDocumentsWithoutNumberAndAmountsThatAreNoNumber)
{
    TempDatabase t;
    const std::pair<const char*, const char*> documents[] = {
        {"10", "119,00"}, {"11", "0,50"}, {"", "1000,00"}, {"12", "unbekannt"}, {"13", ""}, {"14", "-19,00"}};
    for (const auto& [number, amount] : documents)
        t.addDocument(s(number), s("05.03.2024"), s("Rechnung"), false, {{s("a6"), s(amount)}});
    const auto source = overview::monthFilter(s("März"), s("2024"), PaidState::Open);
    ASSERT_TRUE(source.has_value());
    const auto total = overview::total(t.db(), *source, QLatin1Char(','));
    // Under '.' the stored ',' amounts are no numbers.
    EXPECT_EQ(total.value_or(Decimal()).toFixed(2, QLatin1Char(',')) + overview::total(t.db(), *source, QLatin1Char('.'))->toString(),
              s("100,500"));
}

TEST(OverviewPlanText, ExactBytesWithColumnsCutCrLfAndNoBreakInsideALine)
{
    const QList<overview::Row> rows{
        {1, s("7"), s("119,00"), s("Anna Müllerin-Lüdenscheid"), s("1.3.2024"), s("10115 Berlin-Mitte X")},
        {2, s("12345"), s("1234567,89"), s("Kurz"), s("kein Datum"), s("Ulm")}};
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(overview::writePlanText(buffer, overview::planHeading(PaidState::Open, s("Mai"), s("2024")), rows));
    const QByteArray expected = QByteArray("offene Rechnungen  Mai / 2024\r\n\r\n") + QByteArray(71, '_') + "\r\n"
        + "R.Nr.  Betrag   Name / Mail            Datum        Ort\r\n" + QString(71, QChar(0xAF)).toUtf8() + "\r\n"
        // 25-character name cut to 22, 20-character place cut to 16.
        + s("7     119,00   Anna Müllerin-Lüdensch  01.03.2024   10115 Berlin-Mit").toUtf8() + "\r\n"
        // Values longer than their column are not cut.
        + "12345 1234567,89   Kurz                    kein Datum   Ulm\r\n";
    EXPECT_EQ(buffer.data(), expected);
    const QString line = overview::planLine({1, s("1"), s("1,00"), s("Zeile\r\nzwei"), s("01.01.2024"), s("Ort\nX")});
    EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')) || overview::planText(s("h"), {}).count("\r\n") != 5);
}

TEST(DocumentList, NarrowSortAndCountNumbers)
{
    TempDatabase t;
    const qint64 anna = t.addCustomer(s("Anna")), bernd = t.addCustomer(s("Bernd"));
    t.addDocument(s("3"), s("05.01.2024"), s("Rechnung"), false, {{s("b1"), QString::number(anna)}, {s("a2"), s("zeta")}});
    t.addDocument(s("1"), s("20.12.2023"), s("Rechnung"), true, {{s("b1"), QString::number(bernd)}, {s("a2"), s("Alpha")}});
    t.addDocument(s("2"), s("01.02.2024"), s("Angebot"), false, {{s("b1"), QString::number(anna)}, {s("a2"), s("beta")}});
    const auto numbers = [&](const std::optional<RecordSource>& source) {
        Recordset rs(t.db(), s("Rechnungen"));
        rs.setRecordSource(source.value().sql, source->params);
        EXPECT_TRUE(rs.refresh()) << rs.lastError().toStdString();
        QStringList out;
        for (int i = 0; rs.moveTo(i); ++i)
            out << rs.text(s("a7"));
        return out.join(QLatin1Char(' '));
    };
    test::expectRows("lists", {{numbers(documentlist::customerDocuments(anna)), "3 2"}, {numbers(documentlist::customerDocuments(bernd)), "1"},
                               {documentlist::customerLabel(s("Anna")), "Rechnungen Anna"}, {numbers(documentlist::allDocuments()), "3 1 2"},
                               {numbers(documentlist::unpaidDocuments()), "3 2"}});
    // One toggle for all headings, the first click descending; numbers counted, not as text.
    bool toggle = false;
    for (const auto& [number, date, kind] : {std::tuple{"10", "06.01.2024", "Rechnung"}, {"9", "06.01.2024", "Rechnung"}, {"", "07.01.2024", "Angebot"}})
        t.addDocument(s(number), s(date), s(kind));
    // (A braced list is evaluated in order.)
    EXPECT_EQ(QStringList({numbers(documentlist::sortByColumn(0, toggle)), numbers(documentlist::sortByColumn(0, toggle))}).join(u'|'),
              s("10 9 3 2 1 | 1 2 3 9 10"));
    // The overview lists a year whose numbers pass 9999 from the latest on.
    t.addDocument(s("10000"), s("08.01.2024"));
    t.addDocument(s("9999"), s("05.01.2024"));
    EXPECT_EQ(numbersOf(t, overview::monthFilter(s("Januar"), s("2024"), PaidState::Open)), s("10000 9999 10 9 3"));
}
