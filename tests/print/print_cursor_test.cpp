#include "print/PrintCursor.h"

#include "data/CompanySettings.h"
#include "platform/SettingsStore.h"
#include "print/Letterhead.h"
#include "print/PageQueries.h"
#include "print/PrintFonts.h"
#include "print/PrintedAmount.h"
#include "support/DataRuleTable.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::literals;
using namespace quittora::testing;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// The width the PDF writer itself gives the text: measured independently of
// the cursor, on the device documents are written to.
double pdfWidthMm(const char* family, double sizePt, bool bold, const QString& text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    QFont font(u(family));
    font.setPointSizeF(sizePt);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFontMetricsF(font, &writer).horizontalAdvance(text) * 25.4 / 1200.0;
}

CompanySettings company(std::initializer_list<std::pair<const char*, const char*>> changes = {})
{
    CompanySettings s;
    const std::pair<const char*, const char*> values[] = {
        {"Titel", "Muster GmbH"},    {"frei4", "Malerei und Trockenbau"}, {"frei2", "Hauptstraße 5"},
        {"frei3", "12345 Musterstadt"}, {"Tel", "0123 4567"},          {"Fax", "0123 4568"},
        {"Einst15", "0170 1234567"}, {"Einst1", "info@muster.de"},      {"Einst2", "www.muster.de"},
        {"Memo10", ""},              {"Einst3", "150"},                 {"Einst4", "10"},
        {"Einst5", "20"},
    };
    for (const auto& [field, value] : values)
        s.setValue(u(field), u(value));
    for (const auto& [field, value] : changes)
        s.setValue(u(field), u(value));
    return s;
}

} // namespace

TEST(PrintCursor, PrintRightEndsAtXWithTheRealFontMetricsAndPrintMovesOn)
{
    EXPECT_EQ(QFontInfo(printFont({u("Arial"), 10.5})).family(), u("Liberation Sans"));
    EXPECT_EQ(QFontInfo(printFont({u("Courier New"), 10})).family(), u("Liberation Mono"));
    // A display font that is not installed still gives a usable font.
    EXPECT_GT(textWidth({u("Andy"), 18, true}, u("Muster GmbH")).value(), 10.0);
    struct Case {
        const char* family;
        const char* metrics;
        double size;
        bool bold;
        const char* text;
    };
    for (const Case& c : {Case{"Arial", "Liberation Sans", 10.5, false, "1234,56 EUR"},
                          Case{"Arial", "Liberation Sans", 10.5, true, "Rechnungsbetrag"},
                          Case{"Arial", "Liberation Sans", 7.5, false, "Wälder & Söhne"},
                          Case{"Courier New", "Liberation Mono", 12, false, "0815 Stk"}}) {
        PrintCursor p;
        p.FontName = u(c.family);
        p.FontSize = c.size;
        p.FontBold = c.bold;
        p.CurrentY = 260_mm;
        p.PrintRight(u(c.text), 170_mm, {}, true);
        const TextItem* t = p.document().page(0).findText(u(c.text));
        ASSERT_NE(t, nullptr);
        EXPECT_NEAR(t->x.value() + pdfWidthMm(c.metrics, c.size, c.bold, u(c.text)), 170.0, 0.1) << c.text;
        EXPECT_DOUBLE_EQ(t->y.value(), 260.0);
        EXPECT_GT(p.CurrentY, 260_mm) << "a line end moves below the text";
    }

    // Without a new line the position stays; x defaults to the current x.
    PrintCursor p;
    p.CurrentX = 120_mm;
    p.CurrentY = 40_mm;
    p.PrintRight(u("rechtsbündig"));
    p.PrintRight(u("oben"), 150_mm, 30_mm);
    EXPECT_EQ(p.CurrentX, 120_mm);
    EXPECT_EQ(p.CurrentY, 40_mm);
    EXPECT_NE(textEndingAt(p.document().page(0), 120, 40), nullptr);
    EXPECT_NE(textEndingAt(p.document().page(0), 150, 30), nullptr);

    // Print moves down a line, or on along the line; an empty line puts nothing on the page.
    p.FontSize = 10.5;
    p.PrintAt(55_mm, 130_mm, u("Bezeichnung"));
    const Millimetres step = p.TextHeight();
    EXPECT_GT(step, 3.5_mm); // 10.5 pt is 3.7 mm before the line gap
    EXPECT_LT(step, 5.0_mm);
    EXPECT_EQ(p.CurrentX, 55_mm);
    EXPECT_EQ(p.CurrentY, 130_mm + step);
    p.CurrentY = 140_mm;
    p.Print(u("Menge "), PrintCursor::LineEnd::No);
    EXPECT_EQ(p.CurrentY, 140_mm);
    EXPECT_NEAR(p.CurrentX.value(), (55_mm + p.TextWidth(u("Menge "))).value(), 1e-9);
    const size_t before = p.document().page(0).items.size();
    p.Print();
    EXPECT_EQ(p.document().page(0).items.size(), before);

    // Line breaks in a text start their lines at the same x.
    PrintCursor b;
    b.PrintAt(55_mm, 100_mm, u("erste Zeile\r\nzweite Zeile\nletzte"));
    const double h = b.TextHeight().value();
    expectPlaced(b.document().page(0), {{'L', 55, 100, "erste Zeile"}, {'L', 55, 100 + h, "zweite Zeile"},
                                        {'L', 55, 100 + 2 * h, "letzte"}});
    EXPECT_NEAR(b.CurrentY.value(), 100 + 3 * h, 1e-9);
    EXPECT_EQ(b.TextWidth(u("kurz\nviel längere Zeile")), b.TextWidth(u("viel längere Zeile")));
}

