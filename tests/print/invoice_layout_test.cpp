#include "print/DocumentLayouts.h"

#include "print/LayoutFixtures.h"
#include "print/PageQueries.h"

#include <gtest/gtest.h>

#include <algorithm>

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

PageModel singleDocument(const std::vector<PageModel>& docs)
{
    EXPECT_EQ(docs.size(), 1u);
    return docs.empty() ? PageModel() : docs.front();
}

} // namespace

TEST(InvoiceLayout, FirstPageCarriesAddressTitleTextsItemsTotalsAndFooter)
{
    const PageModel doc =
        singleDocument(invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 1);
    const Page& page = doc.page(0);

    // Letterhead, title and date.
    EXPECT_EQ(textAtOrEmpty(page, 20, 15), u("Muster GmbH"));
    const TextItem* title = textAt(page, 135, 70);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text, u("Rechnung Nr. 1001"));
    EXPECT_EQ(title->style.sizePt, 12);
    EXPECT_FALSE(title->style.bold);
    EXPECT_EQ(textAtOrEmpty(page, 135, 78), u("Datum: 15.03.2024"));

    // Address window: without an extra line, street and town are a line apart.
    EXPECT_EQ(textAtOrEmpty(page, 23, 53), u("Herrn"));
    EXPECT_EQ(textAtOrEmpty(page, 23, 58), u("Max Mustermann"));
    EXPECT_EQ(textAtOrEmpty(page, 23, 63), u("Musterweg 5"));
    EXPECT_EQ(textAt(page, 23, 68), nullptr);
    EXPECT_EQ(textAtOrEmpty(page, 23, 73), u("54321 Beispielort"));

    EXPECT_EQ(textAtOrEmpty(page, 20, 107), u("Vielen Dank für Ihren Auftrag."));
    EXPECT_EQ(textAtOrEmpty(page, 20, 112), u("Wir berechnen Ihnen:"));

    // Table head.
    const TextItem* menge = textAt(page, 19, 122);
    ASSERT_NE(menge, nullptr);
    EXPECT_EQ(menge->text, u("Menge"));
    EXPECT_TRUE(menge->style.bold);
    EXPECT_EQ(menge->style.sizePt, 8);
    EXPECT_EQ(textsOnLine(page, 122),
              (QStringList{u("Menge"), u("Art / Einh"), u("Bezeichnung / Leistung"), u("MwSt."), u("E-Preis"),
                           u("G-Preis")}));

    // Items, 5 mm apart from 130 on; right-aligned columns end at their x.
    EXPECT_EQ(textEndingAtOrEmpty(page, 27, 130), u("2"));
    EXPECT_EQ(textAtOrEmpty(page, 32, 130), u("Stk."));
    EXPECT_EQ(textAtOrEmpty(page, 55, 130), u("Wandfarbe weiß"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 151, 130), u("19%"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 172, 130), u("50,00 EUR"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 196, 130), u("100,00 EUR"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 151, 135), u("7%"));
    EXPECT_EQ(textAtOrEmpty(page, 32, 135), u("psch."));
    // A text line: only its description.
    EXPECT_EQ(textsOnLine(page, 140), QStringList{u("Ausführung nach Absprache")});
    EXPECT_EQ(textAtOrEmpty(page, 55, 140), u("Ausführung nach Absprache"));

    // Totals block.
    const TextItem* betrag = textEndingAt(page, 170, 260);
    ASSERT_NE(betrag, nullptr);
    EXPECT_EQ(betrag->text, u("Rechnungsbetrag"));
    EXPECT_TRUE(betrag->style.bold);
    const TextItem* gross = textEndingAt(page, 197, 260);
    ASSERT_NE(gross, nullptr);
    EXPECT_EQ(gross->text, u("172,50 EUR"));
    EXPECT_TRUE(gross->style.bold);
    EXPECT_EQ(textEndingAtOrEmpty(page, 170, 240), u("Netto"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 198, 240), u("150,00 EUR"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 170, 249), u("zuzüglich MwSt."));
    EXPECT_EQ(textEndingAtOrEmpty(page, 198, 249), u("22,50 EUR"));
    EXPECT_EQ(textAtOrEmpty(page, 20, 249), u("MwSt.19% 19,00   MwSt.7% 3,50"));
    EXPECT_EQ(textAtOrEmpty(page, 20, 242), u("Zahlbar innerhalb von 14 Tagen."));

    // Frame: fold mark, table rules, closing rules; footer.
    EXPECT_TRUE(hasLine(page, 0, 105, 8, 105));
    for (const double y : {121.0, 126.0, 235.0, 256.0, 269.0, 270.0})
        EXPECT_TRUE(hasRule(page, y)) << y;
    EXPECT_EQ(textAtOrEmpty(page, 21, 273), u("Steuernummer 123/456"));
    EXPECT_EQ(textAtOrEmpty(page, 21, 276), u("USt-IdNr. DE123"));
    EXPECT_EQ(textAtOrEmpty(page, 60, 273), u("Bank: Musterbank"));
    EXPECT_EQ(textAtOrEmpty(page, 60, 276), u("IBAN DE00 1234 BIC MUST"));
    EXPECT_EQ(textAt(page, 21, 273)->style.sizePt, 7.5);

    // No reminder on a normal print, and page 1 has no page number.
    for (const TextItem* t : page.texts()) {
        EXPECT_FALSE(t->text.contains(u(" vom "))) << t->text.toStdString();
        EXPECT_FALSE(t->text.contains(u("Seite"))) << t->text.toStdString();
    }
}

