// The faults writing and numbering meet in use, injected for real: programs
// numbering at once, a disk that runs full, a damaged page, runs killed
// halfway, a damaged backup, a write that fails in the middle of the file.
// In every case nothing is reported as done that was not, and nothing is left.
#include "export/ExportFile.h"
#include "print/PageRenderer.h"
#include "print/PrintCursor.h"
#include "safety/Backup.h"
#include "support/CliRunner.h"
#include "support/GermanText.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"
#include "workspace/CustomersArticles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>

using namespace quittora;
using namespace quittora::literals;
using quittora::test::CliRun;
using quittora::test::fileHash;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Every run with its own settings and runtime folders and a C locale.
class Robustness : public ::testing::Test {
protected:
    QProcessEnvironment env(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const
    {
        base.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        base.insert(s("XDG_RUNTIME_DIR"), home.path());
        base.insert(s("LC_ALL"), s("C.UTF-8"));
        base.remove(s("QT_QPA_PLATFORM"));
        return base;
    }
    CliRun cli(const QStringList& args) const { return test::runCli(args, env({}), {s("QT_QPA_PLATFORM")}); }
    void fillLines(qint64 document, int count, const char* what)
    {
        ASSERT_TRUE(db.exec(s("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
                              "INSERT INTO Verkauf (a1, a2, a3, n1, a4, a5, a19) SELECT ?, '1', 'Stk', "
                              "printf(?, i) || ?, '1,00', '1,00', '19' FROM n"),
                            {count, QString::number(document), s(what) + s("-%03d "), QString(60, QLatin1Char('x'))}));
    }

    QTemporaryDir home;
    TempDatabase db;
};

} // namespace

// Separate programs on one database at the same moment, as a scheduled job
// beside the open program: each invoice gets a number of its own, and the
// next number has moved past all of them. Three at once also catch a number
// taken by the first and the second after the third had read it.
TEST_F(Robustness, ConcurrentRunsNeverGiveOneNumberTwice)
{
    QList<qint64> invoices;
    for (int round = 0; round < 8; ++round) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const char* command : {"eml", "pdf", "eml"}) {
            const qint64 id = db.addDocument({}, s("15.03.2024"), s("Rechnung"), false, {{s("a2"), s("Muster")}});
            db.addLine(id, s("1"), s("Arbeit"), s("10,00"), s("10,00"));
            invoices << id;
            auto& p = runs.emplace_back(std::make_unique<QProcess>());
            p->setProcessEnvironment(env());
            p->setProgram(s(QUITTORA_CLI));
            p->setArguments({s(command), db.path(), s("--document"), QString::number(id), s("--out"),
                             home.filePath(QStringLiteral("%1.%2").arg(id).arg(s(command)))});
        }
        for (auto& p : runs)
            p->start();
        for (auto& p : runs) {
            ASSERT_TRUE(p->waitForFinished(60000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
    }
    QSet<QString> numbers;
    for (qint64 id : invoices)
        numbers.insert(db.field(s("Rechnungen"), id, s("a7")).toString());
    EXPECT_FALSE(numbers.contains(QString()));
    EXPECT_EQ(numbers.size(), invoices.size()) << "a number was given twice";
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), QString::number(1000 + invoices.size()));
}

