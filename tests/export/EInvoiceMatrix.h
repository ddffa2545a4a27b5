#pragma once

// Every kind of invoice the program issues, as printing prepares it: the
// e-invoice tests write each as XML, the ZUGFeRD tests each as PDF.
#include "documents/DocumentChanges.h"
#include "export/EInvoiceBuilder.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

namespace quittora::test {

inline QString s(const char* text) { return QString::fromUtf8(text); }

namespace einvoicematrix {

using namespace quittora::einvoice;

inline CompanySettings seller(std::initializer_list<std::pair<const char*, const char*>> changes = {})
{
    CompanySettings c;
    const std::pair<const char*, const char*> fields[] = {
        {"Titel", "Malerbetrieb Müller & Söhne"}, {"frei2", "Hauptstraße 1"}, {"frei3", "80331 München"},
        {"Tel", "089 123456"}, {"Einst1", "rechnung@mueller.example"}, {"UStIdNr", "DE123456789"},
        {"Ansprechpartner", "Anna Müller"}, {"IBAN", "DE02 1203 0000 0000 2020 51"}, {"BIC", "BYLADEM1001"},
        {"MWSt", "19"}, {"frei9", "7"}, {"frei8", "EUR"}, {"Memo1", "Vielen Dank für Ihren Auftrag."},
        {"Memo3", "Zahlbar innerhalb von 14 Tagen ohne Abzug."}, {"Einst18", "10"}, {"Einst19", "2"},
    };
    for (const auto& [field, value] : fields)
        c.setValue(QString::fromLatin1(field), s(value));
    for (const auto& [field, value] : changes)
        c.setValue(QString::fromLatin1(field), s(value));
    return c;
}

inline documents::Line line(const char* quantity, const char* unit, const QString& text, const char* price, const char* amount, const char* rate)
{
    return documents::Line{s(quantity), s(unit), text, s(rate), s(price), s(amount)};
}

// A document as printing prepares it: berechnen's figures in the head.
inline Source document(QList<documents::Line> lines, PriceBasis basis = PriceBasis::Net, CompanySettings company = seller())
{
    Source src;
    std::tie(src.company, src.lines, src.basis, src.reference, src.buyerEmail) =
        std::tuple(company, lines, basis, s("04011000-12345-03"), s("einkauf@kunde.example"));
    std::tie(src.head.kind, src.head.number, src.head.date, src.head.name, src.head.street, src.head.town) =
        std::tuple(s("Rechnung"), s("1001"), s("04.12.2026"), s("Kunde GmbH"), s("Marktplatz 5"), s("12345 Musterstadt"));
    TotalsInput in = totalsInputFromSettings(company, basis, QLatin1Char(','), s("dd.MM.yyyy"));
    for (const documents::Line& l : lines)
        in.lines.append(TotalsLine{l.amount, l.rate});
    in.documentDate = src.head.date;
    const TotalsResult t = berechnen(in);
    EXPECT_TRUE(t.ok()) << t.message.toStdString();
    setHeadTotals(src.head, t.totals);
    return src;
}

inline std::vector<std::pair<const char*, Source>> invoiceMatrix()
{
    const QString hostile = s("Farbe „Weiß“ & Co. <innen> \"matt\" 'glänzend'");
    QList<documents::Line> sixty;
    for (int i = 0; i < 60; ++i) {
        if (i % 10 == 9)
            sixty << line("", "", s("Hinweis zur Ausführung Nr. %1").arg(i), "", "", "");
        else
            sixty << line("3", i % 2 ? "Std." : "Stk.", hostile + s("\nzweite Zeile %1").arg(i), "12,34", "37,02",
                          i % 3 ? "19" : "7");
    }
    const CompanySettings small = seller({{"MWSt", "0"}, {"frei9", "0"}});
    const CompanySettings taxNumberOnly = seller({{"UStIdNr", ""}, {"Steuernummer", "143/123/45678"}, {"Einst19", ""}});

    Source austria = document({line("10", "Stk.", s("Schrauben"), "0,35", "3,50", "19")});
    std::tie(austria.head.town, austria.buyerCountry, austria.buyerVatId) = std::tuple(s("A-1010 Wien"), s("AT"), s("ATU12345678"));
    return {
        {"two-rates-net", document({line("2", "Eimer", s("Wandfarbe"), "50,00", "100,00", "19"), line("1", "pauschal", s("Anfahrt"), "50,00", "50,00", "7"),
                                    line("", "", s("Ausführung nach Absprache"), "", "", "")})},
        {"gross-prices", document({line("3", "Stk.", s("Pinsel"), "4,99", "14,97", "19"), line("1", "kg", s("Spachtel"), "9,99", "9,99", "19"),
                                   line("7", "l", s("Lack"), "3,33", "23,31", "7")}, PriceBasis::Gross)},
        {"small-business", document({line("5", "Std.", s("Beratung"), "60,00", "300,00", "0")}, PriceBasis::Net, small)},
        // An old article still at 19 % is taxed on paper: the e-invoice says the same.
        {"small-business-line-at-own-rate", document({line("5", "Std.", s("Beratung"), "60,00", "300,00", "0"),
                                                      line("1", "Stk.", s("Altbestand"), "100,00", "100,00", "19")},
                                                     PriceBasis::Net, small)},
        {"sixty-lines-hostile-texts", document(sixty)},
        {"tax-number-only-no-skonto", document({line("1", "m", s("Leiste"), "12,00", "12,00", "19")}, PriceBasis::Net, taxNumberOnly)},
        {"customer-in-austria", austria},
    };
}

} // namespace einvoicematrix

} // namespace quittora::test
