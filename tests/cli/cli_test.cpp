// quittora-cli as a script or a scheduled job calls it: each command once the
// way it works, then every wrong call and refused file of all commands in one
// table; a refusal says why in German, exits other than 0 and leaves nothing.
// Then the faults writing and numbering meet in use, injected for real:
// programs numbering at once, a disk that runs full, runs killed halfway, a
// write that fails in the middle of the file. In every case nothing is
// reported as done that was not, and nothing is left.
#include "export/ExportFile.h"
#include "export/Overview.h"
#include "print/PdfWords.h"
#include "safety/Backup.h"
#include "support/CliRunner.h"
#include "support/GermanText.h"
#include "support/PostalCodeFixture.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"
#include "tools/PostalCodeLookup.h"
#include "workspace/CustomersArticles.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quittora;
using quittora::test::CliRun;
using quittora::test::fileHash;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }
QStringList args(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* t : texts)
        list << s(t);
    return list;
}
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Own settings and runtime folders, so the user's are never touched.
class Cli : public ::testing::Test {
protected:
    // The commands pick offscreen themselves.
    QProcessEnvironment env(const char* locale = "C.UTF-8") const
    {
        QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
        base.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        base.insert(s("XDG_RUNTIME_DIR"), home.path());
        base.insert(s("LC_ALL"), s(locale));
        base.remove(s("QT_QPA_PLATFORM"));
        return base;
    }
    CliRun cli(const QStringList& args, const char* locale = "C.UTF-8") const
    {
        return test::runCli(args, env(locale), {s("QT_QPA_PLATFORM")});
    }
    QString path(const char* name) const { return db.filePath(s(name)); }
    qint64 invoice()
    {
        const qint64 doc = db.addDocument({}, s("15.03.2024"), s("Rechnung"), false,
                                          {{s("a2"), s("Erika Muster")}, {s("a5"), s("12345 Ort")}});
        db.addLine(doc, s("2"), s("Wandfarbe"), s("50,00"), s("100,00"));
        db.addLine(doc, s("1"), s("Pinsel"), s("4,50"), s("4,50"), s("7"));
        return doc;
    }

    QTemporaryDir home;
    TempDatabase db;
};

using Robustness = Cli;

} // namespace

TEST_F(Cli, InitInfoGenerateAndTheirRefusals)
{
    const QString made = path("neu/Quittora.qtb");
    ASSERT_EQ(cli({s("init"), made}).exitCode, 0);
    EXPECT_EQ(cli({s("info"), made}).out, s("Rechnungen: 0\nPositionen: 0\nKunden: 1\nArtikel: 1\n"));
    const QByteArray before = fileHash(made);
    EXPECT_TRUE(cli({s("init"), made}).exitCode == 2 && fileHash(made) == before);

    const auto generate = [&](const QString& file, const char* seed) {
        return cli(QStringList{s("generate"), file} + args({"--documents", "30", "--customers", "12", "--articles", "9",
                                                            "--lines-per-document", "3", "--seed", seed}));
    };
    const QString a = path("a.qtb");
    const CliRun r = generate(a, "5");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(Database::checkFile(a).isEmpty());
    const QString info = cli({s("info"), a}).out;
    EXPECT_TRUE(info.startsWith(s("Rechnungen: 30\n")) && info.endsWith(s("Kunden: 12\nArtikel: 9\n"))) << info.toStdString();
    EXPECT_TRUE(r.out.startsWith(s("Datenbank erzeugt: ") + a + s("\n") + info)) << "the lines reported are the lines in the file";
    const CliRun again = generate(a, "6");
    EXPECT_TRUE(again.exitCode == 2 && again.err.contains(s("existiert bereits"))) << again.err.toStdString();
    ASSERT_EQ(generate(path("b.qtb"), "5").exitCode, 0);
    EXPECT_EQ(fileHash(path("b.qtb")), fileHash(a)) << "the same seed gives the same file, the refused run left it";
}

