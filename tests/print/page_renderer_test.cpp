#include "print/PageRenderer.h"

#include "print/PrintCursor.h"
#include "print/PrintFonts.h"
#include "print/PdfWords.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::literals;
using quittora::testing::findWord;
using quittora::testing::pdfWords;

namespace {

std::vector<PageModel> twoPageDocument()
{
    PrintCursor p;
    p.FontName = QStringLiteral("Arial");
    p.FontSize = 10.5;
    p.PrintAt(50_mm, 100_mm, QStringLiteral("Kontrollwort"));
    p.CurrentY = 260_mm;
    p.PrintRight(QStringLiteral("1234,50 EUR"), 198_mm, {}, true);
    p.NewPage();
    p.FontBold = true;
    p.PrintAt(20_mm, 15_mm, QStringLiteral("Folgeseite"));
    return p.takeDocuments();
}

} // namespace

TEST(PageRenderer, PdfPlacesWordsAtTheirMillimetresLessTheMarginValues)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("seite.pdf"));
    const MarginValues margins{5.0f, 3.5f};
    QString error;
    ASSERT_TRUE(renderToPdf(twoPageDocument(), file, margins, &error)) << error.toStdString();

    const auto words = pdfWords(file, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();

    const auto* word = findWord(words, QStringLiteral("Kontrollwort"), 0);
    ASSERT_NE(word, nullptr);
    EXPECT_NEAR(word->xMin, 50.0 - 5.0, 0.1);
    // The text's position is the top of its character cell.
    EXPECT_NEAR(word->yMin, 100.0 - 3.5, 0.3);

    // Right-aligned: the last word ends at 198 mm less the margin value.
    const auto* unit = findWord(words, QStringLiteral("EUR"), 0);
    ASSERT_NE(unit, nullptr);
    EXPECT_NEAR(unit->xMax, 198.0 - 5.0, 0.1);
    EXPECT_NEAR(unit->yMin, 260.0 - 3.5, 0.3);

    const auto* next = findWord(words, QStringLiteral("Folgeseite"));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->page, 1);
    EXPECT_NEAR(next->xMin, 15.0, 0.1);
}

TEST(PageRenderer, WithoutMarginValuesTheModelsMillimetresAreThePapersMillimetres)
{
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    QString error;
    ASSERT_TRUE(renderToPdf(twoPageDocument(), &buffer, MarginValues{}, &error));
    buffer.close();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("b.pdf"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(buffer.data());
    out.close();

    const auto words = pdfWords(file, &error);
    const auto* word = findWord(words, QStringLiteral("Kontrollwort"));
    ASSERT_NE(word, nullptr);
    EXPECT_NEAR(word->xMin, 50.0, 0.1);
    EXPECT_NEAR(word->yMin, 100.0, 0.3);
}

TEST(PageRenderer, AMarkAtTheFoldLandsOnThePaperWhenTheMarginsAreThePrintersOffsets)
{
    // A printer whose printable area starts 4 mm from the left and 6 mm from
    // the top: the device is that area, at 10 dots per millimetre.
    constexpr double dotsPerMm = 10.0;
    QImage area(int(202 * dotsPerMm), int(287 * dotsPerMm), QImage::Format_RGB32);
    area.setDotsPerMeterX(int(dotsPerMm * 1000));
    area.setDotsPerMeterY(int(dotsPerMm * 1000));
    area.fill(Qt::white);

    PrintCursor p;
    p.DrawWidth = 24; // 1 mm
    p.Line(4_mm, 105_mm, 12_mm, 105_mm);
    const auto docs = p.takeDocuments();
    QPainter painter(&area);
    renderPage(painter, docs.front(), 0, MarginValues{4.0f, 6.0f});
    painter.end();

    // 105 mm below the paper's top edge is 99 mm into the printable area;
    // the mark starts at the area's (and the paper's printable) left edge.
    const auto dark = [&](double xMm, double yMm) {
        return qGray(area.pixel(int(xMm * dotsPerMm), int(yMm * dotsPerMm))) < 128;
    };
    EXPECT_TRUE(dark(0.2, 99.0));
    EXPECT_TRUE(dark(7.8, 99.0));
    EXPECT_FALSE(dark(8.3, 99.0));
    EXPECT_FALSE(dark(4.0, 98.0));
    EXPECT_FALSE(dark(4.0, 100.0));
}

TEST(PageRenderer, ImagesFillTheirRectangle)
{
    constexpr double dotsPerMm = 10.0;
    QImage sheet(int(210 * dotsPerMm), int(100 * dotsPerMm), QImage::Format_RGB32);
    sheet.setDotsPerMeterX(int(dotsPerMm * 1000));
    sheet.setDotsPerMeterY(int(dotsPerMm * 1000));
    sheet.fill(Qt::white);
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::black);

    PrintCursor p;
    ASSERT_TRUE(p.PaintPicture(logo, 150_mm, 10_mm, 20_mm));
    QPainter painter(&sheet);
    renderPage(painter, p.document(), 0, MarginValues{});
    painter.end();
    const auto dark = [&](double xMm, double yMm) {
        return qGray(sheet.pixel(int(xMm * dotsPerMm), int(yMm * dotsPerMm))) < 128;
    };
    EXPECT_TRUE(dark(150.5, 10.5));
    EXPECT_TRUE(dark(189.5, 29.5));
    EXPECT_FALSE(dark(190.5, 20));
    EXPECT_FALSE(dark(170, 30.5));
    EXPECT_FALSE(dark(149.5, 20));
}
