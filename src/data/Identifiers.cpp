#include "data/Identifiers.h"

#include <QRegularExpression>
#include <QHash>
#include <QSet>

namespace quittora::ids {

namespace {

QString compact(const QString& text)
{
    QString out;
    for (const QChar c : text.trimmed()) {
        if (!c.isSpace())
            out += c.toUpper();
    }
    return out;
}

} // namespace

bool isCountryCode(const QString& code)
{
    // ISO 3166-1 alpha-2, officially assigned codes.
    static const QSet<QString> codes = [] {
        const char* all =
            "AD AE AF AG AI AL AM AO AQ AR AS AT AU AW AX AZ BA BB BD BE BF BG BH BI BJ BL BM BN BO BQ BR BS BT BV BW "
            "BY BZ CA CC CD CF CG CH CI CK CL CM CN CO CR CU CV CW CX CY CZ DE DJ DK DM DO DZ EC EE EG EH ER ES ET FI "
            "FJ FK FM FO FR GA GB GD GE GF GG GH GI GL GM GN GP GQ GR GS GT GU GW GY HK HM HN HR HT HU ID IE IL IM IN "
            "IO IQ IR IS IT JE JM JO JP KE KG KH KI KM KN KP KR KW KY KZ LA LB LC LI LK LR LS LT LU LV LY MA MC MD ME "
            "MF MG MH MK ML MM MN MO MP MQ MR MS MT MU MV MW MX MY MZ NA NC NE NF NG NI NL NO NP NR NU NZ OM PA PE PF "
            "PG PH PK PL PM PN PR PS PT PW PY QA RE RO RS RU RW SA SB SC SD SE SG SH SI SJ SK SL SM SN SO SR SS ST SV "
            "SX SY SZ TC TD TF TG TH TJ TK TL TM TN TO TR TT TV TW TZ UA UG UM US UY UZ VA VC VE VG VI VN VU WF WS YE "
            "YT ZA ZM ZW";
        QSet<QString> set;
        for (const QString& c : QString::fromLatin1(all).split(QLatin1Char(' ')))
            set.insert(c);
        return set;
    }();
    return codes.contains(code);
}

QString normaliseCountry(const QString& code)
{
    return compact(code);
}

QString countryProblem(const QString& code)
{
    const QString c = normaliseCountry(code);
    if (c.isEmpty() || isCountryCode(c))
        return {};
    return QString::fromUtf8("„%1“ ist kein Ländercode nach ISO 3166-1 (zum Beispiel DE, AT oder CH).").arg(code.trimmed());
}

QString normaliseIban(const QString& iban)
{
    return compact(iban);
}

QString ibanProblem(const QString& iban)
{
    const QString s = normaliseIban(iban);
    if (s.isEmpty())
        return {};
    static const QRegularExpression form(QStringLiteral("^[A-Z]{2}[0-9]{2}[A-Z0-9]{11,30}$"));
    const QString wrong = QString::fromUtf8("Die IBAN „%1“ ist nicht gültig: ").arg(iban.trimmed());
    if (!form.match(s).hasMatch() || !isCountryCode(s.left(2)))
        return wrong + QString::fromUtf8("sie beginnt mit dem Ländercode und zwei Prüfziffern und hat 15 bis 34 Zeichen.");
    // The lengths of the countries Quittora's users bank in most.
    static const QHash<QString, int> lengths = {{QStringLiteral("DE"), 22}, {QStringLiteral("AT"), 20},
                                                {QStringLiteral("CH"), 21}, {QStringLiteral("LI"), 21},
                                                {QStringLiteral("LU"), 20}, {QStringLiteral("NL"), 18},
                                                {QStringLiteral("BE"), 16}, {QStringLiteral("FR"), 27},
                                                {QStringLiteral("IT"), 27}, {QStringLiteral("DK"), 18}};
    if (const int n = lengths.value(s.left(2)); n && s.size() != n)
        return wrong + QString::fromUtf8("eine IBAN aus %1 hat %2 Zeichen, diese hat %3.").arg(s.left(2)).arg(n).arg(s.size());
    // Mod 97 over the digits, the first four characters moved to the end and
    // letters counted from A = 10.
    const QString moved = s.mid(4) + s.left(4);
    int rest = 0;
    for (const QChar c : moved) {
        const int value = c.isDigit() ? c.digitValue() : c.unicode() - 'A' + 10;
        rest = (value >= 10 ? rest * 100 : rest * 10) + value;
        rest %= 97;
    }
    if (rest != 1)
        return wrong + QString::fromUtf8("die Prüfziffern stimmen nicht. Bitte prüfen Sie die Eingabe.");
    return {};
}

QString normaliseVatId(const QString& vatId)
{
    QString s = compact(vatId);
    s.remove(QLatin1Char('.'));
    s.remove(QLatin1Char('-'));
    return s;
}

QString vatIdProblem(const QString& vatId)
{
    const QString s = normaliseVatId(vatId);
    if (s.isEmpty())
        return {};
    // The forms of the member states (and Switzerland's UID with its VAT
    // suffix); a foreign one only by its general shape.
    static const QHash<QString, QString> forms = {
        {QStringLiteral("DE"), QStringLiteral("^DE[0-9]{9}$")},
        {QStringLiteral("AT"), QStringLiteral("^ATU[0-9]{8}$")},
        {QStringLiteral("CH"), QStringLiteral("^CHE[0-9]{9}(MWST|TVA|IVA)?$")},
        {QStringLiteral("BE"), QStringLiteral("^BE[01][0-9]{9}$")},
        {QStringLiteral("NL"), QStringLiteral("^NL[0-9]{9}B[0-9]{2}$")},
        {QStringLiteral("LU"), QStringLiteral("^LU[0-9]{8}$")},
        {QStringLiteral("FR"), QStringLiteral("^FR[0-9A-Z]{2}[0-9]{9}$")},
        {QStringLiteral("IT"), QStringLiteral("^IT[0-9]{11}$")},
        {QStringLiteral("DK"), QStringLiteral("^DK[0-9]{8}$")},
        {QStringLiteral("PL"), QStringLiteral("^PL[0-9]{10}$")},
    };
    const QString prefix = s.left(2);
    const QString pattern = forms.value(prefix, QStringLiteral("^[A-Z]{2}[0-9A-Z]{2,13}$"));
    const bool knownCountry = forms.contains(prefix) || prefix == QLatin1String("EL") || isCountryCode(prefix);
    if (knownCountry && QRegularExpression(pattern).match(s).hasMatch())
        return {};
    const QString example = prefix == QLatin1String("AT")   ? QStringLiteral("ATU12345678")
                            : prefix == QLatin1String("CH") ? QStringLiteral("CHE-123.456.789 MWST")
                                                            : QStringLiteral("DE123456789");
    return QString::fromUtf8("„%1“ ist keine gültige USt-IdNr. (zum Beispiel %2).").arg(vatId.trimmed(), example);
}

QString normaliseBic(const QString& bic)
{
    return compact(bic);
}

QString bicProblem(const QString& bic)
{
    const QString s = normaliseBic(bic);
    if (s.isEmpty())
        return {};
    static const QRegularExpression form(QStringLiteral("^[A-Z]{4}[A-Z]{2}[A-Z0-9]{2}([A-Z0-9]{3})?$"));
    if (form.match(s).hasMatch() && isCountryCode(s.mid(4, 2)))
        return {};
    return QString::fromUtf8("„%1“ ist keine gültige BIC: sie hat 8 oder 11 Zeichen, an fünfter und sechster Stelle "
                             "den Ländercode (zum Beispiel COBADEFFXXX).")
        .arg(bic.trimmed());
}

} // namespace quittora::ids
