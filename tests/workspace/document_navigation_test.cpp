#include "data/Recordset.h"
#include "support/SampleDocuments.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/DocumentSearch.h"

#include <gtest/gtest.h>


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
    Recordset& lines() { return sources.lines(); }

    test::TempDatabase db;
    test::SampleDocuments sample{db};
    QObject owner;
    DataSources sources{db.db(), &owner};
    DocumentNavigator navigator{sources};
    DocumentSearch search{sources.documents()};
};

TEST_F(DocumentNavigation, NoDocumentShowsNoLines)
{
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
}

} // namespace
