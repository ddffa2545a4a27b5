#include "export/EInvoice.h"

#include <QBuffer>
#include <QXmlStreamWriter>

namespace quittora::einvoice {

namespace {

const QString kRsm = QStringLiteral("urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100");
const QString kRam = QStringLiteral("urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100");
const QString kUdt = QStringLiteral("urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100");
const QString kQdt = QStringLiteral("urn:un:unece:uncefact:data:standard:QualifiedDataType:100");
// The UBL 2.1 namespace names as OASIS fixes them; every UBL reader expects
// them letter for letter.
const QString kUblSchema = QStringLiteral("urn:oasis:names:spec" "ification:ubl:schema:xsd:");
const QString kUbl = kUblSchema + QStringLiteral("Invoice-2");
const QString kCac = kUblSchema + QStringLiteral("CommonAggregateComponents-2");
const QString kCbc = kUblSchema + QStringLiteral("CommonBasicComponents-2");
const QString kPeppolProcess = QStringLiteral("urn:fdc:peppol.eu:2017:poacc:billing:01:1.0");

QString amount(Decimal d) { return d.toFixed(2); }
// Quantities and prices keep what they have, up to four decimals.
QString plain(Decimal d) { return d.rounded(4).toString(); }
QString date102(const QDate& d) { return d.toString(QStringLiteral("yyyyMMdd")); }
QString isoDate(const QDate& d) { return d.toString(Qt::ISODate); }

// Writes the element only when there is something to say: an empty element
// breaks the schema's minimum lengths.
class Xml {
public:
    explicit Xml(QXmlStreamWriter& w) : w(w) {}
    void text(const QString& ns, const QString& name, const QString& value)
    {
        if (!value.trimmed().isEmpty())
            w.writeTextElement(ns, name, value);
    }
    void text(const QString& ns, const QString& name, const QString& value, const QString& attr,
              const QString& attrValue)
    {
        if (value.trimmed().isEmpty())
            return;
        w.writeStartElement(ns, name);
        w.writeAttribute(attr, attrValue);
        w.writeCharacters(value);
        w.writeEndElement();
    }
    void open(const QString& ns, const QString& name) { w.writeStartElement(ns, name); }
    void close() { w.writeEndElement(); }

