#include "print/DocumentLayouts.h"

#include "print/LayoutFixtures.h"
#include "print/OverviewList.h"
#include "print/PageQueries.h"
#include "support/DataRuleTable.h"

#include <gtest/gtest.h>



#include <algorithm>

using namespace quittora;
using namespace quittora::testing;

namespace {

QList<DocumentLine> threeItems()
{
    return {item(u("2"), u("Wandfarbe weiß"), u("50,00"), u("100,00")),
            item(u("1"), u("Anfahrt"), u("50,00"), u("50,00"), u("7"), u("psch.")),
            item({}, u("Ausführung nach Absprache"), {}, {}, {}, {})};
}

CompanySettings company(std::initializer_list<std::pair<const char*, QVariant>> changes)
{
    CompanySettings c = layoutCompany();
    for (const auto& [field, value] : changes)
        c.setValue(u(field), value);
    return c;
}

PageModel laidOut(const QList<DocumentLine>& lines, const CompanySettings& settings = layoutCompany(),
                  const DocumentHead& head = layoutHead(), const PrintEnvironment& env = layoutEnvironment())
{
    const std::vector<PageModel> docs = invoiceDocuments(head, lines, settings, env, 1);
    EXPECT_EQ(docs.size(), 1u);
    return docs.empty() ? PageModel() : docs.front();
}

QString longText(int words)
{
    QStringList out;
    for (int i = 0; i < words; ++i)
        out << (i % 3 == 0 ? u("Ausführung") : i % 3 == 1 ? u("nach") : u("Absprache"));
    return out.join(QLatin1Char(' '));
}

// The texts starting at x whose top lies in [top, bottom), top to bottom, joined;
// each must end left of maxRight.
QString joinedBetween(const Page& page, double x, double top, double bottom, double maxRight, int* count = nullptr)
{
    std::vector<const TextItem*> found;
    for (const TextItem* t : page.texts()) {
        if (t->y.value() >= top - 1e-6 && t->y.value() < bottom - 1e-6 && near(t->x.value(), x))
            found.push_back(t);
    }
    std::stable_sort(found.begin(), found.end(), [](auto* a, auto* b) { return a->y.value() < b->y.value(); });
    QStringList parts;
    for (const TextItem* t : found) {
        parts << t->text;
        EXPECT_LE((t->x + t->width).value(), maxRight + 1e-6) << t->text.toStdString();
    }
    if (count)
        *count = int(found.size());
    return parts.join(QLatin1Char(' '));
}

} // namespace

