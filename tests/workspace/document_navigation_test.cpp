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

// The data sources and their navigation without any window.
class DocumentNavigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        ASSERT_TRUE(sources.bindAll(QStringLiteral("Artikel")));
        ASSERT_EQ(docs().recordCount(), 4);
        navigator.syncNow();
    }
    Recordset& docs() { return sources.documents(); }
    Recordset& customers() { return sources.customers(); }
    Recordset& lines() { return sources.lines(); }
    // Waits for the deferred follow-up of a move.
    void settle() { ASSERT_TRUE(QTest::qWaitFor([this] { return !navigator.syncTimer()->isActive(); }, 2000)); }
    void moveAndSettle(qint64 id)
    {
        ASSERT_TRUE(docs().moveToId(id));
        settle();
    }
    // Current customer and number of lines shown.
    std::pair<qint64, int> following() { return {customers().currentId(), lines().recordCount()}; }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    QObject owner;
    DataSources sources{db.db(), &owner};
    DocumentNavigator navigator{sources};
    DocumentSearch search{sources.documents()};
};

TEST_F(DocumentNavigation, LinesAndCustomerFollowTheDocumentAfterTheDeferral)
{
    EXPECT_EQ(following(), std::pair(sample.mueller, 2));
    navigator.next();
    EXPECT_EQ(docs().currentId(), sample.doc2);
    // The move itself finishes first; lines and customer follow on Timer5.
    EXPECT_TRUE(navigator.syncTimer()->isActive());
    EXPECT_EQ(following(), std::pair(sample.mueller, 2));
    settle();
    EXPECT_EQ(lines().text(QStringLiteral("n1")), QStringLiteral("Beratung"));
    EXPECT_EQ(following(), std::pair(sample.schmidt, 1));

    // The customer of doc4 was deleted: the customer stays, and no longer
    // follows until the customers are read again; the lines follow all the same.
    moveAndSettle(sample.doc4);
    EXPECT_EQ(following(), std::pair(sample.schmidt, 1));
    EXPECT_TRUE(customers().noMatch());
    moveAndSettle(sample.doc3);
    EXPECT_EQ(following(), std::pair(sample.schmidt, 3));
    customers().refresh();
    moveAndSettle(sample.doc1);
    EXPECT_EQ(customers().currentId(), sample.mueller);
}

TEST_F(DocumentNavigation, LoadTimerGoesToTheLastDocumentAndNoDocumentShowsNoLines)
{
    navigator.startLoadTimer();
    EXPECT_EQ(docs().currentId(), sample.doc1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return docs().currentId() == sample.doc4; }, 2000));
    docs().setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a7 = ?"), {QStringLiteral("nix")});
    docs().refresh();
    // A line whose head is gone never shows with "no document".
    db.exec(QStringLiteral("INSERT INTO Verkauf (a1, n1) VALUES ('', 'verwaist')"));
    navigator.syncNow();
    EXPECT_EQ(lines().recordCount(), 0);
}

TEST_F(DocumentNavigation, SearchFindsByNumberPrefixOrByNameAndAdditionLine)
{
    using M = DocumentSearch::Mode;
    using S = test::SampleDocuments;
    const struct {
        M mode;
        const char* text;
        bool next; // findNext instead of a changed text
        qint64 S::*found;
    } steps[] = {
        {M::Number, "2", false, &S::doc3}, {M::Number, "10", false, &S::doc1}, {M::Number, "10", true, &S::doc2},
        {M::Number, "10", true, &S::doc4},
        {M::Name, "MÜLLER", false, &S::doc1}, // "Hans Müller"
        {M::Name, "MÜLLER", true, &S::doc3},  // "z. Hd. Frau Müller"
        {M::Name, "mid", false, &S::doc2},    // inside "Eva Schmidt"
    };
    for (const auto& s : steps) {
        search.setMode(s.mode);
        const QString text = QString::fromUtf8(s.text);
        EXPECT_TRUE(s.next ? search.findNext(text) : search.textChanged(text)) << s.text;
        EXPECT_EQ(docs().currentId(), sample.*s.found) << s.text;
    }
    EXPECT_FALSE(search.textChanged(QStringLiteral("x' OR '1'='1")));
    EXPECT_EQ(db.count(QStringLiteral("Rechnungen")), 4);
}

TEST_F(DocumentNavigation, AMissLeavesTheFirstDocumentAndTheNextTextSearchesAgain)
{
    docs().moveToId(sample.doc3);
    EXPECT_FALSE(search.textChanged(QString())); // empty: the first document
    EXPECT_EQ(docs().currentId(), sample.doc1);

    docs().moveToId(sample.doc3);
    EXPECT_FALSE(search.textChanged(QStringLiteral("00")));
    EXPECT_EQ(docs().currentId(), sample.doc1);
    EXPECT_TRUE(search.textChanged(QStringLiteral("1002")));
    EXPECT_EQ(docs().currentId(), sample.doc2);
    EXPECT_FALSE(search.findNext(QStringLiteral("00")));
    EXPECT_TRUE(search.findNext(QStringLiteral("100")));
    EXPECT_EQ(docs().currentId(), sample.doc4);

    // Showing all documents reloads them and keeps the current one.
    docs().setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a156 = ?"), {QStringLiteral("Angebot")});
    docs().refresh();
    navigator.showAllDocuments();
    EXPECT_EQ(docs().recordCount(), 4);
    EXPECT_EQ(docs().currentId(), sample.doc3); // the quote the narrowed list showed

    search.moveUp();
    search.moveUp(); // stops at the first
    EXPECT_EQ(docs().currentId(), sample.doc1);
    search.moveDown();
    EXPECT_EQ(docs().currentId(), sample.doc2);
    docs().moveLast();
    search.moveDown();
    EXPECT_TRUE(docs().currentId() == sample.doc4 && docs().hasCurrent());
}

} // namespace
