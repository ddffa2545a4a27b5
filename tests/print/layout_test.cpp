#include "print/DocumentLayouts.h"

#include "data/CompanySettings.h"
#include "data/Numbers.h"
#include "print/DocumentPrint.h"
#include "print/FakePrinters.h"
#include "print/GiroCode.h"
#include "print/Letterhead.h"
#include "print/OverviewList.h"
#include "print/PageQueries.h"
#include "print/PageRenderer.h"
#include "print/PdfWords.h"
#include "print/PrintCursor.h"
#include "print/PrintDocumentName.h"
#include "print/PrintedAmount.h"
#include "support/DataRuleTable.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QList>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <tuple>

using namespace quittora;
using namespace quittora::testing;
using namespace quittora::literals;
using quittora::test::TempDatabase;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// Company settings of a small business, with changes: letterhead on, two VAT rates, one copy.
CompanySettings layoutCompany(std::initializer_list<std::pair<const char*, QVariant>> changes = {})
{
    CompanySettings s;
    const std::pair<const char*, const char*> values[] = {
        {"ID", "1"}, {"Titel", "Muster GmbH"}, {"frei4", "Malerei und Trockenbau"}, {"frei2", "Hauptstraße 5"},
        {"frei3", "12345 Musterstadt"}, {"MWSt", "19"}, {"frei9", "7"}, {"frei8", "EUR"}, {"frei1", "1"},
        {"Rechnungsnummer", "1000"}, {"Memo1", "Vielen Dank für Ihren Auftrag."}, {"Memo2", "Wir berechnen Ihnen:"},
        {"Memo3", "Zahlbar innerhalb von 14 Tagen."},
        {"Einst23", "Steuernummer "}, {"Einst6", "123/456"}, {"Einst24", "USt-IdNr. "}, {"frei5", "DE123"},
        {"Einst26", "Bank: "}, {"Bank", "Musterbank"}, {"Einst25", "IBAN "}, {"Einst27", "DE00 1234 "},
        {"Einst28", "BIC MUST"}, {"Einst18", "10"}, {"Einst19", "0"}, {"Vordruck", "-1"}, {"Tel", "0123 4567"},
        {"Fax", "0123 4568"}, {"Einst1", "info@muster.de"}, {"Einst3", "150"}, {"Einst4", "10"}, {"Einst5", "20"},
    };
    for (const auto& [field, value] : values)
        s.setValue(QString::fromLatin1(field), QString::fromUtf8(value));
    for (const auto& [field, value] : changes)
        s.setValue(QString::fromLatin1(field), value);
    return s;
}

DocumentHead layoutHead(const QString& kind = QStringLiteral("Rechnung"), const QString& number = QStringLiteral("1001"))
{
    DocumentHead h;
    std::tie(h.kind, h.number, h.date, h.salutation, h.name, h.street, h.town) = std::tuple(
        kind, number, u("15.03.2024"), u("Herrn"), u("Max Mustermann"), u("Musterweg 5"), u("54321 Beispielort"));
    std::tie(h.net, h.vatTotal, h.gross, h.skonto) = std::tuple(u("150,00"), u("22,50"), u("172,50"), u("Skonto bis 25.03.2024"));
    return h;
}

DocumentLine item(const QString& quantity, const QString& description, const QString& unitPrice, const QString& amount,
                  const QString& rate = QStringLiteral("19"), const QString& unit = QStringLiteral("Stk."))
{
    return {quantity, unit, description, rate, unitPrice, amount};
}

// n items "Position i" whose totals are i,25 (so the sums have cents).
QList<DocumentLine> numberedItems(int n)
{
    QList<DocumentLine> lines;
    for (int i = 1; i <= n; ++i)
        lines << item(u("1"), QStringLiteral("Position %1").arg(i), u("%1,25").arg(i), u("%1,25").arg(i));
    return lines;
}

PrintEnvironment layoutEnvironment(PriceBasis basis = PriceBasis::Net)
{
    PrintEnvironment env;
    std::tie(env.today, env.basis) = std::tuple(QDate(2024, 5, 2), basis);
    return env;
}

QList<DocumentLine> threeItems()
{
    return {item(u("2"), u("Wandfarbe weiß"), u("50,00"), u("100,00")),
            item(u("1"), u("Anfahrt"), u("50,00"), u("50,00"), u("7"), u("psch.")),
            item({}, u("Ausführung nach Absprache"), {}, {}, {}, {})};
}

// The invoice of one copy; a page asked for beyond `pages` throws, which fails the test.
PageModel laidOut(const QList<DocumentLine>& lines, int pages = 1, const CompanySettings& settings = layoutCompany(),
                  const DocumentHead& head = layoutHead(), const PrintEnvironment& env = layoutEnvironment())
{
    const std::vector<PageModel> docs = invoiceDocuments(head, lines, settings, env, 1);
    EXPECT_TRUE(docs.size() == 1u && docs.front().pageCount() == pages) << (docs.empty() ? 0 : docs.front().pageCount());
    return docs.empty() ? PageModel() : docs.front();
}

