#include "support/PostalCodeFixture.h"
#include "support/QtPrinters.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"
#include "support/ToolsDialogs.h"
#include "tools/PostalCodeLookup.h"
#include "tools/PostalCodes.h"
#include "tools/widgets/PostalCodeDialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>

#include <functional>

using namespace quittora;
using namespace quittora::plz;
using quittora::test::PostalCodeFixture;
using namespace quittora::test;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// One country's records in file order, as the lookup reads them.
QList<PostalCode> records(const QString& path, Country country)
{
    PostalCodeLookup lookup;
    EXPECT_TRUE(lookup.open(path)) << lookup.problem().toStdString();
    lookup.setCountry(country);
    QList<PostalCode> out;
    for (int i = 0; i < lookup.recordCount(); ++i)
        out << lookup.at(i);
    return out;
}

bool noLeftovers(const QString& database)
{
    return QFileInfo(database).dir().entryList({QStringLiteral("*.mdb.*")}, QDir::Files).isEmpty();
}

} // namespace

TEST(PostalCodeCsv, ReaderKeepsQuotedFieldsAndNamesTheLineOfAnOpenQuote)
{
    const std::tuple<QString, QList<QStringList>, const char*> table[] = {
        {QChar(0xFEFF) + s("a,\"b, c\",\"say \"\"hi\"\"\"\r\n\"two\nlines\",,end\n\nx,"),
         {{s("a"), s("b, c"), s("say \"hi\"")}, {s("two\nlines"), QString(), s("end")}, {s("x"), QString()}}, ""},
        {s("O'Brien,5\" Zoll,\"a\"b\n"), {{s("O'Brien"), s("5\" Zoll"), s("ab")}}, ""},
        {s("a,b\nc,d\n\"open,\nstill open\n"), {{s("a"), s("b")}, {s("c"), s("d")}}, "Zeile 3: Ein Feld in Anführungszeichen wird nicht geschlossen."}};
    for (const auto& [text, expected, error] : table) {
        CsvReader reader(text);
        QList<QStringList> records;
        QStringList fields;
        while (reader.readRecord(&fields))
            records.append(fields);
        EXPECT_EQ(records, expected) << text.toStdString();
        EXPECT_EQ(reader.error(), s(error)) << text.toStdString();
    }
}

TEST(PostalCodeCsv, ColumnsByNameRowsWithoutCodeOrTownSkippedStatesInGermanBadFilesRefused)
{
    PostalCodeFixture files;
    QString message;
    EXPECT_EQ(readPostalCodeCsv(files.csvFiles()[0], &message)->rows[4],
              (PostalCode{s("01067"), s("Dresden"), s("Dresden, Stadt"), s("Sachsen")}));
    EXPECT_EQ(readPostalCodeCsv(files.csvFiles()[1], &message)->rows[3].zusatz, s("Wien Stadt")) << "province without community";

    const auto other = readPostalCodeCsv(
        files.writeFile(s("other.csv"), s("place,zipcode,state\n Wien , 1010 \n,1020\nGraz,\nLinz\nL,1,Saxony\n"
                                          "R,5,Mecklenburg-Western Pomerania\nK,8,Hessen\n")),
        &message);
    ASSERT_TRUE(other) << message.toStdString();
    EXPECT_EQ(other->skipped, 3);
    QStringList rows;
    for (const PostalCode& row : other->rows)
        rows << row.postleitzahl + u' ' + row.ort + u' ' + row.bundesland;
    EXPECT_EQ(rows.join(u'|'), s("1010 Wien |1 L Sachsen|5 R Mecklenburg-Vorpommern|8 K Hessen"));

    const std::pair<QString, const char*> bad[] = {{files.writeFile(s("leer.csv"), QString()), "ist leer"},
        {files.writeFile(s("kopf.csv"), s(PostalCodeFixture::kHeader)), "enthält keine Postleitzahlen"},
        {files.writeFile(s("spalten.csv"), s("plz,ort\n10115,Berlin\n")), "ist keine Postleitzahlen-Datei"},
        {files.writeBytes(s("latin1.csv"), QByteArray("zipcode,place\n80331,M\xfcnchen\n")), "ist keine UTF-8-Textdatei"}};
    for (const auto& [path, expected] : bad) {
        EXPECT_FALSE(readPostalCodeCsv(path, &message)) << path.toStdString();
        EXPECT_TRUE(message.contains(s(expected))) << message.toStdString();
    }
}

