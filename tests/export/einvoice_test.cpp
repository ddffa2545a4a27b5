#include "export/EInvoiceMatrix.h"

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
using quittora::test::s;
using namespace quittora::test::einvoicematrix;

namespace {

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

    const std::vector<std::pair<const char*, Source>> cases = invoiceMatrix();
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
