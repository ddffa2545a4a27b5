// quittora-cli as a script or a scheduled job calls it: each command once the
// way it works, then every wrong call and refused file of all commands in one
// table. A refusal says why in German, exits other than 0 and leaves nothing.
#include "export/Overview.h"
#include "print/PdfWords.h"
#include "safety/Backup.h"
#include "support/CliRunner.h"
#include "support/GermanText.h"
#include "support/PostalCodeFixture.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"
#include "tools/PostalCodeLookup.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <tuple>

using namespace quittora;
using quittora::test::CliRun;
using quittora::test::fileHash;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// Own settings and runtime folders, so the user's are never touched.
class Cli : public ::testing::Test {
protected:
    CliRun cli(const QStringList& args, const char* locale = "C.UTF-8") const
    {
        QProcessEnvironment env;
        env.insert(s("XDG_CONFIG_HOME"), home.filePath(s("config")));
        env.insert(s("XDG_RUNTIME_DIR"), home.path());
        env.insert(s("LC_ALL"), s(locale));
        return test::runCli(args, env, {s("QT_QPA_PLATFORM")}); // the commands pick offscreen themselves
    }
    QString path(const char* name) const { return db.filePath(s(name)); }
    QStringList files() const
    {
        return QDir(db.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
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

} // namespace

TEST_F(Cli, InitInfoGenerateAndTheirRefusals)
{
    const QString made = path("neu/Quittora.qtb");
    ASSERT_EQ(cli({s("init"), made}).exitCode, 0);
    EXPECT_EQ(cli({s("info"), made}).out, s("Rechnungen: 0\nPositionen: 0\nKunden: 1\nArtikel: 1\n"));
    const QByteArray before = fileHash(made);
    EXPECT_EQ(cli({s("init"), made}).exitCode, 2);
    EXPECT_EQ(fileHash(made), before);

    const qint64 doc = db.addDocument(s("1000"), s("01.03.2024"));
    db.addDocument({}, s("01.03.2024"), s("Angebot"));
    for (int i = 0; i < 3; ++i)
        db.addLine(doc, s("1"), s("x"), s("1,00"), s("1,00"));
    db.addCustomer(s("Müller"));
    EXPECT_EQ(cli({s("info"), db.path()}).out, s("Rechnungen: 2\nPositionen: 3\nKunden: 2\nArtikel: 1\n"));

    const auto generate = [&](const QString& file, const char* seed) {
        return cli({s("generate"), file, s("--documents"), s("30"), s("--customers"), s("12"), s("--articles"), s("9"),
                    s("--lines-per-document"), s("3"), s("--seed"), s(seed)});
    };
    const QString a = path("a.qtb");
    const CliRun r = generate(a, "5");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(s("Datenbank erzeugt: ") + a + s("\nRechnungen: 30\nPositionen: "))) << r.out.toStdString();
    EXPECT_TRUE(Database::checkFile(a).isEmpty());
    const QString info = cli({s("info"), a}).out;
    EXPECT_TRUE(info.startsWith(s("Rechnungen: 30\n")) && info.endsWith(s("Kunden: 12\nArtikel: 9\n"))) << info.toStdString();
    // The lines reported are the lines in the file.
    EXPECT_TRUE(r.out.contains(s("\n") + info.section(QLatin1Char('\n'), 1, 1) + s("\nKunden: 12\nArtikel: 9\n")));
    ASSERT_EQ(generate(path("b.qtb"), "5").exitCode, 0);
    EXPECT_EQ(fileHash(path("b.qtb")), fileHash(a)) << "the same seed gives the same file";
    const QByteArray generated = fileHash(a);
    const CliRun again = generate(a, "6");
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(again.err.contains(s("existiert bereits"))) << again.err.toStdString();
    EXPECT_EQ(fileHash(a), generated);
}

TEST_F(Cli, BackupRestoreAndTheProgramsMark)
{
    QString message;
    const QString data = path("Firma.qtb");
    ASSERT_TRUE(Database::createFromTemplate(data, QLatin1Char(','), &message)) << message.toStdString();
    ASSERT_TRUE(QDir(db.folder()).mkdir(s("usb")));
    const QString target = path("usb/Quittora.qtb"); // a folder stands for the backup file in it
    const CliRun backup = cli({s("backup"), data, path("usb")});
    ASSERT_EQ(backup.exitCode, 0) << backup.err.toStdString();
    EXPECT_TRUE(backup.out.contains(target));
    EXPECT_EQ(cli({s("info"), target}).out, s("Rechnungen: 0\nPositionen: 0\nKunden: 1\nArtikel: 1\n"));

    ASSERT_TRUE(testfiles::execOn(data, "INSERT INTO Kunden(a2) VALUES('Nach der Sicherung')"));
    const QByteArray changed = fileHash(data);
    {
        safety::InUseMark program(data);
        ASSERT_TRUE(program.held());
        const CliRun refused = cli({s("restore"), target, data});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.err.startsWith(s("Die Datendatei wird gerade benutzt."))) << refused.err.toStdString();
        EXPECT_EQ(fileHash(data), changed);
        EXPECT_EQ(cli({s("backup"), data, path("usb/zweite.qtb")}).exitCode, 0) << "a backup is fine meanwhile";
    }
    const CliRun restore = cli({s("restore"), target, data});
    ASSERT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    EXPECT_TRUE(restore.out.contains(s("Sicherheitskopie")));
    EXPECT_EQ(cli({s("info"), data}).out, s("Rechnungen: 0\nPositionen: 0\nKunden: 1\nArtikel: 1\n"));
}

