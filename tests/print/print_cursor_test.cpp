#include "print/PrintCursor.h"
#include "print/PrintFonts.h"
#include "print/PrintedAmount.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPdfWriter>

using namespace quittora;
using namespace quittora::literals;

namespace {

// The width the PDF writer itself gives the text: measured independently of
// the cursor, on the device documents are written to.
double pdfWidthMm(const QString& family, double sizePt, bool bold, const QString& text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    QFont font(family);
    font.setPointSizeF(sizePt);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFontMetricsF(font, &writer).horizontalAdvance(text) * 25.4 / 1200.0;
}

} // namespace

TEST(PrintFonts, OfficeFontsResolveToTheirMetricCompatibleStandIns)
{
    EXPECT_EQ(QFontInfo(printFont({QStringLiteral("Arial"), 10.5})).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(printFont({QStringLiteral("Courier New"), 10})).family(), QStringLiteral("Liberation Mono"));
    // A display font that is not installed still gives a usable font.
    EXPECT_FALSE(QFontInfo(printFont({QStringLiteral("Andy"), 18, true})).family().isEmpty());
    EXPECT_GT(textWidth({QStringLiteral("Andy"), 18, true}, QStringLiteral("Muster GmbH")).value(), 10.0);
}

TEST(PrintCursor, PrintRightEndsAtXWithTheRealFontMetrics)
{
    struct Case {
        QString family;
        QString metricsFamily;
        double size;
        bool bold;
        QString text;
    };
    const Case cases[] = {
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 10.5, false, QStringLiteral("1234,56 EUR")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 10.5, true, QStringLiteral("Rechnungsbetrag")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 7.5, false, QStringLiteral("Wälder & Söhne")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), 12, false, QStringLiteral("0815 Stk")},
    };
    for (const Case& c : cases) {
        PrintCursor p;
        p.FontName = c.family;
        p.FontSize = c.size;
        p.FontBold = c.bold;
        p.CurrentY = 260_mm;
        p.PrintRight(c.text, 170_mm, {}, true);
        const TextItem* t = p.document().page(0).findText(c.text);
        ASSERT_NE(t, nullptr);
        const double expectedWidth = pdfWidthMm(c.metricsFamily, c.size, c.bold, c.text);
        EXPECT_NEAR(t->x.value() + expectedWidth, 170.0, 0.1) << c.text.toStdString();
        EXPECT_DOUBLE_EQ(t->y.value(), 260.0);
        // Printed with a line end: the next line starts below the text.
        EXPECT_GT(p.CurrentY, 260_mm);
    }
}

TEST(PrintCursor, PrintRightWithoutNewLineLeavesThePositionAndDefaultsToTheCurrentX)
{
    PrintCursor p;
    p.CurrentX = 120_mm;
    p.CurrentY = 40_mm;
    p.PrintRight(QStringLiteral("rechtsbündig"));
    EXPECT_EQ(p.CurrentX, 120_mm);
    EXPECT_EQ(p.CurrentY, 40_mm);
    const TextItem* t = p.document().page(0).findText(QStringLiteral("rechtsbündig"));
    ASSERT_NE(t, nullptr);
    EXPECT_NEAR((t->x + t->width).value(), 120.0, 1e-9);

    p.PrintRight(QStringLiteral("oben"), 150_mm, 30_mm);
    EXPECT_EQ(p.CurrentX, 120_mm);
    EXPECT_EQ(p.CurrentY, 40_mm);
    EXPECT_DOUBLE_EQ(p.document().page(0).findText(QStringLiteral("oben"))->y.value(), 30.0);
}

TEST(PrintCursor, PrintMovesDownALineOrOnAlongTheLine)
{
    PrintCursor p;
    p.FontSize = 10.5;
    p.PrintAt(55_mm, 130_mm, QStringLiteral("Bezeichnung"));
    const Millimetres step = p.TextHeight();
    EXPECT_GT(step, 3.5_mm); // 10.5 pt is 3.7 mm before the line gap
    EXPECT_LT(step, 5.0_mm);
    EXPECT_EQ(p.CurrentX, 55_mm);
    EXPECT_EQ(p.CurrentY, 130_mm + step);

    p.CurrentY = 140_mm;
    p.Print(QStringLiteral("Menge "), PrintCursor::LineEnd::No);
    EXPECT_EQ(p.CurrentY, 140_mm);
    EXPECT_NEAR(p.CurrentX.value(), (55_mm + p.TextWidth(QStringLiteral("Menge "))).value(), 1e-9);
    p.Print(QStringLiteral("Stk"));
    const TextItem* stk = p.document().page(0).findText(QStringLiteral("Stk"));
    ASSERT_NE(stk, nullptr);
    EXPECT_GT(stk->x, 55_mm);

    // An empty line takes its place but puts nothing on the page.
    const size_t before = p.document().page(0).items.size();
    p.Print();
    EXPECT_EQ(p.document().page(0).items.size(), before);
}

