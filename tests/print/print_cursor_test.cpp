#include "print/PrintCursor.h"

#include "data/CompanySettings.h"
#include "platform/SettingsStore.h"
#include "print/DocumentLayouts.h"
#include "print/LayoutFixtures.h"
#include "print/Letterhead.h"
#include "print/PageQueries.h"
#include "print/PageRenderer.h"
#include "print/PdfWords.h"
#include "print/PrintFonts.h"
#include "print/PrintedAmount.h"
#include "support/DataRuleTable.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::literals;
using namespace quittora::testing;

namespace {


CompanySettings company(std::initializer_list<std::pair<const char*, QString>> changes = {})
{
    CompanySettings s;
    const std::pair<const char*, const char*> values[] = {
        {"Titel", "Muster GmbH"}, {"frei4", "Malerei und Trockenbau"}, {"frei2", "Hauptstraße 5"},
        {"frei3", "12345 Musterstadt"}, {"Tel", "0123 4567"}, {"Fax", "0123 4568"}, {"Einst15", "0170 1234567"},
        {"Einst1", "info@muster.de"}, {"Einst2", "www.muster.de"}, {"Einst3", "150"}, {"Einst4", "10"}, {"Einst5", "20"},
    };
    for (const auto& [field, value] : values)
        s.setValue(u(field), u(value));
    for (const auto& [field, value] : changes)
        s.setValue(u(field), value);
    return s;
}

} // namespace

TEST(PrintCursor, PrintRightEndsAtXWithTheRealFontMetricsAndPrintMovesOn)
{
    EXPECT_GT(textWidth({u("Andy"), 18, true}, u("Muster GmbH")).value(), 10.0); // not installed, still usable
    // Right-aligned: ends at x (the PDF test below measures it on paper); a line end moves below it.
    PrintCursor r;
    r.FontSize = 10.5;
    r.CurrentY = 260_mm;
    r.PrintRight(u("1234,56 EUR"), 170_mm, {}, true);
    EXPECT_NE(textEndingAt(r.document().page(0), 170, 260), nullptr);
    EXPECT_GT(r.CurrentY, 260_mm);
    // Without a new line the position stays; x defaults to the current x.
    PrintCursor p;
    p.CurrentX = 120_mm;
    p.CurrentY = 40_mm;
    p.PrintRight(u("rechtsbündig"));
    p.PrintRight(u("oben"), 150_mm, 30_mm);
    EXPECT_TRUE(p.CurrentX == 120_mm && p.CurrentY == 40_mm);
    EXPECT_TRUE(textEndingAt(p.document().page(0), 120, 40) && textEndingAt(p.document().page(0), 150, 30));
    // Print moves down a line, or on along the line; line breaks start their lines at the same x.
    p.FontSize = 10.5;
    p.PrintAt(55_mm, 130_mm, u("Bezeichnung"));
    const double h = p.TextHeight().value();
    EXPECT_TRUE(h > 3.5 && h < 5.0) << h; // 10.5 pt is 3.7 mm before the line gap
    EXPECT_TRUE(p.CurrentX == 55_mm && p.CurrentY.value() == 130 + h);
    p.Print(u("Menge "), PrintCursor::LineEnd::No);
    EXPECT_EQ(p.CurrentY.value(), 130 + h);
    EXPECT_NEAR(p.CurrentX.value(), (55_mm + p.TextWidth(u("Menge "))).value(), 1e-9);
    p.PrintAt(55_mm, 100_mm, u("erste Zeile\r\nzweite Zeile\nletzte"));
    expectPlaced(p.document().page(0), {{'L', 55, 100 + h, "zweite Zeile"}, {'L', 55, 100 + 2 * h, "letzte"}});
    EXPECT_NEAR(p.CurrentY.value(), 100 + 3 * h, 1e-9);
}