TEST(InvoiceLayout, QuoteUsesQuoteTextsAndPrintsWhateverNumberItHas)
{
    const PageModel doc = singleDocument(
        invoiceDocuments(layoutHead(u("Angebot"), {}), threeItems(), layoutCompany(), layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    EXPECT_EQ(textAtOrEmpty(page, 135, 70), u("Angebot Nr. "));
    EXPECT_EQ(textAtOrEmpty(page, 20, 107), u("Vielen Dank für Ihre Anfrage."));
    EXPECT_EQ(textAtOrEmpty(page, 20, 112), u("Wir bieten Ihnen an:"));
    EXPECT_EQ(textAtOrEmpty(page, 20, 242), u("Angebot 30 Tage gültig."));
    EXPECT_EQ(textEndingAtOrEmpty(page, 170, 260), u("Rechnungsbetrag"));
}

TEST(InvoiceLayout, PriceBasisDecidesTheWordingOfTheVatLine)
{
    PrintEnvironment env = layoutEnvironment();
    env.basis = PriceBasis::Gross;
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), env, 1));
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(0), 170, 249), u("enthaltene MwSt."));
}

TEST(InvoiceLayout, WithOneVatRateNoVatColumnAndNoNetOrVatLines)
{
    CompanySettings company = layoutCompany();
    company.setValue(u("frei9"), u("0"));
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    EXPECT_EQ(textsOnLine(page, 122),
              (QStringList{u("Menge"), u("Art / Einh"), u("Bezeichnung / Leistung"), u("E-Preis"), u("G-Preis")}));
    EXPECT_EQ(textEndingAt(page, 151, 130), nullptr);
    EXPECT_TRUE(textsOnLine(page, 240).isEmpty());
    EXPECT_TRUE(textsOnLine(page, 249).isEmpty());
    EXPECT_EQ(textEndingAtOrEmpty(page, 170, 260), u("Rechnungsbetrag"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 197, 260), u("172,50 EUR"));
}

TEST(InvoiceLayout, WithoutLetterheadTheDateStandsAloneAndTheFooterStillPrints)
{
    CompanySettings company = layoutCompany();
    company.setValue(u("Vordruck"), 0);
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    EXPECT_FALSE(allTexts(page).contains(u("Muster GmbH")));
    EXPECT_EQ(textAt(page, 135, 78), nullptr);
    EXPECT_EQ(textAtOrEmpty(page, 150, 87), u("15.03.2024"));
    EXPECT_EQ(textAtOrEmpty(page, 21, 273), u("Steuernummer 123/456"));
}

TEST(InvoiceLayout, ExtraAddressLinePushesStreetDown)
{
    DocumentHead head = layoutHead();
    head.addition = u("Abteilung Einkauf");
    const PageModel doc = singleDocument(invoiceDocuments(head, threeItems(), layoutCompany(), layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    EXPECT_EQ(textAtOrEmpty(page, 23, 63), u("Abteilung Einkauf"));
    EXPECT_EQ(textAtOrEmpty(page, 23, 68), u("Musterweg 5"));
    EXPECT_EQ(textAtOrEmpty(page, 23, 73), u("54321 Beispielort"));
}

TEST(InvoiceLayout, InvoiceWithoutLinesStillPrintsFrameTextsAndTotals)
{
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), {}, layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 1);
    const Page& page = doc.page(0);
    EXPECT_TRUE(textsOnLine(page, 130).isEmpty());
    EXPECT_EQ(textAtOrEmpty(page, 135, 70), u("Rechnung Nr. 1001"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 197, 260), u("172,50 EUR"));
    EXPECT_TRUE(hasRule(page, 270));
}