// The lists' format is checked in-process; here what the command adds: all
// customers by name, the count said, an older file replaced whole.
TEST_F(Cli, CustomerListsOfAllCustomersByName)
{
    db.addCustomer(s("Zander"), {}, {{s("a5"), s("1010 Wien")}});
    db.addCustomer(s("Becker; Söhne"), s("Eva"));
    const QString txt = path("liste.txt"), csv = path("Kundenliste.csv");
    writeFile(csv, QByteArray(300, 'x'));
    const CliRun run = cli({s("customers-txt"), db.path(), txt});
    EXPECT_TRUE(run.exitCode == 0 && run.out.contains(s("3 Kunden"))) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(TempDatabase::readFile(txt).startsWith(s("\r\nEva Becker; Söhne\r\n").toUtf8()));
    ASSERT_EQ(cli({s("customers-csv"), db.path(), csv}).exitCode, 0);
    EXPECT_EQ(TempDatabase::readFile(csv), s("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n;\"Becker; Söhne\";Eva;;;\r\n"
                                             "Herrn;Mustermann;Max;;Musterweg 5;12345 Musterstadt\r\n;Zander;;;;1010 Wien\r\n").toUtf8());
}

TEST_F(Cli, OverviewPrintsTheListAndTheTotalUnderEitherSeparator)
{
    TempDatabase dot(QLatin1Char('.'));
    for (TempDatabase* t : {&db, &dot}) {
        const bool comma = t == &db;
        t->addDocument(s("11"), s("03.05.2024"), s("Rechnung"), false,
                       {{s("a6"), s(comma ? "100,00" : "100.00")}, {s("a2"), s("Anna Schmidt")}, {s("a5"), s("50667 Köln")}});
        t->addDocument(s("12"), s("20.05.2024"), s("Rechnung"), false, {{s("a6"), s(comma ? "19,50" : "19.50")}});
        t->addDocument(s(""), s("21.05.2024"), s("Rechnung"), false, {{s("a6"), s("500")}});
        t->addDocument(s("13"), s("22.05.2024"), s("Rechnung"), false, {{s("a6"), s("offen")}});
        t->addDocument(s("14"), s("23.05.2024"), s("Rechnung"), true, {{s("a6"), s("7")}});
        t->addDocument(s("15"), s("24.05.2024"), s("Angebot"), false, {{s("a6"), s("9")}});
    }
    const QString plan = path("Plan.txt");
    CliRun r = cli({s("overview"), dot.path(), s("--month"), s("Mai"), s("--year"), s("2024"), s("--out"), plan});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QList<overview::Row> rows;
    ASSERT_TRUE(overview::readRows(dot.db(), *overview::monthFilter(s("Mai"), s("2024"), overview::PaidState::Open), &rows));
    ASSERT_EQ(rows.size(), 4);
    const QByteArray expected = overview::planText(s("offene Rechnungen  Mai / 2024"), rows);
    EXPECT_EQ(TempDatabase::readFile(plan), expected);
    EXPECT_EQ(r.out.toUtf8(), QByteArray(expected).replace("\r\n", "\n") + "Summe: 119.50\n");

    r = cli({s("overview"), db.path(), s("--month"), s("Mai"), s("--year"), s("2024")}, "de_DE.UTF-8");
    EXPECT_TRUE(r.out.endsWith(s("\nSumme: 119,50\n"))) << r.out.toStdString();
    r = cli({s("overview"), db.path(), s("--bezahlt"), s("--month"), s("Mai"), s("--year"), s("2024")}, "de_DE.UTF-8");
    EXPECT_TRUE(r.out.startsWith(s("bezahlte Rechnungen  Mai / 2024\n")) && r.out.contains(s("\n14 "))
                && r.out.endsWith(s("\nSumme: 7,00\n"))) << r.out.toStdString();
    // An empty selection prints a zero total and writes no file.
    QFile::remove(plan);
    r = cli({s("overview"), db.path(), s("--month"), s("Juni"), s("--year"), s("2024"), s("--out"), plan}, "de_DE.UTF-8");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.endsWith(s("\nSumme: 0,00\n")));
    EXPECT_FALSE(QFile::exists(plan));
}