// The texts starting at x whose top lies in [top, bottom), top to bottom, joined;
// each must end left of maxRight.
QString joinedBetween(const Page& page, double x, double top, double bottom, double maxRight, int* count = nullptr)
{
    std::multimap<double, const TextItem*> found; // by y; the same y in the order placed
    for (const TextItem* t : page.texts())
        if (t->y.value() >= top - 1e-6 && t->y.value() < bottom - 1e-6 && near(t->x.value(), x))
            found.emplace(t->y.value(), t);
    QStringList parts;
    for (const auto& [y, t] : found) {
        parts << t->text;
        EXPECT_LE((t->x + t->width).value(), maxRight + 1e-6) << t->text.toStdString();
    }
    if (count)
        *count = int(found.size());
    return parts.join(QLatin1Char(' '));
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

// The upper part of page 1 (210 x 100 mm) as the printer gets it, 10 dots a millimetre.
QImage renderedTop(const PageModel& doc, MarginValues margins = {})
{
    QImage sheet(2100, 1000, QImage::Format_RGB32);
    sheet.setDotsPerMeterX(10000);
    sheet.setDotsPerMeterY(10000);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    renderPage(painter, doc, 0, margins);
    painter.end();
    return sheet;
}

// A database with one invoice of three lines for a customer with no cash
// discount of their own; the template's next number is 1000.
class DocumentPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        customer = db.addCustomer(u("Mustermann"), u("Max"));
        invoice = addDocument(u("Rechnung"));
    }
    qint64 addDocument(const QString& kind)
    {
        const qint64 id = db.addDocument({}, u("15.03.2024"), kind, false,
                                         {{u("a1"), u("Herrn")}, {u("a2"), u("Max Mustermann")}, {u("a4"), u("Musterweg 5")},
                                          {u("a5"), u("12345 Musterstadt")}, {u("b1"), QString::number(customer)}});
        db.addLine(id, u("2"), u("Wandfarbe"), u("50,00"), u("100,00"), u("19"), u("Eimer"));
        db.addLine(id, u("1"), u("Anfahrt"), u("50,00"), u("50,00"), u("7"));
        db.addLine(id, {}, u("Ausführung nach Absprache"), {}, {}, {});
        return id;
    }
    PrintEnvironment env() const { return printEnvironment(t.ctx); }
    // The document's number and the next number, "|"-joined.
    QString numbers(qint64 id) const { return db.field(u("Rechnungen"), id, u("a7")).toString() + u("|") + db.setting(u("Rechnungsnummer")).toString(); }
    // prepare + store, as the print button does before the print dialog.
    PrintJob prepareAndStore(qint64 id)
    {
        PrintJob job = prepareInvoicePrint(db.db(), id, env());
        EXPECT_TRUE(job.ready()) << job.message.toStdString();
        QString error;
        EXPECT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
        return job;
    }
    // A print dialog that answers `answer`, optionally switching the printer or printing to a file.
    PrintDialog dialog(bool answer = true, const QString& printer = {}, const QString& file = {})
    {
        return [=, this](ProgramState& state) {
            ++dialogs;
            state.currentPrinter = printer.isEmpty() ? state.currentPrinter : printer;
            state.printFile = file;
            return answer;
        };
    }
    QString lastPrompt() const { return t.prompts.count() ? t.prompts.last().title + u(": ") + t.prompts.last().text : u("-"); }

    TempDatabase db;
    TestContext t;
    FakePrinters printers;
    qint64 customer = 0, invoice = 0;
    int dialogs = 0;
};

} // namespace

TEST(InvoiceLayout, FirstPageCarriesAddressTitleItemsAndTotals)
{
    const Page page = laidOut(threeItems()).page(0);
    // Address window: without an extra line, street and town are a line apart.
    // Items 5 mm apart from 130 on; right-aligned columns end at their x.
    expectPlaced(page, {
        {'L', 135, 70, "Rechnung Nr. 1001"}, {'L', 135, 78, "Datum: 15.03.2024"}, {'L', 23, 58, "Max Mustermann"},
        {'L', 23, 63, "Musterweg 5"}, {'L', 23, 68, ""}, {'L', 23, 73, "54321 Beispielort"}, {'R', 27, 130, "2"},
        {'L', 55, 130, "Wandfarbe weiß"}, {'R', 151, 130, "19%"}, {'R', 172, 130, "50,00 EUR"}, {'R', 196, 130, "100,00 EUR"},
        {'R', 151, 135, "7%"}, {'L', 55, 140, "Ausführung nach Absprache"}, {'R', 198, 240, "150,00 EUR"},
        {'R', 170, 249, "zuzüglich MwSt."}, {'R', 198, 249, "22,50 EUR"}, {'R', 170, 260, "Rechnungsbetrag"},
        {'R', 197, 260, "172,50 EUR"}, {'L', 15, 260, "Skonto bis 25.03.2024"},
    });
    EXPECT_EQ(joinedBetween(page, 135, 83, 95, 200), u("Leistungsdatum entspricht Rechnungsdatum")); // none of its own

    DocumentHead head = layoutHead();
    head.addition = u("Abteilung Einkauf");
    expectPlaced(laidOut(threeItems(), 1, layoutCompany(), head, layoutEnvironment(PriceBasis::Gross)).page(0),
                 {{'R', 170, 249, "enthaltene MwSt."}, {'L', 23, 63, "Abteilung Einkauf"}, {'L', 23, 68, "Musterweg 5"}},
                 "gross, extra address line");
    expectPlaced(laidOut(threeItems(), 1, layoutCompany(), layoutHead(u("Angebot"), {})).page(0),
                 {{'L', 135, 70, "Angebot"}, {'L', 135, 83, ""}, {'R', 170, 260, "Angebotssumme"}, {'L', 15, 260, ""}}, "quote");
    // One VAT rate: no rate column, no net and VAT lines.
    const Page single = laidOut(threeItems(), 1, layoutCompany({{"frei9", u("0")}})).page(0);
    expectPlaced(single, {{'R', 151, 130, ""}, {'R', 170, 240, ""}, {'R', 198, 249, ""}, {'R', 197, 260, "172,50 EUR"}}, "one rate");
}