TEST(PrintCursor, WrapTextFillsEachLineGreedilyWithinTheWidth)
{
    PrintCursor p;
    p.FontSize = 10.5;
    const QString paragraph = u("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen "
                                "ohne Abzug auf unser unten genanntes Konto.");
    const QStringList lines = p.WrapText(paragraph + u("\n\nDanke!"), 60_mm);
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines.mid(lines.size() - 2), (QStringList{QString(), u("Danke!")})); // its own breaks stay
    const QStringList wrapped = lines.mid(0, lines.size() - 2);
    EXPECT_EQ(wrapped.join(QLatin1Char(' ')), paragraph);
    for (qsizetype i = 0; i < wrapped.size(); ++i) {
        EXPECT_LE(p.TextWidth(wrapped.at(i)), 60_mm) << wrapped.at(i).toStdString();
        if (i + 1 < wrapped.size()) // the next word would not have fitted
            EXPECT_GT(p.TextWidth(wrapped.at(i) + u(" ") + wrapped.at(i + 1).section(QLatin1Char(' '), 0, 0)), 60_mm);
    }
    p.FontSize = 14;
    EXPECT_GT(p.WrapText(paragraph, 60_mm).size(), wrapped.size());

    // An overlong word is broken; even a width too small for one character ends.
    const QString word(80, QLatin1Char('M'));
    const QStringList pieces = p.WrapText(u("  ") + word, 30_mm);
    ASSERT_GE(pieces.size(), 3);
    EXPECT_EQ(pieces.join(QString()), u("  ") + word);
    for (const QString& piece : pieces)
        EXPECT_TRUE(!piece.isEmpty() && p.TextWidth(piece) <= 30_mm) << piece.toStdString();
    EXPECT_EQ(p.WrapText(u("kurz"), 30_mm), QStringList{u("kurz")});
    EXPECT_EQ(p.WrapText(QString(), 30_mm), QStringList{QString()});
    EXPECT_EQ(p.WrapText(u("abc"), 0.1_mm), (QStringList{u("a"), u("b"), u("c")}));
}

