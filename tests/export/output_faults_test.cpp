#include "data/CompanySettings.h"
#include "export/CustomerLists.h"
#include "export/EmailMessage.h"
#include "export/ExportFile.h"
#include "print/PageRenderer.h"
#include "print/PrintCursor.h"
#include "support/GermanText.h"
#include "workspace/CustomersArticles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace quittora;
using namespace quittora::literals;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Files of this process may grow to a few KiB only: every write beyond fails
// with EFBIG, as on a disk that runs full in the middle of the file. Needs no
// root, unlike a small RAM disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }
    bool set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_signal)(int) = nullptr;
    bool m_set = false;
};

std::vector<PageModel> longDocument()
{
    PrintCursor p;
    for (int page = 0; page < 4; ++page) {
        for (int line = 0; line < 40; ++line)
            p.PrintAt(20_mm, Millimetres(20 + 6 * line), s("Zeile %1 der Seite %2 mit Text").arg(line).arg(page));
        p.NewPage();
    }
    return p.takeDocuments();
}

} // namespace

// Every writer of an output file, on a disk that gives out in the middle of
// the file: refused with the true reason in German, no file under the target
// name, no temporary file beside it; an earlier file stays as it was (except
// the exchange file, whose earlier address would be taken for the new one).
TEST(OutputFaults, AWriteThatFailsHalfwayLeavesNoFileAndSaysWhy)
{
    const QByteArray big(64 * 1024, 'x');
    customers::Address address;
    address.name = s("Müller");
    address.notes = QString(20000, QLatin1Char('n'));
    const std::vector<PageModel> pdf = longDocument();
    struct Writer {
        const char* name;
        std::function<bool(const QString& path, QString* error)> write;
        bool keepsOlderFile;
    };
    const std::vector<Writer> writers{
        {"export file", [&](const QString& path, QString* e) { return replaceFile(path, big, e); }, true},
        {"pdf", [&](const QString& path, QString* e) { return renderToPdf(pdf, path, MarginValues{}, e); }, true},
        {"exchange file",
         [&](const QString& path, QString* e) { return customers::writeExchangeFile(path, address, e); }, false},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        for (const bool older : {false, true}) {
            QTemporaryDir dir;
            const QString path = dir.filePath(s("ausgabe"));
            if (older) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("alt") == 3);
            }
            QString error;
            bool written = true;
            {
                const FileSizeLimit limit(4096);
                ASSERT_TRUE(limit.set());
                written = w.write(path, &error);
            }
            EXPECT_FALSE(written);
            EXPECT_TRUE(error.contains(s("Die Datei ist zu groß für den Datenträger."))) << error.toStdString();
            EXPECT_FALSE(test::looksEnglish(error)) << error.toStdString();
            if (older && w.keepsOlderFile) {
                EXPECT_EQ(entries(dir.path()), QStringList{s("ausgabe")});
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                EXPECT_EQ(file.readAll(), QByteArray("alt"));
            } else {
                EXPECT_EQ(entries(dir.path()), QStringList());
            }
            // Without the limit the same call writes the whole file.
            ASSERT_TRUE(w.write(path, &error)) << error.toStdString();
            EXPECT_GT(QFileInfo(path).size(), 4096);
            EXPECT_EQ(entries(dir.path()), QStringList{s("ausgabe")});
        }
    }
}

