#include "export/EInvoiceExport.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "export/EInvoiceBuilder.h"
#include "export/ExportFile.h"

#include <QSqlError>
#include <QSqlQuery>

namespace quittora::einvoice {

namespace {

// What the e-invoice needs beyond what the e-mail reads: the document's
// reference and delivery date, the customer's country, VAT identifier and
// Leitweg-ID.
struct Extra {
    QString reference;
    QString deliveryDate;
    QString country;
    QString vatId;
    QString leitweg;
    QString precedingNumber;
    QString precedingDate;
};

bool loadExtra(const Database& db, qint64 documentId, Extra* extra)
{
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT r.Referenz, r.Leistungsdatum, k.Land, k.UStIdNr, k.Leitweg, r.Bezugsrechnung, r.Bezugsdatum "
                             "FROM Rechnungen r "
                             "LEFT JOIN Kunden k ON k.ID = CAST(trim(r.b1) AS INTEGER) WHERE r.ID = ?"));
    q.addBindValue(documentId);
    if (!q.exec() || !q.next())
        return false;
    *extra = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
              q.value(4).toString(), q.value(5).toString(), q.value(6).toString()};
    return true;
}

} // namespace

QString suggestedFileName(const QString& number)
{
    return QStringLiteral("Rechnung %1.xml").arg(number.trimmed());
}

Prepared prepareInvoice(const Database& db, qint64 documentId, const documents::Environment& env,
                        std::optional<Profile> profile)
{
    Prepared p;
    ExportResult& r = p.result;
    if (!p.settings.load(db)) {
        r.message = QStringLiteral("Die Einstellungen konnten nicht gelesen werden.");
        return p;
    }
    const std::optional<documents::Head> head = documents::loadHead(db, documentId);
    if (!head) {
        r.status = ExportResult::Status::UnknownDocument;
        r.message = QStringLiteral("Es gibt kein Dokument mit der ID %1.").arg(documentId);
        return p;
    }
    const std::optional<QList<documents::Line>> lines = documents::loadLines(db, documentId);
    const std::optional<documents::Customer> customer = documents::loadCustomer(db, head->customerId);
    Extra extra;
    if (!lines || !customer || !loadExtra(db, documentId, &extra)) {
        r.message = QStringLiteral("Die Rechnungszeilen oder der Kunde konnten nicht gelesen werden.");
        return p;
    }
    if (head->kind != QStringLiteral("Rechnung")) {
        r.status = ExportResult::Status::Incomplete;
        r.missing << QStringLiteral("Nur eine Rechnung kann als E-Rechnung ausgegeben werden, kein Angebot.");
        return p;
    }
    p.customer = *customer;
    p.profile = profile ? *profile : extra.leitweg.trimmed().isEmpty() ? Profile::En16931 : Profile::XRechnung;
    // The same preparation as printing and e-mail: totals, the number to come.
    p.prep = documents::prepare(*head, *lines, *customer, p.settings, env);
    if (!p.prep.ready()) {
        r.status = ExportResult::Status::Incomplete;
        r.missing << p.prep.message;
        return p;
    }
    Source& source = p.source;
    source.lines = *lines;
    source.company = p.settings;
    // Documents from before the reference field, and those whose customer
    // got a Leitweg-ID later, fall back to the customer's.
    source.reference = extra.reference.trimmed().isEmpty() ? extra.leitweg : extra.reference;
    source.deliveryDate = extra.deliveryDate;
    source.precedingNumber = extra.precedingNumber;
    source.precedingDate = extra.precedingDate;
    source.buyerCountry = extra.country;
    source.buyerVatId = extra.vatId;
    source.buyerEmail = customer->email;
    source.skontoPercent = customer->skonto;
    source.basis = env.basis;
    source.decimalSeparator = env.decimalSeparator;
    source.head = p.prep.head;
    p.built = build(source, p.profile);
    if (!p.built.ok()) {
        r.status = ExportResult::Status::Incomplete;
        r.missing = p.built.missing;
        return p;
    }
    r.number = p.prep.head.number;
    p.ready = true;
    return p;
}

bool storePrepared(const Database& db, qint64 documentId, Prepared& p, QString* error)
{
    const QString expectedNumber = p.prep.head.number;
    if (!documents::storeChanges(db, documentId, p.settings, p.prep, error))
        return false;
    // Another run took the expected number meanwhile: the e-invoice states
    // the number the invoice was given.
    if (p.prep.head.number != expectedNumber) {
        p.source.head = p.prep.head;
        p.built = build(p.source, p.profile);
    }
    p.result.number = p.prep.head.number;
    return true;
}

ExportResult check(const Database& db, qint64 documentId, const documents::Environment& env, Profile profile)
{
    Prepared p = prepareInvoice(db, documentId, env, profile);
    if (p.ready)
        p.result.status = ExportResult::Status::Written;
    return p.result;
}

ExportResult exportInvoice(const Database& db, qint64 documentId, const documents::Environment& env, Syntax syntax,
                           Profile profile, const QString& path)
{
    // Nothing is checked against a file name that is a database: that would
    // be lost with the first byte.
    if (const QString refused = refusedTarget(path); !refused.isEmpty()) {
        ExportResult r;
        r.message = refused;
        return r;
    }
    Prepared p = prepareInvoice(db, documentId, env, profile);
    ExportResult& r = p.result;
    if (!p.ready)
        return r;
    if (!storePrepared(db, documentId, p, &r.message))
        return r;
    if (!replaceFile(path, write(p.built.invoice, syntax, profile), &r.message)) {
        if (!p.prep.nextInvoiceNumber.isEmpty())
            r.message += QStringLiteral("\nDie Rechnungsnummer %1 bleibt der Rechnung zugeordnet.").arg(r.number);
        return r;
    }
    r.status = ExportResult::Status::Written;
    return r;
}

} // namespace quittora::einvoice
