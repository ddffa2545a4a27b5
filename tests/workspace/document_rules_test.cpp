// The rules of a document: totals per VAT rate, the Skonto sentence, the
// invoice number, line amounts and the checks before a line is taken; then
// the rules behind the main window and its customer and article tabs.

#include "data/Decimal.h"
#include "support/QtPrinters.h"
#include "workspace/CustomersArticles.h"
#include "workspace/DocumentLines.h"
#include "documents/InvoiceNumber.h"
#include "documents/Totals.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace quittora;

namespace {

constexpr PriceBasis N = PriceBasis::Net, G = PriceBasis::Gross, U = PriceBasis::Unset;

// Numbers are written with '.', sentences with '_' for the separator under test.
QString loc(const QString& text, QChar sep, QChar mark = QLatin1Char('.'))
{
    return QString(text).replace(mark, sep);
}
QString sentence(const char* text, QChar sep)
{
    return loc(QString::fromUtf8(text), sep, QLatin1Char('_'));
}

// "100.00@19 @7 zehn@19": lines as amount@rate, separated by blanks.
TotalsInput input(PriceBasis basis, const char* r1, const char* r2, const QString& lines, QChar sep)
{
    TotalsInput in;
    in.vatRate1 = loc(QString::fromUtf8(r1), sep);
    in.vatRate2 = loc(QString::fromUtf8(r2), sep);
    in.basis = basis;
    in.documentDate = QStringLiteral("01.03.2024");
    in.currency = QStringLiteral("EUR");
    in.decimalSeparator = sep;
    for (const QString& line : lines.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char('@'));
        in.lines.append({loc(parts.at(0), sep), loc(parts.value(1), sep)});
    }
    return in;
}

// A table cell of lines: a literal or a built text.
struct Lines {
    Lines(const char* s) : text(QString::fromUtf8(s)) {}
    Lines(QString s) : text(std::move(s)) {}
    QString text;
};

} // namespace

TEST(Totals, PerRateUnderBothSeparators)
{
    const struct {
        const char* label;
        PriceBasis basis;
        const char *r1, *r2;
        Lines lines;
        const char* expected; // net vat1 vat2 vatTotal gross
        const char* mw;       // mw1 mw2 mw3, or nullptr
        const char* summary;  // or nullptr
    } rows[] = {
        {"net adds VAT per rate", N, "19", "7", "100.00@19 50.00@7", "150.00 19.00 3.50 22.50 172.50", "100 50 0", "MwSt.19% 19_00   MwSt.7% 3_50"},
        {"gross takes the share out", G, "19", "7", "100.00@19 50.00@7", "130.76 15.97 3.27 19.24 150.00", nullptr, "MwSt.19% 15_97   MwSt.7% 3_27"},
        {"no basis counts as net", U, "19", "7", "100.00@19", "100.00 19.00 0.00 19.00 119.00", nullptr, nullptr},
        {"second rate 0, net", N, "19", "0", "100.00@19 20.00@0", "120.00 19.00 0.00 19.00 139.00", "100 20 20", "MwSt.19% 19_00   MwSt.0% 0_00"},
        {"0 % line with both rates set", N, "19", "7", "100.00@19 30.00@0", "130.00 19.00 0.00 19.00 149.00", "100 0 30", nullptr},
        // taxed at its own rate, kept out of a30/a31
        {"rate of neither setting, net", N, "19", "7", "100.00@19 50.00@16 10.00@5", "160.00 19.00 0.00 27.50 187.50", "100 0 0",
         "MwSt.19% 19_00   MwSt.7% 0_00   MwSt.5% 0_50   MwSt.16% 8_00"},
        {"text, blank and unreadable lines", N, "19", "7", "@19 100.00@19 @ zehn@19", "100.00 19.00 0.00 19.00 119.00", "100 0 0", nullptr},
        {"small business, lines without rate", G, "0", "0", "80.00@ 20.00@0", "100.00 0.00 0.00 0.00 100.00", nullptr, nullptr},
        {"equal rates count a line once", N, "19", "19", "100.00@19", "100.00 19.00 0.00 19.00 119.00", nullptr, nullptr},
        {"hundred small lines add up exactly", N, "19", "7", QStringLiteral("0.10@19 ").repeated(100),
         "10.00 1.90 0.00 1.90 11.90", "10 0 0", nullptr},
        {"half a cent of VAT rounds up", N, "19", "7", "10.50@19", "10.50 2.00 0.00 2.00 12.50", nullptr, nullptr},
        {"fractional rate, three decimals", N, "19", "7.5", "0.333@7.5 0.333@7.5", "0.67 0.00 0.05 0.05 0.72",
         "0 0.666 0", "MwSt.19% 0_00   MwSt.7_5% 0_05"},
    };
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.label) + " under '" + char(sep.unicode()) + "'");
            const TotalsResult r = berechnen(input(row.basis, row.r1, row.r2, row.lines.text, sep));
            ASSERT_TRUE(r.ok()) << r.message.toStdString();
            const Totals& t = r.totals;
            EXPECT_EQ((QStringList{t.net, t.vat1, t.vat2, t.vatTotal, t.gross}).join(QLatin1Char(' ')),
                      loc(QString::fromUtf8(row.expected), sep));
            if (row.mw) {
                EXPECT_EQ((QStringList{t.mw1, t.mw2, t.mw3}).join(QLatin1Char(' ')), loc(QString::fromUtf8(row.mw), sep));
            }
            if (row.summary) {
                EXPECT_EQ(t.vatSummary, sentence(row.summary, sep));
            }
            EXPECT_EQ(t.skontoText, QString());
        }
    }
}

