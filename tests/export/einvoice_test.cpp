#include "export/EInvoiceBuilder.h"

#include "data/Numbers.h"

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

CompanySettings seller()
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
    src.company = company;
    src.lines = lines;
    src.basis = basis;
    src.reference = s("04011000-12345-03");
    src.buyerEmail = s("einkauf@kunde.example");
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
    CompanySettings small = seller();
    small.setValue(s("MWSt"), s("0"));
    small.setValue(s("frei9"), s("0"));
    CompanySettings taxNumberOnly = seller();
    taxNumberOnly.setValue(s("UStIdNr"), QString());
    taxNumberOnly.setValue(s("Steuernummer"), s("143/123/45678"));
    taxNumberOnly.setValue(s("Einst19"), QString());

    struct Case {
        const char* name;
        Source source;
    };
    std::vector<Case> cases = {
        {"two-rates-net",
         document({line("2", "Eimer", s("Wandfarbe"), "50,00", "100,00", "19"),
                   line("1", "pauschal", s("Anfahrt"), "50,00", "50,00", "7"),
                   line("", "", s("Ausführung nach Absprache"), "", "", "")})},
        {"gross-prices",
         document({line("3", "Stk.", s("Pinsel"), "4,99", "14,97", "19"), line("1", "kg", s("Spachtel"), "9,99", "9,99", "19"),
                   line("7", "l", s("Lack"), "3,33", "23,31", "7")},
                  PriceBasis::Gross)},
        {"small-business", document({line("5", "Std.", s("Beratung"), "60,00", "300,00", "0")}, PriceBasis::Net, small)},
        {"sixty-lines-hostile-texts", document(sixty)},
        {"tax-number-only-no-skonto",
         document({line("1", "m", s("Leiste"), "12,00", "12,00", "19")}, PriceBasis::Net, taxNumberOnly)},
    };
    Source austria = document({line("10", "Stk.", s("Schrauben"), "0,35", "3,50", "19")});
    austria.head.town = s("A-1010 Wien");
    austria.buyerCountry = s("AT");
    austria.buyerVatId = s("ATU12345678");
    cases.push_back({"customer-in-austria", austria});

    QTemporaryDir dir;
    QStringList files;
    for (const Case& c : cases) {
        const Result r = build(c.source, Profile::XRechnung);
        ASSERT_TRUE(r.ok()) << c.name << ": " << r.missing.join(s("; ")).toStdString();
        for (const Syntax syntax : {Syntax::Cii, Syntax::Ubl}) {
            const QByteArray xml = write(r.invoice, syntax, Profile::XRechnung);
            const bool cii = syntax == Syntax::Cii;
            // BT-109, BT-110, BT-115 as printed (a14, a75, a6).
            const char* net = cii ? "TaxBasisTotalAmount" : "TaxExclusiveAmount";
            const char* due = cii ? "DuePayableAmount" : "PayableAmount";
            const QChar sep = QLatin1Char(',');
            EXPECT_EQ(element(xml, net), localeNumber(c.source.head.net, sep)->toFixed(2)) << c.name;
            EXPECT_EQ(element(xml, due), localeNumber(c.source.head.gross, sep)->toFixed(2)) << c.name;
            EXPECT_EQ(r.invoice.taxTotal.toFixed(2), localeNumber(c.source.head.vatTotal, sep)->toFixed(2)) << c.name;
            const QString path = dir.filePath(QStringLiteral("%1-%2.xml").arg(QString::fromLatin1(c.name),
                                                                               cii ? s("cii") : s("ubl")));
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(xml) == xml.size());
            f.close();
            files << path;
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
    bare.setValue(s("MWSt"), s("19"));
    bare.setValue(s("frei9"), s("7"));
    bare.setValue(s("frei8"), s("Taler"));
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
    const std::pair<const char*, const char*> units[] = {{"Stk.", "H87"}, {"Stück", "H87"}, {"Std.", "HUR"},
                                                         {"kg", "KGM"},   {"m", "MTR"},     {"l", "LTR"},
                                                         {"pauschal", "LS"}, {"Eimer", "C62"}, {"", "C62"}};
    for (const auto& [unit, code] : units)
        EXPECT_EQ(unitCode(s(unit)), s(code)) << unit;
    EXPECT_EQ(currencyCode(s("€")), s("EUR"));
    EXPECT_EQ(currencyCode(s("CHF")), s("CHF"));
    EXPECT_EQ(currencyCode(s("Euro")), QString());
    const TownLine at = splitTownLine(s("A-1010 Wien"));
    EXPECT_EQ(at.postcode + s("|") + at.city, s("1010|Wien"));
    const TownLine de = splitTownLine(s(" 80331  München Altstadt "));
    EXPECT_EQ(de.postcode + s("|") + de.city, s("80331|München Altstadt"));
    EXPECT_TRUE(splitTownLine(s("Musterstadt")).postcode.isEmpty());
}