// Customers' data stays with its owner: the database with its journal, a
// backup in a new folder and the safety copy a restore keeps are readable by
// the owner only, even where the caller's mask would let others read them.
TEST_F(Cli, DatabaseBackupFolderAndSafetyCopyAreTheOwnersOnly)
{
    const mode_t before = ::umask(022); // the usual mask of a desktop session
    const QString file = path("Firma.qtb"), backup = path("Sicherung/Firma.qtb");
    for (const QStringList& call : {QStringList{s("init"), file}, {s("backup"), file, backup}, {s("restore"), backup, file}})
        EXPECT_EQ(cli(call).exitCode, 0) << call.join(QLatin1Char(' ')).toStdString();
    ::umask(before);
    const QStringList safety = QDir(db.folder()).entryList({s("Firma vor Zurückschreiben *.qtb")}, QDir::Files);
    ASSERT_EQ(safety.size(), 1) << entries(db.folder()).join(QLatin1Char(' ')).toStdString();
    QString modes;
    for (const QString& made : {file, backup, path("Sicherung"), path(safety.first().toUtf8().constData())}) {
        struct stat st {};
        modes += ::stat(QFile::encodeName(made).constData(), &st) == 0 ? QString::number(st.st_mode & 0777, 8) : s("fehlt");
    }
    EXPECT_EQ(modes, s("600600700600"));
}

// The lists' format is checked in-process; here what the command adds: all
// customers by name, the count said, an older file replaced whole. Both list
// commands share one runner.
TEST_F(Cli, CustomerListsOfAllCustomersByName)
{
    db.addCustomer(s("Zander"), {}, {{s("a5"), s("1010 Wien")}});
    db.addCustomer(s("Becker; Söhne"), s("Eva"));
    const QString csv = path("Kundenliste.csv");
    ASSERT_TRUE(testfiles::writeBytes(csv, QByteArray(300, 'x')));
    const CliRun run = cli({s("customers-csv"), db.path(), csv});
    EXPECT_TRUE(run.exitCode == 0 && run.out.contains(s("3 Kunden"))) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(TempDatabase::readFile(csv), s("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n;\"Becker; Söhne\";Eva;;;\r\n"
                                             "Herrn;Mustermann;Max;;Musterweg 5;12345 Musterstadt\r\n;Zander;;;;1010 Wien\r\n").toUtf8());
}

// Selection and total are checked in-process; here the list printed as the
// file holds it, the total in the locale's writing, and no file for nothing.
TEST_F(Cli, OverviewPrintsTheListAndTheTotalUnderEitherSeparator)
{
    db.addDocument(s("11"), s("03.05.2024"), s("Rechnung"), false, {{s("a6"), s("100,00")}, {s("a2"), s("Anna Schmidt")}, {s("a5"), s("50667 Köln")}});
    db.addDocument(s("12"), s("20.05.2024"), s("Rechnung"), false, {{s("a6"), s("19,50")}});
    const QString plan = path("Plan.txt");
    const QStringList may = args({"--month", "Mai", "--year", "2024"});
    CliRun r = cli(QStringList{s("overview"), db.path(), s("--out"), plan} + may, "de_DE.UTF-8");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QList<overview::Row> rows;
    ASSERT_TRUE(overview::readRows(db.db(), *overview::monthFilter(s("Mai"), s("2024"), overview::PaidState::Open), &rows));
    const QByteArray expected = overview::planText(s("offene Rechnungen  Mai / 2024"), rows);
    EXPECT_EQ(TempDatabase::readFile(plan), expected);
    EXPECT_EQ(r.out.toUtf8(), QByteArray(expected).replace("\r\n", "\n") + "Summe: 119,50\n");
    // Under the point the stored "100,00" is no number.
    EXPECT_TRUE(cli(QStringList{s("overview"), db.path()} + may).out.endsWith(s("\nSumme: 0.00\n")));
    QFile::remove(plan);
    r = cli({s("overview"), db.path(), s("--month"), s("Juni"), s("--year"), s("2024"), s("--out"), plan}, "de_DE.UTF-8");
    EXPECT_TRUE(r.exitCode == 0 && r.out.endsWith(s("\nSumme: 0,00\n")) && !QFile::exists(plan)) << r.out.toStdString();
}

