#include "export/EInvoiceBuilder.h"

#include "data/Numbers.h"
#include "support/DataRuleTable.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <tuple>

using namespace quittora;
using namespace quittora::einvoice;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

CompanySettings seller(std::initializer_list<std::pair<const char*, const char*>> changes = {})
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

documents::Line line(const char* quantity, const char* unit, const QString& text, const char* price, const char* amount, const char* rate)
{
    return documents::Line{s(quantity), s(unit), text, s(rate), s(price), s(amount)};
}

// A document as printing prepares it: berechnen's figures in the head.
Source document(QList<documents::Line> lines, PriceBasis basis = PriceBasis::Net, CompanySettings company = seller())
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
    std::tie(src.head.net, src.head.vatTotal, src.head.gross, src.head.skonto) =
        std::tie(t.totals.net, t.totals.vatTotal, t.totals.gross, t.totals.skontoText);
    return src;
}

QString element(const QByteArray& xml, const char* name)
{
    const QRegularExpression re(QStringLiteral("<[a-z]+:%1[^>]*>([^<]*)<").arg(QString::fromLatin1(name)));
    return re.match(QString::fromUtf8(xml)).captured(1);
}

} // namespace

// Every kind of document the program issues, in both syntaxes, through the
// official rules; and the e-invoice states the paper's figures to the cent.
TEST(EInvoice, EveryDocumentOfTheMatrixPassesTheOfficialRulesWithThePapersFigures)
{
    ASSERT_TRUE(QFileInfo(s(QUITTORA_EINVOICE_VALIDATOR)).isExecutable())
        << "validate-einvoice not found; run scripts/setup.sh (it installs Java and Saxon)";

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
    const std::pair<const char*, Source> cases[] = {
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

    QTemporaryDir dir;
    QStringList files;
    const auto fixed = [](const QString& printed) { return localeNumber(printed, QLatin1Char(','))->toFixed(2); };
    for (const auto& [name, source] : cases) {
        const Result r = build(source, Profile::XRechnung);
        ASSERT_TRUE(r.ok()) << name << ": " << r.missing.join(s("; ")).toStdString();
        for (const Syntax syntax : {Syntax::Cii, Syntax::Ubl}) {
            const QByteArray xml = write(r.invoice, syntax, Profile::XRechnung);
            const bool cii = syntax == Syntax::Cii;
            // BT-109, BT-115 and BT-110 as printed (a14, a6, a75).
            EXPECT_EQ(element(xml, cii ? "TaxBasisTotalAmount" : "TaxExclusiveAmount") + s("|")
                          + element(xml, cii ? "DuePayableAmount" : "PayableAmount") + s("|") + r.invoice.taxTotal.toFixed(2),
                      fixed(source.head.net) + s("|") + fixed(source.head.gross) + s("|") + fixed(source.head.vatTotal)) << name;
            files << dir.filePath(QStringLiteral("%1-%2.xml").arg(QString::fromLatin1(name), cii ? s("cii") : s("ubl")));
            QFile f(files.last());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(xml) == xml.size() && f.flush());
        }
    }
    QProcess validator;
    validator.start(s(QUITTORA_EINVOICE_VALIDATOR), QStringList{s("--xrechnung")} + files);
    ASSERT_TRUE(validator.waitForFinished(300000)) << "validate-einvoice did not finish";
    const QString output = QString::fromUtf8(validator.readAllStandardOutput() + validator.readAllStandardError());
    std::cout << output.toStdString(); // warnings are shown, errors fail
    EXPECT_EQ(validator.exitStatus() == QProcess::NormalExit ? validator.exitCode() : -1, 0) << output.toStdString();
    EXPECT_EQ(output.count(s("RESULT\tPASS")), files.size()) << output.toStdString();
}

TEST(EInvoice, MissingMasterDataIsListedWithWhereToEnterIt)
{
    CompanySettings bare;
    for (const auto& [field, value] : {std::pair{"MWSt", "19"}, {"frei9", "7"}, {"frei8", "Taler"}})
        bare.setValue(s(field), s(value));
    Source src = document({line("x", "Stk.", s("Ding"), "1,00", "1,00", "19")}, PriceBasis::Net, bare);
    src.head.kind = s("An");
    src.reference.clear();
    src.buyerEmail.clear();
    const Result r = build(src, Profile::XRechnung);
    const QString all = r.missing.join(QLatin1Char('\n'));
    for (const char* expected : {"kein Angebot", "USt-IdNr. oder Steuernummer fehlt – Einstellungen → E-Rechnung",
                                 "IBAN fehlt", "Firmenname fehlt", "Leitweg-ID", "Währung „Taler“",
                                 "Zeile 1: Die Menge „x“", "E-Mail-Adresse des Kunden", "Ansprechpartner"})
        EXPECT_TRUE(all.contains(s(expected))) << expected << "\n" << all.toStdString();
}

TEST(EInvoice, UnitsCurrenciesAndTownLinesAsUsersTypeThem)
{
    const auto town = [](const char* line) {
        const TownLine t = splitTownLine(s(line));
        return t.postcode + s("|") + t.city;
    };
    test::expectRows("codes", {
        {unitCode(s("Stk.")), "H87"}, {unitCode(s("Stück")), "H87"}, {unitCode(s("Std.")), "HUR"}, {unitCode(s("kg")), "KGM"},
        {unitCode(s("m")), "MTR"}, {unitCode(s("l")), "LTR"}, {unitCode(s("pauschal")), "LS"}, {unitCode(s("Eimer")), "C62"},
        {unitCode(s("")), "C62"}, {currencyCode(s("€")), "EUR"}, {currencyCode(s("CHF")), "CHF"}, {currencyCode(s("Euro")), ""},
        {town("A-1010 Wien"), "1010|Wien"}, {town(" 80331  München Altstadt "), "80331|München Altstadt"},
        {town("Musterstadt").section(QLatin1Char('|'), 0, 0), ""}});
}