// Each command that writes a file, on a RAM disk (in a mount namespace of its
// own) with less free space than Qt's write buffer holds: that is how the
// disk ran full unnoticed, the failed flush at commit() not reported. It
// fails with the true reason, does not say it wrote, and leaves no file; on a
// roomy disk the same call writes it.
TEST_F(Robustness, EveryOutputCommandRefusesWithoutAFileWhenTheDiskRunsFull)
{
    const QString disk = home.filePath(s("platte"));
    ASSERT_TRUE(QDir().mkpath(disk));
    const char* const script = "mount -t tmpfs -o size=\"$DISK_SIZE\" tmpfs \"$DISK\" || exit 97\n"
                               "head -c \"$FILL\" /dev/zero > \"$DISK/fill\" || exit 97\n"
                               "\"$0\" \"$@\"\nrc=$?\nrm \"$DISK/fill\"\necho '@@files@@'\nls -A \"$DISK\"\nexit $rc\n";
    // What the run said, and the files on the disk afterwards.
    const auto onDisk = [&](int sizeKiB, int freeKiB, const QStringList& args) {
        QProcessEnvironment e = env();
        e.insert(s("DISK"), disk);
        e.insert(s("DISK_SIZE"), QString::number(sizeKiB) + s("k"));
        e.insert(s("FILL"), QString::number((sizeKiB - freeKiB) * 1024));
        QProcess p;
        p.setProcessEnvironment(e);
        p.start(s("unshare"), QStringList{s("-m"), s("sh"), s("-c"), s(script), s(QUITTORA_CLI)} + args);
        const bool finished = p.waitForFinished(60000);
        const QStringList parts = QString::fromUtf8(p.readAllStandardOutput()).split(s("@@files@@\n"));
        const CliRun r{finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, parts.first(),
                       QString::fromUtf8(p.readAllStandardError())};
        return std::pair(r, parts.value(1).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    };
    if (QStandardPaths::findExecutable(s("unshare")).isEmpty())
        GTEST_SKIP() << "unshare (util-linux) is not installed";
    const auto probe = onDisk(16, 16, {s("--version")});
    if (probe.first.exitCode == 97 || probe.first.exitCode == -1 || probe.first.err.contains(s("unshare:")))
        GTEST_SKIP() << "a RAM disk cannot be mounted here (needs root): " << probe.first.err.toStdString();

    // Outputs between 4 and 16 KiB (the PDF, with its fonts, is larger); the
    // database stays outside the small disk.
    ASSERT_TRUE(db.exec(s("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120) "
                          "INSERT INTO Kunden (a1, a2, a3, a4, a5) SELECT 'Frau', 'Kundin Nummer ' || i, 'Anna', "
                          "'Lange Straße ' || i, '12345 Musterstadt' FROM n")));
    ASSERT_TRUE(db.exec(s("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150) "
                          "INSERT INTO Rechnungen (a7, a8, a156, opt1, a6, a2, a5) SELECT 1000 + i, '15.03.2024', "
                          "'Rechnung', 0, '10,00', 'Kundin Nummer ' || i, '12345 Musterstadt' FROM n")));
    const QString id = QString::number(db.addDocument(s("7"), s("01.03.2024")));
    fillLines(id.toLongLong(), 10, "Position");
    struct Command {
        QStringList args; // without the output file
        const char* outputName;
        const char* success;
    };
    const std::vector<Command> commands{
        {{s("eml"), db.path(), s("--document"), id, s("--out")}, "Rechnung.eml", "E-Mail-Datei geschrieben"},
        {{s("pdf"), db.path(), s("--document"), id, s("--out")}, "Rechnung.pdf", "PDF-Datei geschrieben"},
        {{s("customers-csv"), db.path()}, "Kunden.csv", "Kunden geschrieben"},
        {{s("customers-txt"), db.path()}, "Kunden.txt", "Kunden geschrieben"},
        {{s("overview"), db.path(), s("--month"), s("März"), s("--year"), s("2024"), s("--out")}, "Plan.txt", "Summe:"},
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.outputName);
        const QStringList args = c.args + QStringList{disk + QLatin1Char('/') + s(c.outputName)};
        const auto [roomy, written] = onDisk(1024, 1024, args);
        EXPECT_EQ(roomy.exitCode, 0) << roomy.err.toStdString();
        EXPECT_TRUE(roomy.out.contains(s(c.success))) << roomy.out.toStdString();
        EXPECT_EQ(written, QStringList{s(c.outputName)});
        const auto [full, left] = onDisk(16, 4, args);
        EXPECT_NE(full.exitCode, 0) << full.out.toStdString();
        EXPECT_TRUE(full.err.contains(s("Der Datenträger ist voll."))) << full.err.toStdString();
        EXPECT_FALSE(test::looksEnglish(full.err)) << full.err.toStdString();
        EXPECT_EQ(left, QStringList());
        if (c.args.first() != s("overview")) // the overview prints its list before writing it
            EXPECT_FALSE(full.out.contains(s(c.success))) << full.out.toStdString();
    }
}

