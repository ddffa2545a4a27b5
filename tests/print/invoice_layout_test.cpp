#include "print/DocumentLayouts.h"

#include "print/LayoutFixtures.h"
#include "print/PageQueries.h"
#include "support/DataRuleTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace quittora;
using namespace quittora::testing;

namespace {

QList<DocumentLine> threeItems()
{
    return {
        item(u("2"), u("Wandfarbe weiß"), u("50,00"), u("100,00")),
        item(u("1"), u("Anfahrt"), u("50,00"), u("50,00"), u("7"), u("psch.")),
        item({}, u("Ausführung nach Absprache"), {}, {}, {}, {}),
    };
}

CompanySettings company(std::initializer_list<std::pair<const char*, QVariant>> changes = {})
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

// Texts of the page whose top lies in [top, bottom) and, given x, that start there.
std::vector<const TextItem*> textsBetween(const Page& page, double top, double bottom, double x = -1)
{
    std::vector<const TextItem*> out;
    for (const TextItem* t : page.texts()) {
        if (t->y.value() >= top - 1e-6 && t->y.value() < bottom - 1e-6 && (x < 0 || near(t->x.value(), x)))
            out.push_back(t);
    }
    std::stable_sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->y.value() < b->y.value(); });
    return out;
}

double right(const TextItem* t)
{
    return (t->x + t->width).value();
}

QString joined(const std::vector<const TextItem*>& texts, double maxRight)
{
    QStringList parts;
    for (const TextItem* t : texts) {
        parts << t->text;
        EXPECT_LE(right(t), maxRight + 1e-6) << t->text.toStdString();
    }
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
    EXPECT_EQ(textAt(page, 135, 70)->style.sizePt, 12);
    EXPECT_FALSE(textAt(page, 135, 70)->style.bold);
    EXPECT_EQ(textAt(page, 19, 122)->style, (TextStyle{u("Arial"), 8, true, false, QColor(Qt::black)}));
    EXPECT_TRUE(textEndingAt(page, 170, 260)->style.bold && textEndingAt(page, 197, 260)->style.bold);
    EXPECT_EQ(textAt(page, 21, 273)->style.sizePt, 7.5);
    // Frame: fold mark, table rules, closing rules.
    EXPECT_TRUE(hasLine(page, 0, 105, 8, 105));
    for (const double y : {121.0, 126.0, 235.0, 256.0, 269.0, 270.0})
        EXPECT_TRUE(hasRule(page, y)) << y;
    // No reminder on a normal print, and page 1 has no page number.
    for (const TextItem* t : page.texts())
        EXPECT_FALSE(t->text.contains(u(" vom ")) || t->text.contains(u("Seite"))) << t->text.toStdString();
}