// --- Page breaks and carry-over --------------------------------------------

TEST(InvoicePageBreaks, SixtyItemsRunOverTwoPagesWithCarryOverAndPageNumber)
{
    const QList<DocumentLine> lines = numberedItems(60);
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    const Page& first = doc.page(0);
    const Page& second = doc.page(1);

    // Page 1: items 1 to 21 at 130 ... 230, then the carry-over of their totals.
    EXPECT_EQ(textAtOrEmpty(first, 55, 130), u("Position 1"));
    EXPECT_EQ(textAtOrEmpty(first, 55, 230), u("Position 21"));
    EXPECT_FALSE(allTexts(first).contains(u("Position 22")));
    const TextItem* carryLabel = textAt(first, 138, 260);
    ASSERT_NE(carryLabel, nullptr);
    EXPECT_EQ(carryLabel->text, u("Übertrag "));
    EXPECT_TRUE(carryLabel->style.bold);
    EXPECT_EQ(carryLabel->style.sizePt, 7.5); // the footer came just before it
    // 1 + 2 + ... + 21 = 231, plus 21 × 0,25.
    const TextItem* carry = textEndingAt(first, 198, 260);
    ASSERT_NE(carry, nullptr);
    EXPECT_EQ(carry->text, u("236,25 EUR"));
    EXPECT_FALSE(carry->style.bold);
    EXPECT_TRUE(hasRule(first, 256));
    EXPECT_TRUE(hasRule(first, 269));
    EXPECT_FALSE(hasRule(first, 270));
    EXPECT_EQ(textAtOrEmpty(first, 21, 273), u("Steuernummer 123/456"));
    EXPECT_FALSE(allTexts(first).contains(u("Rechnungsbetrag")));

    // Page 2: number, carry-over at the top, table head at 23, items from 30.
    const TextItem* heading = textAt(second, 20, 15);
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text, u("Rechnung Nr. 1001   Seite 2"));
    EXPECT_TRUE(heading->style.bold);
    EXPECT_EQ(textAtOrEmpty(second, 138, 15), u("Übertrag "));
    EXPECT_EQ(textEndingAtOrEmpty(second, 198, 15), u("236,25 EUR"));
    EXPECT_EQ(textAtOrEmpty(second, 19, 23), u("Menge"));
    EXPECT_TRUE(hasRule(second, 22));
    EXPECT_TRUE(hasRule(second, 27));
    EXPECT_EQ(textAtOrEmpty(second, 55, 30), u("Position 22"));
    EXPECT_EQ(textAtOrEmpty(second, 55, 220), u("Position 60"));
    EXPECT_EQ(textEndingAtOrEmpty(second, 196, 220), u("60,25 EUR"));
    // The totals close the last page; no letterhead there.
    EXPECT_EQ(textEndingAtOrEmpty(second, 170, 260), u("Rechnungsbetrag"));
    EXPECT_TRUE(hasRule(second, 270));
    EXPECT_FALSE(allTexts(second).contains(u("Muster GmbH")));
}

TEST(InvoicePageBreaks, ItemAtTheLastPlaceOfAPageMovesTheTotalsToTheNextPage)
{
    // 21 items fill page 1: the totals follow on page 2 below its head.
    PageModel doc = singleDocument(invoiceDocuments(layoutHead(), numberedItems(21), layoutCompany(),
                                                    layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 20, 15), u("Rechnung Nr. 1001   Seite 2"));
    EXPECT_TRUE(textsOnLine(doc.page(1), 30).isEmpty());
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(1), 197, 260), u("172,50 EUR"));

    // 62 items: 21 + 41 fill two pages, page 3 carries the sum of all.
    doc = singleDocument(invoiceDocuments(layoutHead(), numberedItems(62), layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 3);
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 230), u("Position 62"));
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(1), 198, 260), u("1968,50 EUR"));
    EXPECT_EQ(textAtOrEmpty(doc.page(2), 20, 15), u("Rechnung Nr. 1001   Seite 3"));
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(2), 198, 15), u("1968,50 EUR"));
}