TEST(Totals, SkontoSentenceNamesDateDiscountedAmountAndCurrency)
{
    const struct {
        const char* label;
        PriceBasis basis;
        const char *percent, *days, *customer, *date, *format;
        const char* sentence; // "" for none
    } rows[] = {
        {"setting", N, "2", "10", "", "01.03.2024", "dd.MM.yyyy", "Bei Zahlung bis zum 11.03.2024 abzüglich 2% Skonto  (116_62 EUR)"},
        {"short date format", N, "2", "10", "", "01.03.2024", "M/d/yy", "Bei Zahlung bis zum 3/11/24 abzüglich 2% Skonto  (116_62 EUR)"},
        {"leading numbers: 2.5", N, "2.5", "14 Tage", "", "01.03.2024", "dd.MM.yyyy",
         "Bei Zahlung bis zum 15.03.2024 abzüglich 2_5% Skonto  (116_02 EUR)"},
        {"0 %", N, "0", "10", "", "01.03.2024", "dd.MM.yyyy", ""},
        {"gross, from the gross total", G, "3", "30", "", "01.03.2024", "dd.MM.yyyy",
         "Bei Zahlung bis zum 31.03.2024 abzüglich 3% Skonto  (97_00 EUR)"},
        {"customer's overrides", N, "2", "10", "3", "01.03.2024", "dd.MM.yyyy", "Bei Zahlung bis zum 11.03.2024 abzüglich 3% Skonto  (115_43 EUR)"},
        {"customer's 0 overrides", N, "2", "10", "0", "01.03.2024", "dd.MM.yyyy", ""},
        {"no document date", N, "2", "10", "", "", "dd.MM.yyyy", ""},
    };
    for (QChar sep : {QLatin1Char(','), QLatin1Char('.')}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.label);
            TotalsInput in = input(row.basis, "19", "7", QStringLiteral("100.00@19"), sep);
            in.skontoPercent = QString::fromUtf8(row.percent);
            in.skontoDays = QString::fromUtf8(row.days);
            in.customerSkonto = QString::fromUtf8(row.customer);
            in.documentDate = QString::fromUtf8(row.date);
            in.shortDateFormat = QString::fromUtf8(row.format);
            const TotalsResult r = berechnen(in);
            EXPECT_EQ(r.totals.gross, loc(QString::fromUtf8(row.basis == G ? "100.00" : "119.00"), sep));
            EXPECT_EQ(r.totals.skontoText, sentence(row.sentence, sep));
        }
    }
}