// Numbering, address and totals of the e-mail are checked in-process; here
// what the command adds: the per-user price basis and the default folder.
TEST_F(Cli, EmlNumbersTheInvoiceAndFollowsThePriceBasisSetting)
{
    TempDatabase t(QLatin1Char('.'));
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET MWSt = '19', frei9 = '7', Rechnungsnummer = '500'")));
    const qint64 customer = t.addCustomer(s("Kunde"), {}, {{s("a40"), s("kunde@example.de")}});
    const qint64 doc = t.addDocument(s(""), s("01.03.2024"), s("Rechnung"), false, {{s("b1"), QString::number(customer)}});
    t.addLine(doc, s("1"), s("Arbeit"), s("100.00"), s("100.00"), s("19"));
    const QString out = t.filePath(s("Rechnung.eml"));
    const QStringList call{s("eml"), t.path(), s("--document"), QString::number(doc), s("--out"), out};
    const auto body = [&] { return TempDatabase::readFile(out).replace("=\r\n", ""); };
    ASSERT_EQ(cli(call).exitCode, 0);
    EXPECT_TRUE(body().startsWith("To: <kunde@example.de>\r\n") && body().contains("zuz=C3=BCglich MwSt."));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("a7")).toString() + t.setting(s("Rechnungsnummer")).toString(), s("500501"));
    // Gross prices from the per-user setting, as the program reads them.
    ASSERT_TRUE(QDir().mkpath(home.filePath(s("config/Quittora pro"))));
    ASSERT_TRUE(testfiles::writeBytes(home.filePath(s("config/Quittora pro/Quittora pro.conf")), "[Startup]\nRechnungsbasis=1\n"));
    ASSERT_EQ(cli(call).exitCode, 0);
    EXPECT_TRUE(body().contains("enthaltene MwSt."));
    // Without --out the file goes to the private temporary folder.
    const CliRun temp = cli({s("eml"), t.path(), s("--document"), QString::number(doc)});
    const QString tempFile = home.filePath(s("quittora-tmp/Quittora.eml"));
    EXPECT_TRUE(temp.exitCode == 0 && QFile::exists(tempFile) && temp.out.contains(tempFile)) << temp.err.toStdString();
}

// Numbering and the layouts are checked in-process; here the options of the command.
TEST_F(Cli, PdfPrintsTheInvoiceAndAReminder)
{
    const QString id = QString::number(invoice()), pdf = path("rechnung.pdf");
    const auto print = [&](const QStringList& options) {
        const CliRun r = cli(QStringList{s("pdf"), db.path(), s("--document"), id, s("--out"), pdf} + options, "de_DE.UTF-8");
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QString error, words = r.out + s("|");
        for (const auto& w : quittora::testing::pdfWords(pdf, &error))
            words += w.text + QLatin1Char(' ');
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return words;
    };
    QString words = print({});
    for (const char* word : {"Rechnungsnummer vergeben: 1000", "Rechnung ", "Wandfarbe ", "123,82 "}) // 119,00 + 4,82
        EXPECT_TRUE(words.contains(s(word))) << word;
    EXPECT_FALSE(words.contains(s("Zahlungserinnerung")));
    words = print({s("--mahntext"), s("Zahlungserinnerung ! - Wir bitten um Begleichung dieser Rechnung")});
    for (const QString& word : {s("Zahlungserinnerung"), QDate::currentDate().toString(s("dd.MM.yyyy")), s("15.03.2024")})
        EXPECT_TRUE(words.contains(word)) << word.toStdString();
}