TEST(InvoicePageBreaks, TwentyTwoItemsPutTheLastOneAtTheTopOfPageTwo)
{
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), numberedItems(22), layoutCompany(),
                                                          layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(0), 198, 260), u("236,25 EUR"));
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(1), 198, 15), u("236,25 EUR"));
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 30), u("Position 22"));
}

TEST(InvoicePageBreaks, CarryOverCountsEveryLocaleAmountAndSkipsTextLines)
{
    QList<DocumentLine> lines;
    for (int i = 0; i < 20; ++i)
        lines << item(u("1"), u("Text"), {}, {}, {}, {});
    lines << item(u("1"), u("Kleinteil"), u("0,50"), u("0,50"));
    lines << item(u("1"), u("Gutschrift"), u("-10,00"), u("-10,00"));
    lines << item(u("1"), u("Folgeposten"), u("5,00"), u("5,00"));
    // Items 21 and 22 are 0,50 and -10,00: the page breaks after item 21.
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(0), 198, 260), u("0,50 EUR"));
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 30), u("Gutschrift"));
}

TEST(InvoicePageBreaks, WithoutLetterheadTheCarryOverLabelKeepsTheItemSize)
{
    CompanySettings company = layoutCompany();
    company.setValue(u("Vordruck"), 0);
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), numberedItems(30), company,
                                                          layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    const TextItem* label = textAt(doc.page(0), 138, 260);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->style.sizePt, 10.5);
    // Intermediate pages get the footer only with the letterhead; the last always.
    EXPECT_EQ(textAt(doc.page(0), 21, 273), nullptr);
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 21, 273), u("Steuernummer 123/456"));
}

// --- Descriptions over several lines --------------------------------------

TEST(MultiLineDescriptions, ContinuationLinesStandBelowAndLaterItemsMoveDown)
{
    const QList<DocumentLine> lines = {
        item(u("1"), u("Malerarbeiten\nWohnzimmer\r\nFlur\n"), u("300,00"), u("300,00")),
        item(u("2"), u("Spachtel"), u("5,00"), u("10,00")),
    };
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    EXPECT_EQ(textsOnLine(page, 130), (QStringList{u("1"), u("Stk."), u("Malerarbeiten"), u("19%"), u("300,00 EUR"),
                                                    u("300,00 EUR")}));
    EXPECT_EQ(textsOnLine(page, 135), QStringList{u("Wohnzimmer")});
    EXPECT_EQ(textAtOrEmpty(page, 55, 140), u("Flur"));
    // The trailing line break takes no room.
    EXPECT_EQ(textAtOrEmpty(page, 55, 145), u("Spachtel"));
    EXPECT_EQ(textEndingAtOrEmpty(page, 27, 145), u("2"));
}

TEST(MultiLineDescriptions, ADescriptionThatDoesNotFitMovesToTheNextPageWhole)
{
    QList<DocumentLine> lines = numberedItems(19); // 130 ... 220
    lines << item(u("1"), u("Teil A\nTeil B\nTeil C"), u("1,00"), u("1,00"));
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    // 19 items: 190 + 19 × 0,25.
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(0), 198, 260), u("194,75 EUR"));
    EXPECT_FALSE(allTexts(doc.page(0)).contains(u("Teil A")));
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 30), u("Teil A"));
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 40), u("Teil C"));
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(1), 198, 15), u("194,75 EUR"));
}

TEST(MultiLineDescriptions, ADescriptionLongerThanAPageContinuesOnTheNext)
{
    QStringList text;
    for (int i = 1; i <= 30; ++i)
        text << QStringLiteral("Zeile %1").arg(i);
    const QList<DocumentLine> lines = {item(u("1"), text.join(QLatin1Char('\n')), u("9,00"), u("9,00"))};
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(textAtOrEmpty(doc.page(0), 55, 230), u("Zeile 21"));
    EXPECT_EQ(textEndingAtOrEmpty(doc.page(0), 198, 260), u("9,00 EUR"));
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 30), u("Zeile 22"));
    EXPECT_EQ(textAtOrEmpty(doc.page(1), 55, 70), u("Zeile 30"));
}

TEST(MultiLineDescriptions, LinesOfADescription)
{
    EXPECT_EQ(descriptionLines({}), QStringList{QString()});
    EXPECT_EQ(descriptionLines(u("a\r\nb\rc\nd")), (QStringList{u("a"), u("b"), u("c"), u("d")}));
    EXPECT_EQ(descriptionLines(u("a\n\nb\n \n")), (QStringList{u("a"), QString(), u("b")}));
}

