#include "data/Recordset.h"
#include "safety/DataCorrection.h"
#include "support/FakePrompts.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const QString kTitle = s("Quittora pro");

class DataCorrection : public ::testing::Test {
protected:
    TempDatabase t;
    FakePrompts prompts;

    void SetUp() override { ASSERT_TRUE(t.isValid()); }

    QString key(const char* table, qint64 id) { return t.field(s(table), id, s("a2")).toString(); }
};

} // namespace

TEST_F(DataCorrection, EmptyKeysBecomeOneBlankOthersStayAsTheyAre)
{
    const qint64 empty = t.addCustomer(s(""), s("Anna"));
    const qint64 blanks = t.addCustomer(s("   "));
    const qint64 named = t.addCustomer(s("Müller"));
    const qint64 nullName = t.insert(s("Kunden"), {{s("a3"), s("ohne Namen")}});
    ASSERT_TRUE(t.exec(s("UPDATE Kunden SET a2 = NULL WHERE ID = ?"), {nullName}));
    const qint64 emptyArticle = t.addArticle(s(""), s("Schraube"), s("0,10"));
    const qint64 numbered = t.addArticle(s("A-1"), s("Dübel"), s("0,05"));

    const datacorrection::Result r = datacorrection::correct(t.db());
    EXPECT_EQ(r.status, datacorrection::Result::Status::Corrected);
    EXPECT_EQ(r.customersCorrected, 2);
    EXPECT_EQ(r.articlesCorrected, 1);
    EXPECT_EQ(key("Kunden", empty), s(" "));
    EXPECT_EQ(key("Kunden", nullName), s(" "));
    EXPECT_EQ(key("Kunden", blanks), s("   "));
    EXPECT_EQ(key("Kunden", named), s("Müller"));
    EXPECT_EQ(t.field(s("Kunden"), empty, s("a3")).toString(), s("Anna"));
    EXPECT_EQ(key("Artikel", emptyArticle), s(" "));
    EXPECT_EQ(key("Artikel", numbered), s("A-1"));

    // Run again: nothing left to correct.
    const datacorrection::Result again = datacorrection::correct(t.db());
    EXPECT_EQ(again.status, datacorrection::Result::Status::Corrected);
    EXPECT_EQ(again.customersCorrected + again.articlesCorrected, 0);
}

TEST_F(DataCorrection, ArticlesBeyondTheNumberOfCustomersAreCorrectedToo)
{
    // One customer (the template) and five articles, the last ones broken.
    qint64 last = 0;
    for (int i = 0; i < 4; ++i)
        last = t.addArticle(s(""), s("Artikel"), s("1,00"));
    ASSERT_EQ(t.count(s("Kunden")), 1);
    const datacorrection::Result r = datacorrection::correct(t.db());
    EXPECT_EQ(r.articlesCorrected, 4);
    EXPECT_EQ(key("Artikel", last), s(" "));
    EXPECT_EQ(t.count(s("Artikel"), s("a2 = ''")), 0);
}

TEST_F(DataCorrection, FewerArticlesThanCustomersEndsTheArticleWalkAtTheLastArticle)
{
    // Six customers, the last ones broken, and the template article alone.
    qint64 lastCustomer = 0;
    for (int i = 0; i < 5; ++i)
        lastCustomer = t.addCustomer(s(""), s("Kunde"));
    ASSERT_TRUE(t.exec(s("UPDATE Artikel SET a2 = ''")));
    ASSERT_EQ(t.count(s("Artikel")), 1);
    Recordset customers(t.db(), s("Kunden"));
    Recordset articles(t.db(), s("Artikel"));
    ASSERT_TRUE(customers.refresh());
    ASSERT_TRUE(articles.refresh());
    prompts.answerMessage(Prompts::Ok);
    const datacorrection::Result r = datacorrection::run(customers, articles, prompts, kTitle);
    EXPECT_EQ(r.status, datacorrection::Result::Status::Corrected);
    EXPECT_EQ(r.customersCorrected, 5);
    EXPECT_EQ(r.articlesCorrected, 1);
    EXPECT_EQ(key("Kunden", lastCustomer), s(" "));
    EXPECT_EQ(t.count(s("Kunden"), s("a2 = ''")), 0);
    EXPECT_EQ(t.count(s("Artikel"), s("a2 = ' '")), 1);
    EXPECT_EQ(t.count(s("Artikel")), 1);
    EXPECT_EQ(prompts.last().text, datacorrection::doneMessage());
    // Both lists stand on their first records, the single article included.
    EXPECT_EQ(customers.position(), 0);
    EXPECT_EQ(articles.position(), 0);
    EXPECT_EQ(articles.text(s("a2")), s(" "));
}

