#include "print/OverviewList.h"

#include "print/PageQueries.h"
#include "print/PrintCursor.h"

#include <gtest/gtest.h>

using namespace quittora;
using namespace quittora::testing;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

QList<overview::Row> rows(int n)
{
    QList<overview::Row> out;
    for (int i = 1; i <= n; ++i) {
        overview::Row r;
        r.id = i;
        r.number = QString::number(1000 + i);
        r.amount = QString::number(i) + u(",5");
        r.name = QStringLiteral("Kunde %1").arg(i);
        r.date = u("03.05.2024");
        r.place = u("Musterstadt");
        out << r;
    }
    return out;
}

const TextItem* textStartingWith(const Page& page, const QString& text)
{
    for (const TextItem* t : page.texts()) {
        if (t->text == text)
            return t;
    }
    return nullptr;
}

} // namespace

TEST(Rechnungsaufstellung_drucken, DrawsRulesAndColumnHeadingsAndLeavesTheCursorAtThirtyMillimetres)
{
    PrintCursor p;
    Rechnungsaufstellung_drucken(p);
    const Page& page = p.document().page(0);
    EXPECT_TRUE(hasLine(page, 15, 25, 197, 25));
    for (const double x : {152.0, 167.0, 182.0})
        EXPECT_TRUE(hasLine(page, x, 15, x, 285)) << x;
    EXPECT_EQ(page.lines().size(), 4u);

    EXPECT_EQ(textAtOrEmpty(page, 20, 17), u("R.-Datum"));
    EXPECT_EQ(textAtOrEmpty(page, 45, 17), u("R.-Nr. "));
    EXPECT_EQ(textAtOrEmpty(page, 62, 17), u("R.-Name"));
    const TextItem* amount = textAt(page, 130, 17);
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(amount->text, u("R.-Betrag"));
    EXPECT_EQ(amount->style.fontName, u("Arial"));
    EXPECT_EQ(amount->style.sizePt, 10);
    EXPECT_FALSE(amount->style.bold);
    EXPECT_DOUBLE_EQ(p.CurrentY.value(), 30.0);
}

TEST(OverviewList, RowsShowDateNumberNameAndAlignedAmountThenTheTotal)
{
    QList<overview::Row> list = rows(2);
    list[1].amount = u("offen"); // no number: printed as it stands
    const std::vector<PageModel> docs = overviewlist::documents(list, Decimal::fromInt(1), QLatin1Char(','));
    ASSERT_EQ(docs.size(), 1u);
    ASSERT_EQ(docs[0].pageCount(), 1);
    const Page& page = docs[0].page(0);

    EXPECT_EQ(textsOnLine(page, 30), (QStringList{u("03.05.2024"), u("1001"), u("Kunde 1"), u("   1,50")}));
    const TextItem* amount = textAt(page, 130, 30);
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(amount->style.fontName, u("Courier New"));
    EXPECT_TRUE(amount->style.bold);
    EXPECT_EQ(textAtOrEmpty(page, 20, 30), u("03.05.2024"));
    EXPECT_EQ(textAtOrEmpty(page, 45, 30), u("1001"));
    EXPECT_EQ(textAtOrEmpty(page, 62, 30), u("Kunde 1"));

    // The second row follows one amount line and one empty line lower.
    const TextItem* second = textStartingWith(page, u("Kunde 2"));
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second->y.value(), 36.0);
    EXPECT_LT(second->y.value(), 40.0);
    EXPECT_EQ(textAtOrEmpty(page, 130, second->y.value()), u("  offen"));

    const TextItem* total = textStartingWith(page, u("Gesamtsumme"));
    ASSERT_NE(total, nullptr);
    EXPECT_DOUBLE_EQ(total->x.value(), 45.0);
    EXPECT_GT(total->y.value(), second->y.value());
    const TextItem* sum = textAt(page, 130, total->y.value());
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->text, u("   1,00"));
    EXPECT_TRUE(sum->style.bold);
    EXPECT_FALSE(textStartingWith(page, u("Gesamtsumme"))->style.bold);
}