// --- Copies and reminder ---------------------------------------------------

TEST(InvoiceCopies, EachCopyIsADocumentOfItsOwnAndOnlyTheFirstCarriesTheReminder)
{
    const QString reminder = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung");
    const std::vector<PageModel> docs =
        invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 2, reminder);
    ASSERT_EQ(docs.size(), 2u);

    const Page& first = docs[0].page(0);
    const TextItem* text = first.findText(reminder);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->style.sizePt, 14);
    // Above the intro lines, clear of the first one at 107 and of the date.
    EXPECT_EQ(text->x.value(), 23);
    const double reminderLine = 14 * 25.4 / 72; // at least the font's size
    EXPECT_LE(text->y.value() + reminderLine, 107.0);
    EXPECT_GE(text->y.value(), 92.0);
    EXPECT_EQ(textAtOrEmpty(first, 20, 107), u("Vielen Dank für Ihren Auftrag."));
    EXPECT_EQ(textAtOrEmpty(first, 135, 78), u("Datum: 02.05.2024"));
    const TextItem* reference = first.findText(u(" Nr. 1001 vom 15.03.2024"));
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->style.sizePt, 12);
    EXPECT_EQ(reference->y.value(), 74);
    // It begins at 170 where it fits, and never runs off the paper.
    EXPECT_LE(reference->x.value(), 170);
    EXPECT_NEAR((reference->x + reference->width).value(), 200, 1e-6);

    const Page& second = docs[1].page(0);
    EXPECT_EQ(second.findText(reminder), nullptr);
    EXPECT_EQ(second.findText(u(" Nr. 1001 vom 15.03.2024")), nullptr);
    EXPECT_EQ(textAtOrEmpty(second, 135, 78), u("Datum: 15.03.2024"));
    // Otherwise the copies are the same invoice.
    EXPECT_EQ(allTexts(second).size() + 2, allTexts(first).size());
}

TEST(InvoiceCopies, ALongReminderTextWrapsAndStaysAboveTheIntroLines)
{
    const QString reminder = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung, spätestens "
                               "innerhalb von sieben Tagen nach Erhalt dieses Schreibens.");
    const std::vector<PageModel> docs =
        invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 1, reminder);
    ASSERT_EQ(docs.size(), 1u);
    QStringList parts;
    double bottom = 0;
    for (const TextItem* t : docs[0].page(0).texts()) {
        if (t->style.sizePt != 14)
            continue;
        parts << t->text;
        EXPECT_EQ(t->x.value(), 23);
        EXPECT_GE(t->y.value(), 92.0);
        EXPECT_LE((t->x + t->width).value(), 197.0 + 1e-6);
        bottom = t->y.value() + 14 * 25.4 / 72;
    }
    ASSERT_GE(parts.size(), 2);
    EXPECT_EQ(parts.join(QLatin1Char(' ')), reminder);
    EXPECT_LE(bottom, 107.0);
    EXPECT_EQ(textAtOrEmpty(docs[0].page(0), 20, 107), u("Vielen Dank für Ihren Auftrag."));
}

TEST(InvoiceCopies, AReminderTooLongForItsRoomPushesTheIntroLinesDown)
{
    const QString reminder = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung bis spätestens zum "
                               "Ende dieses Monats, andernfalls müssen wir leider weitere Schritte einleiten und "
                               "Ihnen die entstehenden Kosten in Rechnung stellen.");
    for (const bool letterhead : {true, false}) {
        CompanySettings company = layoutCompany();
        company.setValue(u("Vordruck"), letterhead ? -1 : 0);
        const std::vector<PageModel> docs =
            invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1, reminder);
        ASSERT_EQ(docs.size(), 1u);
        const Page& page = docs[0].page(0);
        double top = 1000;
        double bottom = 0;
        for (const TextItem* t : page.texts()) {
            if (t->style.sizePt == 14) {
                top = std::min(top, t->y.value());
                bottom = std::max(bottom, t->y.value() + 14 * 25.4 / 72);
            }
        }
        // Clear of the date, which is at 78 with the letterhead and at 87
        // (alone) without.
        EXPECT_GE(top, letterhead ? 83.0 : 92.0) << letterhead;
        const TextItem* intro1 = page.findText(u("Vielen Dank für Ihren Auftrag."));
        const TextItem* intro2 = page.findText(u("Wir berechnen Ihnen:"));
        ASSERT_TRUE(intro1 && intro2);
        EXPECT_GE(intro1->y.value(), bottom) << letterhead;
        EXPECT_GE(intro2->y.value(), intro1->y.value() + 4) << letterhead;
    }
}