TEST_F(DataCorrection, EmptyTables)
{
    // No customers at all: the articles are still corrected.
    ASSERT_TRUE(t.exec(s("DELETE FROM Kunden")));
    const qint64 article = t.addArticle(s(""), s("Artikel"), s("1,00"));
    datacorrection::Result r = datacorrection::correct(t.db());
    EXPECT_EQ(r.status, datacorrection::Result::Status::Corrected);
    EXPECT_EQ(key("Artikel", article), s(" "));

    // Neither customers nor articles: stops with its own message.
    ASSERT_TRUE(t.exec(s("DELETE FROM Artikel")));
    Recordset customers(t.db(), s("Kunden"));
    Recordset articles(t.db(), s("Artikel"));
    ASSERT_TRUE(customers.refresh());
    ASSERT_TRUE(articles.refresh());
    prompts.answerMessage(Prompts::Ok);
    r = datacorrection::run(customers, articles, prompts, kTitle);
    EXPECT_EQ(r.status, datacorrection::Result::Status::Empty);
    ASSERT_EQ(prompts.count(), 2);
    EXPECT_EQ(prompts.last().title, kTitle);
    EXPECT_EQ(prompts.last().text, datacorrection::nothingToCorrectMessage());
    EXPECT_TRUE(customers.eof() && articles.eof());
}

TEST_F(DataCorrection, TheMenuCommandStoresPendingEditsCorrectsAndReturnsToTheFirstRecords)
{
    const qint64 broken = t.addCustomer(s(""), s("Bernd"));
    const qint64 brokenArticle = t.addArticle(s(""), s("Mutter"), s("0,20"));
    Recordset customers(t.db(), s("Kunden"));
    Recordset articles(t.db(), s("Artikel"));
    customers.setRecordSource(s("SortKunden"));
    ASSERT_TRUE(customers.refresh());
    ASSERT_TRUE(articles.refresh());
    // The user has just emptied the template customer's name on the tab.
    ASSERT_TRUE(customers.moveToId(1));
    customers.setValue(s("a2"), s(""));
    articles.moveLast();

    prompts.onShown([&](const FakePrompts::Shown& shown) {
        // Nothing is changed before the user has confirmed the first message.
        if (shown.text == datacorrection::waitMessage()) {
            EXPECT_EQ(t.count(s("Kunden"), s("a2 = ' '")), 0);
        }
    });
    const datacorrection::Result r = datacorrection::run(customers, articles, prompts, kTitle);
    EXPECT_EQ(r.status, datacorrection::Result::Status::Corrected);
    EXPECT_EQ(r.customersCorrected, 2);
    EXPECT_EQ(r.articlesCorrected, 1);
    EXPECT_EQ(key("Kunden", 1), s(" "));
    EXPECT_EQ(key("Kunden", broken), s(" "));
    EXPECT_EQ(key("Artikel", brokenArticle), s(" "));

    ASSERT_EQ(prompts.count(), 2);
    EXPECT_EQ(prompts.shown().at(0).title, kTitle);
    EXPECT_EQ(prompts.shown().at(0).text, s("Bitte warten Sie, bis die Daten korrigiert sind"));
    EXPECT_EQ(prompts.shown().at(0).buttons, Prompts::Ok);
    EXPECT_EQ(prompts.shown().at(1).title, kTitle);
    EXPECT_EQ(prompts.shown().at(1).text, s("Daten wurden korrigiert "));
    EXPECT_EQ(prompts.shown().at(1).buttons, Prompts::Ok);

    // Both sources show the stored values from their first records.
    EXPECT_EQ(customers.position(), 0);
    EXPECT_EQ(articles.position(), 0);
    EXPECT_FALSE(customers.isDirty());
    EXPECT_EQ(customers.recordCount(), 2);
    for (int i = 0; i < customers.recordCount(); ++i) {
        customers.moveTo(i);
        EXPECT_EQ(customers.text(s("a2")), s(" "));
    }
}

TEST_F(DataCorrection, ARefusedWriteChangesNothingAndIsReported)
{
    const qint64 customer = t.addCustomer(s(""));
    const qint64 article = t.addArticle(s(""), s("Nagel"), s("0,01"));
    // The article table refuses every change: the customers already
    // corrected in the same run must be undone.
    ASSERT_TRUE(t.exec(s("CREATE TRIGGER no_article_change BEFORE UPDATE ON Artikel "
                         "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")));
    Recordset customers(t.db(), s("Kunden"));
    Recordset articles(t.db(), s("Artikel"));
    ASSERT_TRUE(customers.refresh());
    ASSERT_TRUE(articles.refresh());

    const datacorrection::Result r = datacorrection::run(customers, articles, prompts, kTitle);
    EXPECT_EQ(r.status, datacorrection::Result::Status::Failed);
    EXPECT_EQ(key("Kunden", customer), s(""));
    EXPECT_EQ(key("Artikel", article), s(""));
    ASSERT_EQ(prompts.count(), 2);
    EXPECT_EQ(prompts.last().title, s("Fehler"));
    EXPECT_EQ(prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_TRUE(prompts.last().text.contains(s("es wurde nichts geändert")));
    EXPECT_TRUE(prompts.last().text.contains(s("gesperrt")));

    // The database is usable afterwards: no transaction was left open.
    ASSERT_TRUE(t.exec(s("DROP TRIGGER no_article_change")));
    EXPECT_EQ(datacorrection::correct(t.db()).status, datacorrection::Result::Status::Corrected);
    EXPECT_EQ(key("Artikel", article), s(" "));
}