TEST(PrintCursor, WrapsGreedilyAndKeepsLinesPicturesPagesAndDocuments)
{
    PrintCursor p;
    const QString paragraph = u("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug auf unser Konto.");
    const QStringList lines = p.WrapText(paragraph + u("\n\nDanke!"), 60_mm);
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{QString(), u("Danke!")})); // its own breaks stay
    EXPECT_EQ(lines.mid(0, lines.size() - 2).join(QLatin1Char(' ')), paragraph);
    for (qsizetype i = 0; i + 3 < lines.size(); ++i) { // each within the width, and the next word would not have fitted
        EXPECT_LE(p.TextWidth(lines.at(i)), 60_mm) << lines.at(i).toStdString();
        EXPECT_GT(p.TextWidth(lines.at(i) + u(" ") + lines.at(i + 1).section(QLatin1Char(' '), 0, 0)), 60_mm);
    }
    EXPECT_EQ(p.WrapText(u("abc"), 0.1_mm), (QStringList{u("a"), u("b"), u("c")})); // even too narrow for one character

    p.DrawWidth = 3;
    p.Line(14_mm, 121_mm, 200_mm, 121_mm);
    ASSERT_EQ(p.document().page(0).lines().size(), 1u);
    EXPECT_NEAR(p.document().page(0).lines()[0]->width.value(), 3 * 25.4 / 600, 1e-9); // three dots at 600 dpi
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    EXPECT_TRUE(p.PaintPicture(wide, 150_mm, 10_mm, 20_mm));
    EXPECT_FALSE(p.PaintPicture(QImage(), 0_mm, 0_mm, 20_mm) || p.PaintPicture(wide, 0_mm, 0_mm, 0_mm));
    ASSERT_EQ(p.document().page(0).images().size(), 1u);
    EXPECT_DOUBLE_EQ(p.document().page(0).images()[0]->width.value(), 40.0); // the proportions kept
    p.NewPage();
    p.PrintAt(20_mm, 20_mm, u("Seite 2"));
    p.EndDoc();
    p.PrintAt(20_mm, 20_mm, u("Kopie 2"));
    p.EndDoc();
    p.EndDoc(); // nothing printed since: no empty job
    const std::vector<PageModel> docs = p.takeDocuments();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(allTexts(docs[0].page(1)) + allTexts(docs[1].page(0)), (QStringList{u("Seite 2"), u("Kopie 2")}));

    const auto amount = [](const char* text, char sep) { return printedAmount(u(text), QLatin1Char(sep), u("EUR")); };
    // Not a number in this locale: shown as typed rather than dropped.
    test::expectRows("printed amount", {{amount("12,5", ','), "12,50 EUR"}, {amount("-0,005", ','), "-0,01 EUR"},
                                        {amount("7.125", '.'), "7.13 EUR"}, {amount("pauschal", ','), "pauschal EUR"},
                                        {bgrNumberText(QColor(0x12, 0x34, 0x56)), "5649426"},
                                        {colourFromBgrNumber(u("16711680")).name(), "#0000ff"},
                                        {colourFromBgrNumber(u("rot")).name(), "#000000"}});
}

TEST(Kopf_drucken, PrintsTitleAddressContactBlockAndAUsableLogoAtTheirPlaces)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(u("logo.png"));
    QImage logo(300, 150, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(good));
    PrintCursor p;
    Kopf_drucken(p, company({{"Memo10", good}, {"Einst3", u("150,5")}}), QColor(0, 0, 128), QLatin1Char(','));
    const Page& page = p.document().page(0);
    expectPlaced(page, {{'L', 20, 15, "Muster GmbH"}, {'L', 20, 25, "Malerei und Trockenbau"}, {'L', 135, 20, "Hauptstraße 5"},
                        {'L', 135, 25, "12345 Musterstadt"}, {'L', 135, 34, "Telefon   0123 4567"},
                        {'L', 135, 37.5, "Telefax   0123 4568"}, {'L', 135, 41, "Mobil  0170 1234567"},
                        {'L', 135, 46.5, "info@muster.de"}, {'L', 135, 50, "www.muster.de"},
                        {'L', 23, 49, "Muster GmbH * Hauptstraße 5 * 12345 Musterstadt"}});
    EXPECT_EQ(textAt(page, 20, 15)->style, (TextStyle{u("Andy"), 18, true, false, QColor(0, 0, 128)}));
    // The bold flag of the title is still on for the line below it; only the sender line is underlined.
    EXPECT_TRUE(textAt(page, 20, 25)->style.bold && textAt(page, 23, 49)->style.underline);
    EXPECT_EQ((TextStyle{p.FontName, p.FontSize, p.FontBold, p.FontUnderline, p.ForeColor}),
              (TextStyle{u("Arial"), 7.5, false, false, QColor(Qt::black)}));
    const auto images = page.images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ((QList<double>{images[0]->x.value(), images[0]->y.value(), images[0]->width.value(), images[0]->height.value()}),
              (QList<double>{150.5, 10, 40, 20}));

    // Missing phone and mobile lines are skipped without closing up; a white title is sent in white;
    // a missing or broken logo, or a height that is no number, is left out.
    const QString broken = dir.filePath(u("kaputt.jpg"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("kein Bild") == 9);
    f.close();
    for (const auto& [memo, height] : {std::pair{broken, u("20")}, std::pair{dir.filePath(u("fehlt.bmp")), u("20")},
                                       std::pair{good, QString()}}) {
        PrintCursor q;
        Kopf_drucken(q, company({{"Tel", {}}, {"Einst15", {}}, {"Memo10", memo}, {"Einst5", height}}),
                     colourFromBgrNumber(u("16777215")), QLatin1Char(','));
        const Page& plain = q.document().page(0);
        EXPECT_TRUE(plain.images().empty()) << memo.toStdString();
        EXPECT_TRUE(textsOnLine(plain, 34).isEmpty() && textsOnLine(plain, 41).isEmpty());
        expectPlaced(plain, {{'L', 135, 37.5, "Telefax   0123 4568"}, {'L', 135, 46.5, "info@muster.de"}});
        EXPECT_EQ(textAt(plain, 20, 15)->style.colour, QColor(Qt::white));
    }
    auto store = makeQtSettingsStore(dir.filePath(u("s.ini")));
    store->setValue(u("Schriftfarbe Titel"), u("128"));
    EXPECT_EQ(titleColour(*store), QColor(128, 0, 0));
}