TEST(PrintCursor, LineBreaksInATextStartTheirLinesAtTheSameX)
{
    PrintCursor p;
    p.PrintAt(55_mm, 100_mm, QStringLiteral("erste Zeile\r\nzweite Zeile\nletzte"));
    const auto texts = p.document().page(0).texts();
    ASSERT_EQ(texts.size(), 3u);
    for (const TextItem* t : texts)
        EXPECT_EQ(t->x, 55_mm);
    const double step = p.TextHeight().value();
    EXPECT_NEAR(texts[1]->y.value(), 100 + step, 1e-9);
    EXPECT_NEAR(texts[2]->y.value(), 100 + 2 * step, 1e-9);
    EXPECT_NEAR(p.CurrentY.value(), 100 + 3 * step, 1e-9);
    EXPECT_EQ(p.TextWidth(QStringLiteral("kurz\nviel längere Zeile")), p.TextWidth(QStringLiteral("viel längere Zeile")));
}

TEST(PrintCursor, WrapTextBreaksBetweenWordsWithinTheWidthAndKeepsItsOwnBreaks)
{
    PrintCursor p;
    p.FontSize = 10.5;
    const QString paragraph = QStringLiteral("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen "
                                             "ohne Abzug auf unser unten genanntes Konto.");
    const Millimetres width = 60_mm;
    const QStringList lines = p.WrapText(paragraph + QStringLiteral("\n\nDanke!"), width);
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.at(lines.size() - 2), QString());
    EXPECT_EQ(lines.last(), QStringLiteral("Danke!"));
    const QStringList wrapped = lines.mid(0, lines.size() - 2);
    EXPECT_EQ(wrapped.join(QLatin1Char(' ')), paragraph);
    for (qsizetype i = 0; i < wrapped.size(); ++i) {
        EXPECT_LE(p.TextWidth(wrapped.at(i)), width) << wrapped.at(i).toStdString();
        // Greedy: the next word would not have fitted.
        if (i + 1 < wrapped.size()) {
            const QString next = wrapped.at(i) + QLatin1Char(' ') + wrapped.at(i + 1).section(QLatin1Char(' '), 0, 0);
            EXPECT_GT(p.TextWidth(next), width) << next.toStdString();
        }
    }
    // A wider font gives more lines.
    p.FontSize = 14;
    EXPECT_GT(p.WrapText(paragraph, width).size(), wrapped.size());
}

TEST(PrintCursor, WrapTextBreaksAnOverlongWordAndLeavesShortTextsAlone)
{
    PrintCursor p;
    const QString word(80, QLatin1Char('M'));
    const QStringList pieces = p.WrapText(QStringLiteral("  ") + word, 30_mm);
    ASSERT_GE(pieces.size(), 3);
    EXPECT_EQ(pieces.join(QString()), QStringLiteral("  ") + word);
    for (const QString& piece : pieces) {
        EXPECT_FALSE(piece.isEmpty());
        EXPECT_LE(p.TextWidth(piece), 30_mm);
    }
    EXPECT_EQ(p.WrapText(QStringLiteral("kurz"), 30_mm), QStringList{QStringLiteral("kurz")});
    EXPECT_EQ(p.WrapText(QString(), 30_mm), QStringList{QString()});
    // Even a width too small for one character ends, a character a line.
    EXPECT_EQ(p.WrapText(QStringLiteral("abc"), 0.1_mm), (QStringList{QStringLiteral("a"), QStringLiteral("b"),
                                                                     QStringLiteral("c")}));
}

