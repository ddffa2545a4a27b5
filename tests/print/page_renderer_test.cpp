#include "print/PageRenderer.h"

#include "print/DocumentLayouts.h"
#include "print/LayoutFixtures.h"
#include "print/PdfWords.h"
#include "print/PrintCursor.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>

#include <iostream>

using namespace quittora;
using namespace quittora::literals;
using namespace quittora::testing;

namespace {

// The words of documents written as PDF with these margin values.
std::vector<PdfWord> pdf(const std::vector<PageModel>& docs, MarginValues margins)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u("seite.pdf"));
    QString error;
    EXPECT_TRUE(renderToPdf(docs, file, margins, &error)) << error.toStdString();
    const std::vector<PdfWord> words = pdfWords(file, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return words;
}

// Where the word's box is on its page, from its left ('L') or right ('R') edge:
// the top of a word's box lies a little below the top of its character cell.
void expectWord(const std::vector<PdfWord>& words, const char* text, int page, char edge, double x, double y)
{
    const PdfWord* w = findWord(words, u(text), page);
    ASSERT_NE(w, nullptr) << text;
    EXPECT_NEAR(edge == 'L' ? w->xMin : w->xMax, x, 0.3) << text;
    EXPECT_NEAR(w->yMin, y + 0.5, 0.7) << text;
}

// A sheet at 10 dots per millimetre, rendered by renderPage, and whether it is dark at a point.
struct Sheet {
    QImage image;
    Sheet(double widthMm, double heightMm, const PageModel& doc, MarginValues margins)
        : image(int(widthMm * 10), int(heightMm * 10), QImage::Format_RGB32)
    {
        image.setDotsPerMeterX(10000);
        image.setDotsPerMeterY(10000);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderPage(painter, doc, 0, margins);
    }
    bool dark(double xMm, double yMm) const { return qGray(image.pixel(int(xMm * 10), int(yMm * 10))) < 128; }
};

} // namespace

TEST(PageRenderer, PdfPlacesWordsAtTheirMillimetresLessTheMarginValues)
{
    PrintCursor p;
    p.FontName = u("Arial");
    p.FontSize = 10.5;
    p.PrintAt(50_mm, 100_mm, u("Kontrollwort"));
    p.CurrentY = 260_mm;
    p.PrintRight(u("1234,50 EUR"), 198_mm, {}, true);
    p.NewPage();
    p.FontBold = true;
    p.PrintAt(20_mm, 15_mm, u("Folgeseite"));
    const std::vector<PageModel> docs = p.takeDocuments();
    const auto words = pdf(docs, MarginValues{5.0f, 3.5f});
    expectWord(words, "Kontrollwort", 0, 'L', 45, 96.5);
    expectWord(words, "EUR", 0, 'R', 193, 256.5);
    expectWord(words, "Folgeseite", 1, 'L', 15, 11.5);

    // Without margin values the model's millimetres are the paper's; also into a device.
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    QString error;
    ASSERT_TRUE(renderToPdf(docs, &buffer, MarginValues{}, &error));
    QTemporaryDir dir;
    QFile out(dir.filePath(u("b.pdf")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(buffer.data()) == buffer.size());
    out.close();
    expectWord(pdfWords(out.fileName(), &error), "Kontrollwort", 0, 'L', 50, 100);
}

TEST(PageRenderer, AThousandLineInvoiceLandsOnTwentyFivePagesQuickly)
{
    QList<DocumentLine> lines = numberedItems(1000);
    lines.prepend(item(u("3"), u("Wandfarbe"), u("10,00"), u("30,00")));
    QElapsedTimer timer;
    timer.start();
    const std::vector<PageModel> docs = invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1);
    const auto words = pdf(docs, MarginValues{});
    const qint64 ms = timer.elapsed();
    std::cout << "[ timing   ] 1001-line invoice laid out and written as PDF in " << ms << " ms\n";
    RecordProperty("milliseconds", int(ms));
    EXPECT_LT(ms, 20000);
    // 21 items on page 1, 41 on every further page.
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].pageCount(), 25);

    expectWord(words, "Rechnung", 0, 'L', 135, 70);
    expectWord(words, "Menge", 0, 'L', 19, 122);
    expectWord(words, "Herrn", 0, 'L', 23, 53);
    expectWord(words, "Wandfarbe", 0, 'L', 55, 130);
    expectWord(words, "3", 0, 'R', 27, 130);
    expectWord(words, "Übertrag", 0, 'L', 138, 260);
    expectWord(words, "Steuernummer", 0, 'L', 21, 273);
    expectWord(words, "Rechnung", 1, 'L', 20, 15);
    expectWord(words, "Position", 1, 'L', 55, 30);
    expectWord(words, "Übertrag", 1, 'L', 138, 15);
    // 30 + (1 + ... + 20) + 20 × 0,25 carried over.
    const PdfWord* carry = findWord(words, u("245,00"), 1);
    ASSERT_NE(carry, nullptr);
    EXPECT_NEAR(carry->yMin, 15.5, 0.7);
    expectWord(words, "Rechnungsbetrag", 24, 'R', 170, 260);
}

TEST(PageRenderer, MarksAndImagesLandOnTheirMillimetresOfTheDevice)
{
    // A printer whose printable area starts 4 mm from the left and 6 mm from
    // the top: the device is that area. 105 mm below the paper's top edge is
    // 99 mm into it; the mark starts at the area's left edge.
    PrintCursor p;
    p.DrawWidth = 24; // 1 mm
    p.Line(4_mm, 105_mm, 12_mm, 105_mm);
    const Sheet area(202, 287, p.takeDocuments().front(), MarginValues{4.0f, 6.0f});
    EXPECT_TRUE(area.dark(0.2, 99.0) && area.dark(7.8, 99.0));
    EXPECT_FALSE(area.dark(8.3, 99.0) || area.dark(4.0, 98.0) || area.dark(4.0, 100.0));

    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::black);
    PrintCursor q;
    ASSERT_TRUE(q.PaintPicture(logo, 150_mm, 10_mm, 20_mm));
    const Sheet sheet(210, 100, q.document(), MarginValues{});
    EXPECT_TRUE(sheet.dark(150.5, 10.5) && sheet.dark(189.5, 29.5));
    EXPECT_FALSE(sheet.dark(190.5, 20) || sheet.dark(170, 30.5) || sheet.dark(149.5, 20));
}