TEST_F(Cli, EmlNumbersTheInvoiceAndFollowsThePriceBasisSetting)
{
    TempDatabase t(QLatin1Char('.'));
    ASSERT_TRUE(t.exec(s("UPDATE Einstellungen SET MWSt = '19', frei9 = '7', Rechnungsnummer = '500'")));
    const qint64 customer = t.addCustomer(s("Kunde"), {}, {{s("a40"), s("kunde@example.de")}});
    const qint64 doc = t.addDocument(s(""), s("01.03.2024"), s("Rechnung"), false, {{s("b1"), QString::number(customer)}});
    t.addLine(doc, s("1"), s("Arbeit"), s("100.00"), s("100.00"), s("19"));
    const QString out = t.filePath(s("Rechnung.eml"));
    const QStringList call{s("eml"), t.path(), s("--document"), QString::number(doc), s("--out"), out};
    const CliRun r = cli(call);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray file = TempDatabase::readFile(out);
    EXPECT_TRUE(file.startsWith("To: <kunde@example.de>\r\nSubject: Ihre Rechnung\r\n"));
    EXPECT_TRUE(QByteArray(file).replace("=\r\n", "").contains("zuz=C3=BCglich MwSt."));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("a7")).toString() + t.field(s("Rechnungen"), doc, s("a6")).toString()
                  + t.field(s("Rechnungen"), doc, s("b10")).toString() + t.setting(s("Rechnungsnummer")).toString(),
              s("500119.00kunde@example.de501"));

    // Gross prices from the per-user setting, as the program reads them.
    ASSERT_TRUE(QDir().mkpath(home.filePath(s("config/Quittora pro"))));
    writeFile(home.filePath(s("config/Quittora pro/Quittora pro.conf")), "[Startup]\nRechnungsbasis=1\n");
    ASSERT_EQ(cli(call).exitCode, 0);
    EXPECT_TRUE(TempDatabase::readFile(out).replace("=\r\n", "").contains("enthaltene MwSt."));
    EXPECT_EQ(t.field(s("Rechnungen"), doc, s("a6")).toString(), s("100.00"));

    // Without --out the file goes to the private temporary folder.
    const CliRun temp = cli({s("eml"), t.path(), s("--document"), QString::number(doc)});
    ASSERT_EQ(temp.exitCode, 0) << temp.err.toStdString();
    const QString tempFile = home.filePath(s("quittora-tmp/Quittora.eml"));
    EXPECT_TRUE(QFile::exists(tempFile) && temp.out.contains(tempFile));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(home.filePath(s("quittora-tmp"))).permissions() & others, QFile::Permissions());
}