// A refresh and bad input files are checked in-process; here the report.
TEST_F(Cli, PostalCodeImportBuildsTheDatabaseAndSaysWhatItHolds)
{
    test::PostalCodeFixture files;
    const auto csv = files.csvFiles();
    const QString target = files.filePath(s("bin/plz.mdb"));
    const CliRun run = cli({s("plz-import"), target, csv[0], csv[1], csv[2]});
    EXPECT_EQ(run.out, s("Postleitzahlen-Datenbank geschrieben: %1\nDeutschland: 11 Postleitzahlen\n"
                         "Österreich: 4 Postleitzahlen\nSchweiz: 3 Postleitzahlen\n").arg(target)) << run.err.toStdString();
    plz::PostalCodeLookup built;
    ASSERT_TRUE(built.open(target)) << built.problem().toStdString();
    EXPECT_TRUE(cli({s("--help")}).out.contains(s("plz-import ZIEL.mdb DE.csv AT.csv CH.csv")));
}

TEST_F(Cli, EveryWrongCallAndRefusedFileSaysWhyAndLeavesEverythingAsItWas)
{
    const QString id = QString::number(invoice());
    const QString folder = path("Ordner.qtb"), foreign = path("notiz.qtb"), empty = path("leer.qtb"),
                  missing = path("fehlt.qtb"), other = path("andere.qtb"), out = path("ausgabe.txt");
    QString message;
    ASSERT_TRUE(Database::createFromTemplate(other, QLatin1Char(','), &message)) << message.toStdString();
    ASSERT_TRUE(QDir(db.folder()).mkdir(s("Ordner.qtb")) && testfiles::writeBytes(foreign, "keine Datenbank")
                && testfiles::writeBytes(empty, "") && testfiles::writeBytes(path("kaputt.qtb"), QByteArray("SQLite format 3\0 aber sonst nichts", 34)));
    test::PostalCodeFixture plzFiles;
    const auto csv = plzFiles.csvFiles();
    const QString plzTarget = plzFiles.buildDatabase();
    const QString letter = plzFiles.writeFile(s("Brief.mdb"), s("Sehr geehrte Damen und Herren"));
    const QByteArray plzBefore = fileHash(plzTarget), foreignBefore = fileHash(foreign), otherBefore = fileHash(other);
    const QStringList before = entries(db.folder());

    struct Row {
        QStringList args;
        int code;         // 0: any refusal
        const char* says; // part of the message, or ""
    };
    const QString d = db.path();
    std::vector<Row> rows{
        {{}, 1, ""},
        {{s("zaubern")}, 1, "Unbekannter Befehl"},
        {{s("customers-txt"), d}, 1, "Aufruf: quittora-cli customers-txt DATEI AUSGABE"},
        {{s("plz-import"), plzTarget, csv[0], csv[1], plzFiles.filePath(s("fehlt.csv"))}, 2, "fehlt.csv“ kann nicht gelesen werden"},
        {{s("plz-import"), letter, csv[0], csv[1], csv[2]}, 2, "ist keine Postleitzahlen-Datenbank und wird nicht ersetzt"},
        {{s("plz-import"), path("plz.mdb"), path("DE.csv"), path("AT.csv"), path("CH.csv")}, 0, "DE.csv"},
        {{s("restore"), path("usb/Quittora.qtb"), d}, 2, "Datei nicht gefunden !"},
        {{s("restore"), path("kaputt.qtb"), d}, 2, "Die Sicherungsdatei ist beschädigt"},
        {{s("backup"), d, d.toUpper()}, 2, "Sicherungspfad identisch mit Programmpfad !"},
        {{s("backup"), d, foreign + s("/sicherung.qtb")}, 0, ""},
        {{s("print"), d, s("--document"), s("999"), s("--out"), out}, 2, "Es gibt kein Dokument mit der ID 999."},
        {{s("generate"), path("neu.qtb"), s("--documents"), s("viele")}, 1,
         "Der Wert von --documents muss eine ganze Zahl sein (angegeben: \"viele\")."},
    };
    const auto add = [&](const QStringList& head, std::initializer_list<const char*> tail, int code = 0) {
        rows.push_back({head + args(tail), code, ""});
    };
    for (const char* command : {"init", "info", "eml", "zugferd", "overview", "customers-txt", "customers-csv", "pdf", "print",
                                "backup", "restore", "generate", "plz-import"})
        rows.push_back({{s(command)}, 1, "Aufruf: quittora-cli"});
    for (const char* number : {"'", "1e999", "99999999999999999999", "", "-1"})
        add({s("eml"), d, s("--document"), s(number), s("--out"), out}, {});
    for (const char* year : {"abc", "-0", " 2024", "", "99999"})
        add({s("overview"), d}, {"--month", "März", "--year", year});
    for (const char* count : {"abc", "-5", "1e999", ",,", "-3"})
        add({s("generate"), path("neu.qtb")}, {"--documents", count});
    add({s("generate"), path("neu.qtb")}, {"--unbekannt", "1"}, 1);
    for (const char* month : {"Maerz", "13"})
        add({s("overview"), d}, {"--month", month, "--year", "2024"}, 1);
    add({s("overview"), d}, {"--month", "Mai", "--year", "2024", "--gestern"}, 1);
    add({s("print"), d, s("--document"), id}, {}, 1);
    for (const char* option : {"--farbig", "--mahntext"})
        add({s("print"), d, s("--document"), id, s("--out"), out}, {option}, 1);
    // Database files that are missing, a folder, foreign or empty.
    for (const QString& file : {missing, folder, foreign, empty}) {
        for (QStringList a : {QStringList{s("info")}, {s("eml"), s("--document"), id, s("--out"), out},
                              {s("overview"), s("--month"), s("März"), s("--year"), s("2024"), s("--out"), out}, {s("customers-txt"), out},
                              {s("pdf"), s("--document"), id, s("--out"), out}, {s("backup"), path("sicherung.qtb")}, {s("restore"), other}}) {
            a.insert(1, file);
            rows.push_back({a, 0, ""});
        }
    }
    // Outputs that are a database, a folder, in a missing folder or under a
    // plain file; a mistyped output never replaces a database.
    for (const QString& target : {d, other, folder, path("fehlt/ausgabe.txt"), foreign + s("/ausgabe.txt")}) {
        const char* why = target == d || target == other ? "ist eine Datenbank und wird nicht überschrieben" : "";
        rows.push_back({{s("pdf"), d, s("--document"), id, s("--out"), target}, 0, why});
        rows.push_back({{s("eml"), d, s("--document"), id, s("--out"), target}, 0, why});
        rows.push_back({{s("customers-csv"), d, target}, 0, target.contains(s("fehlt/")) ? "konnte nicht geschrieben werden" : ""});
        rows.push_back({{s("overview"), d, s("--month"), s("März"), s("--year"), s("2024"), s("--out"), target}, 0, ""});
    }

    // Restoring onto a file another program has marked as open.
    std::optional<safety::InUseMark> program(std::in_place, other);
    ASSERT_TRUE(program->held());
    rows.push_back({{s("restore"), d, other}, 2, "Die Datendatei wird gerade benutzt."});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(QLatin1Char(' ')).toStdString());
        const CliRun run = cli(row.args);
        EXPECT_TRUE(row.code ? run.exitCode == row.code : run.exitCode > 0) << run.exitCode << run.err.toStdString(); // a crash: -1
        EXPECT_TRUE(!run.err.trimmed().isEmpty() && run.err.contains(s(row.says)) && !test::looksEnglish(run.err)
                    && !run.err.contains(s("Datenträger ist voll"))) << run.err.toStdString();
        if ((row.args.value(0) == s("overview") && !row.args.contains(s("--out"))) || row.args.value(0) == s("info")) {
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        }
    }
    program.reset();
    EXPECT_TRUE(entries(db.folder()) == before && QDir(folder).isEmpty() && QFileInfo(empty).size() == 0)
        << entries(db.folder()).join(s(" ")).toStdString();
    EXPECT_EQ(QList<QByteArray>({fileHash(foreign), fileHash(other), fileHash(plzTarget), TempDatabase::readFile(letter)}),
              QList<QByteArray>({foreignBefore, otherBefore, plzBefore, "Sehr geehrte Damen und Herren"}));
    EXPECT_FALSE(QFileInfo::exists(plzFiles.filePath(s("plz.mdb"))));
    EXPECT_EQ(db.count(s("Rechnungen")) * 10 + db.count(s("Verkauf")), 12);
}


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
    EXPECT_TRUE(!numbers.contains(QString()) && numbers.size() == invoices.size()) << "a number was given twice or not at all";
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), QString::number(1000 + invoices.size()));
}