TEST(InvoiceLayout, KindPriceBasisRatesLetterheadAndAddressChangeTheFirstPage)
{
    expectPlaced(laidOut(threeItems(), layoutCompany(), layoutHead(u("Angebot"), {})).page(0),
                 {{'L', 135, 70, "Angebot Nr. "}, {'L', 20, 107, "Vielen Dank für Ihre Anfrage."},
                  {'L', 20, 112, "Wir bieten Ihnen an:"}, {'L', 20, 242, "Angebot 30 Tage gültig."},
                  {'R', 170, 260, "Rechnungsbetrag"}}, "quote");
    PrintEnvironment gross = layoutEnvironment();
    gross.basis = PriceBasis::Gross;
    expectPlaced(laidOut(threeItems(), layoutCompany(), layoutHead(), gross).page(0),
                 {{'R', 170, 249, "enthaltene MwSt."}}, "gross");
    // One VAT rate: no rate column, no net and VAT lines.
    const PageModel single = laidOut(threeItems(), company({{"frei9", u("0")}}));
    EXPECT_EQ(textsOnLine(single.page(0), 122),
              (QStringList{u("Menge"), u("Art / Einh"), u("Bezeichnung / Leistung"), u("E-Preis"), u("G-Preis")}));
    EXPECT_TRUE(textsOnLine(single.page(0), 240).isEmpty() && textsOnLine(single.page(0), 249).isEmpty());
    expectPlaced(single.page(0), {{'R', 151, 130, ""}, {'R', 197, 260, "172,50 EUR"}}, "one rate");
    // Without letterhead the date stands alone and the footer still prints.
    const PageModel plain = laidOut(threeItems(), company({{"Vordruck", 0}}));
    EXPECT_FALSE(allTexts(plain.page(0)).contains(u("Muster GmbH")));
    expectPlaced(plain.page(0), {{'L', 135, 78, ""}, {'L', 150, 87, "15.03.2024"}, {'L', 21, 273, "Steuernummer 123/456"}},
                 "no letterhead");
    DocumentHead head = layoutHead();
    head.addition = u("Abteilung Einkauf");
    expectPlaced(laidOut(threeItems(), layoutCompany(), head).page(0),
                 {{'L', 23, 63, "Abteilung Einkauf"}, {'L', 23, 68, "Musterweg 5"}, {'L', 23, 73, "54321 Beispielort"}},
                 "extra address line");
    const PageModel empty = laidOut({});
    ASSERT_EQ(empty.pageCount(), 1);
    EXPECT_TRUE(textsOnLine(empty.page(0), 130).isEmpty());
    EXPECT_TRUE(hasRule(empty.page(0), 270));
    expectPlaced(empty.page(0), {{'L', 135, 70, "Rechnung Nr. 1001"}, {'R', 197, 260, "172,50 EUR"}}, "no lines");
}

TEST(InvoicePageBreaks, TwentyOneItemsOnTheFirstPageFortyOneOnEachNextWithCarryOver)
{
    const PageModel doc = laidOut(numberedItems(60));
    ASSERT_EQ(doc.pageCount(), 2);
    const Page& first = doc.page(0);
    const Page& second = doc.page(1);
    // 1 + 2 + ... + 21 = 231, plus 21 × 0,25 carried over.
    expectPlaced(first, {{'L', 55, 130, "Position 1"}, {'L', 55, 230, "Position 21"}, {'L', 138, 260, "Übertrag "},
                         {'R', 198, 260, "236,25 EUR"}, {'L', 21, 273, "Steuernummer 123/456"}}, "page 1");
    EXPECT_FALSE(allTexts(first).contains(u("Position 22")) || allTexts(first).contains(u("Rechnungsbetrag")));
    EXPECT_TRUE(textAt(first, 138, 260)->style.bold);
    EXPECT_EQ(textAt(first, 138, 260)->style.sizePt, 7.5); // the footer came just before it
    EXPECT_FALSE(textEndingAt(first, 198, 260)->style.bold);
    EXPECT_TRUE(hasRule(first, 256) && hasRule(first, 269) && !hasRule(first, 270));
    // Page 2: number, carry-over at the top, table head at 23, items from 30; the totals close it.
    expectPlaced(second, {{'L', 20, 15, "Rechnung Nr. 1001   Seite 2"}, {'L', 138, 15, "Übertrag "},
                          {'R', 198, 15, "236,25 EUR"}, {'L', 19, 23, "Menge"}, {'L', 55, 30, "Position 22"},
                          {'L', 55, 220, "Position 60"}, {'R', 196, 220, "60,25 EUR"}, {'R', 170, 260, "Rechnungsbetrag"}},
                 "page 2");
    EXPECT_TRUE(textAt(second, 20, 15)->style.bold);
    EXPECT_TRUE(hasRule(second, 22) && hasRule(second, 27) && hasRule(second, 270));
    EXPECT_FALSE(allTexts(second).contains(u("Muster GmbH")));

    // An item at the last place of a page moves the totals to the next page.
    const PageModel full = laidOut(numberedItems(21));
    ASSERT_EQ(full.pageCount(), 2);
    EXPECT_TRUE(textsOnLine(full.page(1), 30).isEmpty());
    expectPlaced(full.page(1), {{'L', 20, 15, "Rechnung Nr. 1001   Seite 2"}, {'R', 197, 260, "172,50 EUR"}}, "21 items");
    const PageModel three = laidOut(numberedItems(62));
    ASSERT_EQ(three.pageCount(), 3);
    expectPlaced(three.page(1), {{'L', 55, 230, "Position 62"}, {'R', 198, 260, "1968,50 EUR"}}, "62 items, page 2");
    expectPlaced(three.page(2), {{'L', 20, 15, "Rechnung Nr. 1001   Seite 3"}, {'R', 198, 15, "1968,50 EUR"}}, "page 3");

    // The carry-over adds line totals in the locale's form and skips text lines.
    QList<DocumentLine> lines(20, item(u("1"), u("Text"), {}, {}, {}, {}));
    lines << item(u("2"), u("Kleinteil"), u("0,25"), u("0,50")) << item(u("1"), u("Gutschrift"), u("-10,00"), u("-10,00"));
    const PageModel mixed = laidOut(lines);
    ASSERT_EQ(mixed.pageCount(), 2);
    expectPlaced(mixed.page(0), {{'R', 198, 260, "0,50 EUR"}}, "text lines");
    expectPlaced(mixed.page(1), {{'L', 55, 30, "Gutschrift"}}, "text lines");
    // Without letterhead the label keeps the item size, and only the last page has the footer.
    const PageModel plain = laidOut(numberedItems(30), company({{"Vordruck", 0}}));
    ASSERT_EQ(plain.pageCount(), 2);
    EXPECT_EQ(textAt(plain.page(0), 138, 260)->style.sizePt, 10.5);
    expectPlaced(plain.page(0), {{'L', 21, 273, ""}}, "no letterhead");
    expectPlaced(plain.page(1), {{'L', 21, 273, "Steuernummer 123/456"}}, "no letterhead");
}