// A page in the middle of a table overwritten with noise, as a failing disk
// does: no command prints, lists or stores what it could read before it.
TEST_F(Robustness, APartlyReadableFileIsNeverTakenAsComplete)
{
    const qint64 invoice = db.addDocument({}, s("15.05.2024"), s("Rechnung"), false, {{s("a2"), s("Muster")}});
    fillLines(invoice, 150, "ZEILE");
    ASSERT_TRUE(db.exec(s("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199) "
                          "INSERT INTO Kunden (a2) SELECT printf('KUNDE-%03d ', i) || ? FROM n"),
                        {QString(60, QLatin1Char('x'))}));
    QSqlQuery q(db.connection());
    ASSERT_TRUE(q.exec(s("PRAGMA page_size")) && q.next());
    const int pageSize = q.value(0).toInt();
    const QString doc = QString::number(invoice);
    const struct {
        QStringList args;
        const char* marker;
    } cases[] = {{{s("pdf"), s("--document"), doc, s("--out")}, "ZEILE-075"},
                 {{s("eml"), s("--document"), doc, s("--out")}, "ZEILE-075"},
                 {{s("customers-csv")}, "KUNDE-110"}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.first().toStdString());
        const QString copy = home.filePath(QStringLiteral("kaputt-%1.qtb").arg(++n));
        ASSERT_TRUE(QFile::copy(db.path(), copy));
        // The table's own leaf page (type 13), not an index page repeating the text.
        QFile f(copy);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray bytes = f.readAll();
        qint64 page = -1;
        for (qsizetype at = bytes.indexOf(c.marker); at >= 0 && page < 0; at = bytes.indexOf(c.marker, at + 1))
            if (at / pageSize > 0 && bytes.at(at / pageSize * pageSize) == 13)
                page = at / pageSize;
        ASSERT_GT(page, 0);
        QByteArray noise(pageSize, '\0');
        for (int i = 0; i < pageSize; ++i)
            noise[i] = static_cast<char>((i * 37 + 11) & 0xff);
        ASSERT_TRUE(f.seek(page * pageSize) && f.write(noise) == pageSize && f.flush());
        f.close();
        const QByteArray before = fileHash(copy);
        const QString out = home.filePath(s("ausgabe"));
        QStringList args = c.args;
        args.insert(1, copy);
        const CliRun r = cli(args << out);
        EXPECT_NE(r.exitCode, 0) << r.out.toStdString();
        EXPECT_FALSE(r.err.trimmed().isEmpty());
        EXPECT_FALSE(r.err.contains(s("malformed"))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_EQ(fileHash(copy), before) << "the damaged file was written to";
    }
}

