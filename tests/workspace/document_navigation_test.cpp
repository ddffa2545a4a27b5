#include "data/Recordset.h"
#include "support/SampleDocuments.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/DocumentSearch.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

using namespace quittora;

namespace {

class DocumentNavigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        ASSERT_TRUE(sources.bindAll(QStringLiteral("Artikel")));
        ASSERT_EQ(docs().recordCount(), 4);
        // Settle what binding has started.
        navigator.syncNow();
    }

    Recordset& docs() { return sources.documents(); }
    Recordset& customers() { return sources.customers(); }
    Recordset& lines() { return sources.lines(); }

    // Waits for the deferred follow-up of a move.
    void settle() { ASSERT_TRUE(QTest::qWaitFor([this] { return !navigator.syncTimer()->isActive(); }, 2000)); }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    QObject owner;
    DataSources sources{db.db(), &owner};
    DocumentNavigator navigator{sources};
};

TEST_F(DocumentNavigation, DataSourcesCarryTheirDesignNamesAndSources)
{
    for (const char* name : {"Data1", "Data2", "Data3", "Data4", "Data5"}) {
        Recordset* rs = owner.findChild<Recordset*>(QString::fromLatin1(name));
        ASSERT_NE(rs, nullptr) << name;
        EXPECT_EQ(rs, sources.byName(QString::fromLatin1(name)));
    }
    EXPECT_EQ(customers().recordSource(), QStringLiteral("SortKunden"));
    EXPECT_EQ(customers().baseTable(), QStringLiteral("Kunden"));
    EXPECT_EQ(sources.settings().recordCount(), 1);
    EXPECT_EQ(lines().recordSource(), QStringLiteral("SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID"));
}

TEST_F(DocumentNavigation, PagingMovesLinesAndCustomerWithTheDocumentAfterTheDeferral)
{
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_EQ(lines().recordCount(), 2);
    EXPECT_EQ(customers().currentId(), sample.mueller);

    navigator.next();
    EXPECT_EQ(docs().currentId(), sample.doc2);
    // The move itself finishes first; lines and customer follow on Timer5.
    EXPECT_TRUE(navigator.syncTimer()->isActive());
    EXPECT_EQ(lines().recordCount(), 2);
    settle();
    EXPECT_EQ(lines().recordCount(), 1);
    EXPECT_EQ(lines().text(QStringLiteral("n1")), QStringLiteral("Beratung"));
    EXPECT_EQ(customers().currentId(), sample.schmidt);

    navigator.next();
    settle();
    EXPECT_EQ(docs().currentId(), sample.doc3);
    EXPECT_EQ(lines().recordCount(), 3);
    EXPECT_EQ(customers().currentId(), sample.abele);

    navigator.first();
    settle();
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_EQ(customers().currentId(), sample.mueller);
}

TEST_F(DocumentNavigation, PagingStaysOnTheFirstAndLastDocument)
{
    navigator.previous();
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_TRUE(docs().hasCurrent());
    navigator.last();
    navigator.next();
    EXPECT_EQ(docs().currentId(), sample.doc4);
    EXPECT_TRUE(docs().hasCurrent());
}

TEST_F(DocumentNavigation, CustomerStopsFollowingAfterAFailedSearchUntilReloaded)
{
    docs().moveToId(sample.doc4); // its customer was deleted
    settle();
    EXPECT_EQ(customers().currentId(), sample.mueller);
    EXPECT_TRUE(customers().noMatch());
    EXPECT_EQ(lines().recordCount(), 1); // lines follow all the same

    docs().moveToId(sample.doc2);
    settle();
    EXPECT_EQ(customers().currentId(), sample.mueller);
    EXPECT_EQ(lines().recordCount(), 1);
    EXPECT_EQ(lines().text(QStringLiteral("n1")), QStringLiteral("Beratung"));

    customers().refresh();
    docs().moveToId(sample.doc3);
    settle();
    EXPECT_EQ(customers().currentId(), sample.abele);
}

TEST_F(DocumentNavigation, LoadTimerGoesToTheLastDocument)
{
    navigator.startLoadTimer();
    EXPECT_EQ(docs().currentId(), sample.doc1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return docs().currentId() == sample.doc4; }, 2000));
    settle();
    EXPECT_EQ(lines().text(QStringLiteral("a5")), QStringLiteral("17,50"));
}

TEST_F(DocumentNavigation, NoDocumentShowsNoLines)
{
    docs().setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a7 = ?"), {QStringLiteral("nix")});
    docs().refresh();
    navigator.syncNow();
    EXPECT_EQ(lines().recordCount(), 0);
    // A line whose head is gone never shows with "no document".
    db.exec(QStringLiteral("INSERT INTO Verkauf (a1, n1) VALUES ('', 'verwaist')"));
    navigator.syncNow();
    EXPECT_EQ(lines().recordCount(), 0);
}