TEST(InvoicePageBreaks, DescriptionsOfSeveralLinesTakeTheirRoomAndMoveOnWhole)
{
    const PageModel doc = laidOut({item(u("1"), u("Malerarbeiten\nWohnzimmer\r\nFlur\n"), u("300,00"), u("300,00")),
                                  item(u("2"), u("Spachtel"), u("5,00"), u("10,00"))});
    EXPECT_EQ(textsOnLine(doc.page(0), 130).size(), 6);
    EXPECT_EQ(textsOnLine(doc.page(0), 135), QStringList{u("Wohnzimmer")});
    // The trailing line break takes no room.
    expectPlaced(doc.page(0), {{'L', 55, 140, "Flur"}, {'L', 55, 145, "Spachtel"}, {'R', 27, 145, "2"}});

    QList<DocumentLine> lines = numberedItems(19); // 130 ... 220
    lines << item(u("1"), u("Teil A\nTeil B\nTeil C"), u("1,00"), u("1,00"));
    const PageModel moved = laidOut(lines);
    ASSERT_EQ(moved.pageCount(), 2);
    EXPECT_FALSE(allTexts(moved.page(0)).contains(u("Teil A")));
    expectPlaced(moved.page(0), {{'R', 198, 260, "194,75 EUR"}}, "moved whole");
    expectPlaced(moved.page(1), {{'L', 55, 30, "Teil A"}, {'L', 55, 40, "Teil C"}, {'R', 198, 15, "194,75 EUR"}},
                 "moved whole");

    QStringList text;
    for (int i = 1; i <= 30; ++i)
        text << QStringLiteral("Zeile %1").arg(i);
    const PageModel overlong = laidOut({item(u("1"), text.join(QLatin1Char('\n')), u("9,00"), u("9,00"))});
    ASSERT_EQ(overlong.pageCount(), 2);
    expectPlaced(overlong.page(0), {{'L', 55, 230, "Zeile 21"}, {'R', 198, 260, "9,00 EUR"}}, "longer than a page");
    expectPlaced(overlong.page(1), {{'L', 55, 30, "Zeile 22"}, {'L', 55, 70, "Zeile 30"}}, "longer than a page");

    EXPECT_EQ(descriptionLines({}), QStringList{QString()});
    EXPECT_EQ(descriptionLines(u("a\r\nb\rc\nd")), (QStringList{u("a"), u("b"), u("c"), u("d")}));
    EXPECT_EQ(descriptionLines(u("a\n\nb\n \n")), (QStringList{u("a"), QString(), u("b")}));
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
    EXPECT_EQ(text->style.sizePt, 14);
    // Above the intro lines, clear of the first one at 107 and of the date; dated today.
    EXPECT_EQ(text->x.value(), 23);
    EXPECT_LE(text->y.value() + 14 * 25.4 / 72, 107.0);
    EXPECT_GE(text->y.value(), 92.0);
    expectPlaced(first, {{'L', 20, 107, "Vielen Dank für Ihren Auftrag."}, {'L', 135, 78, "Datum: 02.05.2024"}});
    const TextItem* reference = first.findText(u(" Nr. 1001 vom 15.03.2024"));
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->style.sizePt, 12);
    EXPECT_EQ(reference->y.value(), 74);
    // It begins at 170 where it fits, and never runs off the paper.
    EXPECT_LE(reference->x.value(), 170);
    EXPECT_NEAR(right(reference), 200, 1e-6);
    const Page& second = docs[1].page(0);
    EXPECT_EQ(second.findText(reminder), nullptr);
    expectPlaced(second, {{'L', 135, 78, "Datum: 15.03.2024"}});
    EXPECT_EQ(allTexts(second).size() + 2, allTexts(first).size());

    const std::vector<PageModel> plain =
        invoiceDocuments(layoutHead(), numberedItems(25), layoutCompany(), layoutEnvironment(), 3);
    ASSERT_EQ(plain.size(), 3u);
    for (const PageModel& d : plain) {
        ASSERT_EQ(d.pageCount(), 2);
        EXPECT_EQ(allTexts(d.page(1)), allTexts(plain[0].page(1)));
    }
    EXPECT_TRUE(invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 0).empty());
    const auto copies = [](const char* text) { return QString::number(invoiceCopies(u(text), QLatin1Char(','))); };
    const auto notes = [](const char* text) { return QString::number(deliveryNoteCopies(u(text))); };
    test::expectRows("copies", {{copies("2"), "2"}, {copies(" 3 "), "3"}, {copies("1,5"), "2"}, {copies("0"), "0"},
                                {copies("-2"), "0"}, {copies(""), "0"}, {copies("zwei"), "0"},
                                {copies("99999999999999"), "1000000"}, {notes("2"), "2"}, {notes("1,5"), "1"},
                                {notes("2x"), "2"}, {notes("x"), "0"}});
}