namespace {

// Where the words land when the documents are written as PDF with these margin values:
// the top of a word's box lies a little below the top of its character cell.
void expectWords(const std::vector<PageModel>& docs, MarginValues margins,
                 std::initializer_list<std::tuple<const char*, int, char, double, double>> words)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_TRUE(renderToPdf(docs, dir.filePath(u("seite.pdf")), margins, &error)) << error.toStdString();
    const std::vector<PdfWord> found = pdfWords(dir.filePath(u("seite.pdf")), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    for (const auto& [text, page, edge, x, y] : words) {
        const PdfWord* w = findWord(found, u(text), page);
        ASSERT_NE(w, nullptr) << text;
        if (x >= 0) // else only the line
            EXPECT_NEAR(edge == 'L' ? w->xMin : w->xMax, x, 0.3) << text;
        EXPECT_NEAR(w->yMin, y + 0.5, 0.7) << text;
    }
}

// A sheet at 10 dots per millimetre, rendered by renderPage: whether it is dark at a point.
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
    p.FontSize = 10.5;
    p.PrintAt(50_mm, 100_mm, u("Kontrollwort"));
    p.CurrentY = 260_mm;
    p.PrintRight(u("1234,50 EUR"), 198_mm, {}, true);
    p.NewPage();
    p.PrintAt(20_mm, 15_mm, u("Folgeseite"));
    const std::vector<PageModel> docs = p.takeDocuments();
    expectWords(docs, MarginValues{5.0f, 3.5f}, {{"Kontrollwort", 0, 'L', 45, 96.5}, {"EUR", 0, 'R', 193, 256.5},
                                                 {"Folgeseite", 1, 'L', 15, 11.5}});
    QBuffer buffer; // also into a device
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    QString error;
    ASSERT_TRUE(renderToPdf(docs, &buffer, MarginValues{}, &error));
    EXPECT_TRUE(buffer.data().startsWith("%PDF") && buffer.data().contains("%%EOF"));

    // 21 items on page 1, 41 on every further page; 30 + (1 + ... + 20) + 20 × 0,25 carried over.
    QList<DocumentLine> lines = numberedItems(1000);
    lines.prepend(item(u("3"), u("Wandfarbe"), u("10,00"), u("30,00")));
    const std::vector<PageModel> invoice = invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1);
    ASSERT_EQ(invoice.size(), 1u);
    EXPECT_EQ(invoice[0].pageCount(), 25);
    expectWords(invoice, MarginValues{}, {{"Rechnung", 0, 'L', 135, 70}, {"Menge", 0, 'L', 19, 122}, {"Herrn", 0, 'L', 23, 53},
                                          {"3", 0, 'R', 27, 130}, {"Übertrag", 0, 'L', 138, 260}, {"Steuernummer", 0, 'L', 21, 273},
                                          {"Position", 1, 'L', 55, 30}, {"Übertrag", 1, 'L', 138, 15}, {"245,00", 1, 'R', -1, 15},
                                          {"Rechnungsbetrag", 24, 'R', 170, 260}});
}

TEST(PageRenderer, PicturesLandOnTheirMillimetresOfThePrintableArea)
{
    // A printer whose printable area starts 4 mm from the left and 6 mm from the top: the device is
    // that area, so the picture at 150/10 mm on the paper starts 146/4 mm into it.
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::black);
    PrintCursor q;
    ASSERT_TRUE(q.PaintPicture(logo, 150_mm, 10_mm, 20_mm));
    const Sheet sheet(210, 100, q.document(), MarginValues{4.0f, 6.0f});
    EXPECT_TRUE(sheet.dark(146.5, 4.5) && sheet.dark(185.5, 23.5));
    EXPECT_FALSE(sheet.dark(186.5, 14) || sheet.dark(166, 24.5) || sheet.dark(145.5, 14));
}
