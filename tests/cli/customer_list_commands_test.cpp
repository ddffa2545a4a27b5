#include "support/CliRunner.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace quittora;
using quittora::test::CliRun;
using quittora::test::cLocale;
using quittora::test::runCli;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

CliRun cli(const QStringList& args)
{
    return runCli(args, cLocale());
}

class CustomerListCli : public ::testing::Test {
protected:
    TempDatabase t;

    void SetUp() override
    {
        ASSERT_TRUE(t.isValid()) << t.error().toStdString();
        // Besides the template's "Max Mustermann": one without first name,
        // one whose name holds the separator of the mail merge.
        t.addCustomer(s("Zander"), {}, {{s("a1"), s("Firma")}, {s("a4"), s("Ring 3")}, {s("a5"), s("1010 Wien")},
                                        {s("a6"), s("01 234")}});
        t.addCustomer(s("Becker; Söhne"), s("Eva"), {{s("a8"), s("z. Hd. \"Einkauf\"")}});
    }
};

} // namespace

TEST_F(CustomerListCli, AddressListOfAllCustomersByName)
{
    const QString out = t.filePath(s("liste.txt"));
    const CliRun run = cli({s("customers-txt"), t.path(), out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(s("3 Kunden"))) << run.out.toStdString();
    EXPECT_EQ(TempDatabase::readFile(out),
              s("\r\n"
                "Eva Becker; Söhne\r\n"
                "z. Hd. \"Einkauf\"\r\n"
                "\r\n"
                "\r\n"
                "Telefon: \r\n"
                "Fax: \r\n"
                "\r\n"
                "\r\n"
                "Herrn\r\n"
                "Max Mustermann\r\n"
                "\r\n"
                "Musterweg 5\r\n"
                "12345 Musterstadt\r\n"
                "Telefon: \r\n"
                "Fax: \r\n"
                "\r\n"
                "\r\n"
                "Firma\r\n"
                "Zander\r\n"
                "\r\n"
                "Ring 3\r\n"
                "1010 Wien\r\n"
                "Telefon: 01 234\r\n"
                "Fax: \r\n"
                "\r\n"
                "\r\n")
                  .toUtf8());
}

TEST_F(CustomerListCli, MailMergeFileKeepsItsColumnsAndReplacesAnOlderFile)
{
    const QString out = t.filePath(s("Kundenliste.csv"));
    {
        QFile old(out);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("eine alte, viel längere Datei, die ganz ersetzt werden muss\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    }
    const CliRun run = cli({s("customers-csv"), t.path(), out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(TempDatabase::readFile(out),
              s("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n"
                ";\"Becker; Söhne\";Eva;\"z. Hd. \"\"Einkauf\"\"\";;\r\n"
                "Herrn;Mustermann;Max;;Musterweg 5;12345 Musterstadt\r\n"
                "Firma;Zander;;;Ring 3;1010 Wien\r\n")
                  .toUtf8());
}

TEST_F(CustomerListCli, NoCustomersGiveAnEmptyListAndTheHeadingOnly)
{
    ASSERT_TRUE(t.exec(s("DELETE FROM Kunden")));
    const QString txt = t.filePath(s("leer.txt"));
    const QString csv = t.filePath(s("leer.csv"));
    ASSERT_EQ(cli({s("customers-txt"), t.path(), txt}).exitCode, 0);
    ASSERT_EQ(cli({s("customers-csv"), t.path(), csv}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(txt));
    EXPECT_EQ(TempDatabase::readFile(txt), QByteArray());
    EXPECT_EQ(TempDatabase::readFile(csv), s("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n").toUtf8());
}

TEST_F(CustomerListCli, WrongCallsForeignFilesAndUnwritableTargets)
{
    for (const char* command : {"customers-txt", "customers-csv"}) {
        const CliRun usage = cli({s(command), t.path()});
        EXPECT_EQ(usage.exitCode, 1) << command;
        EXPECT_TRUE(usage.err.contains(s("Aufruf: quittora-cli %1 DATEI AUSGABE").arg(s(command))))
            << usage.err.toStdString();
    }

    const QString foreign = t.filePath(s("notiz.qtb"));
    {
        QFile f(foreign);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keine Datenbank");
    }
    const QString out = t.filePath(s("nie.txt"));
    EXPECT_EQ(cli({s("customers-txt"), foreign, out}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(TempDatabase::readFile(foreign), QByteArray("keine Datenbank"));

    const CliRun noFolder = cli({s("customers-csv"), t.path(), t.filePath(s("fehlt/Kundenliste.csv"))});
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_TRUE(noFolder.err.contains(s("konnte nicht geschrieben werden"))) << noFolder.err.toStdString();
}