// A line break or NUL in a customer field moves nothing: the address list
// keeps nine lines a customer (a break becomes a blank), the mail-merge file
// keeps its columns (the value is quoted) and neither holds a NUL.
TEST(OutputFaults, LineBreaksAndNulInCustomerFieldsKeepTheLayout)
{
    struct Case {
        QString typed;
        QString listLine;
        QString csvValue;
    };
    const QString nul(QChar(0));
    const std::vector<Case> cases{
        {s("Hinterhaus\r\n2. Stock"), s("Hinterhaus 2. Stock"), s("\"Hinterhaus\r\n2. Stock\"")},
        {s("eins\nzwei\rdrei"), s("eins zwei drei"), s("\"eins\nzwei\rdrei\"")},
        {s("Null") + nul + s("Byte"), s("NullByte"), s("NullByte")},
        {s("Seite\fVor\vTab\tEnde"), s("Seite Vor Tab\tEnde"), s("Seite Vor Tab\tEnde")},
        {s("Absatz") + QChar(0x2029) + s("neu"), s("Absatz neu"), s("Absatz neu")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        for (int field = 0; field < 7; ++field) {
            customerlists::Customer customer{s("Frau"), s("Name"), s("Vor"), s("Zusatz"), s("Weg 1"), s("1 Ort"),
                                             s("01"), s("02")};
            QString* fields[] = {&customer.salutation, &customer.name, &customer.addition, &customer.street,
                                 &customer.place, &customer.phone, &customer.fax};
            *fields[field] = c.typed;
            const QByteArray list = customerlists::addressListText({customer, customer});
            EXPECT_FALSE(list.contains('\0'));
            const QStringList lines = QString::fromUtf8(list).split(s("\r\n"));
            ASSERT_EQ(lines.size(), 19);
            for (const QString& line : lines)
                EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')));
            EXPECT_TRUE(lines.at(field).endsWith(c.listLine))
                << lines.at(field).toStdString();
            EXPECT_EQ(lines.at(9), lines.at(0));

            const QByteArray csv = customerlists::mailMergeText({customer});
            EXPECT_FALSE(csv.contains('\0'));
            if (field < 5) {
                const QString value = customerlists::mailMergeValue(c.typed);
                EXPECT_EQ(value, c.csvValue);
                EXPECT_TRUE(QString::fromUtf8(csv).contains(value));
            }
        }
    }
}

namespace {

CompanySettings mailSettings()
{
    CompanySettings c;
    c.setValue(s("Titel"), s("Müller & Söhne"));
    c.setValue(s("MWSt"), s("19"));
    c.setValue(s("frei8"), s("€"));
    return c;
}

} // namespace

// Hostile or odd recipient addresses, each written as a message file and read
// back by a standard mail parser: one recipient at most, as typed, never one
// smuggled in; otherwise no To: header and a German hint for the user.
TEST(OutputFaults, TheRecipientIsOneCheckedAddressEncodedAndFolded)
{
    const QString python = QStandardPaths::findExecutable(s("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    // Long, not ASCII, with an encoded word, quotes and a comma: typed in
    // double quotes (inner ones escaped) it is one display name.
    const QString longName = QString(120, QChar(0xE4)) + s(" =?utf-8?q?x?= \"Zitat\", Komma");
    QString quotedLongName = longName;
    quotedLongName.replace(s("\""), s("\\\""));
    struct Case {
        QString typed;
        QString name;    // display name as the parser reads it
        QString address; // empty: no To: header
    };
    const std::vector<Case> cases{
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
        {s("Hans Meier <hans@example.de>"), s("Hans Meier"), s("hans@example.de")},
        {longName + s(" <lang@example.de>"), {}, {}},
        {s("\"") + quotedLongName + s("\" <lang@example.de>"), longName, s("lang@example.de")},
        {s("kunde@bäckerei.example"), {}, s("kunde@xn--bckerei-5wa.example")},
        {s("jörg@example.de"), {}, {}},
        {s("  kunde@example.de \n"), {}, s("kunde@example.de")},
        {s("kunde@example"), {}, {}},
        {s("kunde..x@example.de"), {}, {}},
    };
    QTemporaryDir dir;
    QStringList files;
    for (size_t i = 0; i < cases.size(); ++i) {
        email::Head head;
        head.kind = s("Rechnung");
        head.email = cases[i].typed;
        const QByteArray message = email::buildMessage(head, {}, mailSettings(), PriceBasis::Net);
        const QByteArray headers = message.left(message.indexOf("\r\n\r\n"));
        for (const QByteArray& line : headers.split('\n'))
            EXPECT_LE(line.size(), 79) << i << ": " << line.left(100).constData();
        EXPECT_FALSE(headers.contains("\nBcc") || headers.contains("attacker")) << i;
        const bool refused = cases[i].address.isEmpty();
        const QString hint = email::recipientProblem(cases[i].typed);
        EXPECT_EQ(hint.isEmpty(), !refused) << i;
        if (refused)
            EXPECT_TRUE(hint.startsWith(s("Die E-Mail-Adresse „")) && hint.size() < 400) << hint.toStdString();
        files << dir.filePath(QString::number(i) + s(".eml"));
        QFile file(files.last());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && email::writeMessage(file, head, {}, mailSettings(),
                                                                            PriceBasis::Net));
    }
    // The display name is decoded as RFC 2047 says (blanks between encoded
    // words do not count); the newer parser of Python keeps them.
    const char* script = R"PY(
import email, email.header, email.policy, email.utils, json, sys
out = []
for path in sys.argv[1:]:
    raw = open(path, 'rb').read()
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    to = msg['To']
    values = email.message_from_bytes(raw).get_all('To') or []
    pairs = email.utils.getaddresses(values)
    out.append({'count': len(values),
                'addresses': [[str(email.header.make_header(email.header.decode_header(n))), a] for n, a in pairs],
                'parsed': [a.addr_spec for a in to.addresses] if to is not None else [],
                'defects': len(msg.defects) + (len(to.defects) if to is not None else 0)})
print(json.dumps(out))
)PY";
    QProcess p;
    p.start(python, QStringList{s("-c"), s(script)} + files);
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonArray parsed = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    ASSERT_EQ(parsed.size(), qsizetype(cases.size()));
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].typed.left(80).toStdString());
        const QJsonObject r = parsed.at(qsizetype(i)).toObject();
        EXPECT_EQ(r.value(s("defects")).toInt(), 0);
        if (cases[i].address.isEmpty()) {
            EXPECT_EQ(r.value(s("count")).toInt(), 0);
            continue;
        }
        ASSERT_EQ(r.value(s("count")).toInt(), 1);
        const QJsonArray addresses = r.value(s("addresses")).toArray();
        ASSERT_EQ(addresses.size(), 1);
        EXPECT_EQ(addresses.at(0).toArray().at(0).toString(), cases[i].name);
        EXPECT_EQ(addresses.at(0).toArray().at(1).toString(), cases[i].address);
        EXPECT_EQ(r.value(s("parsed")).toArray(), QJsonArray{cases[i].address});
    }
}