TEST(InvoiceLayout, FirstPageCarriesAddressTitleTextsItemsTotalsAndFooter)
{
    const PageModel doc = laidOut(threeItems());
    ASSERT_EQ(doc.pageCount(), 1);
    const Page& page = doc.page(0);
    // Address window: without an extra line, street and town are a line apart.
    // Items 5 mm apart from 130 on; right-aligned columns end at their x.
    expectPlaced(page, {
        {'L', 20, 15, "Muster GmbH"}, {'L', 135, 70, "Rechnung Nr. 1001"}, {'L', 135, 78, "Datum: 15.03.2024"},
        {'L', 23, 53, "Herrn"}, {'L', 23, 58, "Max Mustermann"}, {'L', 23, 63, "Musterweg 5"}, {'L', 23, 68, ""},
        {'L', 23, 73, "54321 Beispielort"}, {'L', 20, 107, "Vielen Dank für Ihren Auftrag."},
        {'L', 20, 112, "Wir berechnen Ihnen:"}, {'R', 27, 130, "2"}, {'L', 32, 130, "Stk."},
        {'L', 55, 130, "Wandfarbe weiß"}, {'R', 151, 130, "19%"}, {'R', 172, 130, "50,00 EUR"},
        {'R', 196, 130, "100,00 EUR"}, {'R', 151, 135, "7%"}, {'L', 32, 135, "psch."},
        {'L', 55, 140, "Ausführung nach Absprache"}, {'R', 170, 240, "Netto"}, {'R', 198, 240, "150,00 EUR"},
        {'R', 170, 249, "zuzüglich MwSt."}, {'R', 198, 249, "22,50 EUR"}, {'L', 20, 249, "MwSt.19% 19,00   MwSt.7% 3,50"},
        {'L', 20, 242, "Zahlbar innerhalb von 14 Tagen."}, {'R', 170, 260, "Rechnungsbetrag"}, {'R', 197, 260, "172,50 EUR"},
        {'L', 21, 273, "Steuernummer 123/456"}, {'L', 21, 276, "USt-IdNr. DE123"}, {'L', 60, 273, "Bank: Musterbank"},
        {'L', 60, 276, "IBAN DE00 1234 BIC MUST"},
    });
    EXPECT_EQ(textsOnLine(page, 122), (QStringList{u("Menge"), u("Art / Einh"), u("Bezeichnung / Leistung"), u("MwSt."),
                                                    u("E-Preis"), u("G-Preis")}));
    EXPECT_EQ(textsOnLine(page, 140).size(), 1); // a text line: only its description
    EXPECT_TRUE(textAt(page, 19, 122)->style.bold && textEndingAt(page, 197, 260)->style.bold);
    EXPECT_TRUE(hasLine(page, 0, 105, 8, 105)); // fold mark
    for (const double y : {121.0, 126.0, 235.0, 256.0, 269.0, 270.0})
        EXPECT_TRUE(hasRule(page, y)) << y;
    for (const TextItem* t : page.texts()) // no reminder on a normal print, and page 1 has no page number
        EXPECT_FALSE(t->text.contains(u(" vom ")) || t->text.contains(u("Seite"))) << t->text.toStdString();

    PrintEnvironment gross = layoutEnvironment();
    gross.basis = PriceBasis::Gross;
    DocumentHead head = layoutHead();
    head.addition = u("Abteilung Einkauf");
    expectPlaced(laidOut(threeItems(), layoutCompany(), head, gross).page(0),
                 {{'R', 170, 249, "enthaltene MwSt."}, {'L', 23, 63, "Abteilung Einkauf"}, {'L', 23, 68, "Musterweg 5"}},
                 "gross, extra address line");
    expectPlaced(laidOut(threeItems(), layoutCompany(), layoutHead(u("Angebot"), {})).page(0),
                 {{'L', 135, 70, "Angebot Nr. "}, {'L', 20, 107, "Vielen Dank für Ihre Anfrage."},
                  {'L', 20, 112, "Wir bieten Ihnen an:"}, {'L', 20, 242, "Angebot 30 Tage gültig."}}, "quote");
    // One VAT rate: no rate column, no net and VAT lines.
    const PageModel single = laidOut(threeItems(), company({{"frei9", u("0")}}));
    EXPECT_TRUE(textsOnLine(single.page(0), 240).isEmpty() && textsOnLine(single.page(0), 249).isEmpty());
    expectPlaced(single.page(0), {{'R', 151, 130, ""}, {'R', 197, 260, "172,50 EUR"}}, "one rate");
    // Without letterhead the date stands alone and the footer still prints.
    const PageModel plain = laidOut(threeItems(), company({{"Vordruck", 0}}));
    EXPECT_FALSE(allTexts(plain.page(0)).contains(u("Muster GmbH")));
    expectPlaced(plain.page(0), {{'L', 150, 87, "15.03.2024"}, {'L', 21, 273, "Steuernummer 123/456"}}, "no letterhead");
}

TEST(InvoicePageBreaks, TwentyOneItemsOnTheFirstPageFortyOneOnEachNextWithCarryOver)
{
    const PageModel doc = laidOut(numberedItems(62));
    ASSERT_EQ(doc.pageCount(), 3);
    const Page& first = doc.page(0);
    // 1 + 2 + ... + 21 = 231, plus 21 × 0,25 carried over.
    expectPlaced(first, {{'L', 55, 230, "Position 21"}, {'L', 138, 260, "Übertrag "}, {'R', 198, 260, "236,25 EUR"},
                         {'L', 21, 273, "Steuernummer 123/456"}}, "page 1");
    EXPECT_FALSE(allTexts(first).contains(u("Position 22")) || allTexts(first).contains(u("Rechnungsbetrag")));
    EXPECT_TRUE(hasRule(first, 256) && hasRule(first, 269) && !hasRule(first, 270));
    // Next pages: number, carry-over at the top, table head at 23, items from 30.
    expectPlaced(doc.page(1), {{'L', 20, 15, "Rechnung Nr. 1001   Seite 2"}, {'L', 138, 15, "Übertrag "},
                               {'R', 198, 15, "236,25 EUR"}, {'L', 19, 23, "Menge"}, {'L', 55, 30, "Position 22"},
                               {'L', 55, 230, "Position 62"}, {'R', 198, 260, "1968,50 EUR"}}, "page 2");
    EXPECT_TRUE(hasRule(doc.page(1), 22) && hasRule(doc.page(1), 27) && !allTexts(doc.page(1)).contains(u("Muster GmbH")));
    expectPlaced(doc.page(2), {{'L', 20, 15, "Rechnung Nr. 1001   Seite 3"}, {'R', 198, 15, "1968,50 EUR"},
                               {'R', 170, 260, "Rechnungsbetrag"}}, "page 3");

    // An item at the last place of a page moves the totals to the next page.
    const PageModel full = laidOut(numberedItems(21));
    ASSERT_EQ(full.pageCount(), 2);
    expectPlaced(full.page(1), {{'L', 55, 30, ""}, {'R', 197, 260, "172,50 EUR"}}, "21 items");
    // The carry-over adds line totals, not unit prices, and skips text lines.
    QList<DocumentLine> lines(20, item(u("1"), u("Text"), {}, {}, {}, {}));
    lines << item(u("2"), u("Kleinteil"), u("0,25"), u("0,50")) << item(u("1"), u("Gutschrift"), u("-10,00"), u("-10,00"));
    const PageModel mixed = laidOut(lines);
    ASSERT_EQ(mixed.pageCount(), 2);
    expectPlaced(mixed.page(0), {{'R', 198, 260, "0,50 EUR"}}, "text lines");
    // Without letterhead only the last page has the footer.
    const PageModel plain = laidOut(numberedItems(30), company({{"Vordruck", 0}}));
    ASSERT_EQ(plain.pageCount(), 2);
    expectPlaced(plain.page(0), {{'L', 21, 273, ""}}, "no letterhead");
    expectPlaced(plain.page(1), {{'L', 21, 273, "Steuernummer 123/456"}}, "no letterhead");
}