TEST(InvoiceCopies, ALongReminderWrapsAboveTheIntroLinesAndPushesThemDownWhenItMust)
{
    const QString longer = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung, spätestens "
                             "innerhalb von sieben Tagen nach Erhalt dieses Schreibens.");
    const QString tooLong = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung bis spätestens zum "
                              "Ende dieses Monats, andernfalls müssen wir leider weitere Schritte einleiten und "
                              "Ihnen die entstehenden Kosten in Rechnung stellen.");
    const std::pair<QString, bool> cases[] = {{longer, true}, {tooLong, true}, {tooLong, false}};
    for (const auto& [reminder, letterhead] : cases) {
        SCOPED_TRACE(reminder.size() * 10 + letterhead);
        const std::vector<PageModel> docs = invoiceDocuments(layoutHead(), threeItems(),
                                                             company({{"Vordruck", letterhead ? -1 : 0}}),
                                                             layoutEnvironment(), 1, reminder);
        ASSERT_EQ(docs.size(), 1u);
        const Page& page = docs[0].page(0);
        std::vector<const TextItem*> parts;
        for (const TextItem* t : page.texts()) {
            if (t->style.sizePt == 14)
                parts.push_back(t);
        }
        ASSERT_GE(parts.size(), 2u);
        EXPECT_EQ(joined(parts, 197), reminder);
        const double top = parts.front()->y.value();
        const double bottom = parts.back()->y.value() + 14 * 25.4 / 72;
        // Clear of the date, which is at 78 with the letterhead and at 87 (alone) without.
        EXPECT_GE(top, letterhead ? 83.0 : 92.0);
        const TextItem* intro1 = page.findText(u("Vielen Dank für Ihren Auftrag."));
        const TextItem* intro2 = page.findText(u("Wir berechnen Ihnen:"));
        ASSERT_TRUE(intro1 && intro2);
        EXPECT_GE(intro1->y.value(), bottom);
        EXPECT_GE(intro2->y.value(), intro1->y.value() + 4);
        if (reminder == longer)
            EXPECT_EQ(intro1->y.value(), 107);
    }
}

