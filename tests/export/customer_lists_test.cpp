#include "data/Recordset.h"
#include "export/CustomerLists.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace quittora;
using namespace quittora::customerlists;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

Customer anna()
{
    return {s("Frau"), s("Müller"), s("Anna"), s("c/o Weiß"), s("Hauptstraße 5"), s("50667 Köln"), s("0221 123"),
            s("0221 124")};
}

// No first name, no telephone, no fax.
Customer company()
{
    return {s("Firma"), s("Bäckerei Groß"), s(""), s(""), s("Am Markt 1"), s("80331 München"), s(""), s("")};
}

} // namespace

TEST(CustomerListText, NineLinesPerCustomerInUtf8WithCrLf)
{
    const QByteArray expected = QString::fromUtf8("Frau\r\n"
                                                  "Anna Müller\r\n"
                                                  "c/o Weiß\r\n"
                                                  "Hauptstraße 5\r\n"
                                                  "50667 Köln\r\n"
                                                  "Telefon: 0221 123\r\n"
                                                  "Fax: 0221 124\r\n"
                                                  "\r\n"
                                                  "\r\n"
                                                  "Firma\r\n"
                                                  "Bäckerei Groß\r\n"
                                                  "\r\n"
                                                  "Am Markt 1\r\n"
                                                  "80331 München\r\n"
                                                  "Telefon: \r\n"
                                                  "Fax: \r\n"
                                                  "\r\n"
                                                  "\r\n")
                                    .toUtf8();
    EXPECT_EQ(addressListText({anna(), company()}), expected);
    EXPECT_EQ(fileText(Kind::AddressList, {anna(), company()}), expected);
}

TEST(CustomerListText, MailMergeFileHeadingAndOneLinePerCustomer)
{
    const QByteArray expected = QString::fromUtf8("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n"
                                                  "Frau;Müller;Anna;c/o Weiß;Hauptstraße 5;50667 Köln\r\n"
                                                  "Firma;Bäckerei Groß;;;Am Markt 1;80331 München\r\n")
                                    .toUtf8();
    EXPECT_EQ(mailMergeText({anna(), company()}), expected);
    EXPECT_EQ(fileText(Kind::MailMerge, {anna(), company()}), expected);
}

TEST(CustomerListText, ValuesWithSeparatorsQuotesOrLineBreaksKeepTheirColumn)
{
    EXPECT_EQ(mailMergeValue(s("Müller")), s("Müller"));
    EXPECT_EQ(mailMergeValue(s("Meyer; Schulz")), s("\"Meyer; Schulz\""));
    EXPECT_EQ(mailMergeValue(s("Gasthof \"Zur Post\"")), s("\"Gasthof \"\"Zur Post\"\"\""));
    EXPECT_EQ(mailMergeValue(s("Hinterhaus\r\n2. Stock")), s("\"Hinterhaus\r\n2. Stock\""));
    EXPECT_EQ(mailMergeValue(s("")), s(""));

    Customer c = anna();
    c.name = s("Meyer;Schulz");
    c.addition = s("\"Zur Post\"");
    const QByteArray text = mailMergeText({c});
    EXPECT_EQ(text, QString::fromUtf8("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n"
                                      "Frau;\"Meyer;Schulz\";Anna;\"\"\"Zur Post\"\"\";Hauptstraße 5;50667 Köln\r\n")
                        .toUtf8());
}

TEST(CustomerListText, AnEmptySelectionGivesAnEmptyListAndTheHeadingOnly)
{
    EXPECT_TRUE(addressListText({}).isEmpty());
    EXPECT_EQ(mailMergeText({}), QString::fromUtf8("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n").toUtf8());
}

TEST(CustomerListText, FileNamesAndTexts)
{
    EXPECT_EQ(fileName(Kind::AddressList), s("Kundenliste.txt"));
    EXPECT_EQ(fileName(Kind::MailMerge), s("Kundenliste.csv"));
    EXPECT_EQ(selectionHintTitle(), s("Hinweis !"));
    EXPECT_EQ(selectionHint(),
              s("Sie können auch durch Funktion ''Datensatz enthält ...'' Kunden vor der Ausgabe selektieren."));
    EXPECT_EQ(mailMergeQuestionTitle(), s("Info"));
    EXPECT_TRUE(mailMergeQuestion().startsWith(s("Sie erstellen hier eine Serienbrief-Steuerdatei der Adressen. ")));
    EXPECT_TRUE(mailMergeQuestion().endsWith(s("treffen Sie die Auswahl, bevor Sie mit OK fortfahren)")));
    EXPECT_TRUE(mailMergeQuestion().contains(s("der Funkion ''soll Post erhalten >'' den Adressatenkreis")));
    EXPECT_EQ(mailMergeSaveHint(), s("Wählen Sie '' Datei - speichern unter ... '' und geben Sie einen Speicherort "
                                     "an. Wählen Sie diese Datei als Steuerdatei Ihres Word-Serienbriefes."));
}