TEST_F(DocumentNavigation, ArticlesNeverStayPastTheirEnds)
{
    Recordset& articles = sources.articles();
    articles.moveLast();
    const qint64 last = articles.currentId();
    articles.moveNext();
    EXPECT_TRUE(articles.hasCurrent());
    EXPECT_EQ(articles.currentId(), last);
    articles.moveFirst();
    const qint64 first = articles.currentId();
    articles.movePrevious();
    EXPECT_TRUE(articles.hasCurrent());
    EXPECT_EQ(articles.currentId(), first);
}

TEST_F(DocumentNavigation, ShowAllDocumentsKeepsTheCurrentOne)
{
    docs().setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a156 = ?"), {QStringLiteral("Angebot")});
    docs().refresh();
    ASSERT_EQ(docs().recordCount(), 1);
    navigator.showAllDocuments();
    EXPECT_EQ(docs().recordCount(), 4);
    EXPECT_EQ(docs().currentId(), sample.doc3);
    settle();
    EXPECT_EQ(lines().recordCount(), 3);
}

// The search box of the document list.
class DocumentSearchTest : public DocumentNavigation {
protected:
    DocumentSearch search{sources.documents()};
};

TEST_F(DocumentSearchTest, NumberModeFindsNumbersThatStartWithTheText)
{
    EXPECT_TRUE(search.textChanged(QStringLiteral("2")));
    EXPECT_EQ(docs().currentId(), sample.doc3);
    EXPECT_TRUE(search.textChanged(QStringLiteral("10")));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_TRUE(search.findNext(QStringLiteral("10")));
    EXPECT_EQ(docs().currentId(), sample.doc2);
    EXPECT_TRUE(search.findNext(QStringLiteral("10")));
    EXPECT_EQ(docs().currentId(), sample.doc4);
}

TEST_F(DocumentSearchTest, NameModeFindsTheTextInNameOrAdditionLine)
{
    search.setMode(DocumentSearch::Mode::Name);
    EXPECT_TRUE(search.textChanged(QStringLiteral("MÜLLER")));
    EXPECT_EQ(docs().currentId(), sample.doc1); // "Hans Müller"
    EXPECT_TRUE(search.findNext(QStringLiteral("MÜLLER")));
    EXPECT_EQ(docs().currentId(), sample.doc3); // addition "z. Hd. Frau Müller"
    EXPECT_TRUE(search.textChanged(QStringLiteral("mid")));
    EXPECT_EQ(docs().currentId(), sample.doc2); // inside "Eva Schmidt"
}

TEST_F(DocumentSearchTest, AFailedSearchStopsSearchingUntilTheSourceIsReloaded)
{
    docs().moveToId(sample.doc3);
    EXPECT_FALSE(search.textChanged(QStringLiteral("00")));
    // The search begins on the first document and stays there.
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_TRUE(search.blocked());

    EXPECT_FALSE(search.textChanged(QStringLiteral("1002")));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_FALSE(search.findNext(QStringLiteral("1002")));
    EXPECT_EQ(docs().currentId(), sample.doc1);

    navigator.showAllDocuments();
    EXPECT_FALSE(search.blocked());
    EXPECT_TRUE(search.textChanged(QStringLiteral("1002")));
    EXPECT_EQ(docs().currentId(), sample.doc2);
}

TEST_F(DocumentSearchTest, TypedTextIsOnlyEverAValue)
{
    search.setMode(DocumentSearch::Mode::Name);
    EXPECT_FALSE(search.textChanged(QStringLiteral("x' OR '1'='1")));
    EXPECT_EQ(docs().recordCount(), 4);
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 4);
    EXPECT_EQ(DocumentSearch::parameters(DocumentSearch::Mode::Name, QStringLiteral("a'b")),
              (QVariantList{QStringLiteral("*a'b*"), QStringLiteral("*a'b*")}));
    EXPECT_EQ(DocumentSearch::parameters(DocumentSearch::Mode::Number, QStringLiteral("12")),
              QVariantList{QStringLiteral("12*")});
}

TEST_F(DocumentSearchTest, EmptyTextShowsTheFirstDocument)
{
    docs().moveToId(sample.doc3);
    EXPECT_FALSE(search.textChanged(QString()));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_FALSE(search.blocked());
}

TEST_F(DocumentSearchTest, ArrowKeysStopAtTheEnds)
{
    search.moveUp();
    EXPECT_EQ(docs().currentId(), sample.doc1);
    search.moveDown();
    EXPECT_EQ(docs().currentId(), sample.doc2);
    docs().moveLast();
    search.moveDown();
    EXPECT_EQ(docs().currentId(), sample.doc4);
    EXPECT_TRUE(docs().hasCurrent());
}

} // namespace