TEST(PrintCursor, LinesPicturesPagesAndDocuments)
{
    PrintCursor p;
    p.DrawWidth = 3;
    p.Line(14_mm, 121_mm, 200_mm, 121_mm);
    EXPECT_EQ(p.CurrentX, 200_mm);
    EXPECT_EQ(p.CurrentY, 121_mm);
    ASSERT_EQ(p.document().page(0).lines().size(), 1u);
    EXPECT_NEAR(p.document().page(0).lines()[0]->width.value(), 3 * 25.4 / 600, 1e-9); // three dots at 600 dpi

    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::blue);
    EXPECT_TRUE(p.PaintPicture(wide, 150_mm, 10_mm, 20_mm));
    EXPECT_FALSE(p.PaintPicture(QImage(), 0_mm, 0_mm, 20_mm));
    EXPECT_FALSE(p.PaintPicture(wide, 0_mm, 0_mm, 0_mm));
    const auto images = p.document().page(0).images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0]->width.value(), 40.0); // the proportions kept
    EXPECT_DOUBLE_EQ(images[0]->height.value(), 20.0);

    p.PrintAt(20_mm, 20_mm, u("Seite 1"));
    EXPECT_EQ(p.Page(), 1);
    p.NewPage();
    EXPECT_EQ(p.Page(), 2);
    EXPECT_EQ(p.CurrentY, 0_mm);
    p.PrintAt(20_mm, 20_mm, u("Seite 2"));
    p.EndDoc();
    p.PrintAt(20_mm, 20_mm, u("Kopie 2"));
    p.EndDoc();
    p.EndDoc(); // nothing printed since: no empty job
    const std::vector<PageModel> docs = p.takeDocuments();
    ASSERT_EQ(docs.size(), 2u);
    ASSERT_EQ(docs[0].pageCount(), 2);
    EXPECT_EQ(allTexts(docs[0].page(1)), QStringList{u("Seite 2")});
    EXPECT_EQ(allTexts(docs[1].page(0)), QStringList{u("Kopie 2")});
    EXPECT_TRUE(p.takeDocuments().empty());

    const auto amount = [](const char* text, char sep, const char* currency) {
        return printedAmount(u(text), QLatin1Char(sep), u(currency));
    };
    // Not a number in this locale: shown as typed rather than dropped.
    test::expectRows("printed amount", {{printedAmount(Decimal::fromInt(1234), QLatin1Char(','), u("EUR")), "1234,00 EUR"},
                                        {amount("12,5", ',', "€"), "12,50 €"}, {amount("-0,005", ',', "EUR"), "-0,01 EUR"},
                                        {amount("7.125", '.', "CHF"), "7.13 CHF"}, {amount("pauschal", ',', "EUR"), "pauschal EUR"}});
}