TEST(InvoiceLayout, VatRoomNamesNetRateAndVatOfEachRateWithLinesAddingUpToTheTotals)
{
    const auto at = [](const char* amount, const char* rate) { return item(u("1"), u("Posten"), u(amount), u(amount), u(rate)); };
    const PriceBasis N = PriceBasis::Net, G = PriceBasis::Gross;
    const struct { const char *rate1, *rate2; PriceBasis basis; QList<DocumentLine> lines; const char* rows; } table[] = {
        {"19", "7", N, {at("100,00", "19"), at("50,00", "7")}, "19 % MwSt. auf 100,00 EUR: 19,00 EUR|7 % MwSt. auf 50,00 EUR: 3,50 EUR"},
        {"19", "7", N, {at("100,00", "19"), at("100,00", "16"), at("100,00", "7")},
         "19 % MwSt. auf 100,00 EUR: 19,00 EUR|16 % MwSt. auf 100,00 EUR: 16,00 EUR|7 % MwSt. auf 100,00 EUR: 7,00 EUR"},
        {"19", "7", G, {at("2951,51", "19"), at("10,70", "7")}, "19 % MwSt. auf 2480,26 EUR: 471,25 EUR|7 % MwSt. auf 10,00 EUR: 0,70 EUR"},
        {"19", "7", N, {at("0,335", "19"), at("0,335", "7")}, "19 % MwSt. auf 0,34 EUR: 0,06 EUR|7 % MwSt. auf 0,33 EUR: 0,02 EUR"},
        {"19", "0", N, {at("100,00", "19"), at("20,00", "0")}, "19 % MwSt. auf 100,00 EUR: 19,00 EUR|0 % MwSt. auf 20,00 EUR: 0,00 EUR"},
        {"19", "7", G, {at("11,90", "19"), at("5,00", "")}, "19 % MwSt. auf 10,00 EUR: 1,90 EUR|ohne MwSt.-Satz: 5,00 EUR"},
        {"0", "0", N, {at("100,00", "0")}, "Gemäß § 19 UStG wird keine Umsatzsteuer berechnet."},
    };
    const QString closing = u("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug auf unser unten genanntes "
                              "Konto. Wir bedanken uns für die gute Zusammenarbeit."); // three lines beside the totals
    static const QRegularExpression figures(u("(?:auf|Satz:) (\\S+) EUR(?:: (\\S+) EUR)?"));
    const auto text = [](Decimal d) { return amountText(d, QLatin1Char(',')); };
    for (const auto& row : table) {
        const CompanySettings company = layoutCompany({{"MWSt", u(row.rate1)}, {"frei9", u(row.rate2)}, {"Memo3", closing}});
        const PrintJob job = prepareInvoicePrint(layoutHead(), row.lines, {}, company, layoutEnvironment(row.basis), CopyCount::One);
        const Page page = printJobDocuments(job, layoutEnvironment(row.basis)).at(0).page(0);
        // The closing text and the rows, left of the totals' labels, in this order, all above the rule at 256.
        const TextItem* label = textEndingAt(page, 170, 249);
        EXPECT_EQ(joinedBetween(page, 20, 236, 256, label ? label->x.value() - 1 : 197), closing + u(" ") + u(row.rows).replace(u("|"), u(" ")));
        Decimal net, vat;
        for (auto it = figures.globalMatch(u(row.rows)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            std::tie(net, vat) = std::tuple(net + *localeNumber(m.captured(1), QLatin1Char(',')), vat + localeNumber(m.captured(2), QLatin1Char(',')).value_or(Decimal()));
        }
        EXPECT_TRUE(u(row.rows).startsWith(u("Gemäß")) // else the rows add up to net, VAT and amount due
                    || text(net) + text(vat) + text(net + vat) == job.head.net + job.head.vatTotal + job.head.gross) << row.rows;
    }
}

TEST(InvoicePageBreaks, TwentyOneItemsOnTheFirstPageFortyOneOnEachNextWithCarryOver)
{
    const PageModel doc = laidOut(numberedItems(62), 3);
    const Page& first = doc.page(0);
    // 1 + 2 + ... + 21 = 231, plus 21 × 0,25 carried over.
    expectPlaced(first, {{'L', 55, 230, "Position 21"}, {'L', 138, 260, "Übertrag "}, {'R', 198, 260, "236,25 EUR"}}, "page 1");
    EXPECT_FALSE(allTexts(first).contains(u("Position 22")) || allTexts(first).contains(u("Rechnungsbetrag")));
    // Next pages: number, carry-over at the top, table head at 23, items from 30.
    expectPlaced(doc.page(1), {{'L', 20, 15, "Rechnung Nr. 1001   Seite 2"}, {'L', 138, 15, "Übertrag "},
                               {'R', 198, 15, "236,25 EUR"}, {'L', 19, 23, "Menge"}, {'L', 55, 30, "Position 22"},
                               {'L', 55, 230, "Position 62"}, {'R', 198, 260, "1968,50 EUR"}}, "page 2");
    expectPlaced(doc.page(2), {{'L', 20, 15, "Rechnung Nr. 1001   Seite 3"}, {'R', 198, 15, "1968,50 EUR"},
                               {'R', 170, 260, "Rechnungsbetrag"}}, "page 3");

    // An item at the last place of a page moves the totals to the next page; a quote without number is titled "Angebot".
    expectPlaced(laidOut(numberedItems(21), 2, layoutCompany(), layoutHead(u("Angebot"), {})).page(1),
                 {{'L', 55, 30, ""}, {'R', 197, 260, "172,50 EUR"}, {'L', 20, 15, "Angebot   Seite 2"}}, "21 items");
    // The carry-over adds line totals, not unit prices, and skips text lines.
    QList<DocumentLine> lines(20, item(u("1"), u("Text"), {}, {}, {}, {}));
    lines << item(u("2"), u("Kleinteil"), u("0,25"), u("0,50")) << item(u("1"), u("Gutschrift"), u("-10,00"), u("-10,00"));
    expectPlaced(laidOut(lines, 2).page(0), {{'R', 198, 260, "0,50 EUR"}}, "text lines");
}

TEST(InvoicePageBreaks, DescriptionsOfSeveralLinesTakeTheirRoomAndMoveOnWhole)
{
    const Page page = laidOut({item(u("1"), u("Malerarbeiten\nWohnzimmer\r\nFlur\n"), u("300,00"), u("300,00")),
                               item(u("2"), u("Spachtel"), u("5,00"), u("10,00"))}).page(0);
    EXPECT_EQ(allTexts(page, 135), QStringList{u("Wohnzimmer")});
    // The trailing line break takes no room.
    expectPlaced(page, {{'L', 55, 140, "Flur"}, {'L', 55, 145, "Spachtel"}, {'R', 27, 145, "2"}});

    QList<DocumentLine> lines = numberedItems(19); // 130 ... 220
    lines << item(u("1"), u("Teil A\nTeil B\nTeil C"), u("1,00"), u("1,00"));
    const PageModel moved = laidOut(lines, 2);
    EXPECT_FALSE(allTexts(moved.page(0)).contains(u("Teil A")));
    expectPlaced(moved.page(0), {{'R', 198, 260, "194,75 EUR"}}, "moved whole");
    expectPlaced(moved.page(1), {{'L', 55, 30, "Teil A"}, {'L', 55, 40, "Teil C"}}, "moved whole");
    EXPECT_EQ(descriptionLines(u("a\r\nb\rc\n\nd\n \n")), (QStringList{u("a"), u("b"), u("c"), QString(), u("d")}));
}

TEST(InvoiceCopies, EachCopyIsADocumentAndOnlyTheFirstCarriesTheReminder)
{
    const QString reminder = u("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung");
    const std::vector<PageModel> docs = invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 2, reminder);
    ASSERT_EQ(docs.size(), 2u);
    const Page& first = docs[0].page(0);
    const TextItem* text = first.findText(reminder);
    // Above the intro lines, clear of the first one at 107 and of the date; dated today.
    ASSERT_TRUE(text && text->x.value() == 23 && text->y.value() + 14 * 25.4 / 72 <= 107.0 && text->y.value() >= 92.0) << text->y.value();
    // The reminder is dated today and names the invoice's own date; the second copy has neither.
    expectPlaced(first, {{'L', 135, 78, "Datum: 02.05.2024"}, {'R', 200, 74, " Nr. 1001 vom 15.03.2024"}});
    expectPlaced(docs[1].page(0), {{'L', 135, 78, "Datum: 15.03.2024"}, {'R', 200, 74, ""}});
    EXPECT_TRUE(!docs[1].page(0).findText(reminder) && invoiceDocuments(layoutHead(), threeItems(), layoutCompany(), layoutEnvironment(), 0).empty());

    const auto copies = [](const char* text) { return QString::number(invoiceCopies(u(text), QLatin1Char(','))); };
    const auto notes = [](const char* text) { return QString::number(deliveryNoteCopies(u(text))); };
    test::expectRows("copies", {{copies(" 3 "), "3"}, {copies("1,5"), "2"}, {copies("-2"), "0"}, {copies("zwei"), "0"},
                                {copies("99999999999999"), "1000000"}, {notes("1,5"), "1"}, {notes("2x"), "2"}, {notes("x"), "0"}});
}