class CustomerExport : public ::testing::Test {
protected:
    TempDatabase t;
    TestContext ctx;
    Recordset customers{t.db(), s("Kunden")};
    qint64 mustermann = 1; // the template's customer

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
        return exportCustomers(kind, customers, selectionActive, ctx.state.tempFolder, ctx.prompts, ctx.shell,
                               documents);
    }
};

TEST_F(CustomerExport, ReadsTheSelectionInItsOrderAndReturnsToTheFirst)
{
    customers.moveLast();
    const auto all = readSelection(customers);
    ASSERT_TRUE(all.has_value());
    ASSERT_EQ(all->size(), 3);
    EXPECT_EQ(all->at(0).name, s("Bäcker; Söhne")); // SortKunden: by name, case-insensitive
    EXPECT_EQ(all->at(1).name, s("Mustermann"));
    EXPECT_EQ(all->at(2).name, s("Zander"));
    EXPECT_EQ(all->at(2).phone, s("0341 1"));
    EXPECT_EQ(customers.position(), 0);

    // A search selection: only its customers, and an edit not yet stored is
    // part of the list (and stored).
    customers.setRecordSource(s("SELECT * FROM Kunden WHERE a5 LIKE ? ORDER BY ID DESC"), {s("*Leipzig*")});
    ASSERT_TRUE(customers.refresh());
    customers.setValue(s("a3"), s("Uta"));
    const auto selected = readSelection(customers);
    ASSERT_TRUE(selected.has_value());
    ASSERT_EQ(selected->size(), 1);
    EXPECT_EQ(selected->at(0).firstName, s("Uta"));
    EXPECT_EQ(t.field(s("Kunden"), customers.currentId(), s("a3")).toString(), s("Uta"));
}

TEST_F(CustomerExport, ACustomerDeletedSinceTheSelectionIsLeftOut)
{
    ASSERT_TRUE(t.exec(s("DELETE FROM Kunden WHERE a2 = ?"), {s("Zander")}));
    const auto list = readSelection(customers);
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 2);
    EXPECT_EQ(list->at(1).name, s("Mustermann"));
}

TEST_F(CustomerExport, AddressListIsWrittenThenOpenedWithTheHintWithoutSelection)
{
    const Outcome out = run(Kind::AddressList, false);
    EXPECT_EQ(out.status, Outcome::Status::Opened);
    EXPECT_EQ(out.path, path(Kind::AddressList));
    ASSERT_EQ(ctx.prompts.count(), 1);
    EXPECT_EQ(ctx.prompts.last().title, s("Hinweis !"));
    EXPECT_EQ(ctx.prompts.last().text, selectionHint());
    EXPECT_EQ(ctx.prompts.last().icon, Prompts::Icon::Information);
    EXPECT_EQ(ctx.prompts.last().buttons, Prompts::Ok);
    EXPECT_EQ(ctx.shell.opened(), QStringList{path(Kind::AddressList)});
    EXPECT_TRUE(ctx.shell.started().isEmpty());

    const QByteArray file = TempDatabase::readFile(out.path);
    EXPECT_TRUE(file.startsWith(QString::fromUtf8("Firma\r\nBäcker; Söhne\r\n\r\nWeg 2\r\n").toUtf8()));
    EXPECT_EQ(file.count("\r\n"), 27);
    EXPECT_EQ(customers.position(), 0);
}

TEST_F(CustomerExport, WithASelectionNoHintAndOnlyTheSelectedCustomers)
{
    customers.setRecordSource(s("SELECT * FROM Kunden WHERE a2 LIKE ?"), {s("Z*")});
    ASSERT_TRUE(customers.refresh());
    const Outcome out = run(Kind::AddressList, true);
    EXPECT_EQ(out.status, Outcome::Status::Opened);
    EXPECT_EQ(ctx.prompts.count(), 0);
    EXPECT_EQ(TempDatabase::readFile(out.path),
              QString::fromUtf8("Frau\r\nUte Zander\r\n\r\n\r\n04109 Leipzig\r\nTelefon: 0341 1\r\nFax: \r\n\r\n\r\n")
                  .toUtf8());
}