TEST(InvoicePageBreaks, DescriptionsOfSeveralLinesTakeTheirRoomAndMoveOnWhole)
{
    const PageModel doc = laidOut({item(u("1"), u("Malerarbeiten\nWohnzimmer\r\nFlur\n"), u("300,00"), u("300,00")),
                                   item(u("2"), u("Spachtel"), u("5,00"), u("10,00"))});
    EXPECT_EQ(textsOnLine(doc.page(0), 135), QStringList{u("Wohnzimmer")});
    // The trailing line break takes no room.
    expectPlaced(doc.page(0), {{'L', 55, 140, "Flur"}, {'L', 55, 145, "Spachtel"}, {'R', 27, 145, "2"}});

    QList<DocumentLine> lines = numberedItems(19); // 130 ... 220
    lines << item(u("1"), u("Teil A\nTeil B\nTeil C"), u("1,00"), u("1,00"));
    const PageModel moved = laidOut(lines);
    ASSERT_EQ(moved.pageCount(), 2);
    EXPECT_FALSE(allTexts(moved.page(0)).contains(u("Teil A")));
    expectPlaced(moved.page(0), {{'R', 198, 260, "194,75 EUR"}}, "moved whole");
    expectPlaced(moved.page(1), {{'L', 55, 30, "Teil A"}, {'L', 55, 40, "Teil C"}}, "moved whole");

    QStringList text;
    for (int i = 1; i <= 30; ++i)
        text << QStringLiteral("Zeile %1").arg(i);
    const PageModel overlong = laidOut({item(u("1"), text.join(QLatin1Char('\n')), u("9,00"), u("9,00"))});
    ASSERT_EQ(overlong.pageCount(), 2);
    expectPlaced(overlong.page(0), {{'L', 55, 230, "Zeile 21"}, {'R', 198, 260, "9,00 EUR"}}, "longer than a page");
    expectPlaced(overlong.page(1), {{'L', 55, 30, "Zeile 22"}, {'L', 55, 70, "Zeile 30"}}, "longer than a page");
    EXPECT_EQ(descriptionLines(u("a\r\nb\rc\n\nd\n \n")), (QStringList{u("a"), u("b"), u("c"), QString(), u("d")}));
}

