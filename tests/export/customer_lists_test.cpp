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

QString s(const char* text) { return QString::fromUtf8(text); }
QByteArray u8(const char* text) { return QByteArray(text); }

const Customer kAnna{s("Frau"), s("Müller"), s("Anna"), s("c/o Weiß"), s("Hauptstraße 5"), s("50667 Köln"),
                     s("0221 123"), s("0221 124")};
// No first name, no telephone, no fax.
const Customer kCompany{s("Firma"), s("Bäckerei Groß"), s(""), s(""), s("Am Markt 1"), s("80331 München"), s(""), s("")};
const char* const kHeading = "Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n";

} // namespace

TEST(CustomerListText, NineLinesPerCustomerAndOneMailMergeLineInUtf8WithCrLf)
{
    const QByteArray list = u8("Frau\r\nAnna Müller\r\nc/o Weiß\r\nHauptstraße 5\r\n50667 Köln\r\nTelefon: 0221 123\r\n"
                               "Fax: 0221 124\r\n\r\n\r\n"
                               "Firma\r\nBäckerei Groß\r\n\r\nAm Markt 1\r\n80331 München\r\nTelefon: \r\nFax: \r\n\r\n\r\n");
    EXPECT_EQ(addressListText({kAnna, kCompany}), list);
    EXPECT_EQ(fileText(Kind::AddressList, {kAnna, kCompany}), list);
    const QByteArray merge = kHeading + u8("Frau;Müller;Anna;c/o Weiß;Hauptstraße 5;50667 Köln\r\n"
                                           "Firma;Bäckerei Groß;;;Am Markt 1;80331 München\r\n");
    EXPECT_EQ(mailMergeText({kAnna, kCompany}), merge);
    EXPECT_EQ(fileText(Kind::MailMerge, {kAnna, kCompany}), merge);
    EXPECT_TRUE(addressListText({}).isEmpty());
    EXPECT_EQ(mailMergeText({}), QByteArray(kHeading));
    EXPECT_EQ(fileName(Kind::AddressList) + fileName(Kind::MailMerge), s("Kundenliste.txtKundenliste.csv"));
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
        {s("Müller"), s("Müller"), s("Müller")},
        {s("Meyer; Schulz"), s("Meyer; Schulz"), s("\"Meyer; Schulz\"")},
        {s("Gasthof \"Zur Post\""), s("Gasthof \"Zur Post\""), s("\"Gasthof \"\"Zur Post\"\"\"")},
        {s("Hinterhaus\r\n2. Stock"), s("Hinterhaus 2. Stock"), s("\"Hinterhaus\r\n2. Stock\"")},
        {s("eins\nzwei\rdrei"), s("eins zwei drei"), s("\"eins\nzwei\rdrei\"")},
        {s("Null") + nul + s("Byte"), s("NullByte"), s("NullByte")},
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
            const QByteArray list = addressListText({customer, customer});
            EXPECT_FALSE(list.contains('\0'));
            const QStringList lines = QString::fromUtf8(list).split(s("\r\n"));
            ASSERT_EQ(lines.size(), 19);
            for (const QString& line : lines)
                EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')));
            EXPECT_TRUE(lines.at(field).endsWith(c.listLine)) << lines.at(field).toStdString();
            EXPECT_EQ(lines.at(9), lines.at(0));
            const QByteArray csv = mailMergeText({customer});
            EXPECT_FALSE(csv.contains('\0'));
            if (field < 5) {
                EXPECT_EQ(mailMergeValue(c.typed), c.csvValue);
                EXPECT_TRUE(QString::fromUtf8(csv).contains(c.csvValue));
                EXPECT_EQ(csv.count(';'), 10 + c.csvValue.count(QLatin1Char(';'))) << "columns kept";
            }
        }
    }
}

namespace {

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

} // namespace