TEST(WideTexts, DescriptionsWrapInTheirColumnAndPushTheNextItemDown)
{
    const QString wide = longText(14);
    const QString word(60, QLatin1Char('W'));
    const PageModel doc = laidOut({item(u("1"), wide, u("300,00"), u("300,00")), item(u("2"), u("Spachtel"), u("5,00"), u("10,00")),
                                  item({}, wide, {}, {}, {}, {}), item(u("1"), word, u("1,00"), u("1,00"))});
    const Page& page = doc.page(0);
    const TextItem* spachtel = page.findText(u("Spachtel"));
    ASSERT_NE(spachtel, nullptr);
    const double y = spachtel->y.value();
    // Clear of the rate column of the two-rate mode (its head at 143), 5 mm apart.
    const auto first = textsBetween(page, 130, y, 55);
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(joined(first, 141), wide);
    EXPECT_EQ(y, 130 + 5 * double(first.size()));
    expectPlaced(page, {{'R', 27, y, "2"}});
    // A text line has the width up to the totals' edge.
    std::vector<const TextItem*> textLine, broken;
    for (const TextItem* t : textsBetween(page, y + 1, 235, 55))
        (t->text.startsWith(u("WW")) ? broken : textLine).push_back(t);
    EXPECT_EQ(joined(textLine, 197), wide);
    EXPECT_LT(textLine.size(), first.size());
    EXPECT_GT(right(*std::max_element(textLine.begin(), textLine.end(),
                                      [](auto* a, auto* b) { return right(a) < right(b); })), 141.0);
    // A word wider than the column is broken inside it.
    EXPECT_EQ(joined(broken, 141).remove(QLatin1Char(' ')), word);

    // The delivery note wraps up to the right edge.
    const std::vector<PageModel> notes = deliveryNoteDocuments(layoutHead(), {item(u("1"), longText(20), {}, {}),
                                                               item(u("2"), u("Spachtel"), {}, {})},
                                                               layoutCompany(), layoutEnvironment(), 1);
    ASSERT_EQ(notes.size(), 1u);
    auto parts = textsBetween(notes[0].page(0), 130, 230, 70);
    ASSERT_GE(parts.size(), 3u);
    EXPECT_EQ(parts.back()->text, u("Spachtel"));
    EXPECT_EQ(parts.back()->y.value(), 130 + 5 * double(parts.size() - 1));
    parts.pop_back();
    EXPECT_EQ(joined(parts, 197), longText(20));
}