TEST(WideTexts, LongDescriptionsWrapClearOfTheRateColumnAndLargeFiguresKeepApart)
{
    const QString wide = u("Ausführung nach Absprache ").repeated(5).trimmed();
    const Page page = laidOut({item(u("1"), wide, u("300,00"), u("300,00")), item(u("2"), u("Spachtel"), u("5,00"), u("10,00"))}).page(0);
    const TextItem* spachtel = page.findText(u("Spachtel"));
    ASSERT_NE(spachtel, nullptr);
    // Clear of the rate column (its head at 143), 5 mm apart; the next item below.
    int lines = 0;
    EXPECT_EQ(joinedBetween(page, 55, 130, spachtel->y.value(), 141, &lines), wide);
    EXPECT_EQ(spachtel->y.value(), 130 + 5 * lines);

    const Page p = laidOut({item(u("12"), u("Heizkessel"), u("1089,61"), u("13075,32"))}).page(0);
    const TextItem *rate = p.findText(u("19%")), *unitPrice = p.findText(u("1089,61 EUR")), *total = p.findText(u("13075,32 EUR"));
    ASSERT_TRUE(rate && unitPrice && total);
    EXPECT_TRUE((unitPrice->x + unitPrice->width).value() <= total->x.value() - 2 + 1e-6
                && (rate->x + rate->width).value() <= unitPrice->x.value() - 2 + 1e-6);
}

