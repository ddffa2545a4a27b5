#include "print/OverviewList.h"

#include "print/PageQueries.h"
#include "print/PrintCursor.h"

#include <gtest/gtest.h>

using namespace quittora;
using namespace quittora::testing;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

QList<overview::Row> rows(int n)
{
    QList<overview::Row> out;
    for (int i = 1; i <= n; ++i)
        out << overview::Row{i, QString::number(1000 + i), QString::number(i) + u(",5"), QStringLiteral("Kunde %1").arg(i),
                             u("03.05.2024"), u("Musterstadt")};
    return out;
}

PageModel list(const QList<overview::Row>& rows, int total)
{
    const std::vector<PageModel> docs = overviewlist::documents(rows, Decimal::fromInt(total), QLatin1Char(','));
    EXPECT_EQ(docs.size(), 1u); // one print job
    return docs.empty() ? PageModel() : docs.front();
}

// The total's label, and its amount at the amount column on the same line.
std::pair<const TextItem*, const TextItem*> total(const Page& page)
{
    const TextItem* label = page.findText(u("Gesamtsumme"));
    return {label, label ? textAt(page, 130, label->y.value()) : nullptr};
}

} // namespace

TEST(OverviewList, HeadingRowsAndTotalWithAlignedAmounts)
{
    PrintCursor p;
    Rechnungsaufstellung_drucken(p);
    EXPECT_DOUBLE_EQ(p.CurrentY.value(), 30.0);
    QList<overview::Row> two = rows(2);
    two[1].amount = u("offen"); // no number: printed as it stands
    const PageModel doc = list(two, 1);
    ASSERT_EQ(doc.pageCount(), 1);
    const Page& page = doc.page(0);
    EXPECT_TRUE(hasLine(page, 15, 25, 197, 25));
    for (const double x : {152.0, 167.0, 182.0})
        EXPECT_TRUE(hasLine(page, x, 15, x, 285)) << x;
    EXPECT_EQ(page.lines().size(), 4u);
    expectPlaced(page, {{'L', 20, 17, "R.-Datum"}, {'L', 45, 17, "R.-Nr. "}, {'L', 62, 17, "R.-Name"}, {'L', 130, 17, "R.-Betrag"},
                        {'L', 20, 30, "03.05.2024"}, {'L', 45, 30, "1001"}, {'L', 62, 30, "Kunde 1"}, {'L', 130, 30, "   1,50"}});
    EXPECT_EQ(textAt(page, 130, 17)->style, (TextStyle{u("Arial"), 10, false, false, QColor(Qt::black)}));
    EXPECT_EQ(textAt(page, 130, 30)->style.fontName, u("Courier New"));
    EXPECT_TRUE(textAt(page, 130, 30)->style.bold);
    // The second row follows one amount line and one empty line lower.
    const TextItem* second = page.findText(u("Kunde 2"));
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second->y.value(), 36.0);
    EXPECT_LT(second->y.value(), 40.0);
    EXPECT_EQ(textAtOrEmpty(page, 130, second->y.value()), u("  offen"));
    const auto [label, sum] = total(page);
    ASSERT_TRUE(label && sum);
    EXPECT_DOUBLE_EQ(label->x.value(), 45.0);
    EXPECT_GT(label->y.value(), second->y.value());
    EXPECT_FALSE(label->style.bold);
    EXPECT_EQ(sum->text, u("   1,00"));
    EXPECT_TRUE(sum->style.bold);

    // A wide total widens the amount column so the figures stay aligned.
    const PageModel wide = list(rows(3), 123456);
    const auto [wideLabel, wideSum] = total(wide.page(0));
    ASSERT_TRUE(wideSum);
    EXPECT_EQ(wideSum->text, u("123456,00"));
    EXPECT_EQ(textAtOrEmpty(wide.page(0), 130, 30), u("     1,50"));
    EXPECT_NEAR((textAt(wide.page(0), 130, 30)->x + textAt(wide.page(0), 130, 30)->width).value(),
                (wideSum->x + wideSum->width).value(), 0.01);

    EXPECT_TRUE(overviewlist::documents({}, Decimal(), QLatin1Char(',')).empty());
    EXPECT_EQ(overviewlist::printQuestion(), u("Die angezeigten Rechnugsaufstellung drucken ?"));
    EXPECT_EQ(overviewlist::printTitle(), u("Achtung !"));
    EXPECT_EQ(overviewlist::listAmount(u("12.5"), QLatin1Char('.')), u("  12.50"));
    EXPECT_EQ(overviewlist::listAmount(u("123456,78"), QLatin1Char(',')), u("123456,78"));
    EXPECT_EQ(overviewlist::listAmount({}, QLatin1Char(',')), u("       "));
}

TEST(OverviewList, HundredRowsContinueOnPagesEachWithTheHeading)
{
    const PageModel doc = list(rows(100), 5100);
    ASSERT_GE(doc.pageCount(), 3);
    size_t printed = 0;
    double pitch = 0;
    for (int i = 0; i < doc.pageCount(); ++i) {
        const Page& page = doc.page(i);
        std::vector<double> ys; // the rows' dates at x 20
        for (const TextItem* t : page.texts()) {
            if (near(t->x.value(), 20) && t->y.value() > 25)
                ys.push_back(t->y.value());
        }
        ASSERT_GE(ys.size(), 2u) << "page " << i;
        if (i == 0)
            pitch = ys[1] - ys[0];
        printed += ys.size();
        EXPECT_EQ(textAtOrEmpty(page, 130, 17), u("R.-Betrag")) << "page " << i;
        EXPECT_TRUE(hasLine(page, 15, 25, 197, 25));
        // Rows begin at 30 mm; none below 270 mm, and a page ends only when the next row would have.
        EXPECT_DOUBLE_EQ(ys.front(), 30.0) << "page " << i;
        EXPECT_LE(ys.back(), 270.0) << "page " << i;
        if (i + 1 < doc.pageCount())
            EXPECT_GT(ys.back() + pitch, 270.0) << "page " << i;
    }
    EXPECT_GT(pitch, 6.0);
    EXPECT_LT(pitch, 10.0);
    EXPECT_EQ(printed, 100u);
    const auto [label, sum] = total(doc.page(doc.pageCount() - 1));
    ASSERT_TRUE(sum);
    EXPECT_EQ(sum->text, u("5100,00"));
}

TEST(OverviewList, LongValuesEndBeforeTheNextColumnAndStayOnTheirLine)
{
    QList<overview::Row> one = rows(1);
    one[0].name = u("Großhandelsgesellschaft für Bürobedarf und Schreibwaren Müller & Söhne mbH");
    one[0].number = u("2024-000123456789");
    one[0].date = u("Datum\r\nfehlt");
    const PageModel doc = list(one, 1);
    const Page& page = doc.page(0);
    const TextItem* name = textAt(page, 62, 30);
    const TextItem* number = textAt(page, 45, 30);
    ASSERT_TRUE(name && number);
    EXPECT_TRUE(name->text.startsWith(u("Großhandelsgesellschaft für"))) << name->text.toStdString();
    EXPECT_TRUE(name->text.endsWith(QChar(0x2026)));
    EXPECT_LT((name->x + name->width).value(), 130.0);
    EXPECT_LT((number->x + number->width).value(), 62.0);
    EXPECT_EQ(textAtOrEmpty(page, 20, 30), u("Datum fehlt"));
}