// Backup, restore and generate killed (kill -9) while their temporary file
// exists: the next run of the same kind clears what they left, and its result
// is right.
TEST_F(Robustness, RunsKilledHalfwayLeaveNothingAfterTheNextRun)
{
    // Large enough that copying it takes a moment.
    const QString source = home.filePath(s("Quelle.qtb"));
    const CliRun made = cli({s("generate"), source, s("--documents"), s("3000"), s("--customers"), s("300"),
                             s("--articles"), s("300")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const auto info = [&](const QString& file) { return cli({s("info"), file}).out; };
    const QString usb = home.filePath(s("usb")), data = home.filePath(s("daten")), big = home.filePath(s("gross"));
    for (const QString& folder : {usb, data, big})
        ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(cli({s("init"), data + s("/Quittora.qtb")}).exitCode, 0);
    const struct {
        QString folder;
        const char* temp;
        QStringList killed, again;
        QString result; // after the next run
    } cases[] = {
        {usb, "^\\.Quittora\\.qtb\\.sicherung-", {s("backup"), source, usb}, {s("backup"), source, usb}, usb + s("/Quittora.qtb")},
        {data, "^\\.Quittora\\.qtb\\.zurueck-", {s("restore"), source, data + s("/Quittora.qtb")},
         {s("restore"), source, data + s("/Quittora.qtb")}, data + s("/Quittora.qtb")},
        {big, "^gross\\.qtb\\.", {s("generate"), big + s("/gross.qtb"), s("--documents"), s("20000")},
         {s("generate"), big + s("/gross.qtb"), s("--documents"), s("200")}, big + s("/gross.qtb")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.killed.first().toStdString());
        const QRegularExpression temp(s(c.temp));
        const auto temps = [&] { return QDir(c.folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(temp); };
        int caught = 0;
        for (int attempt = 0; attempt < 30 && caught < 2; ++attempt) {
            QProcess p;
            p.setProcessEnvironment(env());
            p.start(s(QUITTORA_CLI), c.killed);
            ASSERT_TRUE(p.waitForStarted());
            QElapsedTimer clock;
            clock.start();
            while (!p.waitForFinished(1) && clock.elapsed() < 60000) {
                if (!temps().isEmpty()) {
                    p.kill();
                    ++caught;
                    break;
                }
            }
            p.waitForFinished();
        }
        ASSERT_GT(caught, 0) << "no run was caught with its temporary file";
        ASSERT_FALSE(temps().isEmpty()) << "the killed runs left nothing to clear up";
        if (c.killed.first() == s("generate"))
            ASSERT_FALSE(QFileInfo::exists(c.result)) << "a killed run never leaves a file under the final name";
        const CliRun again = cli(c.again);
        ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
        EXPECT_TRUE(temps().isEmpty()) << temps().join(s(", ")).toStdString();
        if (c.killed.first() == s("generate"))
            EXPECT_TRUE(info(c.result).startsWith(s("Rechnungen: 200\n"))) << info(c.result).toStdString();
        else
            EXPECT_EQ(info(c.result), info(source));
    }
    EXPECT_EQ(entries(usb), QStringList{s("Quittora.qtb")});
    EXPECT_EQ(entries(big), QStringList{s("gross.qtb")});
}

// As found: a backup one byte short, or with a page overwritten, was restored
// with exit 0. It is refused before anything is replaced.
TEST_F(Robustness, AShortOrDamagedBackupIsRefusedAndTheDatabaseStaysByteForByte)
{
    const QString data = home.filePath(s("daten/Quittora.qtb")), backup = home.filePath(s("Sicherung.qtb"));
    ASSERT_TRUE(QDir().mkpath(home.filePath(s("daten"))));
    ASSERT_TRUE(testfiles::makeNamesDatabase(data, {s("Müller")}));
    ASSERT_TRUE(testfiles::execOn(data, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
                                        "INSERT INTO Kunden(a1) SELECT printf('%.80c%d', 'k', i) FROM n"));
    ASSERT_TRUE(safety::backupDatabase(data, backup).ok());
    const QByteArray good = testfiles::bytesOf(backup), before = testfiles::bytesOf(data);
    ASSERT_GT(good.size(), 5 * 4096);
    for (const QByteArray& content : {good.left(good.size() - 1), QByteArray(good).replace(3 * 4096, 4096, QByteArray(4096, 'Z'))}) {
        ASSERT_TRUE(testfiles::writeBytes(backup, content));
        const CliRun run = cli({s("restore"), backup, data});
        EXPECT_NE(run.exitCode, 0) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(s("beschädigt"))) << run.err.toStdString();
        EXPECT_EQ(testfiles::bytesOf(data), before);
        EXPECT_EQ(entries(home.filePath(s("daten"))), QStringList{s("Quittora.qtb")}) << "no copy, no safety copy";
    }
}

// Every writer of an output file, in this process, whose files may grow to
// 4 KiB only (EFBIG, as a disk that runs full in the middle of the file; no
// root needed): refused with the true reason, no file under the target name
// and no temporary one; an earlier file stays (except the exchange file,
// whose earlier address would be taken for the new one).
TEST(OutputFaults, AWriteThatFailsHalfwayLeavesNoFileAndSaysWhy)
{
    const QByteArray big(64 * 1024, 'x');
    customers::Address address;
    address.name = s("Müller");
    address.notes = QString(20000, QLatin1Char('n'));
    PrintCursor cursor;
    for (int line = 0; line < 160; ++line) {
        cursor.PrintAt(20_mm, Millimetres(20 + 6 * (line % 40)), s("Zeile %1 mit Text").arg(line));
        if (line % 40 == 39)
            cursor.NewPage();
    }
    const std::vector<PageModel> pdf = cursor.takeDocuments();
    const struct {
        const char* name;
        std::function<bool(const QString&, QString*)> write;
        bool keepsOlderFile;
    } writers[] = {
        {"export file", [&](const QString& path, QString* e) { return replaceFile(path, big, e); }, true},
        {"pdf", [&](const QString& path, QString* e) { return renderToPdf(pdf, path, MarginValues{}, e); }, true},
        {"exchange file", [&](const QString& path, QString* e) { return customers::writeExchangeFile(path, address, e); }, false},
    };
    for (const auto& w : writers) {
        for (const bool older : {false, true}) {
            SCOPED_TRACE(std::string(w.name) + (older ? " over an older file" : ""));
            QTemporaryDir dir;
            const QString path = dir.filePath(s("ausgabe"));
            if (older)
                ASSERT_TRUE(testfiles::writeBytes(path, "alt"));
            QString error;
            bool written = true;
            {
                const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
                rlimit old{};
                ::getrlimit(RLIMIT_FSIZE, &old);
                rlimit limit = old;
                limit.rlim_cur = 4096;
                ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
                written = w.write(path, &error);
                ::setrlimit(RLIMIT_FSIZE, &old);
                std::signal(SIGXFSZ, oldSignal);
            }
            EXPECT_FALSE(written);
            EXPECT_TRUE(error.contains(s("Die Datei ist zu groß für den Datenträger."))) << error.toStdString();
            EXPECT_FALSE(test::looksEnglish(error)) << error.toStdString();
            const bool kept = older && w.keepsOlderFile;
            EXPECT_EQ(entries(dir.path()), kept ? QStringList{s("ausgabe")} : QStringList());
            if (kept)
                EXPECT_EQ(testfiles::bytesOf(path), QByteArray("alt"));
            ASSERT_TRUE(w.write(path, &error)) << error.toStdString(); // without the limit
            EXPECT_GT(QFileInfo(path).size(), 4096);
            EXPECT_EQ(entries(dir.path()), QStringList{s("ausgabe")});
        }
    }
}