TEST(OverviewList, HeadingRowsAndTotalWithAlignedAmountsOnAsManyPagesAsNeeded)
{
    const Page page = list(rows(2), 123456).page(0);
    expectPlaced(page, {{'L', 20, 30, "03.05.2024"}, {'L', 45, 30, "1001"}, {'L', 62, 30, "Kunde 1"}, {'L', 130, 30, "     1,50"}});
    // A wide total widens the amount column so the figures stay aligned.
    const TextItem* label = page.findText(u("Gesamtsumme"));
    const TextItem* sum = label ? textAt(page, 130, label->y.value()) : nullptr;
    ASSERT_TRUE(sum && sum->text == u("123456,00")) << (sum ? sum->text.toStdString() : "");
    EXPECT_NEAR((textAt(page, 130, 30)->x + textAt(page, 130, 30)->width).value(), (sum->x + sum->width).value(), 0.01);

    const PageModel doc = list(rows(100), 5100);
    ASSERT_GE(doc.pageCount(), 3);
    size_t printed = 0;
    for (int i = 0; i < doc.pageCount(); ++i) {
        std::vector<double> ys; // the rows' dates at x 20
        for (const TextItem* t : doc.page(i).texts())
            if (near(t->x.value(), 20) && t->y.value() > 25)
                ys.push_back(t->y.value());
        ASSERT_GE(ys.size(), 2u) << "page " << i;
        printed += ys.size();
        // Rows from 30 mm, none below 270, a page ends only when the next row would.
        EXPECT_TRUE(ys.front() == 30.0 && ys.back() <= 270.0) << "page " << i;
        EXPECT_TRUE(i + 1 == doc.pageCount() || 2 * ys.back() - ys[ys.size() - 2] > 270.0) << "page " << i;
    }
    EXPECT_TRUE(printed == 100u && overviewlist::documents({}, Decimal(), QLatin1Char(',')).empty()) << printed;
    EXPECT_EQ(overviewlist::listAmount(u("12.5"), QLatin1Char('.')) + u("|") + overviewlist::listAmount({}, QLatin1Char(',')),
              u("  12.50|       "));
}

// The cursor itself is measured through the layouts above and the PDF test below.
TEST(PrintedAmount, AmountsAreShownInTheLocalesFormWithTheCurrencyOrAsTyped)
{
    const auto amount = [](const char* text, char sep) { return printedAmount(u(text), QLatin1Char(sep), u("EUR")); };
    // Not a number in this locale: shown as typed rather than dropped.
    test::expectRows("printed amount", {{amount("12,5", ','), "12,50 EUR"}, {amount("-0,005", ','), "-0,01 EUR"},
                                        {amount("7.125", '.'), "7.13 EUR"}, {amount("pauschal", ','), "pauschal EUR"}});
}

TEST(Kopf_drucken, PrintsTitleAddressContactBlockAndAUsableLogoAtTheirPlaces)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(u("logo.png")), broken = dir.filePath(u("kaputt.jpg"));
    QImage logo(300, 150, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(good) && testfiles::writeBytes(broken, "kein Bild"));
    PrintCursor p;
    Kopf_drucken(p, layoutCompany({{"Memo10", good}, {"Einst3", u("150,5")}}), QColor(0, 0, 128), QLatin1Char(','));
    const Page& page = p.document().page(0);
    // The sender line sits above the address window.
    expectPlaced(page, {{'L', 20, 15, "Muster GmbH"}, {'L', 23, 49, "Muster GmbH * Hauptstraße 5 * 12345 Musterstadt"}});
    const auto* image = page.images().size() == 1u ? page.images()[0] : nullptr;
    EXPECT_EQ(image ? (QList<double>{image->x.value(), image->y.value(), image->width.value(), image->height.value()}) : QList<double>{}, (QList<double>{150.5, 10, 40, 20}));

    // A missing or broken logo, or a height that is no number, is left out.
    for (const auto& [memo, height] : {std::pair{broken, u("20")}, std::pair{dir.filePath(u("fehlt.bmp")), u("20")},
                                       std::pair{good, QString()}}) {
        PrintCursor q;
        Kopf_drucken(q, layoutCompany({{"Memo10", memo}, {"Einst5", height}}), QColor(Qt::black), QLatin1Char(','));
        EXPECT_TRUE(q.document().page(0).images().empty()) << memo.toStdString();
    }
}