TEST(OverviewList, HundredRowsContinueOnPagesEachWithTheHeading)
{
    const std::vector<PageModel> docs = overviewlist::documents(rows(100), Decimal::fromInt(5100), QLatin1Char(','));
    ASSERT_EQ(docs.size(), 1u); // one print job
    const PageModel& doc = docs[0];
    ASSERT_GE(doc.pageCount(), 3);

    // The rows' y positions (their dates at x 20) page by page.
    std::vector<std::vector<double>> rowYs;
    for (const Page& page : doc.pages()) {
        rowYs.emplace_back();
        for (const TextItem* t : page.texts()) {
            if (near(t->x.value(), 20) && t->y.value() > 25)
                rowYs.back().push_back(t->y.value());
        }
    }
    ASSERT_GE(rowYs[0].size(), 2u);
    const double pitch = rowYs[0][1] - rowYs[0][0];
    EXPECT_GT(pitch, 6.0);
    EXPECT_LT(pitch, 10.0);

    size_t printed = 0;
    for (size_t i = 0; i < rowYs.size(); ++i) {
        const Page& page = doc.page(int(i));
        EXPECT_EQ(textAtOrEmpty(page, 130, 17), u("R.-Betrag")) << "page " << i;
        EXPECT_TRUE(hasLine(page, 15, 25, 197, 25));
        ASSERT_FALSE(rowYs[i].empty());
        printed += rowYs[i].size();
        // Rows begin at 30 mm; none starts below 270 mm, and a page ends only
        // when the next row would have.
        EXPECT_DOUBLE_EQ(rowYs[i].front(), 30.0) << "page " << i;
        EXPECT_LE(rowYs[i].back(), 270.0) << "page " << i;
        if (i + 1 < rowYs.size()) {
            EXPECT_GT(rowYs[i].back() + pitch, 270.0) << "page " << i;
        }
    }
    EXPECT_EQ(printed, 100u);
    const Page& last = doc.page(doc.pageCount() - 1);
    const TextItem* total = textStartingWith(last, u("Gesamtsumme"));
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(textAtOrEmpty(last, 130, total->y.value()), u("5100,00"));
}

TEST(OverviewList, EmptySelectionPrintsNothing)
{
    EXPECT_TRUE(overviewlist::documents({}, Decimal(), QLatin1Char(',')).empty());
}

TEST(OverviewList, QuestionAndAmountColumn)
{
    EXPECT_EQ(overviewlist::printQuestion(), u("Die angezeigten Rechnugsaufstellung drucken ?"));
    EXPECT_EQ(overviewlist::printTitle(), u("Achtung !"));
    EXPECT_EQ(overviewlist::listAmount(u("12,5"), QLatin1Char(',')), u("  12,50"));
    EXPECT_EQ(overviewlist::listAmount(u("12.5"), QLatin1Char('.')), u("  12.50"));
    EXPECT_EQ(overviewlist::listAmount(u("123456,78"), QLatin1Char(',')), u("123456,78"));
    EXPECT_EQ(overviewlist::listAmount({}, QLatin1Char(',')), u("       "));
}

TEST(OverviewList, LongValuesEndBeforeTheNextColumnAndStayOnTheirLine)
{
    QList<overview::Row> list = rows(1);
    list[0].name = u("Großhandelsgesellschaft für Bürobedarf und Schreibwaren Müller & Söhne mbH");
    list[0].number = u("2024-000123456789");
    list[0].date = u("Datum\r\nfehlt");
    const std::vector<PageModel> docs = overviewlist::documents(list, Decimal::fromInt(1), QLatin1Char(','));
    ASSERT_EQ(docs.size(), 1u);
    const Page& page = docs[0].page(0);
    const TextItem* name = textAt(page, 62, 30);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text.startsWith(u("Großhandelsgesellschaft für"))) << name->text.toStdString();
    EXPECT_TRUE(name->text.endsWith(QChar(0x2026)));
    EXPECT_LT((name->x + name->width).value(), 130.0);
    const TextItem* number = textAt(page, 45, 30);
    ASSERT_NE(number, nullptr);
    EXPECT_LT((number->x + number->width).value(), 62.0);
    const TextItem* date = textAt(page, 20, 30);
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->text, u("Datum fehlt"));
    // Short values stay whole.
    EXPECT_EQ(textsOnLine(overviewlist::documents(rows(1), Decimal(), QLatin1Char(','))[0].page(0), 30).at(2),
              u("Kunde 1"));
}

TEST(OverviewList, AWideTotalWidensTheAmountColumnSoTheFiguresStayAligned)
{
    const QList<overview::Row> list = rows(3); // 1,50 2,50 3,50
    const std::vector<PageModel> docs = overviewlist::documents(list, Decimal::fromInt(123456), QLatin1Char(','));
    ASSERT_EQ(docs.size(), 1u);
    const Page& page = docs[0].page(0);
    const TextItem* first = textAt(page, 130, 30);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text, u("     1,50"));
    const TextItem* total = textStartingWith(page, u("Gesamtsumme"));
    ASSERT_NE(total, nullptr);
    const TextItem* sum = textAt(page, 130, total->y.value());
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->text, u("123456,00"));
    EXPECT_NEAR((first->x + first->width).value(), (sum->x + sum->width).value(), 0.01);
}