// The layouts are checked in-process; here the options of the command.
TEST_F(Cli, PdfPrintsInvoiceDeliveryNoteAndReminder)
{
    const QString id = QString::number(invoice()), pdf = path("rechnung.pdf");
    const auto print = [&](const QStringList& options) {
        const CliRun r = cli(QStringList{s("pdf"), db.path(), s("--document"), id, s("--out"), pdf} + options, "de_DE.UTF-8");
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        QString error, words;
        for (const auto& w : quittora::testing::pdfWords(pdf, &error))
            words += w.text + QLatin1Char(' ');
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return std::pair(r.out, words);
    };
    auto [out, words] = print({s("--lieferschein")});
    EXPECT_TRUE(words.contains(s("Lieferschein")) && !words.contains(s("EUR"))) << words.toStdString();
    EXPECT_EQ(db.field(s("Rechnungen"), id.toLongLong(), s("a7")).toString(), QString()) << "a delivery note gives no number";
    std::tie(out, words) = print({});
    EXPECT_TRUE(out.contains(s("Rechnungsnummer vergeben: 1000"))) << out.toStdString();
    EXPECT_EQ(db.field(s("Rechnungen"), id.toLongLong(), s("a7")).toString() + db.setting(s("Rechnungsnummer")).toString(), s("10001001"));
    for (const char* word : {"Rechnung ", "1000 ", "Wandfarbe ", "123,82 "}) // 119,00 + 4,82
        EXPECT_TRUE(words.contains(s(word))) << word;
    EXPECT_FALSE(words.contains(s("Zahlungserinnerung")));
    // A second print keeps the number.
    std::tie(out, words) = print({s("--mahntext"), s("Zahlungserinnerung ! - Wir bitten um Begleichung dieser Rechnung")});
    EXPECT_FALSE(out.contains(s("vergeben")));
    EXPECT_EQ(db.setting(s("Rechnungsnummer")).toString(), s("1001"));
    for (const QString& word : {s("Zahlungserinnerung"), QDate::currentDate().toString(s("dd.MM.yyyy")), s("15.03.2024")})
        EXPECT_TRUE(words.contains(word)) << word.toStdString();
    // "print" is the same command.
    EXPECT_EQ(cli({s("print"), db.path(), s("--document"), id, s("--out"), path("zwei.pdf")}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(path("zwei.pdf")));
}

TEST_F(Cli, PostalCodeImportBuildsAndRefreshesTheDatabase)
{
    test::PostalCodeFixture files;
    const auto csv = files.csvFiles();
    const QString target = files.filePath(s("bin/plz.mdb"));
    CliRun run = cli({s("plz-import"), target, csv[0], csv[1], csv[2]});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, s("Postleitzahlen-Datenbank geschrieben: %1\nDeutschland: 11 Postleitzahlen\n"
                         "Österreich: 4 Postleitzahlen\nSchweiz: 3 Postleitzahlen\n").arg(target));
    {
        plz::PostalCodeLookup lookup;
        ASSERT_TRUE(lookup.open(target)) << lookup.problem().toStdString();
        EXPECT_TRUE(lookup.search(s("10115")));
        EXPECT_EQ(lookup.current().ort, s("Berlin"));
    }

    files.writeFile(s("at.csv"), s(test::PostalCodeFixture::kHeader)
                                     + s("AT,6020,Innsbruck,Tirol,07,,,,,47.26,11.39\nAT,,ohne Postleitzahl,Tirol,07,,,,,0,0\n"));
    run = cli({s("plz-import"), target, csv[0], csv[1], csv[2]});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(s("Österreich: 1 Postleitzahlen (1 Zeilen ohne Postleitzahl oder Ort übersprungen)\n")))
        << run.out.toStdString();
    plz::PostalCodeLookup refreshed;
    ASSERT_TRUE(refreshed.open(target));
    refreshed.setCountry(plz::Country::Oesterreich);
    EXPECT_EQ(refreshed.recordCount(), 1);
    EXPECT_TRUE(cli({s("--help")}).out.contains(s("plz-import ZIEL.mdb DE.csv AT.csv CH.csv")));
}