TEST(InvoiceCopies, EachCopyIsADocumentAndOnlyTheFirstCarriesTheReminder)
{
    const QString reminder = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung");
    const std::vector<PageModel> docs =
        invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 2, reminder);
    ASSERT_EQ(docs.size(), 2u);
    const Page& first = docs[0].page(0);
    const TextItem* text = first.findText(reminder);
    ASSERT_NE(text, nullptr);
    // Above the intro lines, clear of the first one at 107 and of the date; dated today.
    EXPECT_EQ(text->x.value(), 23);
    EXPECT_LE(text->y.value() + 14 * 25.4 / 72, 107.0);
    EXPECT_GE(text->y.value(), 92.0);
    expectPlaced(first, {{'L', 20, 107, "Vielen Dank für Ihren Auftrag."}, {'L', 135, 78, "Datum: 02.05.2024"}});
    // The reference ends at the paper's edge at the latest.
    EXPECT_NE(textEndingAt(first, 200, 74), nullptr);
    EXPECT_EQ(textEndingAt(first, 200, 74)->text, u(" Nr. 1001 vom 15.03.2024"));
    expectPlaced(docs[1].page(0), {{'L', 135, 78, "Datum: 15.03.2024"}});
    EXPECT_EQ(allTexts(docs[1].page(0)).size() + 2, allTexts(first).size()); // no reminder, no reference
    EXPECT_TRUE(invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 0).empty());

    // A long reminder wraps and pushes the intro lines down.
    const QString tooLong = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung bis spätestens zum "
                              "Ende dieses Monats, andernfalls müssen wir leider weitere Schritte einleiten und "
                              "Ihnen die entstehenden Kosten in Rechnung stellen.");
    const Page wrapped = invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 1, tooLong)
                             .at(0).page(0);
    int parts = 0;
    EXPECT_EQ(joinedBetween(wrapped, 23, 83, 121, 197, &parts), tooLong);
    EXPECT_GE(parts, 2);
    const double intro = wrapped.findText(u("Vielen Dank für Ihren Auftrag."))->y.value();
    for (const TextItem* t : wrapped.texts()) // the intro lines stay below it
        EXPECT_TRUE(t->style.sizePt != 14 || t->y.value() + 14 * 25.4 / 72 <= intro + 1e-6) << t->text.toStdString();

    const auto copies = [](const char* text) { return QString::number(invoiceCopies(u(text), QLatin1Char(','))); };
    const auto notes = [](const char* text) { return QString::number(deliveryNoteCopies(u(text))); };
    test::expectRows("copies", {{copies(" 3 "), "3"}, {copies("1,5"), "2"}, {copies("-2"), "0"}, {copies("zwei"), "0"},
                                {copies("99999999999999"), "1000000"}, {notes("1,5"), "1"}, {notes("2x"), "2"}, {notes("x"), "0"}});
}