TEST(Totals, WithoutAmountsTheStoredRateSumsStayAndBadInputIsRefused)
{
    const auto q = [](const char* text) { return QString::fromUtf8(text); };
    TotalsInput in = input(N, "19", "7", q("@"), QLatin1Char(','));
    EXPECT_EQ(berechnen(in).totals.vatSummary, q("   "));
    in.storedMw1 = q("100,5");
    in.storedMw3 = q("0");
    const Totals t = berechnen(in).totals;
    EXPECT_EQ((QStringList{t.net, t.vat1, t.vatTotal, t.gross, t.mw1, t.mw2, t.mw3, t.vatSummary}).join(q("|")),
              q("0,00|0,00|0,00|0,00|100,5||0|MwSt.19% 0,00   ")); // one part present, one empty

    // Under "," an amount with "." is no number.
    in = input(N, "19", "7", q("100.00@19 50.00@19"), QLatin1Char(','));
    in.lines[1].amount = q("50.00");
    EXPECT_EQ(berechnen(in).totals.net, q("100,00"));
    for (const char* bad : {"", "abc", "19%", "-7", "101"}) {
        in.vatRate1 = q(bad);
        const TotalsResult r = berechnen(in);
        EXPECT_EQ(r.error, TotalsResult::Error::VatRate1Invalid) << bad;
        EXPECT_TRUE(r.message.startsWith(q("Der MwSt.-Satz 1 in den Einstellungen"))) << bad;
        EXPECT_EQ(r.totals, Totals());
    }
    in.vatRate1 = q("19");
    in.vatRate2 = q(" ");
    EXPECT_EQ(berechnen(in).error, TotalsResult::Error::VatRate2Invalid);
    in.vatRate2 = q("7");
    in.lines = {{q("1000000000000000000"), q("19")}};
    const TotalsResult huge = berechnen(in);
    EXPECT_TRUE(huge.error == TotalsResult::Error::AmountTooLarge && !huge.message.isEmpty());
}

TEST(InvoiceNumber, OnlyAnInvoiceWithoutNumberTakesTheNextOneAsTyped)
{
    using O = InvoiceNumberAssignment::Outcome;
    const struct {
        const char *kind, *current, *next;
        O outcome;
        const char *number, *raised;
    } rows[] = {
        {"Rechnung", "", "0815", O::Assigned, "0815", "816"}, {"Rechnung", "", "2024-17", O::Assigned, "2024-17", "2025"},
        {"Rechnung", "100", "101", O::Unchanged, "", ""}, // printed twice
        {"Angebot", "", "100", O::Unchanged, "", ""},         {"rechnung", "", "100", O::Unchanged, "", ""},
        {"Rechnung", "", " ", O::NextNumberMissing, "", ""},
    };
    for (const auto& row : rows) {
        const auto a = assignInvoiceNumber(QString::fromUtf8(row.kind), QString::fromUtf8(row.current),
                                           QString::fromUtf8(row.next), QLatin1Char(','));
        EXPECT_EQ(a.outcome, row.outcome) << row.kind << "/" << row.next;
        EXPECT_EQ(a.number, QString::fromUtf8(row.number)) << row.next;
        EXPECT_EQ(a.nextNumber, QString::fromUtf8(row.raised)) << row.next;
        EXPECT_EQ(a.message.isEmpty(), row.outcome != O::NextNumberMissing) << row.next;
    }
}

