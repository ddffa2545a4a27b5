#include "export/EInvoiceBuilder.h"

#include "data/Identifiers.h"
#include "data/Numbers.h"
#include "documents/VatBreakdown.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace quittora::einvoice {

namespace {

const Decimal kHundred = Decimal::fromInt(100);
const QString kSmallBusinessReason =
    QStringLiteral("Kein Ausweis von Umsatzsteuer, da Kleinunternehmer gemäß § 19 UStG");

QString setting(const CompanySettings& c, const char* field) { return c.text(QString::fromLatin1(field)).trimmed(); }

bool isCountryCode(const QString& code) { return ids::isCountryCode(code); }

Decimal magnitude(Decimal d) { return d.isNegative() ? -d : d; }

QString countryOr(const QString& code) { return code.trimmed().isEmpty() ? QStringLiteral("DE") : code.trimmed().toUpper(); }

struct ParsedLine {
    int index = 0; // 1-based among the document's lines, for messages
    Decimal quantity;
    Decimal price;
    Decimal amount; // as stored: net or gross by the price basis
    Decimal rate;
    QString unit;
    QString text;
};

// The line as one name and, where the text has more lines, a description.
void nameAndDescription(const QString& text, int id, QString* name, QString* description)
{
    const QString trimmed = text.trimmed();
    const QStringList parts = trimmed.split(QLatin1Char('\n'));
    *name = parts.value(0).trimmed();
    if (name->isEmpty())
        *name = QStringLiteral("Position %1").arg(id);
    *description = parts.size() > 1 ? trimmed : QString();
}

} // namespace

QString unitCode(const QString& unit)
{
    static const QHash<QString, QString> codes = {
        {QStringLiteral("stk"), QStringLiteral("H87")},   {QStringLiteral("stk."), QStringLiteral("H87")},
        {QStringLiteral("stück"), QStringLiteral("H87")}, {QStringLiteral("std"), QStringLiteral("HUR")},
        {QStringLiteral("std."), QStringLiteral("HUR")},  {QStringLiteral("stunde"), QStringLiteral("HUR")},
        {QStringLiteral("stunden"), QStringLiteral("HUR")}, {QStringLiteral("kg"), QStringLiteral("KGM")},
        {QStringLiteral("m"), QStringLiteral("MTR")},     {QStringLiteral("l"), QStringLiteral("LTR")},
        {QStringLiteral("pauschal"), QStringLiteral("LS")},
    };
    return codes.value(unit.trimmed().toLower(), QStringLiteral("C62"));
}