TEST(InvoiceCopies, PlainCopiesAreIdentical)
{
    const std::vector<PageModel> docs =
        invoiceDocuments(layoutHead(), numberedItems(25), layoutCompany(), layoutEnvironment(), 3);
    ASSERT_EQ(docs.size(), 3u);
    for (const PageModel& d : docs) {
        ASSERT_EQ(d.pageCount(), 2);
        EXPECT_EQ(allTexts(d.page(0)), allTexts(docs[0].page(0)));
        EXPECT_EQ(allTexts(d.page(1)), allTexts(docs[0].page(1)));
    }
    EXPECT_TRUE(invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 0).empty());
}

TEST(InvoiceCopies, CopiesSettingIsReadAsTheDocumentKindReadsIt)
{
    EXPECT_EQ(invoiceCopies(u("2"), QLatin1Char(',')), 2);
    EXPECT_EQ(invoiceCopies(u(" 3 "), QLatin1Char(',')), 3);
    EXPECT_EQ(invoiceCopies(u("1,5"), QLatin1Char(',')), 2);
    EXPECT_EQ(invoiceCopies(u("0"), QLatin1Char(',')), 0);
    EXPECT_EQ(invoiceCopies(u("-2"), QLatin1Char(',')), 0);
    EXPECT_EQ(invoiceCopies(u(""), QLatin1Char(',')), 0);
    EXPECT_EQ(invoiceCopies(u("zwei"), QLatin1Char(',')), 0);
    EXPECT_EQ(invoiceCopies(u("99999999999999"), QLatin1Char(',')), 1000000);

    EXPECT_EQ(deliveryNoteCopies(u("2")), 2);
    EXPECT_EQ(deliveryNoteCopies(u("1,5")), 1); // the comma ends the leading number
    EXPECT_EQ(deliveryNoteCopies(u("2x")), 2);
    EXPECT_EQ(deliveryNoteCopies(u("x")), 0);
}

// --- Texts that are wider than their room ------------------------------------

namespace {

QString longText(int words)
{
    QStringList out;
    for (int i = 0; i < words; ++i)
        out << (i % 3 == 0 ? u("Ausführung") : i % 3 == 1 ? u("nach") : u("Absprache"));
    return out.join(QLatin1Char(' '));
}

// Texts of the page whose top lies in [top, bottom).
std::vector<const TextItem*> textsBetween(const Page& page, double top, double bottom)
{
    std::vector<const TextItem*> out;
    for (const TextItem* t : page.texts()) {
        if (t->y.value() >= top - 1e-6 && t->y.value() < bottom - 1e-6)
            out.push_back(t);
    }
    return out;
}

} // namespace

TEST(WideTexts, ADescriptionTooWideForItsColumnWrapsAndPushesTheNextItemDown)
{
    const QString wide = longText(14);
    const QList<DocumentLine> lines = {
        item(u("1"), wide, u("300,00"), u("300,00")),
        item(u("2"), u("Spachtel"), u("5,00"), u("10,00")),
        item({}, wide, {}, {}, {}, {}), // a text line has the width up to the totals' edge
    };
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    const Page& page = doc.page(0);

    const TextItem* spachtel = page.findText(u("Spachtel"));
    ASSERT_NE(spachtel, nullptr);
    const double spachtelY = spachtel->y.value();
    QStringList first;
    QStringList textLine;
    double widest = 0;
    for (const TextItem* t : textsBetween(page, 130, 235)) {
        if (t->x.value() != 55 || t == spachtel)
            continue;
        if (t->y.value() < spachtelY) {
            // 5 mm apart, clear of the rate column of the two-rate mode (its head at 143).
            EXPECT_NEAR(t->y.value(), 130 + 5 * double(first.size()), 1e-6);
            EXPECT_LE((t->x + t->width).value(), 141.0 + 1e-6) << t->text.toStdString();
            first << t->text;
        } else {
            textLine << t->text;
            widest = std::max(widest, (t->x + t->width).value());
        }
    }
    ASSERT_GE(first.size(), 2);
    EXPECT_EQ(first.join(QLatin1Char(' ')), wide);
    // The next item moved down by the continuation lines.
    EXPECT_EQ(spachtelY, 130 + 5 * double(first.size()));
    EXPECT_EQ(textEndingAtOrEmpty(page, 27, spachtelY), u("2"));

    EXPECT_EQ(textLine.join(QLatin1Char(' ')), wide);
    EXPECT_LT(textLine.size(), first.size());
    EXPECT_LE(widest, 197.0 + 1e-6);
    EXPECT_GT(widest, 141.0);
}