TEST(PageRenderer, PdfPlacesWordsAtTheirMillimetresLessTheMarginValues)
{
    PrintCursor p;
    p.FontSize = 10.5;
    p.PrintAt(50_mm, 100_mm, u("Kontrollwort"));
    p.CurrentY = 260_mm;
    p.PrintRight(u("1234,50 EUR"), 198_mm, {}, true);
    EXPECT_TRUE(p.CurrentY > 260_mm); // asked for a line end, the cursor moves below the text
    p.NewPage();
    p.PrintAt(20_mm, 15_mm, u("Folgeseite"));
    const std::vector<PageModel> docs = p.takeDocuments();
    // The top of a word's box lies a little below the top of its character cell.
    QTemporaryDir dir;
    QString error;
    EXPECT_TRUE(renderToPdf(docs, dir.filePath(u("seite.pdf")), MarginValues{5.0f, 3.5f}, &error)) << error.toStdString();
    const std::vector<PdfWord> found = pdfWords(dir.filePath(u("seite.pdf")), &error);
    for (const auto& [text, page, edge, x, y] : {std::tuple{"Kontrollwort", 0, 'L', 45.0, 96.5}, {"EUR", 0, 'R', 193.0, 256.5},
                                                 {"Folgeseite", 1, 'L', 15.0, 11.5}}) {
        const PdfWord* w = findWord(found, u(text), page);
        EXPECT_TRUE(w && near(edge == 'L' ? w->xMin : w->xMax, x, 0.3) && near(w->yMin, y + 0.5, 0.7)) << text << error.toStdString();
    }
}

TEST(PageRenderer, PicturesLandOnTheirMillimetresOfThePrintableArea)
{
    // A printer whose printable area starts 4 mm from the left and 6 mm from the top: the device is
    // that area, so the picture at 150/10 mm on the paper starts 146/4 mm into it.
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::black);
    PrintCursor q;
    ASSERT_TRUE(q.PaintPicture(logo, 150_mm, 10_mm, 20_mm));
    const QImage sheet = renderedTop(q.document(), MarginValues{4.0f, 6.0f});
    const auto dark = [&](double x, double y) { return qGray(sheet.pixel(int(x * 10), int(y * 10))) < 128; };
    EXPECT_TRUE(dark(146.5, 4.5) && dark(185.5, 23.5) && !dark(186.5, 14) && !dark(166, 24.5) && !dark(145.5, 14));
}

// The GiroCode of page 1 as a banking app reads it: rendered at printer
// resolution, decoded by zbarimg, field by field.
TEST(GiroCode, AnInvoiceWithIbanAndAnAmountDueCarriesTheTransferOthersNone)
{
    const CompanySettings bank = layoutCompany({{"IBAN", u("DE89 3704 0044 0532 0130 00")}, {"BIC", u("COBADEFFXXX")},
                                                {"Kontoinhaber", u("Muster GmbH")}});
    const auto headWith = [](const char* kind, const char* number, const char* gross) {
        DocumentHead h = layoutHead(u(kind), u(number));
        h.gross = u(gross);
        return h;
    };
    const struct {
        const char* label;
        DocumentHead head;
        CompanySettings settings;
        const char* amount; // nullptr: no code
    } rows[] = {
        {"one cent", headWith("Rechnung", "1001", "0,01"), bank, "EUR0.01"}, // the amount due, not the one less Skonto
        {"thousands", headWith("Rechnung", "1001", "1234,56"), bank, "EUR1234.56"},
        {"quote", headWith("Angebot", "", "172,50"), bank, nullptr},
        {"no number yet", headWith("Rechnung", "", "172,50"), bank, nullptr},
        {"nothing due", headWith("Rechnung", "1001", "0,00"), bank, nullptr},
        {"cancellation", headWith("Rechnung", "1001", "-172,50"), bank, nullptr},
        {"no IBAN", headWith("Rechnung", "1001", "172,50"), layoutCompany(), nullptr},
        {"IBAN with a wrong check", headWith("Rechnung", "1001", "172,50"), layoutCompany({{"IBAN", u("DE89370400440532013001")}}), nullptr},
        {"Swiss francs", headWith("Rechnung", "1001", "172,50"), layoutCompany({{"IBAN", u("DE89370400440532013000")}, {"frei8", u("CHF")}}), nullptr},
    };
    QTemporaryDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        const auto code = giroCodeFor(r.head, r.settings, QLatin1Char(','));
        const Page page = laidOut(threeItems(), 1, r.settings, r.head).page(0);
        EXPECT_EQ(page.images().size(), r.amount ? 1u : 0u); // the letterhead here has no logo
        ASSERT_EQ(code.has_value(), r.amount != nullptr);
        if (!r.amount)
            continue;
        const QString png = dir.filePath(u("code.png"));
        ASSERT_TRUE(renderedTop(laidOut(threeItems(), 1, r.settings, r.head)).save(png));
        QProcess zbar;
        zbar.start(u("zbarimg"), {u("--raw"), u("-q"), u("-Sbinary"), png});
        ASSERT_TRUE(zbar.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(),
                  u("BCD\n002\n1\nSCT\nCOBADEFFXXX\nMuster GmbH\nDE89370400440532013000\n") + u(r.amount)
                      + u("\n\n\nRechnung 1001"));
    }
    // The delivery note of that invoice asks for no payment.
    EXPECT_TRUE(deliveryNoteDocuments(headWith("Rechnung", "1001", "172,50"), threeItems(), bank, layoutEnvironment(), 1)
                    .at(0).page(0).images().empty());
}