TEST_F(CustomerExport, ReadsTheSelectionInItsOrderWithPendingEditsAndReturnsToTheFirst)
{
    customers.moveLast();
    ASSERT_TRUE(t.exec(s("DELETE FROM Kunden WHERE a2 = 'Mustermann'"))); // deleted since the selection
    const auto all = readSelection(customers);
    ASSERT_TRUE(all.has_value());
    ASSERT_EQ(all->size(), 2);
    EXPECT_EQ(all->at(0).name + s("|") + all->at(1).name + s("|") + all->at(1).phone, s("Bäcker; Söhne|Zander|0341 1"));
    EXPECT_EQ(customers.position(), 0);

    select("SELECT * FROM Kunden WHERE a5 LIKE ? ORDER BY ID DESC", "*Leipzig*");
    customers.setValue(s("a3"), s("Uta"));
    const auto selected = readSelection(customers);
    ASSERT_TRUE(selected.has_value());
    ASSERT_EQ(selected->size(), 1);
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
    EXPECT_EQ(out.status, Outcome::Status::Opened);
    EXPECT_EQ(out.path, path(Kind::AddressList));
    ASSERT_EQ(ctx.prompts.count(), 1);
    EXPECT_EQ(ctx.prompts.last().title, s("Hinweis !"));
    EXPECT_EQ(ctx.prompts.last().text,
              s("Sie können auch durch Funktion ''Datensatz enthält ...'' Kunden vor der Ausgabe selektieren."));
    EXPECT_EQ(ctx.prompts.last().icon, Prompts::Icon::Information);
    EXPECT_EQ(ctx.shell.opened(), QStringList{path(Kind::AddressList)});
    const QByteArray file = TempDatabase::readFile(out.path);
    EXPECT_TRUE(file.startsWith(u8("Firma\r\nBäcker; Söhne\r\n\r\nWeg 2\r\n")));
    EXPECT_EQ(file.count("\r\n"), 27);
    EXPECT_EQ(customers.position(), 0);
    EXPECT_EQ(documents.position(), 0) << "the document list goes to its first document";

    select("SELECT * FROM Kunden WHERE a2 LIKE ?", "Z*");
    ctx.prompts.clear();
    EXPECT_EQ(run(Kind::AddressList, true).status, Outcome::Status::Opened);
    EXPECT_EQ(ctx.prompts.count(), 0);
    EXPECT_EQ(TempDatabase::readFile(out.path), u8("Frau\r\nUte Zander\r\n\r\n\r\n04109 Leipzig\r\nTelefon: 0341 1\r\nFax: \r\n\r\n\r\n"));
}

TEST_F(CustomerExport, MailMergeAsksThenTellsWhereToSaveThenOpens)
{
    const QByteArray older(300, 'x'); // an older, longer file of the same name
    {
        QFile f(path(Kind::MailMerge));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(older) == older.size());
    }
    ctx.prompts.answerMessage(Prompts::Cancel);
    EXPECT_EQ(run(Kind::MailMerge, true).status, Outcome::Status::Cancelled);
    EXPECT_EQ(ctx.prompts.count(), 1);
    EXPECT_EQ(TempDatabase::readFile(path(Kind::MailMerge)), older) << "cancelled: nothing written";
    EXPECT_TRUE(ctx.shell.opened().isEmpty());

    ctx.prompts.clear();
    ctx.prompts.answerMessage(Prompts::Ok); // hint
    ctx.prompts.answerMessage(Prompts::Ok); // question
    ctx.prompts.onShown([&](const FakePrompts::Shown& shown) {
        if (shown.text == mailMergeSaveHint()) // the file exists by the time the user is told to save it
            EXPECT_TRUE(TempDatabase::readFile(path(Kind::MailMerge)).startsWith("Anrede;"));
    });
    EXPECT_EQ(run(Kind::MailMerge, false).status, Outcome::Status::Opened);
    ASSERT_EQ(ctx.prompts.count(), 3);
    const FakePrompts::Shown question = ctx.prompts.shown().at(1);
    EXPECT_EQ(question.title, s("Info"));
    EXPECT_TRUE(question.text.startsWith(s("Sie erstellen hier eine Serienbrief-Steuerdatei der Adressen. ")));
    EXPECT_TRUE(question.text.contains(s("der Funkion ''soll Post erhalten >'' den Adressatenkreis")));
    EXPECT_TRUE(question.text.endsWith(s("treffen Sie die Auswahl, bevor Sie mit OK fortfahren)")));
    EXPECT_EQ(question.buttons, Prompts::Ok | Prompts::Cancel);
    EXPECT_EQ(ctx.prompts.shown().at(2).text, s("Wählen Sie '' Datei - speichern unter ... '' und geben Sie einen Speicherort "
                                                "an. Wählen Sie diese Datei als Steuerdatei Ihres Word-Serienbriefes."));
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
    EXPECT_EQ(notOpened.status, Outcome::Status::NotOpened);
    EXPECT_TRUE(QFile::exists(notOpened.path) && TempDatabase::readFile(notOpened.path).isEmpty());
    ASSERT_EQ(ctx.prompts.count(), 1);
    EXPECT_TRUE(ctx.prompts.last().text.contains(QDir::toNativeSeparators(notOpened.path)));

    ctx.state.tempFolder = ctx.folders.root() + s("/fehlt/");
    EXPECT_EQ(run(Kind::AddressList, true).status, Outcome::Status::Failed);
    EXPECT_EQ(ctx.prompts.last().title, s("Fehler"));
    EXPECT_EQ(ctx.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_TRUE(ctx.prompts.last().text.contains(s("Kundenliste.txt")));
}