TEST(WideTexts, AWordWiderThanTheColumnIsBrokenInsideIt)
{
    const QString word = QString(60, QLatin1Char('W'));
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), {item(u("1"), word, u("1,00"), u("1,00"))},
                                                          layoutCompany(), layoutEnvironment(), 1));
    QString joined;
    for (const TextItem* t : textsBetween(doc.page(0), 130, 230)) {
        if (t->x.value() == 55) {
            joined += t->text;
            EXPECT_LE((t->x + t->width).value(), 141.0 + 1e-6);
        }
    }
    EXPECT_EQ(joined, word);
}

TEST(WideTexts, TheDeliveryNoteWrapsItsDescriptionsUpToTheRightEdge)
{
    const QString wide = longText(20);
    const std::vector<PageModel> docs =
        deliveryNoteDocuments(layoutHead(), {item(u("1"), wide, {}, {}), item(u("2"), u("Spachtel"), {}, {})},
                              layoutCompany(), layoutEnvironment(), 1);
    ASSERT_EQ(docs.size(), 1u);
    const Page& page = docs[0].page(0);
    QStringList parts;
    for (const TextItem* t : textsBetween(page, 130, 230)) {
        if (t->x.value() == 70 && t->text != u("Spachtel")) {
            parts << t->text;
            EXPECT_LE((t->x + t->width).value(), 197.0 + 1e-6);
        }
    }
    ASSERT_GE(parts.size(), 2);
    EXPECT_EQ(parts.join(QLatin1Char(' ')), wide);
    EXPECT_EQ(textAtOrEmpty(page, 70, 130 + 5 * double(parts.size())), u("Spachtel"));
}

TEST(WideTexts, ALongClosingTextWrapsBesideTheTotalsBetweenTheRules)
{
    CompanySettings company = layoutCompany();
    const QString closing = u("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug auf "
                              "unser unten genanntes Konto. Wir bedanken uns für die gute Zusammenarbeit.");
    company.setValue(u("Memo3"), closing);
    const PageModel doc =
        singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    const Page& page = doc.page(0);

    QStringList parts;
    const TextItem* summary = nullptr;
    const TextItem* netLabel = textEndingAt(page, 170, 240);
    const TextItem* vatLabel = textEndingAt(page, 170, 249);
    ASSERT_TRUE(netLabel && vatLabel);
    double last = 0;
    for (const TextItem* t : textsBetween(page, 235, 256)) {
        if (t->x.value() != 20)
            continue;
        if (t->text == layoutHead().vatSummary) {
            summary = t;
            continue;
        }
        parts << t->text;
        // Left of the totals' labels, below the rule at 235.
        EXPECT_LT((t->x + t->width).value(), std::min(netLabel->x.value(), vatLabel->x.value()));
        EXPECT_GT(t->y.value(), 235.0);
        last = t->y.value();
    }
    ASSERT_GE(parts.size(), 2);
    EXPECT_EQ(parts.join(QLatin1Char(' ')), closing);
    // The VAT breakdown follows below the closing text, and all of it stays
    // above the rule at 256.
    ASSERT_NE(summary, nullptr);
    EXPECT_GT(summary->y.value(), last);
    EXPECT_LE(summary->y.value() + 10.5 * 25.4 / 72, 256.0);

    // With one VAT rate nothing stands beside it: it uses the width.
    company.setValue(u("frei9"), u("0"));
    const PageModel single = singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    QStringList wide;
    for (const TextItem* t : textsBetween(single.page(0), 235, 256)) {
        wide << t->text;
        EXPECT_LE((t->x + t->width).value(), 197.0 + 1e-6);
    }
    EXPECT_EQ(wide.join(QLatin1Char(' ')), closing);
    EXPECT_LT(wide.size(), parts.size() + 1);
    EXPECT_EQ(textAtOrEmpty(single.page(0), 20, 242), wide.first());
}