TEST(PostalCodeRules, SearchPlansFollowTheTextsForm)
{
    using F = SearchPlan::Field;
    const std::optional<SortOrder> none, code = SortOrder::ByCode, town = SortOrder::ByTown;
    const std::tuple<const char*, F, std::optional<SortOrder>, const char*> table[] = {
        // Country prefixes take the code without sorting: D five characters, A and CH four.
        {"D-12345", F::Code, none, "12345"}, {"D 10115 Berlin", F::Code, none, "10115"}, {"D-", F::Code, none, ""},
        {"A 10101", F::Code, none, "1010"}, {"A-8 Graz", F::Code, none, "8"}, {"CH-8001", F::Code, none, "8001"},
        // Numbers sort by code and take five characters; a code ends at a blank.
        {"123456", F::Code, code, "12345"}, {"1010 Wien", F::Code, code, "1010"}, {" 8001", F::Code, code, "8001"},
        {"12a", F::Code, code, "12a"},
        // Everything else sorts by town and looks for the whole text.
        {"Ber", F::Town, town, "Ber"}, {"d-10115", F::Town, town, "d-10115"}, {"0", F::Town, town, "0"}, {"-5", F::Town, town, "-5"},
    };
    for (const auto& [text, field, sortFirst, prefix] : table) {
        const SearchPlan plan = planSearch(s(text));
        EXPECT_EQ(plan.field, field) << text;
        EXPECT_EQ(plan.sortFirst, sortFirst) << text;
        EXPECT_EQ(plan.prefix, s(prefix)) << text;
    }
    for (const char* other : {"", "3", "-1", "x"})
        EXPECT_EQ(countryFromSetting(s(other)), std::nullopt) << other;
}

TEST(PostalCodeImport, ARefreshReplacesTheDatabaseBadInputOrAForeignFileStayAsTheyWere)
{
    // The orders the positions give are checked through the lookup below.
    PostalCodeFixture files;
    const QString target = files.filePath(s("neu/plz.mdb"));
    const ImportResult first = importPostalCodes(target, files.csvFiles());
    ASSERT_TRUE(first.ok) << first.message.toStdString();
    EXPECT_EQ(records(target, Country::Schweiz).value(2), (PostalCode{s("1201"), s("Genève"), s("Genève"), s("Canton de Genève")}));
    const QString header = s(PostalCodeFixture::kHeader);
    // A broken Swiss file, or one without codes, writes nothing, not even Germany.
    const QByteArray before = testfiles::bytesOf(target);
    files.writeFile(s("de.csv"), header + s("DE,99084,Erfurt,Thüringen,15,,00,\"Erfurt, Stadt\",16051,50.98,11.03\n"));
    files.writeFile(s("ch.csv"), header + s("CH,8001,\"Zürich\n"));
    const ImportResult broken = importPostalCodes(target, files.csvFiles());
    EXPECT_TRUE(!broken.ok && broken.message.contains(s("ch.csv"))) << broken.message.toStdString();
    EXPECT_TRUE(testfiles::bytesOf(target) == before && noLeftovers(target));
    files.writeFile(s("ch.csv"), header + s("CH,3000,Bern,Kanton Bern,BE,,,,,46.95,7.45\n"));
    ASSERT_TRUE(importPostalCodes(target, files.csvFiles()).ok);
    EXPECT_EQ(records(target, Country::Deutschland), (QList<PostalCode>{{s("99084"), s("Erfurt"), s("Erfurt, Stadt"), s("Thüringen")}}));

    // Another program's SQLite file is never replaced; an empty file holds nothing to lose.
    test::TempDatabase business;
    ASSERT_TRUE(business.isValid()) << business.error().toStdString();
    const QByteArray kept = testfiles::bytesOf(business.path());
    const ImportResult refused = importPostalCodes(business.path(), files.csvFiles());
    EXPECT_TRUE(!refused.ok && refused.message.contains(s("ist keine Postleitzahlen-Datenbank und wird nicht ersetzt")))
        << refused.message.toStdString();
    EXPECT_TRUE(testfiles::bytesOf(business.path()) == kept && !isPostalCodeDatabase(business.path()));
    const QString empty = files.writeFile(s("leer.mdb"), QString());
    EXPECT_TRUE(importPostalCodes(empty, files.csvFiles()).ok && isPostalCodeDatabase(empty));
}