TEST_F(CustomerExport, MailMergeAsksThenTellsWhereToSaveThenOpens)
{
    // An older file of the same name is replaced.
    {
        QFile old(path(Kind::MailMerge));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt alt\r\n");
    }
    ctx.prompts.answerMessage(Prompts::Ok);  // hint
    ctx.prompts.answerMessage(Prompts::Ok);  // question
    ctx.prompts.onShown([&](const FakePrompts::Shown& shown) {
        // The file exists by the time the user is told to save it elsewhere.
        if (shown.text == mailMergeSaveHint()) {
            EXPECT_TRUE(TempDatabase::readFile(path(Kind::MailMerge)).startsWith("Anrede;"));
        }
    });
    const Outcome out = run(Kind::MailMerge, false);
    EXPECT_EQ(out.status, Outcome::Status::Opened);
    ASSERT_EQ(ctx.prompts.count(), 3);
    EXPECT_EQ(ctx.prompts.shown().at(0).text, selectionHint());
    const FakePrompts::Shown question = ctx.prompts.shown().at(1);
    EXPECT_EQ(question.title, s("Info"));
    EXPECT_EQ(question.text, mailMergeQuestion());
    EXPECT_EQ(question.icon, Prompts::Icon::Information);
    EXPECT_EQ(question.buttons, Prompts::Ok | Prompts::Cancel);
    EXPECT_EQ(ctx.prompts.shown().at(2).title, s("Info"));
    EXPECT_EQ(ctx.prompts.shown().at(2).text, mailMergeSaveHint());
    EXPECT_EQ(ctx.shell.opened(), QStringList{path(Kind::MailMerge)});
    EXPECT_EQ(TempDatabase::readFile(path(Kind::MailMerge)),
              QString::fromUtf8("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n"
                                "Firma;\"Bäcker; Söhne\";;;Weg 2;\r\n"
                                "Herrn;Mustermann;Max;;Musterweg 5;12345 Musterstadt\r\n"
                                "Frau;Zander;Ute;;;04109 Leipzig\r\n")
                  .toUtf8());
}

TEST_F(CustomerExport, CancellingTheMailMergeQuestionWritesNothing)
{
    ctx.prompts.answerMessage(Prompts::Cancel);
    const Outcome out = run(Kind::MailMerge, true);
    EXPECT_EQ(out.status, Outcome::Status::Cancelled);
    EXPECT_EQ(ctx.prompts.count(), 1);
    EXPECT_FALSE(QFile::exists(path(Kind::MailMerge)));
    EXPECT_TRUE(ctx.shell.opened().isEmpty());
}

TEST_F(CustomerExport, AnEmptySelectionStillGivesTheFiles)
{
    customers.setRecordSource(s("SELECT * FROM Kunden WHERE a2 = ?"), {s("niemand")});
    ASSERT_TRUE(customers.refresh());
    EXPECT_EQ(run(Kind::AddressList, true).status, Outcome::Status::Opened);
    EXPECT_TRUE(QFile::exists(path(Kind::AddressList)));
    EXPECT_TRUE(TempDatabase::readFile(path(Kind::AddressList)).isEmpty());
    ctx.prompts.answerMessage(Prompts::Ok);
    EXPECT_EQ(run(Kind::MailMerge, true).status, Outcome::Status::Opened);
    EXPECT_EQ(TempDatabase::readFile(path(Kind::MailMerge)),
              QString::fromUtf8("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n").toUtf8());
}

TEST_F(CustomerExport, WithoutATemporaryFolderTheUserIsToldAndNothingIsOpened)
{
    ctx.state.tempFolder = ctx.folders.root() + s("/fehlt/");
    const Outcome out = run(Kind::AddressList, true);
    EXPECT_EQ(out.status, Outcome::Status::Failed);
    ASSERT_EQ(ctx.prompts.count(), 1);
    EXPECT_EQ(ctx.prompts.last().title, s("Fehler"));
    EXPECT_EQ(ctx.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_TRUE(ctx.prompts.last().text.contains(s("Kundenliste.txt")));
    EXPECT_TRUE(ctx.shell.opened().isEmpty());
}

TEST_F(CustomerExport, AFileTheDesktopCannotOpenIsNamedToTheUser)
{
    ctx.shell.setResult(false);
    const Outcome out = run(Kind::AddressList, true);
    EXPECT_EQ(out.status, Outcome::Status::NotOpened);
    EXPECT_TRUE(QFile::exists(out.path));
    ASSERT_EQ(ctx.prompts.count(), 1);
    EXPECT_TRUE(ctx.prompts.last().text.contains(QDir::toNativeSeparators(out.path)));
}

TEST_F(CustomerExport, TheDocumentListGoesToItsFirstDocument)
{
    t.addDocument(s("1"), s("01.01.2024"));
    t.addDocument(s("2"), s("02.01.2024"));
    Recordset documents(t.db(), s("Rechnungen"));
    ASSERT_TRUE(documents.refresh());
    documents.moveLast();
    run(Kind::AddressList, true, &documents);
    EXPECT_EQ(documents.position(), 0);
}