TEST_F(DocumentPrint, TheFirstPrintOfAnInvoiceStoresTheNextNumberWithTheTotalsOnce)
{
    ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET Leistungsdatum = '04.12.2026' WHERE ID = ?"), {invoice}));
    PrintJob job = prepareInvoicePrint(db.db(), invoice, env());
    ASSERT_TRUE(job.ready()) << job.message.toStdString();
    EXPECT_EQ(job.head.number + u(" ") + job.nextInvoiceNumber + u(" ") + job.head.gross + numbers(invoice), u("1000 1001 172,50|1000"));
    QString error; // preparing alone changed nothing; storing writes the number and the totals
    ASSERT_TRUE(storePrintChanges(db.db(), job, &error)) << error.toStdString();
    EXPECT_EQ(numbers(invoice) + db.field(u("Rechnungen"), invoice, u("a6")).toString() + db.field(u("Rechnungen"), invoice, u("a14")).toString(),
              u("1000|1001172,50150,00"));
    expectPlaced(printJobDocuments(job, env()).at(0).page(0), {{'L', 135, 70, "Rechnung Nr. 1000"}, {'L', 135, 83, "Leistungsdatum: 04.12.2026"}, {'R', 197, 260, "172,50 EUR"}});

    // A failed print keeps the stored number; the reprint uses it.
    printers.failPrinting = true;
    EXPECT_FALSE(printJob(job, env(), printers, t.state, &error));
    printers.failPrinting = false;
    const PrintJob second = prepareAndStore(invoice);
    EXPECT_FALSE(second.numberAssigned() || second.documentChanges.contains(u("a7")) || second.head.number != u("1000"));
    EXPECT_EQ(prepareAndStore(addDocument(u("Rechnung"))).head.number, u("1001"));
    // A quote gets no number and leaves the next number unchanged.
    const qint64 quote = addDocument(u("Angebot"));
    EXPECT_EQ(allTexts(printJobDocuments(prepareAndStore(quote), env()).at(0).page(0), 70).join(u("")) + numbers(quote), u("Angebot|1002"));
    const qint64 odd = db.addDocument(u("2024/7"), u("01.03.2024"));
    test::expectRows("file name", {{printDocumentName(db.db(), invoice, PrintedDocument::DeliveryNote), "Lieferschein 1000"},
                                   {printDocumentName(db.db(), quote, PrintedDocument::Invoice), "Angebot"},
                                   {printDocumentName(db.db(), odd, PrintedDocument::Invoice), "Rechnung 20247"}});
}

TEST_F(DocumentPrint, RefusalsChangeNothingAndSayWhy)
{
    const std::pair<const char*, PrintJob::Outcome> refusals[] = {
        {"frei1 = '0'", PrintJob::Outcome::NoCopies}, {"frei1 = '500'", PrintJob::Outcome::TooManyCopies},
        // A VAT rate that is no number: the totals cannot be trusted.
        {"frei1 = '1', MWSt = 'neunzehn'", PrintJob::Outcome::TotalsFailed},
        {"MWSt = '19', Rechnungsnummer = ''", PrintJob::Outcome::NumberMissing}};
    for (const auto& [change, outcome] : refusals) {
        ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET ") + u(change)));
        PrintJob job = prepareInvoicePrint(db.db(), invoice, env());
        QString error;
        EXPECT_EQ(job.outcome, outcome) << change;
        EXPECT_FALSE(job.message.isEmpty() || job.numberAssigned() || storePrintChanges(db.db(), job, &error)
                     || !printJobDocuments(job, env()).empty()) << change;
    }
    EXPECT_TRUE(numbers(invoice) == u("|") && prepareInvoicePrint(db.db(), 4711, env()).outcome == PrintJob::Outcome::UnknownDocument);
    // Through the print button: a note, no dialog.
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '', Rechnungsnummer = '1000'")));
    EXPECT_TRUE(runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog()).status == PrintRun::Status::Refused && dialogs == 0);
    EXPECT_TRUE(lastPrompt().startsWith(u("Hinweis !: ")) && lastPrompt().contains(u("Rechnungskopien"))
                && t.prompts.last().icon == Prompts::Icon::Exclamation) << lastPrompt().toStdString();
}