namespace {

class PostalCodeLookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = files.buildDatabase();
        ASSERT_FALSE(path.isEmpty());
        ASSERT_TRUE(lookup.open(path)) << lookup.problem().toStdString();
    }
    QString currentText() const { return takeOverText(lookup.current().postleitzahl, lookup.current().ort); }
    QString towns() const
    {
        QStringList rows;
        for (int i = 0; i < lookup.recordCount(); ++i)
            rows << lookup.at(i).ort;
        return rows.join(QLatin1Char('|'));
    }

    PostalCodeFixture files;
    QString path;
    PostalCodeLookup lookup;
};

} // namespace

TEST_F(PostalCodeLookupTest, OrdersAndCountriesShowTheirListsAndMovesStayInside)
{
    EXPECT_EQ(towns(), s("Zeuthen|Berlin|Berlin|Berlin|Dresden|Ölbronn-Dürrn|Aachen|bernau bei Berlin|Eichwalde|"
                         "München|Munster"));
    lookup.setOrder(SortOrder::ByCode); // equal codes by town
    EXPECT_EQ(towns(), s("Dresden|Berlin|Berlin|Eichwalde|Zeuthen|Berlin|bernau bei Berlin|Munster|Aachen|"
                         "Ölbronn-Dürrn|München"));
    EXPECT_FALSE(lookup.movePrevious() || !lookup.moveNext() || !lookup.moveLast() || lookup.moveNext() || lookup.moveTo(11));
    EXPECT_EQ(lookup.position(), 10);
    // Letter case and umlauts do not put a town behind Z.
    lookup.setOrder(SortOrder::ByTown);
    EXPECT_EQ(towns(), s("Aachen|Berlin|Berlin|Berlin|bernau bei Berlin|Dresden|Eichwalde|München|Munster|"
                         "Ölbronn-Dürrn|Zeuthen"));
    EXPECT_EQ(lookup.position(), 0);
    lookup.setCountry(Country::Schweiz);
    EXPECT_TRUE(lookup.order() == SortOrder::Natural && towns() == s("Zürich|Bern|Genève"));
}

TEST_F(PostalCodeLookupTest, SearchesFindTheFirstRecordBeginningWithTheTextInTheOrderTheyChoose)
{
    const SortOrder N = SortOrder::Natural, C = SortOrder::ByCode, T = SortOrder::ByTown;
    // text, found, the record stood on afterwards, the order then
    const std::tuple<const char*, bool, const char*, SortOrder> table[] = {
        {"D-12345", true, "12345 Zeuthen", N}, {"1234", true, "12345 Eichwalde", C},
        {"99", false, "01067 Dresden", C}, // a miss stands on the first record
        {"BERNAU", true, "16321 bernau bei Berlin", T}, {"ölb", true, "75248 Ölbronn-Dürrn", T},
        {"Mun", true, "29633 Munster", T}, {"Mün", true, "80331 München", T},
        {"*walde", true, "12345 Eichwalde", T}, {"Zeuthenx", false, "52062 Aachen", T},
    };
    for (const auto& [text, found, current, order] : table) {
        EXPECT_EQ(lookup.search(s(text)), found) << text;
        EXPECT_EQ(lookup.noMatch(), !found) << text;
        EXPECT_EQ(currentText(), s(current)) << text;
        EXPECT_EQ(lookup.order(), order) << text;
    }
    lookup.moveTo(5);
    EXPECT_FALSE(lookup.search(s("D-99"))) << "a prefix does not sort: a miss stays";
    EXPECT_EQ(lookup.position(), 5);
    for (const char* text : {"'", "1' OR '1'='1", "%", "_", "Ber["})
        EXPECT_TRUE(!lookup.search(s(text)) && lookup.status() == PostalCodeLookup::Status::Ok) << text;
}

TEST(PostalCodeLookupFile, UnusableDatabasesAreSaidAndEverythingStaysSafe)
{
    PostalCodeFixture files;
    PostalCodeLookup lookup;
    const QString missing = files.filePath(s("plz.mdb"));
    EXPECT_FALSE(lookup.open(missing) || lookup.status() != PostalCodeLookup::Status::Missing);
    EXPECT_EQ(lookup.problem(), s("Die Postleitzahlen-Datenbank „%1“ wurde nicht gefunden. Postleitzahlen können darum "
                                  "nicht gesucht werden.").arg(QDir::toNativeSeparators(missing)));
    lookup.setCountry(Country::Schweiz);
    EXPECT_FALSE(lookup.moveNext() || QFile::exists(missing)) << "never created";

    // Another kind of file is unreadable.
    EXPECT_FALSE(lookup.open(files.writeFile(s("text.mdb"), s("kein SQLite"))));
    EXPECT_TRUE(lookup.status() == PostalCodeLookup::Status::Unreadable && lookup.problem().contains(s("kann nicht gelesen werden")));
    EXPECT_FALSE(lookup.search(s("Ber")));
}