TEST(PrintCursor, TextsCarryTheFontStateOfTheirMoment)
{
    PrintCursor p;
    p.FontName = QStringLiteral("Andy");
    p.FontSize = 18;
    p.FontBold = true;
    p.ForeColor = QColor(255, 0, 0);
    p.PrintAt(20_mm, 15_mm, QStringLiteral("Titel"));
    p.FontName = QStringLiteral("Arial");
    p.FontSize = 7.5;
    p.FontBold = false;
    p.FontUnderline = true;
    p.ForeColor = Qt::black;
    p.PrintAt(23_mm, 49_mm, QStringLiteral("Absender"));
    const Page& page = p.document().page(0);
    EXPECT_EQ(page.findText(QStringLiteral("Titel"))->style,
              (TextStyle{QStringLiteral("Andy"), 18, true, false, QColor(255, 0, 0)}));
    EXPECT_EQ(page.findText(QStringLiteral("Absender"))->style,
              (TextStyle{QStringLiteral("Arial"), 7.5, false, true, QColor(Qt::black)}));
}

TEST(PrintCursor, LinesMoveThePositionToTheirEnd)
{
    PrintCursor p;
    p.DrawWidth = 3;
    p.Line(14_mm, 121_mm, 200_mm, 121_mm);
    EXPECT_EQ(p.CurrentX, 200_mm);
    EXPECT_EQ(p.CurrentY, 121_mm);
    const auto lines = p.document().page(0).lines();
    ASSERT_EQ(lines.size(), 1u);
    // Three dots of a 600 dpi printer.
    EXPECT_NEAR(lines[0]->width.value(), 3 * 25.4 / 600, 1e-9);
}

TEST(PrintCursor, PicturesKeepTheirProportions)
{
    PrintCursor p;
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    EXPECT_TRUE(p.PaintPicture(wide, 150_mm, 10_mm, 20_mm));
    const auto images = p.document().page(0).images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0]->width.value(), 40.0);
    EXPECT_DOUBLE_EQ(images[0]->height.value(), 20.0);
    EXPECT_FALSE(p.PaintPicture(QImage(), 0_mm, 0_mm, 20_mm));
    EXPECT_FALSE(p.PaintPicture(wide, 0_mm, 0_mm, 0_mm));
    EXPECT_EQ(p.document().page(0).images().size(), 1u);
}

TEST(PrintCursor, PagesAndDocumentsFollowNewPageAndEndDoc)
{
    PrintCursor p;
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Seite 1"));
    EXPECT_EQ(p.Page(), 1);
    p.NewPage();
    EXPECT_EQ(p.Page(), 2);
    EXPECT_EQ(p.CurrentY, 0_mm);
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Seite 2"));
    p.EndDoc();
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Kopie 2"));
    p.EndDoc();
    p.EndDoc(); // nothing printed since: no empty job

    const std::vector<PageModel> docs = p.takeDocuments();
    ASSERT_EQ(docs.size(), 2u);
    ASSERT_EQ(docs[0].pageCount(), 2);
    EXPECT_NE(docs[0].page(0).findText(QStringLiteral("Seite 1")), nullptr);
    EXPECT_EQ(docs[0].page(0).findText(QStringLiteral("Seite 2")), nullptr);
    EXPECT_NE(docs[0].page(1).findText(QStringLiteral("Seite 2")), nullptr);
    EXPECT_EQ(docs[1].pageCount(), 1);
    EXPECT_TRUE(p.takeDocuments().empty());
}

TEST(PrintedAmount, TwoDecimalsABlankAndTheCurrency)
{
    EXPECT_EQ(printedAmount(Decimal::fromInt(1234), QLatin1Char(','), QStringLiteral("EUR")), QStringLiteral("1234,00 EUR"));
    EXPECT_EQ(printedAmount(QStringLiteral("12,5"), QLatin1Char(','), QStringLiteral("€")), QStringLiteral("12,50 €"));
    EXPECT_EQ(printedAmount(QStringLiteral("-0,005"), QLatin1Char(','), QStringLiteral("EUR")), QStringLiteral("-0,01 EUR"));
    EXPECT_EQ(printedAmount(QStringLiteral("7.125"), QLatin1Char('.'), QStringLiteral("CHF")), QStringLiteral("7.13 CHF"));
    // Not a number in this locale: shown as typed rather than dropped.
    EXPECT_EQ(printedAmount(QStringLiteral("pauschal"), QLatin1Char(','), QStringLiteral("EUR")), QStringLiteral("pauschal EUR"));
}