TEST_F(Cli, EveryWrongCallAndRefusedFileSaysWhyAndLeavesEverythingAsItWas)
{
    const QString id = QString::number(invoice());
    const QString folder = path("Ordner.qtb"), foreign = path("notiz.qtb"), empty = path("leer.qtb"),
                  missing = path("fehlt.qtb"), other = path("andere.qtb"), out = path("ausgabe.txt");
    ASSERT_TRUE(QDir(db.folder()).mkdir(s("Ordner.qtb")));
    writeFile(foreign, "keine Datenbank");
    writeFile(empty, "");
    writeFile(path("kaputt.qtb"), QByteArray("SQLite format 3\0 aber sonst nichts", 34));
    QString message;
    ASSERT_TRUE(Database::createFromTemplate(other, QLatin1Char(','), &message)) << message.toStdString();
    test::PostalCodeFixture plzFiles;
    const auto csv = plzFiles.csvFiles();
    const QString plzTarget = plzFiles.buildDatabase();
    const QString letter = plzFiles.writeFile(s("Brief.mdb"), s("Sehr geehrte Damen und Herren"));
    const QByteArray plzBefore = fileHash(plzTarget), foreignBefore = fileHash(foreign), otherBefore = fileHash(other);
    const QStringList before = files();

    struct Row {
        QStringList args;
        int code;          // 0: any refusal
        const char* says;  // part of the message, or ""
    };
    std::vector<Row> rows{
        {{}, 1, ""},
        {{s("zaubern")}, 1, "Unbekannter Befehl"},
        {{s("customers-txt"), db.path()}, 1, "Aufruf: quittora-cli customers-txt DATEI AUSGABE"},
        {{s("customers-csv"), db.path()}, 1, "Aufruf: quittora-cli customers-csv DATEI AUSGABE"},
        {{s("plz-import"), path("plz.mdb"), csv[0]}, 1, "Aufruf: quittora-cli plz-import ZIEL.mdb DE.csv AT.csv CH.csv\n"},
        {{s("plz-import"), plzTarget, csv[0], csv[1], plzFiles.filePath(s("fehlt.csv"))}, 2, "fehlt.csv“ kann nicht gelesen werden"},
        {{s("plz-import"), letter, csv[0], csv[1], csv[2]}, 2, "ist keine Postleitzahlen-Datenbank und wird nicht ersetzt"},
        {{s("plz-import"), path("plz.mdb"), path("DE.csv"), path("AT.csv"), path("CH.csv")}, 0, "DE.csv"},
        {{s("restore"), path("usb/Quittora.qtb"), db.path()}, 2, "Datei nicht gefunden !"},
        {{s("restore"), path("kaputt.qtb"), db.path()}, 2, "Die Sicherungsdatei ist beschädigt"},
        {{s("backup"), db.path(), db.path().toUpper()}, 2, "Sicherungspfad identisch mit Programmpfad !"},
        {{s("backup"), db.path()}, 1, ""},
        {{s("backup"), foreign, path("sicherung.qtb")}, 0, "keine "},
        {{s("backup"), folder, path("sicherung.qtb")}, 0, "ist ein Ordner"},
        {{s("print"), db.path(), s("--document"), s("999"), s("--out"), out}, 2, "Es gibt kein Dokument mit der ID 999."},
        {{s("eml"), db.path(), s("--document"), s("4711"), s("--out"), out}, 2, ""},
        {{s("overview"), db.path(), s("--month"), s("Mai")}, 1, ""},
        {{s("overview"), db.path(), s("--month"), s("Maerz"), s("--year"), s("2024")}, 1, ""},
        {{s("overview"), db.path(), s("--month"), s("13"), s("--year"), s("2024")}, 1, ""},
        {{s("overview"), db.path(), s("--month"), s("Mai"), s("--year"), s("2024"), s("--gestern")}, 1, ""},
        {{s("generate"), path("neu.qtb"), s("--customers"), s("0")}, 1,
         "Die Anzahl der Kunden muss zwischen 1 und 1000000 liegen (angegeben: 0).\n"},
        {{s("generate"), path("neu.qtb"), s("--documents"), s("-3")}, 1, "Dokumente"},
        {{s("generate"), path("neu.qtb"), s("--documents"), s("viele")}, 1,
         "Der Wert von --documents muss eine ganze Zahl sein (angegeben: \"viele\")."},
        {{s("generate"), path("neu.qtb"), s("--seed"), s("-1")}, 1, "--seed"},
        {{s("generate"), path("neu.qtb"), s("--unbekannt"), s("1")}, 1, ""},
    };
    for (const char* command : {"init", "info", "eml", "overview", "customers-txt", "customers-csv", "pdf", "print",
                                "backup", "restore", "generate", "plz-import"})
        rows.push_back({{s(command)}, 1, "Aufruf: quittora-cli"});
    for (const char* number : {"'", "1e999", "99999999999999999999", ",,", "", "-1"})
        rows.push_back({{s("eml"), db.path(), s("--document"), s(number), s("--out"), out}, 0, ""});
    for (const char* year : {"abc", "1e999", "-0", "'", " 2024", "", "99999"})
        rows.push_back({{s("overview"), db.path(), s("--month"), s("März"), s("--year"), s(year)}, 0, ""});
    for (const char* count : {"abc", "-5", "1e999", ",,"})
        rows.push_back({{s("generate"), path("neu.qtb"), s("--documents"), s(count)}, 0, ""});
    rows.push_back({{s("generate"), path("neu.qtb"), s("--articles"), s("99999999999999999999999")}, 1, ""});
    rows.push_back({{s("eml"), db.path(), s("--document"), s("vier"), s("--out"), out}, 1, ""});
    rows.push_back({{s("print"), db.path(), s("--document"), id}, 1, ""});
    for (const char* option : {"--farbig", "--mahntext"})
        rows.push_back({{s("print"), db.path(), s("--document"), id, s("--out"), out, s(option)}, 1, ""});
    rows.push_back({{s("pdf"), db.path(), s("--document"), s("eins"), s("--out"), out}, 1, ""});
    rows.push_back({{s("pdf"), db.path(), s("--document"), id, s("--out"), out, s("--mahntext"), s("a"), s("--mahntext"), s("b")}, 1, ""});
    // Database files that are missing, a folder, foreign or empty.
    for (const QString& file : {missing, folder, foreign, empty}) {
        for (QStringList args : {QStringList{s("info")}, {s("eml"), s("--document"), id, s("--out"), out},
                                 {s("overview"), s("--month"), s("März"), s("--year"), s("2024"), s("--out"), out},
                                 {s("customers-txt"), out}, {s("customers-csv"), out},
                                 {s("pdf"), s("--document"), id, s("--out"), out}, {s("backup"), path("sicherung.qtb")},
                                 {s("restore"), other}}) {
            args.insert(1, file);
            rows.push_back({args, 0, ""});
        }
    }
    // Outputs that are a database, a folder, in a missing folder or under a
    // plain file; a mistyped output never replaces a database.
    for (const QString& target : {db.path(), other, folder, path("fehlt/ausgabe.txt"), foreign + s("/ausgabe.txt")}) {
        const bool database = target == db.path() || target == other;
        const char* why = database ? "ist eine Datenbank und wird nicht überschrieben" : "";
        rows.push_back({{s("pdf"), db.path(), s("--document"), id, s("--out"), target}, 0, why});
        rows.push_back({{s("eml"), db.path(), s("--document"), id, s("--out"), target}, 0, why});
        rows.push_back({{s("customers-txt"), db.path(), target}, 0, ""});
        rows.push_back({{s("customers-csv"), db.path(), target}, 0, target.contains(s("fehlt/")) ? "konnte nicht geschrieben werden" : ""});
        rows.push_back({{s("overview"), db.path(), s("--month"), s("März"), s("--year"), s("2024"), s("--out"), target}, 0, ""});
    }
    rows.push_back({{s("init"), folder}, 0, ""});
    rows.push_back({{s("init"), foreign + s("/neu.qtb")}, 0, ""});
    rows.push_back({{s("backup"), db.path(), foreign + s("/sicherung.qtb")}, 0, ""});
    // A folder this user may not write into (root may write anywhere).
    const QString readOnly = home.filePath(s("schreibgeschützt"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool enforced = !QFile(readOnly + s("/probe")).open(QIODevice::WriteOnly);
    QFile::remove(readOnly + s("/probe"));
    if (enforced) {
        const QString target = readOnly + s("/ausgabe");
        for (QStringList args : {QStringList{s("pdf"), db.path(), s("--document"), id, s("--out"), target},
                                 {s("eml"), db.path(), s("--document"), id, s("--out"), target},
                                 {s("customers-txt"), db.path(), target}, {s("customers-csv"), db.path(), target},
                                 {s("init"), target + s(".qtb")}, {s("backup"), db.path(), target + s(".qtb")}})
            rows.push_back({args, 0, ""});
    }

    for (const Row& row : rows) {
        const std::string call = row.args.join(QLatin1Char(' ')).toStdString();
        SCOPED_TRACE(call);
        const CliRun run = cli(row.args);
        EXPECT_TRUE(row.code ? run.exitCode == row.code : run.exitCode > 0) << run.exitCode << run.err.toStdString(); // a crash: -1
        EXPECT_FALSE(run.err.trimmed().isEmpty());
        EXPECT_TRUE(run.err.contains(s(row.says))) << run.err.toStdString();
        EXPECT_FALSE(test::looksEnglish(run.err)) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(s("Datenträger ist voll"))) << "no full disk here: " << run.err.toStdString();
        if ((row.args.value(0) == s("overview") && !row.args.contains(s("--out"))) || row.args.value(0) == s("info"))
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_TRUE(QDir(readOnly).isEmpty());
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(fileHash(foreign), foreignBefore);
    EXPECT_EQ(fileHash(other), otherBefore);
    EXPECT_EQ(fileHash(plzTarget), plzBefore);
    EXPECT_EQ(TempDatabase::readFile(letter), QByteArray("Sehr geehrte Damen und Herren"));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(plzFiles.filePath(s("plz.mdb"))));
    EXPECT_EQ(db.count(s("Rechnungen")), 1);
    EXPECT_EQ(db.count(s("Verkauf")), 2);
    EXPECT_EQ(cli({s("info"), other}).exitCode, 0);
}
