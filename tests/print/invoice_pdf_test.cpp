#include "print/DocumentLayouts.h"

#include "print/LayoutFixtures.h"
#include "print/PageRenderer.h"
#include "print/PdfWords.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <iostream>

using namespace quittora;
using namespace quittora::testing;

namespace {

// Word positions read back from a PDF: the top of a word's box lies a little
// below the top of its character cell.
constexpr double kAcross = 0.3;
constexpr double kDown = 1.2;

void expectWordAt(const std::vector<PdfWord>& words, const QString& text, int page, double x, double y)
{
    const PdfWord* w = findWord(words, text, page);
    ASSERT_NE(w, nullptr) << text.toStdString();
    EXPECT_NEAR(w->xMin, x, kAcross) << text.toStdString();
    EXPECT_NEAR(w->yMin, y, kDown) << text.toStdString();
    EXPECT_GE(w->yMin, y - 0.1) << text.toStdString();
}

void expectWordEndingAt(const std::vector<PdfWord>& words, const QString& text, int page, double x, double y)
{
    const PdfWord* w = findWord(words, text, page);
    ASSERT_NE(w, nullptr) << text.toStdString();
    EXPECT_NEAR(w->xMax, x, kAcross) << text.toStdString();
    EXPECT_NEAR(w->yMin, y, kDown) << text.toStdString();
}

} // namespace

TEST(InvoicePdf, WordsLandAtTheirMillimetresOnPaper)
{
    QList<DocumentLine> lines = numberedItems(21);
    lines.prepend(item(u("3"), u("Wandfarbe"), u("10,00"), u("30,00")));
    const std::vector<PageModel> docs =
        invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1);
    QTemporaryDir dir;
    const QString file = dir.filePath(u("rechnung.pdf"));
    QString error;
    ASSERT_TRUE(renderToPdf(docs, file, MarginValues{}, &error)) << error.toStdString();
    const std::vector<PdfWord> words = pdfWords(file, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();

    expectWordAt(words, u("Rechnung"), 0, 135, 70);
    expectWordAt(words, u("Menge"), 0, 19, 122);
    expectWordAt(words, u("Herrn"), 0, 23, 53);
    expectWordAt(words, u("Wandfarbe"), 0, 55, 130);
    expectWordEndingAt(words, u("3"), 0, 27, 130);
    expectWordAt(words, u("Übertrag"), 0, 138, 260);
    expectWordAt(words, u("Steuernummer"), 0, 21, 273);

    // Page 2: number, carry-over, and the totals at the bottom.
    expectWordAt(words, u("Rechnung"), 1, 20, 15);
    const PdfWord* seite = findWord(words, u("Seite"), 1);
    ASSERT_NE(seite, nullptr);
    EXPECT_NEAR(seite->yMin, 15, kDown);
    expectWordAt(words, u("Position"), 1, 55, 30);
    expectWordEndingAt(words, u("Rechnungsbetrag"), 1, 170, 260);
    expectWordAt(words, u("Übertrag"), 1, 138, 15);
    // 30 + (1 + ... + 20) + 20 × 0,25 carried over.
    const PdfWord* carry = findWord(words, u("245,00"), 1);
    ASSERT_NE(carry, nullptr);
    EXPECT_NEAR(carry->yMin, 15, kDown);
}

TEST(InvoicePdf, ThousandLineInvoiceRendersQuickly)
{
    const QList<DocumentLine> lines = numberedItems(1000);
    QTemporaryDir dir;
    const QString file = dir.filePath(u("gross.pdf"));

    QElapsedTimer timer;
    timer.start();
    const std::vector<PageModel> docs =
        invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1);
    QString error;
    ASSERT_TRUE(renderToPdf(docs, file, MarginValues{}, &error)) << error.toStdString();
    const qint64 ms = timer.elapsed();
    std::cout << "[ timing   ] 1000-line invoice laid out and written as PDF in " << ms << " ms\n";
    RecordProperty("milliseconds", int(ms));

    // 21 items on page 1, 41 on every further page.
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].pageCount(), 25);
    EXPECT_LT(ms, 20000);
}