// A backup killed (kill -9) while its temporary file exists: the next backup
// clears what it left, and its result is right. The other writers share the
// same clearing of leftovers.
TEST_F(Robustness, ABackupKilledHalfwayLeavesNothingAfterTheNextRun)
{
    // Large enough that copying it takes a moment.
    const QString source = home.filePath(s("Quelle.qtb"));
    const CliRun made = cli({s("generate"), source, s("--documents"), s("3000"), s("--customers"), s("300"),
                             s("--articles"), s("300")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString usb = home.filePath(s("usb"));
    ASSERT_TRUE(QDir().mkpath(usb));
    const QStringList backup{s("backup"), source, usb};
    const QRegularExpression temp(s("^\\.Quittora\\.qtb\\.sicherung-"));
    const auto temps = [&] { return QDir(usb).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(temp); };
    int caught = 0;
    for (int attempt = 0; attempt < 30 && caught < 2; ++attempt) {
        QProcess p;
        p.setProcessEnvironment(env());
        p.start(s(QUITTORA_CLI), backup);
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
    const CliRun again = cli(backup);
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(entries(usb), QStringList{s("Quittora.qtb")});
    EXPECT_EQ(cli({s("info"), usb + s("/Quittora.qtb")}).out, cli({s("info"), source}).out);
}

// The writers of output files, in this process, whose files may grow to 4 KiB
// only (EFBIG, as a disk that runs full in the middle of the file; no root
// needed): refused with the true reason, no file under the target name and no
// temporary one; an earlier file stays (except the exchange file, whose
// earlier address would be taken for the new one). The PDF and the e-mail
// write through the same whole-file writer as the export file.
TEST(OutputFaults, AWriteThatFailsHalfwayLeavesNoFileAndSaysWhy)
{
    const QByteArray big(64 * 1024, 'x');
    customers::Address address;
    address.name = s("Müller");
    address.notes = QString(20000, QLatin1Char('n'));
    const struct {
        const char* name;
        std::function<bool(const QString&, QString*)> write;
        bool keepsOlderFile;
    } writers[] = {
        {"export file", [&](const QString& path, QString* e) { return replaceFile(path, big, e); }, true},
        {"exchange file", [&](const QString& path, QString* e) { return customers::writeExchangeFile(path, address, e); }, false},
    };
    for (const auto& w : writers) {
        for (const bool older : {false, true}) {
            SCOPED_TRACE(std::string(w.name) + (older ? " over an older file" : ""));
            QTemporaryDir dir;
            const QString path = dir.filePath(s("ausgabe"));
            ASSERT_TRUE(!older || testfiles::writeBytes(path, "alt"));
            QString error;
            const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
            rlimit old{};
            ::getrlimit(RLIMIT_FSIZE, &old);
            rlimit limit = old;
            limit.rlim_cur = 4096;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            const bool written = w.write(path, &error);
            ::setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldSignal);
            EXPECT_TRUE(!written && error.contains(s("Die Datei ist zu groß für den Datenträger.")) && !test::looksEnglish(error))
                << error.toStdString();
            const bool kept = older && w.keepsOlderFile;
            EXPECT_TRUE(entries(dir.path()) == (kept ? QStringList{s("ausgabe")} : QStringList())
                        && testfiles::bytesOf(path) == (kept ? QByteArray("alt") : QByteArray()));
            ASSERT_TRUE(w.write(path, &error)) << error.toStdString(); // without the limit
            EXPECT_TRUE(QFileInfo(path).size() > 4096 && entries(dir.path()) == QStringList{s("ausgabe")});
        }
    }
}
