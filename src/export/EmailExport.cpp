#include "export/EmailExport.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "export/ExportFile.h"

namespace quittora::email {

namespace {

// A mail that failed after the invoice got its number: the number stays.
void sayNumberKept(ExportResult& r)
{
    if (!r.preparation.nextInvoiceNumber.isEmpty())
        r.message += QStringLiteral("\nDie Rechnungsnummer %1 bleibt der Rechnung zugeordnet.")
                         .arg(r.preparation.head.number);
}

} // namespace

Preparation prepare(const Head& head, const QList<Line>& lines, const Customer& customer,
                    const CompanySettings& settings, const Environment& env)
{
    Preparation p;
    static_cast<documents::Preparation&>(p) = documents::prepare(head, lines, customer, settings, env);
    if (!p.ready())
        return p;
    p.clipboardText = p.head.email;
    return p;
}

ExportResult exportDocument(const Database& db, qint64 documentId, const Environment& env, const QString& path,
                            const Attachments& attachments)
{
    ExportResult r;
    CompanySettings settings;
    if (!settings.load(db)) {
        r.message = QStringLiteral("Die Einstellungen konnten nicht gelesen werden.");
        return r;
    }
    const std::optional<Head> head = documents::loadHead(db, documentId);
    if (!head) {
        r.status = ExportResult::Status::UnknownDocument;
        r.message = QStringLiteral("Es gibt kein Dokument mit der ID %1.").arg(documentId);
        return r;
    }
    const std::optional<QList<Line>> lines = documents::loadLines(db, documentId);
    const std::optional<Customer> customer = documents::loadCustomer(db, head->customerId);
    if (!lines || !customer) {
        r.message = QStringLiteral("Die Rechnungszeilen oder der Kunde konnten nicht gelesen werden.");
        return r;
    }
    r.preparation = email::prepare(*head, *lines, *customer, settings, env);
    if (!r.preparation.ready()) {
        r.status = ExportResult::Status::Refused;
        r.message = r.preparation.message;
        return r;
    }
    if (!documents::storeChanges(db, documentId, settings, r.preparation, &r.message))
        return r;
    QList<Attachment> files;
    if (attachments && !attachments(r.preparation.head, *lines, *customer, settings, &files, &r.message)) {
        sayNumberKept(r);
        return r;
    }
    // Built from the document as stored: when another run took the expected
    // number meanwhile, the message states the number the invoice was given.
    r.preparation.messageBytes = buildMessage(r.preparation.head, *lines, settings, env.basis, files);
    if (!replaceFile(path, r.preparation.messageBytes, &r.message)) {
        sayNumberKept(r);
        return r;
    }
    r.status = ExportResult::Status::Written;
    return r;
}

} // namespace quittora::email
