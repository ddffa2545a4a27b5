// One keystroke of each search as you type (budget: under 30 ms), on the
// benchmark database (see BenchDatabase.h):
//   - the document list's search by number and by name (DocumentSearch),
//   - the customer search of the tab " Kunden" (Data1 over SortKunden),
//   - the article search by designation and by article number (Data2),
//   - the postal-code search by code and by town (plz.mdb beside the
//     program; QUITTORA_BENCH_PLZ names another one).
// Each benchmark's argument is the number of characters typed so far: the
// search runs for the text after that keystroke, exactly as the window runs
// it. Words are taken from the database (a document, a customer, an article
// in the middle of their tables), so every prefix finds something; the
// benchmarks marked "ohne Treffer" type one character more that matches
// nothing, the slowest case, since the whole range must be searched.
#include "BenchDatabase.h"

#include "data/JetLike.h"
#include "data/Recordset.h"
#include "tools/PostalCodeLookup.h"
#include "workspace/DocumentSearch.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

namespace {

using namespace quittora;

Database* g_db = nullptr;
QString g_plzPath;

struct Words {
    QString documentNumber;
    QString documentName;
    QString customerName;
    QString articleName;
    QString articleNumber;
} g_words;

QString firstValue(const QString& sql)
{
    QSqlQuery q(g_db->connection());
    if (q.exec(sql) && q.next())
        return q.value(0).toString();
    return {};
}

// A word of the table's middle record, so that searches neither stop at the
// first rows nor run to the end.
bool pickWords()
{
    g_words.documentNumber = firstValue(QStringLiteral(
        "SELECT a7 FROM Rechnungen WHERE a7 <> '' AND ID >= (SELECT MAX(ID) / 2 FROM Rechnungen) ORDER BY ID LIMIT 1"));
    // The last name of the document's recipient: the name search looks for it anywhere in the name line.
    const QString recipient = firstValue(QStringLiteral(
        "SELECT a2 FROM Rechnungen WHERE a2 <> '' AND ID >= (SELECT MAX(ID) / 2 FROM Rechnungen) ORDER BY ID LIMIT 1"));
    g_words.documentName = recipient.section(QLatin1Char(' '), -1);
    g_words.customerName = firstValue(QStringLiteral(
        "SELECT a2 FROM Kunden WHERE a2 <> '' AND ID >= (SELECT MAX(ID) / 2 FROM Kunden) ORDER BY ID LIMIT 1"));
    g_words.articleName = firstValue(QStringLiteral(
        "SELECT a3 FROM Artikel WHERE a3 <> '' AND ID >= (SELECT MAX(ID) / 2 FROM Artikel) ORDER BY ID LIMIT 1"));
    g_words.articleNumber = firstValue(QStringLiteral(
        "SELECT a2 FROM Artikel WHERE a2 LIKE 'A-*' AND ID >= (SELECT MAX(ID) / 2 FROM Artikel) ORDER BY ID LIMIT 1"));
    std::fprintf(stderr, "Suchwörter: Nummer \"%s\", Name \"%s\", Kunde \"%s\", Artikel \"%s\", Art-Nr. \"%s\"\n",
                 qPrintable(g_words.documentNumber), qPrintable(g_words.documentName),
                 qPrintable(g_words.customerName), qPrintable(g_words.articleName),
                 qPrintable(g_words.articleNumber));
    return !g_words.documentNumber.isEmpty() && !g_words.documentName.isEmpty() && !g_words.customerName.isEmpty()
        && !g_words.articleName.isEmpty() && !g_words.articleNumber.isEmpty();
}

// The text after `typed` keystrokes of word; one more than the word has
// appends a character that no record contains.
QString typedText(const QString& word, int typed)
{
    if (typed > word.size())
        return word + QStringLiteral("q\u00fcx");
    return word.left(typed);
}

void reportText(benchmark::State& state, const QString& text, bool found)
{
    state.SetLabel(QStringLiteral("\"%1\"%2").arg(text, found ? QString() : QStringLiteral(" ohne Treffer"))
                       .toStdString());
}

// The document list's search box (Text33), through the window's own logic:
// go to the first document, then find the first whose number starts with /
// whose name line or addition line contains the text.
void documentSearch(benchmark::State& state, const QString& word, DocumentSearch::Mode mode)
{
    Recordset docs(*g_db, QStringLiteral("Rechnungen"));
    docs.refresh();
    DocumentSearch search(docs);
    search.setMode(mode);
    const QString text = typedText(word, static_cast<int>(state.range(0)));
    bool found = false;
    for (auto _ : state) {
        found = search.textChanged(text);
        benchmark::DoNotOptimize(docs.currentId());
    }
    reportText(state, text, found);
}

void BM_DocumentSearchByNumber(benchmark::State& state)
{
    documentSearch(state, g_words.documentNumber, DocumentSearch::Mode::Number);
}

void BM_DocumentSearchByName(benchmark::State& state)
{
    documentSearch(state, g_words.documentName, DocumentSearch::Mode::Name);
}

// The search box Text22 on the customer tab: the first customer of the list
// (SortKunden) whose name starts with the text, with the criterion of
// ArticlesController::searchTyped.
void BM_CustomerSearch(benchmark::State& state)
{
    Recordset customers(*g_db, QStringLiteral("Kunden"));
    customers.setRecordSource(QStringLiteral("SortKunden"));
    customers.refresh();
    const QString text = typedText(g_words.customerName, static_cast<int>(state.range(0)));
    bool found = false;
    for (auto _ : state) {
        found = customers.findFirst(QStringLiteral("IFNULL(a2, '') LIKE ?"), {likePattern(text, LikeMode::StartsWith)});
        benchmark::DoNotOptimize(customers.currentId());
    }
    reportText(state, text, found);
}

// The search box Text22 on the article tabs: the first article whose
// designation (or number, when sorted by number) starts with the text
// becomes current, with the criterion of ArticlesController::searchTyped.
// Measured with the list first moved to its start and re-read, as the
// designed search does, so the window's own search costs at most this.
void articleSearch(benchmark::State& state, const QString& word, const QString& field)
{
    Recordset articles(*g_db, QStringLiteral("Artikel"));
    articles.setRecordSource(QStringLiteral("Select * from Artikel Order by ") + field + QLatin1Char(';'));
    articles.refresh();
    const QString text = typedText(word, static_cast<int>(state.range(0)));
    bool found = false;
    for (auto _ : state) {
        articles.moveFirst();
        articles.refresh();
        found = articles.findFirst(QStringLiteral("IFNULL(%1, '') LIKE ?").arg(field),
                                   {likePattern(text, LikeMode::StartsWith)});
        benchmark::DoNotOptimize(articles.currentId());
    }
    reportText(state, text, found);
}

void BM_ArticleSearchByName(benchmark::State& state)
{
    articleSearch(state, g_words.articleName, QStringLiteral("a3"));
}

void BM_ArticleSearchByNumber(benchmark::State& state)
{
    articleSearch(state, g_words.articleNumber, QStringLiteral("a2"));
}

// The search box of the postal-code window: each change sorts as the text
// asks (by code for a number, by town otherwise) and finds the first match.
void postalCodeSearch(benchmark::State& state, const QString& word)
{
    plz::PostalCodeLookup lookup;
    if (!lookup.open(g_plzPath)) {
        state.SkipWithError(qPrintable(QStringLiteral("plz.mdb fehlt: ") + lookup.problem()));
        return;
    }
    const QString text = typedText(word, static_cast<int>(state.range(0)));
    bool found = false;
    for (auto _ : state) {
        found = lookup.search(text);
        benchmark::DoNotOptimize(lookup.position());
    }
    reportText(state, text, found);
}

void BM_PostalCodeSearchByCode(benchmark::State& state)
{
    postalCodeSearch(state, QStringLiteral("80331"));
}

void BM_PostalCodeSearchByTown(benchmark::State& state)
{
    postalCodeSearch(state, QString::fromUtf8("München"));
}

// The keystrokes of typing a word of n characters: the first eight, the
// whole word, and n + 1 for the keystroke that finds nothing.
void typing(benchmark::internal::Benchmark* b, const QString& word)
{
    const int n = static_cast<int>(word.size());
    for (int i = 1; i <= std::min(n, 8); ++i)
        b->Arg(i);
    if (n > 8)
        b->Arg(n);
    b->Arg(n + 1);
    b->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    quittora::bench::BenchDatabase bench;
    if (!bench.prepare() || !(g_db = bench.open()) || !pickWords())
        return 1;
    g_plzPath = qEnvironmentVariable("QUITTORA_BENCH_PLZ");
    if (g_plzPath.isEmpty())
        g_plzPath = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/plz.mdb")).absoluteFilePath();

    typing(benchmark::RegisterBenchmark("BM_DocumentSearchByNumber", BM_DocumentSearchByNumber),
           g_words.documentNumber);
    typing(benchmark::RegisterBenchmark("BM_DocumentSearchByName", BM_DocumentSearchByName), g_words.documentName);
    typing(benchmark::RegisterBenchmark("BM_CustomerSearch", BM_CustomerSearch), g_words.customerName);
    typing(benchmark::RegisterBenchmark("BM_ArticleSearchByName", BM_ArticleSearchByName), g_words.articleName);
    typing(benchmark::RegisterBenchmark("BM_ArticleSearchByNumber", BM_ArticleSearchByNumber),
           g_words.articleNumber);
    typing(benchmark::RegisterBenchmark("BM_PostalCodeSearchByCode", BM_PostalCodeSearchByCode),
           QStringLiteral("80331"));
    typing(benchmark::RegisterBenchmark("BM_PostalCodeSearchByTown", BM_PostalCodeSearchByTown),
           QString::fromUtf8("München"));

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