TEST(WideTexts, LongTextsWrapWithinTheirRoomAndLargeFiguresKeepApart)
{
    const QString wide = longText(14);
    const QString word(60, QLatin1Char('W'));
    const PageModel doc = laidOut({item(u("1"), wide, u("300,00"), u("300,00")), item(u("2"), u("Spachtel"), u("5,00"), u("10,00")),
                                   item({}, wide + u(" ") + word, {}, {}, {}, {})});
    const Page& page = doc.page(0);
    const TextItem* spachtel = page.findText(u("Spachtel"));
    ASSERT_NE(spachtel, nullptr);
    // Clear of the rate column (its head at 143), 5 mm apart; the next item below.
    int lines = 0;
    EXPECT_EQ(joinedBetween(page, 55, 130, spachtel->y.value(), 141, &lines), wide);
    EXPECT_EQ(spachtel->y.value(), 130 + 5 * lines);
    // A text line has the width up to the totals' edge; a word wider than that is broken.
    EXPECT_EQ(joinedBetween(page, 55, spachtel->y.value() + 1, 235, 197).remove(QLatin1Char(' ')),
              QString(wide + word).remove(QLatin1Char(' ')));

    const QString closing = u("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug auf "
                              "unser unten genanntes Konto. Wir bedanken uns für die gute Zusammenarbeit.");
    const PageModel texts = laidOut({item(u("12"), u("Heizkessel"), u("1089,61"), u("13075,32"))},
                                    company({{"Memo3", closing}, {"Einst23", u("Steuernummer")}, {"Einst26", QString()}}));
    const Page& p = texts.page(0);
    // Left of the totals' labels, the VAT breakdown below it, all above the rule at 256.
    const double labels = std::min(textEndingAt(p, 170, 240)->x.value(), textEndingAt(p, 170, 249)->x.value());
    EXPECT_EQ(joinedBetween(p, 20, 236, 256, labels - 0.1), closing + u(" ") + layoutHead().vatSummary);
    // A caption that ends in a blank gets no second one; large figures keep their columns apart.
    expectPlaced(p, {{'L', 21, 273, "Steuernummer 123/456"}, {'L', 60, 273, "Musterbank"}, {'R', 196, 130, "13075,32 EUR"}});
    const TextItem* rate = p.findText(u("19%"));
    const TextItem* unitPrice = p.findText(u("1089,61 EUR"));
    ASSERT_TRUE(rate && unitPrice);
    EXPECT_LE((unitPrice->x + unitPrice->width).value(), p.findText(u("13075,32 EUR"))->x.value() - 2 + 1e-6);
    EXPECT_LE((rate->x + rate->width).value(), unitPrice->x.value() - 2 + 1e-6);

    // The delivery note wraps up to the right edge.
    const std::vector<PageModel> notes = deliveryNoteDocuments(layoutHead(), {item(u("1"), longText(20), {}, {})},
                                                               company({{"Memo8", longText(12)}}), layoutEnvironment(), 1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(joinedBetween(notes[0].page(0), 70, 130, 230, 197), longText(20));
    EXPECT_EQ(joinedBetween(notes[0].page(0), 120, 242, 260, 197), longText(12));
}

namespace {


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

} // namespace

TEST(OverviewList, HeadingRowsAndTotalWithAlignedAmountsOnAsManyPagesAsNeeded)
{
    QList<overview::Row> two = rows(2);
    two[1].amount = u("offen"); // no number: printed as it stands
    two[1].name = u("Großhandelsgesellschaft für Bürobedarf und Schreibwaren Müller & Söhne mbH");
    two[1].date = u("Datum\r\nfehlt");
    const Page page = list(two, 123456).page(0);
    EXPECT_TRUE(hasLine(page, 15, 25, 197, 25) && hasLine(page, 152, 15, 152, 285) && hasLine(page, 182, 15, 182, 285));
    expectPlaced(page, {{'L', 20, 17, "R.-Datum"}, {'L', 45, 17, "R.-Nr. "}, {'L', 62, 17, "R.-Name"}, {'L', 130, 17, "R.-Betrag"},
                        {'L', 20, 30, "03.05.2024"}, {'L', 45, 30, "1001"}, {'L', 62, 30, "Kunde 1"}, {'L', 130, 30, "     1,50"}});
    EXPECT_EQ(textAt(page, 130, 30)->style.fontName, u("Courier New"));
    // The second row follows one amount line and one empty line lower; long values end before the next column.
    const TextItem* second = page.findText(u("Datum fehlt"));
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->y.value() > 36 && second->y.value() < 40) << second->y.value();
    EXPECT_EQ(textAtOrEmpty(page, 130, second->y.value()), u("    offen"));
    const TextItem* name = textAt(page, 62, second->y.value());
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text.startsWith(u("Großhandelsgesellschaft für")) && name->text.endsWith(QChar(0x2026)));
    EXPECT_LT((name->x + name->width).value(), 130.0);
    // A wide total widens the amount column so the figures stay aligned.
    const TextItem* label = page.findText(u("Gesamtsumme"));
    ASSERT_NE(label, nullptr);
    const TextItem* sum = textAt(page, 130, label->y.value());
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->text, u("123456,00"));
    EXPECT_TRUE(sum->style.bold && !label->style.bold);
    EXPECT_NEAR((textAt(page, 130, 30)->x + textAt(page, 130, 30)->width).value(), (sum->x + sum->width).value(), 0.01);

    const PageModel doc = list(rows(100), 5100);
    ASSERT_GE(doc.pageCount(), 3);
    size_t printed = 0;
    for (int i = 0; i < doc.pageCount(); ++i) {
        std::vector<double> ys; // the rows' dates at x 20
        for (const TextItem* t : doc.page(i).texts()) {
            if (near(t->x.value(), 20) && t->y.value() > 25)
                ys.push_back(t->y.value());
        }
        ASSERT_GE(ys.size(), 2u) << "page " << i;
        printed += ys.size();
        // Each page with the heading; rows from 30 mm, none below 270, a page ends only when the next row would.
        EXPECT_EQ(textAtOrEmpty(doc.page(i), 130, 17), u("R.-Betrag")) << "page " << i;
        EXPECT_DOUBLE_EQ(ys.front(), 30.0) << "page " << i;
        EXPECT_LE(ys.back(), 270.0) << "page " << i;
        if (i + 1 < doc.pageCount())
            EXPECT_GT(2 * ys.back() - ys[ys.size() - 2], 270.0) << "page " << i;
    }
    EXPECT_EQ(printed, 100u);
    EXPECT_TRUE(overviewlist::documents({}, Decimal(), QLatin1Char(',')).empty());
    EXPECT_EQ(overviewlist::printTitle() + overviewlist::printQuestion(), u("Achtung !Die angezeigten Rechnugsaufstellung drucken ?"));
    EXPECT_EQ(overviewlist::listAmount(u("12.5"), QLatin1Char('.')), u("  12.50"));
    EXPECT_EQ(overviewlist::listAmount({}, QLatin1Char(',')), u("       "));
}
