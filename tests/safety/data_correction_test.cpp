#include "data/Recordset.h"
#include "safety/DataCorrection.h"
#include "support/FakePrompts.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

using namespace quittora;
using quittora::test::TempDatabase;
using Status = quittora::datacorrection::Result::Status;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QString kTitle = s("Quittora pro");

class DataCorrection : public ::testing::Test {
protected:
    QString key(const char* table, qint64 id) { return t.field(s(table), id, s("a2")).toString(); }
    static QString counts(const datacorrection::Result& r)
    {
        const char* status = r.status == Status::Corrected ? "Corrected" : r.status == Status::Empty ? "Empty" : "Failed";
        return s("%1 %2 %3").arg(s(status)).arg(r.customersCorrected).arg(r.articlesCorrected);
    }
    // The menu command over both lists, as the window has them.
    datacorrection::Result run()
    {
        EXPECT_TRUE(customers.refresh() && articles.refresh());
        return datacorrection::run(customers, articles, prompts, kTitle);
    }

    TempDatabase t;
    FakePrompts prompts;
    Recordset customers{t.db(), s("Kunden")};
    Recordset articles{t.db(), s("Artikel")};
};

} // namespace

TEST_F(DataCorrection, EmptyAndNullKeysBecomeOneBlankOthersStayAsTheyAre)
{
    const qint64 empty = t.addCustomer(s(""), s("Anna"));
    const qint64 blanks = t.addCustomer(s("   "));
    const qint64 named = t.addCustomer(s("Müller"));
    const qint64 nullName = t.insert(s("Kunden"), {{s("a3"), s("ohne Namen")}});
    ASSERT_TRUE(t.exec(s("UPDATE Kunden SET a2 = NULL WHERE ID = ?"), {nullName}));
    const qint64 emptyArticle = t.addArticle(s(""), s("Schraube"), s("0,10"));
    const qint64 numbered = t.addArticle(s("A-1"), s("Dübel"), s("0,05"));
    EXPECT_EQ(counts(datacorrection::correct(t.db())), s("Corrected 2 1"));
    EXPECT_EQ(key("Kunden", empty) + key("Kunden", nullName) + s("|") + key("Kunden", blanks) + s("|")
                  + key("Kunden", named) + t.field(s("Kunden"), empty, s("a3")).toString(),
              s("  |   |MüllerAnna"));
    EXPECT_EQ(key("Artikel", emptyArticle) + key("Artikel", numbered), s(" A-1"));
    EXPECT_EQ(counts(datacorrection::correct(t.db())), s("Corrected 0 0")) << "nothing left to correct";
}

TEST_F(DataCorrection, TheMenuCommandStoresPendingEditsFirstAndAsksBeforeChanging)
{
    const qint64 broken = t.addCustomer(s(""), s("Bernd"));
    customers.setRecordSource(s("SortKunden"));
    ASSERT_TRUE(customers.refresh() && articles.refresh());
    // The user has just emptied the template's customer and article keys.
    ASSERT_TRUE(customers.moveToId(1));
    articles.moveFirst(); // the template's, the only one
    const qint64 article = articles.currentId();
    customers.setValue(s("a2"), s(""));
    articles.setValue(s("a2"), s(""));
    prompts.onShown([&](const FakePrompts::Shown& shown) {
        // Nothing changed before the user confirmed.
        EXPECT_TRUE(shown.text != datacorrection::waitMessage() || t.count(s("Kunden"), s("a2 = ' '")) == 0);
    });
    EXPECT_EQ(counts(datacorrection::run(customers, articles, prompts, kTitle)), s("Corrected 2 1"));
    EXPECT_EQ(key("Kunden", 1) + key("Kunden", broken) + key("Artikel", article), s("   "));
    EXPECT_EQ(prompts.messageTexts(), (QStringList{s("Bitte warten Sie, bis die Daten korrigiert sind"), s("Daten wurden korrigiert ")}));
    // Both lists show the stored values from their first records.
    EXPECT_EQ(customers.position() + articles.position(), 0);
    EXPECT_FALSE(customers.isDirty() || articles.isDirty());
    EXPECT_EQ(customers.text(s("a2")) + articles.text(s("a2")), s("  "));
}

TEST_F(DataCorrection, EmptyTablesAndARefusedWriteChangeNothingAndAreReported)
{
    ASSERT_TRUE(t.exec(s("DELETE FROM Kunden")) && t.exec(s("DELETE FROM Artikel")));
    prompts.answerMessage(Prompts::Ok);
    EXPECT_TRUE(run().status == Status::Empty && prompts.count() == 2 && customers.eof() && articles.eof());
    EXPECT_EQ(prompts.last().text, datacorrection::nothingToCorrectMessage());

    // The article table refuses every change: the customers already
    // corrected in the same run are undone.
    const qint64 customer = t.addCustomer(s(""));
    const qint64 nail = t.addArticle(s(""), s("Nagel"), s("0,01"));
    ASSERT_TRUE(t.exec(s("CREATE TRIGGER no_article_change BEFORE UPDATE ON Artikel BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")));
    prompts.clear();
    EXPECT_EQ(run().status, Status::Failed);
    EXPECT_TRUE(key("Kunden", customer) + key("Artikel", nail) == QString() && prompts.count() == 2);
    EXPECT_TRUE(prompts.last().icon == Prompts::Icon::Critical && prompts.last().text.contains(s("es wurde nichts geändert"))
                && prompts.last().text.contains(s("gesperrt"))) << prompts.last().text.toStdString();
    // No transaction was left open.
    ASSERT_TRUE(t.exec(s("DROP TRIGGER no_article_change")));
    EXPECT_EQ(counts(datacorrection::correct(t.db())), s("Corrected 1 1"));
}