TEST(DocumentLines, AmountsAreExactAndTheChecksComeInTheirOrder)
{
    using namespace documentlines;
    const auto q = [](const char* text) { return QString::fromUtf8(text); };
    const QChar comma = QLatin1Char(','), dot = QLatin1Char('.');
    EXPECT_EQ(lineAmount(q("3"), q("0,10"), comma).value_or(q("-")) + lineAmount(q("1,5"), q("2,33"), comma).value_or(q("-"))
                  + lineAmount(q("2.5"), q("1.01"), dot).value_or(q("-")),
              q("0,303,502.53"));
    EXPECT_FALSE(lineAmount(QString(), q("1"), comma) || lineAmount(q("x"), q("1"), comma));
    EXPECT_TRUE(priceTypingComputes(q("2"), q("1.5")));
    EXPECT_FALSE(priceTypingComputes(q("2"), q("0")));
    EXPECT_EQ(priceText(q("1,5"), comma) + priceText(q("abc"), comma), q("1,50abc"));

    const struct {
        const char *date, *r1, *r2, *quantity, *price, *amount, *rate;
        const char* refusal; // nullptr: taken
    } rows[] = {
        {"", "0", "0", "", "", "", "", "Sie müssen zunächst eine neue Rechnung anlegen, bevor Sie Artikel hinzufügen"},
        {"01.03.2024", "19", "7", "1", "2", "2", "", "Bitte geben Sie den MwSt.-Satz ein."},
        {"01.03.2024", "19", "7", "", "2", "", "19", "Berechnung fehlgeschlagen. (Menge fehlt)"},
        {"01.03.2024", "19", "7", "", "2", "", "", "Für eine Berechnung fehlt die Menge."},
        {"01.03.2024", "0", "0", "", "2", "", "", nullptr}, // no VAT: no checks
        {"01.03.2024", "19", "7", "", "", "", "", nullptr}, // a text line
    };
    for (const auto& row : rows) {
        const auto refusal = checkLine(QString::fromUtf8(row.date), QString::fromUtf8(row.r1), QString::fromUtf8(row.r2),
                                       QString::fromUtf8(row.quantity), QString::fromUtf8(row.price),
                                       QString::fromUtf8(row.amount), QString::fromUtf8(row.rate));
        EXPECT_EQ(refusal ? refusal->text : QString(), QString::fromUtf8(row.refusal ? row.refusal : ""))
            << row.quantity << "/" << row.rate;
    }
}

namespace {

TEST(CustomerAddress, ClipboardTextAndTheExchangeFile)
{
    customers::Address a{QStringLiteral("Frau"), QStringLiteral("Schmidt"), QStringLiteral("Eva"),
                         QStringLiteral("Bäckerei"), QStringLiteral("Weg 2"), QStringLiteral("80331 München"),
                         QStringLiteral("089 1"), QStringLiteral("089 2"), QStringLiteral("Notiz, mit Komma")};
    customers::Address c = a;
    c.salutation.clear();
    EXPECT_EQ(customers::clipboardText(c), QStringLiteral("Eva Schmidt\r\nBäckerei\r\nWeg 2\r\n\r\n80331 München"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Faktu_50.tmp"));
    a.addition.clear();
    ASSERT_TRUE(customers::writeExchangeFile(path, a));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.readAll().startsWith("\"Frau\"\r\n\"Schmidt\"\r\n\"Eva\"\r\n\"Weg 2\"\r\n"));
    const auto back = customers::readExchangeFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ((QStringList{back->salutation, back->name, back->firstName, back->street, back->place, back->phone,
                           back->fax, back->notes}),
              (QStringList{a.salutation, a.name, a.firstName, a.street, a.place, a.phone, a.fax, a.notes}));
    EXPECT_FALSE(customers::readExchangeFile(dir.filePath(QStringLiteral("missing.tmp"))));
    EXPECT_TRUE(customers::defaultExchangeFilePath().endsWith(QStringLiteral("/Quittora pro/Faktu_50.tmp")));
}

TEST(PriceChange, PercentThenAmountInExactCentsAndOnlyOnPricesAboveZero)
{
    const struct {
        const char *price, *percent, *amount;
        char sep;
        const char* changed; // nullptr: stays
    } rows[] = {
        {"20,00", "10", "5", ',', "27,00"}, {"20,00", nullptr, "-2.5", ',', "17,50"}, {"0.50", "10", "5", '.', "5.55"},
        {"1,25", "10", nullptr, ',', "1,38"}, {"1,25", "-10", nullptr, ',', "1,13"}, // half a cent away from zero, also when lowering
        {"0,00", "10", "1", ',', nullptr},    {"", "10", "1", ',', nullptr},        {"abc", "10", nullptr, ',', nullptr},
        {"-3,00", "10", nullptr, ',', nullptr},
    };
    auto num = [](const char* text) { return text ? Decimal::fromString(QString::fromLatin1(text)) : std::optional<Decimal>(); };
    for (const auto& r : rows) {
        const auto changed = articles::changedPrice(QString::fromUtf8(r.price), num(r.percent), num(r.amount),
                                                    QLatin1Char(r.sep));
        EXPECT_EQ(changed, r.changed ? std::optional<QString>(QString::fromUtf8(r.changed)) : std::nullopt)
            << r.price << " " << (r.percent ? r.percent : "-") << " " << (r.amount ? r.amount : "-");
    }
}

} // namespace