namespace {

class PostalCodeDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        path = files.buildDatabase();
        ASSERT_FALSE(path.isEmpty());
    }
    // Shows the window and waits for its start-up search.
    static void open(PostalCodeDialog& dialog, bool active = false)
    {
        ASSERT_TRUE(showAndWait(dialog, active));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isReady(); }, 2000));
    }
    static QLineEdit* box(QWidget& d) { return child<QLineEdit>(d, "Text1"); }
    static QTableView* grid(QWidget& d) { return child<QTableView>(d, "DBGrid1"); }
    static QString cell(QWidget& d, int row, int column) { return grid(d)->model()->index(row, column).data().toString(); }
    // The result line, the code in the grid's current row, the grid's first town and its number of rows.
    static QString shown(QWidget& d)
    {
        return QStringLiteral("%1|%2|%3|%4")
            .arg(labelText(d, "Label3"), cell(d, grid(d)->currentIndex().row(), 0), cell(d, 0, 1))
            .arg(grid(d)->model()->rowCount());
    }
    static void press(QWidget& d, const char* button) { child<QPushButton>(d, button)->click(); }

    PostalCodeFixture files;
    QString path;
};

} // namespace

TEST_F(PostalCodeDialogTest, OpensLeftOfCentreOnTheCustomersCodeAndTypingSearches)
{
    PostalCodeDialog dialog(t.ctx, path, QStringLiteral("10117 Berlin-Mitte"));
    QAbstractItemModelTester tester(grid(dialog)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    open(dialog);
    EXPECT_EQ(shown(dialog), QStringLiteral("10117 Berlin|10117|Dresden|11")) << "only the code counts";

    // Typed keys search at once; arrows move through the list and stop at its
    // ends; the sort buttons reorder it.
    box(dialog)->clear();
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { typeText(box(dialog), QStringLiteral("Mün")); }, "80331 München|80331|Aachen|11"},
        {[&] { box(dialog)->setText(QStringLiteral("80")); }, "80331 München|80331|Dresden|11"},
        {[&] { QTest::keyClick(box(dialog), Qt::Key_Up); }, "75248 Ölbronn-Dürrn|75248|Dresden|11"},
        {[&] { press(dialog, "Command2"); }, "52062 Aachen|52062|Aachen|11"},
        {[&] { press(dialog, "Command1"); }, "01067 Dresden|01067|Dresden|11"},
    };
    for (const auto& [step, expected] : steps) {
        step();
        EXPECT_EQ(shown(dialog), QString::fromUtf8(expected));
    }
    EXPECT_EQ(box(dialog)->text(), QStringLiteral("80"));
}

TEST_F(PostalCodeDialogTest, EnterOrTheButtonIsTakenOverAndCancelIsNot)
{
    for (const char* how : {"Enter", "Command3", "Command4"}) {
        PostalCodeDialog dialog(t.ctx, path, QStringLiteral("Dres"));
        open(dialog);
        QTest::keyClick(box(dialog), Qt::Key_Down);
        if (QByteArray(how) == "Enter")
            QTest::keyClick(box(dialog), Qt::Key_Enter);
        else
            QTest::mouseClick(child<QPushButton>(dialog, how), Qt::LeftButton);
        const bool takes = QByteArray(how) != "Command4";
        EXPECT_EQ(dialog.result(), takes ? QDialog::Accepted : QDialog::Rejected) << how;
        EXPECT_EQ(dialog.takenOver(), takes ? std::optional(QStringLiteral("12345 Eichwalde")) : std::nullopt) << how;
    }
}

TEST_F(PostalCodeDialogTest, OpenPostalCodeLookupSearchesTheFieldAndGivesTheTextForPlzOrt)
{
    QString openedWith;
    auto done = whenModalOpens([&](QWidget* w) {
        auto* dialog = static_cast<PostalCodeDialog*>(w);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isReady(); }, 2000));
        openedWith = box(*dialog)->text();
        press(*dialog, "Command3");
    });
    EXPECT_EQ(openPostalCodeLookup(t.ctx, QFileInfo(path).absolutePath(), QStringLiteral("1011")), QStringLiteral("10115 Berlin"));
    EXPECT_TRUE(*done && openedWith == QStringLiteral("1011"));
}