TEST(Kopf_drucken, PrintsTitleAddressAndContactBlockAtTheirPlaces)
{
    PrintCursor p;
    Kopf_drucken(p, company(), QColor(0, 0, 128), QLatin1Char(','));
    const Page& page = p.document().page(0);
    expectPlaced(page, {{'L', 20, 15, "Muster GmbH"}, {'L', 20, 25, "Malerei und Trockenbau"}, {'L', 135, 20, "Hauptstraße 5"},
                        {'L', 135, 25, "12345 Musterstadt"}, {'L', 135, 34, "Telefon   0123 4567"},
                        {'L', 135, 37.5, "Telefax   0123 4568"}, {'L', 135, 41, "Mobil  0170 1234567"},
                        {'L', 135, 46.5, "info@muster.de"}, {'L', 135, 50, "www.muster.de"},
                        {'L', 23, 49, "Muster GmbH * Hauptstraße 5 * 12345 Musterstadt"}});
    EXPECT_EQ(page.texts().size(), 10u);
    EXPECT_TRUE(page.images().empty());
    EXPECT_EQ(textAt(page, 20, 15)->style, (TextStyle{u("Andy"), 18, true, false, QColor(0, 0, 128)}));
    // The bold flag of the title is still on for the line below it.
    EXPECT_EQ(textAt(page, 20, 25)->style, (TextStyle{u("Arial"), 10.5, true, false, QColor(Qt::black)}));
    EXPECT_FALSE(textAt(page, 135, 20)->style.bold);
    EXPECT_DOUBLE_EQ(textAt(page, 135, 50)->style.sizePt, 7.5);
    // Only the sender line is underlined.
    const TextItem* sender = textAt(page, 23, 49);
    EXPECT_EQ(sender->style, (TextStyle{u("Arial"), 7.5, false, true, QColor(Qt::black)}));
    for (const TextItem* t : page.texts())
        EXPECT_EQ(t->style.underline, t == sender) << t->text.toStdString();
    // What the letterhead leaves behind for the rest of the document.
    EXPECT_EQ((TextStyle{p.FontName, p.FontSize, p.FontBold, p.FontUnderline, p.ForeColor}),
              (TextStyle{u("Arial"), 7.5, false, false, QColor(Qt::black)}));

    // Missing phone and mobile lines are skipped without closing up; a white title is sent in white.
    PrintCursor q;
    Kopf_drucken(q, company({{"Tel", ""}, {"Einst15", ""}}), colourFromBgrNumber(u("16777215")), QLatin1Char(','));
    expectPlaced(q.document().page(0), {{'L', 135, 34, ""}, {'L', 135, 37.5, "Telefax   0123 4568"}, {'L', 135, 41, ""},
                                        {'L', 135, 46.5, "info@muster.de"}});
    EXPECT_TRUE(textsOnLine(q.document().page(0), 34).isEmpty());
    EXPECT_EQ(textAt(q.document().page(0), 20, 15)->style.colour, QColor(Qt::white));
    EXPECT_EQ(textAt(q.document().page(0), 20, 25)->style.colour, QColor(Qt::black));
}

TEST(Kopf_drucken, DrawsAUsableLogoWithProportionalWidthAndLeavesOutAnyOther)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(u("logo.png"));
    QImage logo(300, 150, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(good));
    const QString broken = dir.filePath(u("kaputt.jpg"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("kein Bild") == 9);
    f.close();

    PrintCursor p;
    Kopf_drucken(p, company({{"Memo10", good.toUtf8().constData()}, {"Einst3", "150,5"}}), QColor(Qt::black), QLatin1Char(','));
    const auto images = p.document().page(0).images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ((QList<double>{images[0]->x.value(), images[0]->y.value(), images[0]->width.value(), images[0]->height.value()}),
              (QList<double>{150.5, 10, 40, 20}));
    EXPECT_EQ(images[0]->image.size(), QSize(300, 150));
    for (const QString& path : {dir.filePath(u("fehlt.bmp")), broken}) {
        PrintCursor q;
        Kopf_drucken(q, company({{"Memo10", path.toUtf8().constData()}}), QColor(Qt::black), QLatin1Char(','));
        EXPECT_TRUE(q.document().page(0).images().empty());
        EXPECT_EQ(q.document().page(0).texts().size(), 10u);
    }
    PrintCursor q; // a height that is no number: no logo either
    EXPECT_FALSE(Logo_drucken(q, company({{"Memo10", good.toUtf8().constData()}, {"Einst5", ""}}), QLatin1Char(',')));

    EXPECT_EQ(colourFromBgrNumber(u("255")), QColor(255, 0, 0));
    EXPECT_EQ(colourFromBgrNumber(u("65280")), QColor(0, 255, 0));
    EXPECT_EQ(colourFromBgrNumber(u("16711680")), QColor(0, 0, 255));
    EXPECT_EQ(colourFromBgrNumber(u("rot")), QColor(Qt::black));
    EXPECT_EQ(colourFromBgrNumber(u("-1")), QColor(Qt::black));
    EXPECT_EQ(bgrNumberText(QColor(0x12, 0x34, 0x56)), u("5649426"));
    auto store = makeQtSettingsStore(dir.filePath(u("s.ini")));
    EXPECT_EQ(titleColour(*store), QColor(Qt::black));
    store->setValue(u("Schriftfarbe Titel"), u("128"));
    EXPECT_EQ(titleColour(*store), QColor(128, 0, 0));
}