    QXmlStreamWriter& w;
};

// ---------------------------------------------------------------- CII

void ciiDate(Xml& x, const QString& ns, const QString& element, const QDate& d)
{
    x.open(kRam, element);
    x.text(ns, QStringLiteral("DateTimeString"), date102(d), QStringLiteral("format"), QStringLiteral("102"));
    x.close();
}

void ciiParty(Xml& x, const QString& element, const Party& p, bool seller)
{
    x.open(kRam, element);
    x.text(kRam, QStringLiteral("ID"), p.id);
    x.text(kRam, QStringLiteral("Name"), p.name);
    if (seller && (!p.contactName.isEmpty() || !p.phone.isEmpty() || !p.email.isEmpty())) {
        x.open(kRam, QStringLiteral("DefinedTradeContact"));
        x.text(kRam, QStringLiteral("PersonName"), p.contactName);
        if (!p.phone.trimmed().isEmpty()) {
            x.open(kRam, QStringLiteral("TelephoneUniversalCommunication"));
            x.text(kRam, QStringLiteral("CompleteNumber"), p.phone);
            x.close();
        }
        if (!p.email.trimmed().isEmpty()) {
            x.open(kRam, QStringLiteral("EmailURIUniversalCommunication"));
            x.text(kRam, QStringLiteral("URIID"), p.email);
            x.close();
        }
        x.close();
    }
    x.open(kRam, QStringLiteral("PostalTradeAddress"));
    x.text(kRam, QStringLiteral("PostcodeCode"), p.address.postcode);
    x.text(kRam, QStringLiteral("LineOne"), p.address.street);
    x.text(kRam, QStringLiteral("CityName"), p.address.city);
    x.text(kRam, QStringLiteral("CountryID"), p.address.country);
    x.close();
    if (!p.electronicAddress.trimmed().isEmpty()) {
        x.open(kRam, QStringLiteral("URIUniversalCommunication"));
        x.text(kRam, QStringLiteral("URIID"), p.electronicAddress, QStringLiteral("schemeID"), QStringLiteral("EM"));
        x.close();
    }
    const auto registration = [&x](const QString& id, const char* scheme) {
        if (id.trimmed().isEmpty())
            return;
        x.open(kRam, QStringLiteral("SpecifiedTaxRegistration"));
        x.text(kRam, QStringLiteral("ID"), id, QStringLiteral("schemeID"), QString::fromLatin1(scheme));
        x.close();
    };
    registration(p.vatId, "VA");
    if (seller)
        registration(p.taxNumber, "FC");
    x.close();
}

void ciiTax(Xml& x, QChar category, Decimal rate)
{
    x.text(kRam, QStringLiteral("TypeCode"), QStringLiteral("VAT"));
    x.text(kRam, QStringLiteral("CategoryCode"), QString(category));
    x.text(kRam, QStringLiteral("RateApplicablePercent"), plain(rate));
}

void writeCii(QXmlStreamWriter& w, const Invoice& inv, Profile profile)
{
    Xml x(w);
    w.writeNamespace(kRsm, QStringLiteral("rsm"));
    w.writeNamespace(kRam, QStringLiteral("ram"));
    w.writeNamespace(kQdt, QStringLiteral("qdt"));
    w.writeNamespace(kUdt, QStringLiteral("udt"));
    x.open(kRsm, QStringLiteral("CrossIndustryInvoice"));

    x.open(kRsm, QStringLiteral("ExchangedDocumentContext"));
    if (profile == Profile::XRechnung) {
        x.open(kRam, QStringLiteral("BusinessProcessSpecifiedDocumentContextParameter"));
        x.text(kRam, QStringLiteral("ID"), kPeppolProcess);
        x.close();
    }
    x.open(kRam, QStringLiteral("GuidelineSpecifiedDocumentContextParameter"));
    x.text(kRam, QStringLiteral("ID"), guidelineIdentifier(profile));
    x.close();
    x.close();

    x.open(kRsm, QStringLiteral("ExchangedDocument"));
    x.text(kRam, QStringLiteral("ID"), inv.number);
    x.text(kRam, QStringLiteral("TypeCode"), inv.typeCode);
    ciiDate(x, kUdt, QStringLiteral("IssueDateTime"), inv.issueDate);
    for (const QString& note : inv.notes) {
        if (note.trimmed().isEmpty())
            continue;
        x.open(kRam, QStringLiteral("IncludedNote"));
        x.text(kRam, QStringLiteral("Content"), note);
        x.close();
    }
    x.close();

    x.open(kRsm, QStringLiteral("SupplyChainTradeTransaction"));
    for (const Line& l : inv.lines) {
        x.open(kRam, QStringLiteral("IncludedSupplyChainTradeLineItem"));
        x.open(kRam, QStringLiteral("AssociatedDocumentLineDocument"));
        x.text(kRam, QStringLiteral("LineID"), l.id);
        x.close();
        x.open(kRam, QStringLiteral("SpecifiedTradeProduct"));
        x.text(kRam, QStringLiteral("Name"), l.name);
        x.text(kRam, QStringLiteral("Description"), l.description);
        x.close();
        x.open(kRam, QStringLiteral("SpecifiedLineTradeAgreement"));
        x.open(kRam, QStringLiteral("NetPriceProductTradePrice"));
        x.text(kRam, QStringLiteral("ChargeAmount"), plain(l.netPrice));
        x.close();
        x.close();
        x.open(kRam, QStringLiteral("SpecifiedLineTradeDelivery"));
        x.text(kRam, QStringLiteral("BilledQuantity"), plain(l.quantity), QStringLiteral("unitCode"), l.unitCode);
        x.close();
        x.open(kRam, QStringLiteral("SpecifiedLineTradeSettlement"));
        x.open(kRam, QStringLiteral("ApplicableTradeTax"));
        ciiTax(x, l.category, l.rate);
        x.close();
        x.open(kRam, QStringLiteral("SpecifiedTradeSettlementLineMonetarySummation"));
        x.text(kRam, QStringLiteral("LineTotalAmount"), amount(l.netAmount));
        x.close();
        x.close();
        x.close();
    }

    x.open(kRam, QStringLiteral("ApplicableHeaderTradeAgreement"));
    x.text(kRam, QStringLiteral("BuyerReference"), inv.buyerReference);
    ciiParty(x, QStringLiteral("SellerTradeParty"), inv.seller, true);
    ciiParty(x, QStringLiteral("BuyerTradeParty"), inv.buyer, false);
    x.close();

    x.open(kRam, QStringLiteral("ApplicableHeaderTradeDelivery"));
    if (inv.deliveryDate.isValid()) {
        x.open(kRam, QStringLiteral("ActualDeliverySupplyChainEvent"));
        ciiDate(x, kUdt, QStringLiteral("OccurrenceDateTime"), inv.deliveryDate);
        x.close();
    }
    x.close();

    x.open(kRam, QStringLiteral("ApplicableHeaderTradeSettlement"));
    x.text(kRam, QStringLiteral("InvoiceCurrencyCode"), inv.currency);
    if (!inv.iban.trimmed().isEmpty()) {
        x.open(kRam, QStringLiteral("SpecifiedTradeSettlementPaymentMeans"));
        x.text(kRam, QStringLiteral("TypeCode"), QStringLiteral("58"));
        x.open(kRam, QStringLiteral("PayeePartyCreditorFinancialAccount"));
        x.text(kRam, QStringLiteral("IBANID"), inv.iban);
        x.text(kRam, QStringLiteral("AccountName"), inv.accountHolder);
        x.close();
        if (!inv.bic.trimmed().isEmpty()) {
            x.open(kRam, QStringLiteral("PayeeSpecifiedCreditorFinancialInstitution"));
            x.text(kRam, QStringLiteral("BICID"), inv.bic);
            x.close();
        }
        x.close();
    }
    for (const VatBreakdown& v : inv.vat) {
        x.open(kRam, QStringLiteral("ApplicableTradeTax"));
        x.text(kRam, QStringLiteral("CalculatedAmount"), amount(v.amount));
        x.text(kRam, QStringLiteral("TypeCode"), QStringLiteral("VAT"));
        x.text(kRam, QStringLiteral("ExemptionReason"), v.exemptionReason);
        x.text(kRam, QStringLiteral("BasisAmount"), amount(v.basis));
        x.text(kRam, QStringLiteral("CategoryCode"), QString(v.category));
        x.text(kRam, QStringLiteral("RateApplicablePercent"), plain(v.rate));
        x.close();
    }
    if (!inv.paymentTerms.trimmed().isEmpty()) {
        x.open(kRam, QStringLiteral("SpecifiedTradePaymentTerms"));
        x.text(kRam, QStringLiteral("Description"), inv.paymentTerms);
        x.close();
    }
    x.open(kRam, QStringLiteral("SpecifiedTradeSettlementHeaderMonetarySummation"));
    x.text(kRam, QStringLiteral("LineTotalAmount"), amount(inv.lineTotal));
    x.text(kRam, QStringLiteral("TaxBasisTotalAmount"), amount(inv.lineTotal));
    x.text(kRam, QStringLiteral("TaxTotalAmount"), amount(inv.taxTotal), QStringLiteral("currencyID"), inv.currency);
    x.text(kRam, QStringLiteral("GrandTotalAmount"), amount(inv.grandTotal));
    x.text(kRam, QStringLiteral("DuePayableAmount"), amount(inv.dueAmount));
    x.close();
    if (!inv.precedingNumber.isEmpty()) {
        x.open(kRam, QStringLiteral("InvoiceReferencedDocument"));
        x.text(kRam, QStringLiteral("IssuerAssignedID"), inv.precedingNumber);
        if (inv.precedingDate.isValid())
            ciiDate(x, kQdt, QStringLiteral("FormattedIssueDateTime"), inv.precedingDate);
        x.close();
    }
    x.close();

    x.close(); // SupplyChainTradeTransaction
    x.close(); // CrossIndustryInvoice
}

// ---------------------------------------------------------------- UBL

void ublAmount(Xml& x, const QString& name, Decimal value, const QString& currency)
{
    x.text(kCbc, name, amount(value), QStringLiteral("currencyID"), currency);
}

void ublTaxCategory(Xml& x, const QString& element, QChar category, Decimal rate, const QString& reason = {})
{
    x.open(kCac, element);
    x.text(kCbc, QStringLiteral("ID"), QString(category));
    x.text(kCbc, QStringLiteral("Percent"), plain(rate));
    x.text(kCbc, QStringLiteral("TaxExemptionReason"), reason);
    x.open(kCac, QStringLiteral("TaxScheme"));
    x.text(kCbc, QStringLiteral("ID"), QStringLiteral("VAT"));
    x.close();
    x.close();
}

void ublParty(Xml& x, const QString& element, const Party& p, bool seller)
{
    x.open(kCac, element);
    x.open(kCac, QStringLiteral("Party"));
    x.text(kCbc, QStringLiteral("EndpointID"), p.electronicAddress, QStringLiteral("schemeID"), QStringLiteral("EM"));
    if (!p.id.trimmed().isEmpty()) {
        x.open(kCac, QStringLiteral("PartyIdentification"));
        x.text(kCbc, QStringLiteral("ID"), p.id);
        x.close();
    }
    x.open(kCac, QStringLiteral("PostalAddress"));
    x.text(kCbc, QStringLiteral("StreetName"), p.address.street);
    x.text(kCbc, QStringLiteral("CityName"), p.address.city);
    x.text(kCbc, QStringLiteral("PostalZone"), p.address.postcode);
    x.open(kCac, QStringLiteral("Country"));
    x.text(kCbc, QStringLiteral("IdentificationCode"), p.address.country);
    x.close();
    x.close();
    const auto scheme = [&x](const QString& id, const char* taxScheme) {
        if (id.trimmed().isEmpty())
            return;
        x.open(kCac, QStringLiteral("PartyTaxScheme"));
        x.text(kCbc, QStringLiteral("CompanyID"), id);
        x.open(kCac, QStringLiteral("TaxScheme"));
        x.text(kCbc, QStringLiteral("ID"), QString::fromLatin1(taxScheme));
        x.close();
        x.close();
    };
    scheme(p.vatId, "VAT");
    if (seller)
        scheme(p.taxNumber, "FC");
    x.open(kCac, QStringLiteral("PartyLegalEntity"));
    x.text(kCbc, QStringLiteral("RegistrationName"), p.name);
    x.close();
    if (seller && (!p.contactName.isEmpty() || !p.phone.isEmpty() || !p.email.isEmpty())) {
        x.open(kCac, QStringLiteral("Contact"));
        x.text(kCbc, QStringLiteral("Name"), p.contactName);
        x.text(kCbc, QStringLiteral("Telephone"), p.phone);
        x.text(kCbc, QStringLiteral("ElectronicMail"), p.email);
        x.close();
    }
    x.close();
    x.close();
}

void writeUbl(QXmlStreamWriter& w, const Invoice& inv, Profile profile)
{
    Xml x(w);
    w.writeDefaultNamespace(kUbl);
    w.writeNamespace(kCac, QStringLiteral("cac"));
    w.writeNamespace(kCbc, QStringLiteral("cbc"));
    x.open(kUbl, QStringLiteral("Invoice"));
    x.text(kCbc, QStringLiteral("CustomizationID"), guidelineIdentifier(profile));
    if (profile == Profile::XRechnung)
        x.text(kCbc, QStringLiteral("ProfileID"), kPeppolProcess);
    x.text(kCbc, QStringLiteral("ID"), inv.number);
    x.text(kCbc, QStringLiteral("IssueDate"), isoDate(inv.issueDate));
    x.text(kCbc, QStringLiteral("InvoiceTypeCode"), inv.typeCode);
    for (const QString& note : inv.notes)
        x.text(kCbc, QStringLiteral("Note"), note);
    x.text(kCbc, QStringLiteral("DocumentCurrencyCode"), inv.currency);
    x.text(kCbc, QStringLiteral("BuyerReference"), inv.buyerReference);
    if (!inv.precedingNumber.isEmpty()) {
        x.open(kCac, QStringLiteral("BillingReference"));
        x.open(kCac, QStringLiteral("InvoiceDocumentReference"));
        x.text(kCbc, QStringLiteral("ID"), inv.precedingNumber);
        if (inv.precedingDate.isValid())
            x.text(kCbc, QStringLiteral("IssueDate"), isoDate(inv.precedingDate));
        x.close();
        x.close();
    }
    ublParty(x, QStringLiteral("AccountingSupplierParty"), inv.seller, true);
    ublParty(x, QStringLiteral("AccountingCustomerParty"), inv.buyer, false);
    if (inv.deliveryDate.isValid()) {
        x.open(kCac, QStringLiteral("Delivery"));
        x.text(kCbc, QStringLiteral("ActualDeliveryDate"), isoDate(inv.deliveryDate));
        x.close();
    }
    if (!inv.iban.trimmed().isEmpty()) {
        x.open(kCac, QStringLiteral("PaymentMeans"));
        x.text(kCbc, QStringLiteral("PaymentMeansCode"), QStringLiteral("58"));
        x.open(kCac, QStringLiteral("PayeeFinancialAccount"));
        x.text(kCbc, QStringLiteral("ID"), inv.iban);
        x.text(kCbc, QStringLiteral("Name"), inv.accountHolder);
        if (!inv.bic.trimmed().isEmpty()) {
            x.open(kCac, QStringLiteral("FinancialInstitutionBranch"));
            x.text(kCbc, QStringLiteral("ID"), inv.bic);
            x.close();
        }
        x.close();
        x.close();
    }
    if (!inv.paymentTerms.trimmed().isEmpty()) {
        x.open(kCac, QStringLiteral("PaymentTerms"));
        x.text(kCbc, QStringLiteral("Note"), inv.paymentTerms);
        x.close();
    }
    x.open(kCac, QStringLiteral("TaxTotal"));
    ublAmount(x, QStringLiteral("TaxAmount"), inv.taxTotal, inv.currency);
    for (const VatBreakdown& v : inv.vat) {
        x.open(kCac, QStringLiteral("TaxSubtotal"));
        ublAmount(x, QStringLiteral("TaxableAmount"), v.basis, inv.currency);
        ublAmount(x, QStringLiteral("TaxAmount"), v.amount, inv.currency);
        ublTaxCategory(x, QStringLiteral("TaxCategory"), v.category, v.rate, v.exemptionReason);
        x.close();
    }
    x.close();
    x.open(kCac, QStringLiteral("LegalMonetaryTotal"));
    ublAmount(x, QStringLiteral("LineExtensionAmount"), inv.lineTotal, inv.currency);
    ublAmount(x, QStringLiteral("TaxExclusiveAmount"), inv.lineTotal, inv.currency);
    ublAmount(x, QStringLiteral("TaxInclusiveAmount"), inv.grandTotal, inv.currency);
    ublAmount(x, QStringLiteral("PayableAmount"), inv.dueAmount, inv.currency);
    x.close();
    for (const Line& l : inv.lines) {
        x.open(kCac, QStringLiteral("InvoiceLine"));
        x.text(kCbc, QStringLiteral("ID"), l.id);
        x.text(kCbc, QStringLiteral("InvoicedQuantity"), plain(l.quantity), QStringLiteral("unitCode"), l.unitCode);
        ublAmount(x, QStringLiteral("LineExtensionAmount"), l.netAmount, inv.currency);
        x.open(kCac, QStringLiteral("Item"));
        x.text(kCbc, QStringLiteral("Description"), l.description);
        x.text(kCbc, QStringLiteral("Name"), l.name);
        ublTaxCategory(x, QStringLiteral("ClassifiedTaxCategory"), l.category, l.rate);
        x.close();
        x.open(kCac, QStringLiteral("Price"));
        x.text(kCbc, QStringLiteral("PriceAmount"), plain(l.netPrice), QStringLiteral("currencyID"), inv.currency);
        x.close();
        x.close();
    }
    x.close();
}

} // namespace

QString guidelineIdentifier(Profile profile)
{
    return profile == Profile::XRechnung
        ? QStringLiteral("urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0")
        : QStringLiteral("urn:cen.eu:en16931:2017");
}

QByteArray write(const Invoice& invoice, Syntax syntax, Profile profile)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter w(&buffer);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    if (syntax == Syntax::Cii)
        writeCii(w, invoice, profile);
    else
        writeUbl(w, invoice, profile);
    w.writeEndDocument();
    return bytes;
}

} // namespace quittora::einvoice