TEST(WideTexts, ClosingIntroAndReceiptTextsWrapWithinTheirRoom)
{
    const QString closing = u("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug auf "
                              "unser unten genanntes Konto. Wir bedanken uns für die gute Zusammenarbeit.");
    const PageModel doc = laidOut(threeItems(), company({{"Memo3", closing}, {"Memo1", longText(24)}}));
    const Page& page = doc.page(0);
    auto parts = textsBetween(page, 235, 256, 20);
    ASSERT_GE(parts.size(), 3u);
    // The VAT breakdown follows below, and all of it stays above the rule at 256.
    const TextItem* summary = parts.back();
    EXPECT_EQ(summary->text, layoutHead().vatSummary);
    EXPECT_LE(summary->y.value() + 10.5 * 25.4 / 72, 256.0);
    parts.pop_back();
    // Left of the totals' labels, below the rule at 235.
    EXPECT_EQ(joined(parts, std::min(textEndingAt(page, 170, 240)->x.value(), textEndingAt(page, 170, 249)->x.value()) - 0.1),
              closing);
    EXPECT_GT(parts.front()->y.value(), 235.0);
    // The intro wraps and pushes its second line down.
    EXPECT_GT(page.findText(u("Wir berechnen Ihnen:"))->y.value(), 112.0);
    joined(textsBetween(page, 107, 121), 197);

    // With one VAT rate nothing stands beside it: it uses the width.
    const PageModel single = laidOut(threeItems(), company({{"Memo3", closing}, {"frei9", u("0")}}));
    const auto wide = textsBetween(single.page(0), 235, 256);
    EXPECT_EQ(joined(wide, 197), closing);
    EXPECT_LE(wide.size(), parts.size());
    EXPECT_EQ(wide.front()->y.value(), 242);

    // Its own line breaks stay.
    const PageModel broken = laidOut(threeItems(), company({{"Memo3", u("Zahlbar sofort.\nDanke!")}}));
    const auto lines = textsBetween(broken.page(0), 235, 256, 20);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->text + lines[1]->text + lines[2]->text, u("Zahlbar sofort.Danke!") + layoutHead().vatSummary);
    EXPECT_EQ(lines[0]->y.value(), 242);

    const std::vector<PageModel> notes = deliveryNoteDocuments(layoutHead(), threeItems(), company({{"Memo8", longText(12)}}),
                                                               layoutEnvironment(), 1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(joined(textsBetween(notes[0].page(0), 242, 260, 120), 197), longText(12));
}

TEST(WideTexts, FooterCaptionsAndLargeFiguresKeepApart)
{
    // A caption that ends in a blank gets no second one.
    const PageModel doc = laidOut({item(u("12"), u("Heizkessel"), u("1089,61"), u("13075,32")),
                                  item(u("1"), u("Anfahrt"), u("50,00"), u("50,00"))},
                                 company({{"Einst23", u("Steuernummer")}, {"Einst25", u("IBAN / BIC")},
                                          {"Einst27", u("DE00 1234")}, {"Einst28", u("MUSTDEFF")}, {"Einst26", QString()}}));
    const Page& page = doc.page(0);
    expectPlaced(page, {{'L', 21, 273, "Steuernummer 123/456"}, {'L', 60, 276, "IBAN / BIC DE00 1234 MUSTDEFF"},
                        {'L', 60, 273, "Musterbank"}, {'L', 21, 276, "USt-IdNr. DE123"},
                        // The line total keeps its place, figures that fit stay in their columns.
                        {'R', 196, 130, "13075,32 EUR"}, {'R', 172, 135, "50,00 EUR"}});
    // Everything left of a large figure stays clear of it.
    const TextItem* rate = page.findText(u("19%"));
    const TextItem* unitPrice = page.findText(u("1089,61 EUR"));
    const TextItem* total = page.findText(u("13075,32 EUR"));
    ASSERT_TRUE(rate && unitPrice && total);
    EXPECT_LE(right(unitPrice), total->x.value() - 2 + 1e-6);
    EXPECT_LE(right(rate), unitPrice->x.value() - 2 + 1e-6);
    EXPECT_LE(right(page.findText(u("Heizkessel"))), rate->x.value());
}