TEST_F(DocumentPrint, DeliveryNoteGetsNoNumberShowsNoPricesAndBreaksPagesWithoutCarryOver)
{
    PrintJob job = prepareDeliveryNotePrint(db.db(), invoice, env());
    QString error;
    ASSERT_TRUE(job.ready() && storePrintChanges(db.db(), job, &error) && numbers(invoice) == u("|1000")) << job.message.toStdString();
    const Page page = printJobDocuments(job, env()).at(0).page(0);
    expectPlaced(page, {{'L', 135, 70, "Auftrag"}, {'L', 20, 105, "Lieferschein"}, {'L', 135, 83, ""}});
    EXPECT_EQ(allTexts(page, 130), (QStringList{u("2"), u("Eimer"), u("Wandfarbe")}));
    EXPECT_FALSE(allTexts(page).join(u("|")).contains(u("EUR")) || allTexts(page).contains(u("Rechnungsbetrag")));

    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")));
    for (int i = 4; i <= 21; ++i)
        db.addLine(invoice, u("1"), QStringLiteral("Teil %1").arg(i), u("1,00"), u("1,00"));
    prepareAndStore(invoice);
    const std::vector<PageModel> docs = printJobDocuments(prepareDeliveryNotePrint(db.db(), invoice, env()), env());
    ASSERT_TRUE(docs.size() == 2u && docs[0].pageCount() == 2);
    expectPlaced(docs[0].page(1), {{'L', 20, 15, "Auftrag Nr. 1000   Seite 2"}, {'L', 138, 15, ""}});
    EXPECT_FALSE(allTexts(docs[0].page(0)).contains(u("Übertrag ")));
    // A reminder is for the invoice only; it is used up all the same.
    t.state.Mahntext = u("Zahlungserinnerung !");
    ASSERT_TRUE(printJob(prepareDeliveryNotePrint(db.db(), invoice, env()), env(), printers, t.state, &error));
    const Page& note = printers.jobs.at(0).documents.at(0).page(0);
    EXPECT_TRUE(t.state.Mahntext.isEmpty() && !allTexts(note).contains(u("Zahlungserinnerung !")));
}

// Copies and cash discount come from the settings and the customer, margins and price basis from the state.
TEST_F(DocumentPrint, PrintButtonsShowTheDialogPrintOnThePickedPrinterOrFileAndSayWhyNot)
{
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET frei1 = '2'")) && db.exec(u("UPDATE Kunden SET a9 = '2' WHERE ID = ?"), {customer}));
    printers.installed = {u("Laser"), u("Tinte")};
    t.state.Druckerauswahl = u("Laser"), t.state.Mahntext = u("Zahlungserinnerung !"), t.state.xwert = 4.5f, t.state.ywert = 3.0f;
    EXPECT_EQ(runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog(true, u("Tinte"))).status, PrintRun::Status::Printed);
    ASSERT_TRUE(printers.jobs.size() == 1u && printers.jobs[0].documents.size() == 2u); // each copy a document of its own
    EXPECT_TRUE(printers.jobs[0].printer == u("Tinte") && printers.jobs[0].margins == (MarginValues{4.5f, 3.0f}));
    EXPECT_TRUE(printers.jobs[0].documents.at(0).page(0).findText(u("Zahlungserinnerung !")) && t.state.Mahntext.isEmpty());
    EXPECT_EQ(numbers(invoice), u("1000|1001"));
    // The customer's own cash discount is printed and stored.
    const QString skonto = db.field(u("Rechnungen"), invoice, u("b2")).toString();
    EXPECT_TRUE(skonto.contains(u("2% Skonto")) && allTexts(printers.jobs[0].documents[1].page(0), 260).contains(skonto)) << skonto.toStdString();

    // Cancelled: nothing printed, the number kept, the reminder dropped.
    t.state.Mahntext = u("1. Mahnung");
    const qint64 other = addDocument(u("Rechnung"));
    EXPECT_EQ(runInvoicePrint(db.db(), other, t.ctx, printers, dialog(false)).status, PrintRun::Status::Cancelled);
    EXPECT_TRUE(printers.jobs.size() == 1u && t.state.Mahntext.isEmpty() && t.prompts.count() == 0 && numbers(other) == u("1001|1002"));

    // The delivery note asks only without a matching printer.
    EXPECT_EQ(runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog()).status, PrintRun::Status::Printed);
    t.state.Druckerauswahl = u("Gibt es nicht");
    EXPECT_EQ(runDeliveryNotePrint(db.db(), invoice, t.ctx, printers, dialog(false)).status, PrintRun::Status::Cancelled);
    EXPECT_TRUE(dialogs == 3 && printers.jobs.size() == 2u);

    // A failing printer or file is said, with the number that stays.
    printers.failPrinting = true;
    EXPECT_EQ(runInvoicePrint(db.db(), addDocument(u("Rechnung")), t.ctx, printers, dialog()).status, PrintRun::Status::Failed);
    EXPECT_TRUE(lastPrompt().startsWith(u("Fehler: ")) && lastPrompt().contains(u("Rechnungsnummer 1002 bleibt der Rechnung zugeordnet"))
                && t.prompts.last().icon == Prompts::Icon::Critical) << lastPrompt().toStdString();
    QTemporaryDir dir;
    EXPECT_EQ(runInvoicePrint(db.db(), invoice, t.ctx, printers, dialog(true, {}, dir.filePath(u("fehlt/R.pdf")))).status,
              PrintRun::Status::Failed);
    EXPECT_TRUE(lastPrompt().contains(u("nicht gespeichert")) && lastPrompt().contains(u("nicht vorhanden"))) << lastPrompt().toStdString();

    t.clock.setToday(QDate(2024, 6, 30)), t.state.Rechnungsbasis = 1;
    EXPECT_TRUE(env().basis == PriceBasis::Gross && env().today == QDate(2024, 6, 30));
}