QString currencyCode(const QString& currency)
{
    const QString c = currency.trimmed();
    if (c.isEmpty() || c == QStringLiteral("€") || c.compare(QStringLiteral("EUR"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("EUR");
    static const QRegularExpression iso(QStringLiteral("^[A-Z]{3}$"));
    return iso.match(c).hasMatch() ? c : QString();
}

TownLine splitTownLine(const QString& line)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(?:[A-Z]{1,2}\\s*-\\s*)?(\\d{4,5})\\s+(.+?)\\s*$"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch())
        return {QString(), line.trimmed()};
    return {m.captured(1), m.captured(2)};
}

Result build(const Source& s, Profile profile)
{
    Result r;
    Invoice& inv = r.invoice;
    const CompanySettings& c = s.company;
    const QChar sep = s.decimalSeparator;
    const auto missing = [&r](const QString& what) { r.missing << what; };

    if (s.head.kind != QStringLiteral("Rechnung"))
        missing(QStringLiteral("Nur eine Rechnung kann als E-Rechnung ausgegeben werden, kein Angebot."));
    inv.number = s.head.number.trimmed();
    if (inv.number.isEmpty())
        missing(QStringLiteral("Die Rechnung hat noch keine Rechnungsnummer."));
    inv.issueDate = parseDateText(s.head.date);
    if (!inv.issueDate.isValid())
        missing(QStringLiteral("Das Rechnungsdatum fehlt oder ist kein Datum (TT.MM.JJJJ)."));
    inv.deliveryDate = s.deliveryDate.trimmed().isEmpty() ? inv.issueDate : parseDateText(s.deliveryDate);
    if (!inv.deliveryDate.isValid())
        missing(QStringLiteral("Das Leistungsdatum ist kein Datum (TT.MM.JJJJ) – Rechnung → Leistungsdatum"));
    inv.currency = currencyCode(c.currency());
    if (inv.currency.isEmpty())
        missing(QStringLiteral("Die Währung „%1“ ist kein ISO-4217-Code wie EUR oder CHF – Einstellungen → "
                               "Rechnungsvorgaben")
                    .arg(c.currency()));
    inv.buyerReference = s.reference.trimmed();
    inv.precedingNumber = s.precedingNumber.trimmed();
    inv.precedingDate = parseDateText(s.precedingDate);
    if (inv.buyerReference.isEmpty() && profile == Profile::XRechnung)
        missing(QStringLiteral("Die Leitweg-ID oder Referenz des Kunden fehlt – Kunden → Leitweg-ID oder "
                               "Rechnung → Referenz"));

    // Seller.
    Party& seller = inv.seller;
    seller.name = setting(c, "Titel");
    if (seller.name.isEmpty())
        missing(QStringLiteral("Der Firmenname fehlt – Einstellungen → Ihre Firmendaten"));
    seller.address.street = setting(c, "frei2");
    const TownLine sellerTown = splitTownLine(setting(c, "frei3"));
    seller.address.postcode = sellerTown.postcode;
    seller.address.city = sellerTown.city;
    if (seller.address.postcode.isEmpty() || seller.address.city.isEmpty())
        missing(QStringLiteral("Postleitzahl und Ort der Firma fehlen (z. B. „12345 Musterstadt“) – Einstellungen "
                               "→ Ihre Firmendaten"));
    seller.address.country = countryOr(setting(c, "Land"));
    if (!isCountryCode(seller.address.country))
        missing(QStringLiteral("Das Land der Firma ist kein Ländercode wie DE – Einstellungen → E-Rechnung"));
    seller.vatId = setting(c, "UStIdNr");
    seller.taxNumber = setting(c, "Steuernummer");
    if (seller.vatId.isEmpty() && seller.taxNumber.isEmpty())
        missing(QStringLiteral("USt-IdNr. oder Steuernummer fehlt – Einstellungen → E-Rechnung"));
    if (const QString wrong = ids::vatIdProblem(seller.vatId); !wrong.isEmpty())
        missing(wrong + QStringLiteral(" – Einstellungen → E-Rechnung"));
    seller.vatId = ids::normaliseVatId(seller.vatId);
    // Without a VAT identifier the rules want another identifier of the
    // seller; the tax number is the one a German tax office gave.
    if (seller.vatId.isEmpty())
        seller.id = seller.taxNumber;
    seller.contactName = setting(c, "Ansprechpartner");
    seller.phone = setting(c, "Tel");
    seller.email = setting(c, "Einst1");
    seller.electronicAddress = seller.email;
    if (profile == Profile::XRechnung) {
        if (seller.contactName.isEmpty())
            missing(QStringLiteral("Der Ansprechpartner fehlt – Einstellungen → E-Rechnung"));
        if (seller.phone.isEmpty())
            missing(QStringLiteral("Die Telefonnummer der Firma fehlt – Einstellungen → Ihre Firmendaten"));
    }
    if (seller.email.isEmpty())
        missing(QStringLiteral("Die E-Mail-Adresse der Firma fehlt – Einstellungen → Ihre Firmendaten"));

    // Buyer, as the document's head names it.
    Party& buyer = inv.buyer;
    buyer.name = s.head.name.trimmed();
    if (buyer.name.isEmpty())
        missing(QStringLiteral("Der Name des Kunden fehlt in der Rechnung."));
    buyer.address.street = s.head.street.trimmed();
    const TownLine buyerTown = splitTownLine(s.head.town);
    buyer.address.postcode = buyerTown.postcode;
    buyer.address.city = buyerTown.city;
    if (buyer.address.postcode.isEmpty() || buyer.address.city.isEmpty())
        missing(QStringLiteral("Postleitzahl und Ort des Kunden fehlen in der Anschrift der Rechnung "
                               "(z. B. „12345 Musterstadt“)."));
    buyer.address.country = countryOr(s.buyerCountry);
    if (!isCountryCode(buyer.address.country))
        missing(QStringLiteral("Das Land des Kunden ist kein Ländercode wie DE oder AT – Kunden → Land"));
    if (const QString wrong = ids::vatIdProblem(s.buyerVatId); !wrong.isEmpty())
        missing(wrong + QStringLiteral(" – Kunden → USt-IdNr."));
    buyer.vatId = ids::normaliseVatId(s.buyerVatId);
    buyer.electronicAddress = s.head.email.trimmed().isEmpty() ? s.buyerEmail.trimmed() : s.head.email.trimmed();
    if (buyer.electronicAddress.isEmpty() && profile == Profile::XRechnung)
        missing(QStringLiteral("Die E-Mail-Adresse des Kunden fehlt – Kunden → E-Mail"));

    // Payment.
    inv.iban = setting(c, "IBAN").remove(QLatin1Char(' ')).toUpper();
    inv.bic = setting(c, "BIC").remove(QLatin1Char(' ')).toUpper();
    inv.accountHolder = setting(c, "Kontoinhaber");
    if (inv.accountHolder.isEmpty())
        inv.accountHolder = seller.name;
    if (inv.iban.isEmpty())
        missing(QStringLiteral("Die IBAN fehlt – Einstellungen → E-Rechnung"));
    else if (const QString wrong = ids::ibanProblem(inv.iban); !wrong.isEmpty())
        missing(wrong + QStringLiteral(" – Einstellungen → E-Rechnung"));

    // Lines.
    const auto rate1 = localeNumber(c.vatRate1(), sep);
    const auto rate2 = localeNumber(c.vatRate2(), sep);
    bool smallBusiness = rate1 && rate2 && rate1->isZero() && rate2->isZero();
    QList<ParsedLine> parsed;
    int index = 0;
    for (const documents::Line& l : s.lines) {
        ++index;
        if (l.amount.trimmed().isEmpty()) {
            if (!l.description.trimmed().isEmpty())
                inv.notes << l.description.trimmed();
            continue;
        }
        ParsedLine p;
        p.index = index;
        p.unit = l.unit;
        p.text = l.description;
        const auto amount = localeNumber(l.amount, sep);
        const auto quantity = localeNumber(l.quantity, sep);
        const auto rate = localeNumber(l.rate, sep);
        if (!amount) {
            missing(QStringLiteral("Zeile %1: Der Betrag „%2“ ist keine Zahl.").arg(index).arg(l.amount));
            continue;
        }
        if (!quantity || quantity->isZero()) {
            missing(QStringLiteral("Zeile %1: Die Menge „%2“ ist keine Zahl.").arg(index).arg(l.quantity));
            continue;
        }
        if (!rate || rate->isNegative() || *rate > kHundred) {
            missing(QStringLiteral("Zeile %1: Der MwSt.-Satz „%2“ ist kein Prozentsatz.").arg(index).arg(l.rate));
            continue;
        }
        p.amount = *amount;
        p.quantity = *quantity;
        p.rate = *rate;
        parsed << p;
    }
    // A line at a rate of its own is taxed on paper even when both settings
    // are 0 (an article from before); the e-invoice states what the paper
    // asks for, so it is no small-business invoice then.
    for (const ParsedLine& p : parsed) {
        if (!p.rate.isZero())
            smallBusiness = false;
    }
    if (parsed.isEmpty() && r.missing.isEmpty())
        missing(QStringLiteral("Die Rechnung hat keine Zeile mit einem Betrag."));

    // Per rate: the paper's VAT on the sum of the rate's lines; with gross
    // prices the VAT share is taken out and the net rest is spread over the
    // lines so every sum of the e-invoice adds up to the printed figures.
    QList<documents::RatedAmount> rated;
    for (const ParsedLine& p : parsed)
        rated.append({p.amount, p.rate});
    QList<Decimal> netOf(parsed.size());
    for (const documents::RateShare& share : documents::vatByRate(rated, s.basis)) {
        const QList<int>& members = share.members;
        const Decimal rate = share.rate;
        VatBreakdown v;
        v.rate = rate;
        v.category = smallBusiness ? QLatin1Char('E') : (rate.isZero() ? QLatin1Char('Z') : QLatin1Char('S'));
        if (smallBusiness)
            v.exemptionReason = kSmallBusinessReason;
        v.basis = share.net;
        v.amount = share.vat;
        if (s.basis == PriceBasis::Gross) {
            Decimal spread;
            int largest = members.first();
            for (int i : members) {
                netOf[i] = Decimal::mulDiv(parsed[i].amount, kHundred, kHundred + rate, 2).value_or(Decimal());
                spread += netOf[i];
                if (magnitude(parsed[i].amount) > magnitude(parsed[largest].amount))
                    largest = i;
            }
            netOf[largest] += v.basis - spread;
        } else {
            for (int i : members)
                netOf[i] = parsed[i].amount;
        }
        inv.vat << v;
        inv.lineTotal += v.basis;
        inv.taxTotal += v.amount;
    }
    inv.grandTotal = inv.lineTotal + inv.taxTotal;
    inv.dueAmount = inv.grandTotal;

    int id = 0;
    for (int i = 0; i < parsed.size(); ++i) {
        const ParsedLine& p = parsed[i];
        Line l;
        l.id = QString::number(++id);
        nameAndDescription(p.text, id, &l.name, &l.description);
        l.unitCode = unitCode(p.unit);
        l.netAmount = netOf[i].rounded(2);
        l.quantity = p.quantity;
        // A price is never negative: a credited line has a negative quantity.
        Decimal price = Decimal::mulDiv(l.netAmount, Decimal::fromInt(1), l.quantity, 4).value_or(Decimal());
        if (price.isNegative()) {
            price = -price;
            l.quantity = -l.quantity;
        }
        l.netPrice = price;
        l.rate = p.rate;
        l.category = smallBusiness ? QLatin1Char('E') : (p.rate.isZero() ? QLatin1Char('Z') : QLatin1Char('S'));
        inv.lines << l;
    }

    // Intro texts, then the text lines: what the paper says beside the figures.
    QStringList intro;
    for (const char* memo : {"Memo1", "Memo2"}) {
        if (!setting(c, memo).isEmpty())
            intro << setting(c, memo);
    }
    inv.notes = intro + inv.notes;

    // Payment terms: the closing text, and the cash discount in the form
    // XRechnung reads (the line ends with a line break, BR-DE-18).
    QString terms = setting(c, "Memo3");
    if (!s.head.skonto.trimmed().isEmpty()) {
        const Decimal days = leadingNumber(c.skontoDays());
        const Decimal percent = s.skontoPercent.trimmed().isEmpty() ? leadingNumber(c.skontoPercent())
                                                                    : leadingNumber(s.skontoPercent);
        if (!percent.isZero() && !days.isNegative()) {
            if (!terms.isEmpty())
                terms += QLatin1Char('\n');
            terms += QStringLiteral("#SKONTO#TAGE=%1#PROZENT=%2#\n")
                         .arg(days.toLongLong())
                         .arg(percent.toFixed(2));
        }
    }
    inv.paymentTerms = terms;
    return r;
}

} // namespace quittora::einvoice