TEST(WideTexts, ClosingTextKeepsItsOwnLineBreaksAndAShortOneItsPlace)
{
    CompanySettings company = layoutCompany();
    company.setValue(u("Memo3"), u("Zahlbar sofort.\nDanke!"));
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    const TextItem* first = page.findText(u("Zahlbar sofort."));
    const TextItem* second = page.findText(u("Danke!"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->y.value(), 242);
    EXPECT_GT(second->y.value(), first->y.value());
    EXPECT_EQ(second->x.value(), 20);
    const TextItem* summary = page.findText(layoutHead().vatSummary);
    ASSERT_NE(summary, nullptr);
    EXPECT_GT(summary->y.value(), second->y.value());
}

TEST(WideTexts, IntroAndDeliveryTextsWrapAndPushTheirFollowersDown)
{
    CompanySettings company = layoutCompany();
    company.setValue(u("Memo1"), longText(24));
    company.setValue(u("Memo8"), longText(12));
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    const Page& page = doc.page(0);
    const TextItem* second = page.findText(u("Wir berechnen Ihnen:"));
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second->y.value(), 112.0);
    for (const TextItem* t : textsBetween(page, 107, 121))
        EXPECT_LE((t->x + t->width).value(), 197.0 + 1e-6);

    const std::vector<PageModel> notes = deliveryNoteDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1);
    ASSERT_EQ(notes.size(), 1u);
    QStringList receipt;
    for (const TextItem* t : textsBetween(notes[0].page(0), 242, 260)) {
        if (t->x.value() == 120) {
            receipt << t->text;
            EXPECT_LE((t->x + t->width).value(), 197.0 + 1e-6);
        }
    }
    EXPECT_EQ(receipt.join(QLatin1Char(' ')), longText(12));
}

TEST(WideTexts, FooterCaptionsAndValuesAreKeptApart)
{
    CompanySettings company = layoutCompany();
    company.setValue(u("Einst23"), u("Steuernummer"));
    company.setValue(u("Einst25"), u("IBAN / BIC"));
    company.setValue(u("Einst27"), u("DE00 1234"));
    company.setValue(u("Einst28"), u("MUSTDEFF"));
    company.setValue(u("Einst26"), QString());
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), threeItems(), company, layoutEnvironment(), 1));
    EXPECT_EQ(textAtOrEmpty(doc.page(0), 21, 273), u("Steuernummer 123/456"));
    EXPECT_EQ(textAtOrEmpty(doc.page(0), 60, 276), u("IBAN / BIC DE00 1234 MUSTDEFF"));
    EXPECT_EQ(textAtOrEmpty(doc.page(0), 60, 273), u("Musterbank"));
    // A caption that ends in a blank gets no second one.
    EXPECT_EQ(textAtOrEmpty(doc.page(0), 21, 276), u("USt-IdNr. DE123"));
}

TEST(WideTexts, LargeFiguresMoveTheirLeftNeighboursAsideInsteadOfPrintingOverThem)
{
    const QList<DocumentLine> lines = {
        item(u("12"), u("Heizkessel"), u("1089,61"), u("13075,32")),
        item(u("1"), u("Anfahrt"), u("50,00"), u("50,00")),
    };
    const PageModel doc = singleDocument(invoiceDocuments(layoutHead(), lines, layoutCompany(), layoutEnvironment(), 1));
    const Page& page = doc.page(0);

    const TextItem* rate = page.findText(u("19%"));
    const TextItem* unitPrice = page.findText(u("1089,61 EUR"));
    const TextItem* total = page.findText(u("13075,32 EUR"));
    ASSERT_NE(rate, nullptr);
    ASSERT_NE(unitPrice, nullptr);
    ASSERT_NE(total, nullptr);
    // The line total keeps its place; everything left of it stays clear of
    // the figure to its right.
    EXPECT_NEAR((total->x + total->width).value(), 196, 1e-6);
    EXPECT_LE((unitPrice->x + unitPrice->width).value(), total->x.value() - 2 + 1e-6);
    EXPECT_LE((rate->x + rate->width).value(), unitPrice->x.value() - 2 + 1e-6);
    const TextItem* heizkessel = page.findText(u("Heizkessel"));
    ASSERT_NE(heizkessel, nullptr);
    EXPECT_LE((heizkessel->x + heizkessel->width).value(), rate->x.value());

    // Figures that fit stay in their columns.
    const TextItem* small = page.findText(u("50,00 EUR"));
    ASSERT_NE(small, nullptr);
    EXPECT_NEAR((small->x + small->width).value(), 172, 1e-6);
}
