#include "output/InvoiceFiles.h"

#include "data/Database.h"
#include "export/ExportFile.h"
#include "export/ZugferdEmbedding.h"
#include "print/DocumentPrint.h"
#include "print/PageRenderer.h"

#include <QBuffer>

namespace quittora::invoicefiles {

namespace {

const QString kInvoice = QStringLiteral("Rechnung");

// A number such as "2024/17" must not turn the attachment's or the offered
// file's name into a path.
QString fileNamePart(const QString& text)
{
    QString s = text.trimmed();
    for (QChar& c : s) {
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('-');
    }
    return s;
}

QString documentFileName(const documents::Head& head, const char* suffix)
{
    const QString kind = head.kind.trimmed().isEmpty() ? kInvoice : fileNamePart(head.kind);
    const QString number = fileNamePart(head.number);
    return (number.isEmpty() ? kind : kind + QLatin1Char(' ') + number) + QLatin1String(suffix);
}

QString numberKept(const QString& number)
{
    return QStringLiteral("\nDie Rechnungsnummer %1 bleibt der Rechnung zugeordnet.").arg(number);
}

} // namespace

documents::Environment documentEnvironment(const PrintEnvironment& env)
{
    return documents::Environment{env.basis, env.decimalSeparator, env.shortDateFormat};
}

QString zugferdFileName(const QString& number)
{
    return QStringLiteral("Rechnung %1.pdf").arg(fileNamePart(number));
}

bool makeZugferd(const einvoice::Prepared& p, const PrintEnvironment& env, const QDateTime& written, Zugferd* out,
                 QString* error)
{
    const std::vector<PageModel> pages =
        preparedInvoicePages(p.prep.head, p.source.lines, p.customer, p.settings, env, error);
    if (pages.empty())
        return false;
    out->profile = p.profile;
    out->xml = einvoice::write(p.built.invoice, einvoice::Syntax::Cii, p.profile);
    einvoice::Embedding embedding;
    embedding.profile = p.profile;
    embedding.title = kInvoice + QLatin1Char(' ') + p.prep.head.number;
    embedding.written = written;
    ArchivalPdf archival;
    archival.title = embedding.title;
    archival.xmpMetadata = einvoice::facturXMetadata(embedding);
    archival.attachments.append(
        {einvoice::embeddedFileName(p.profile), out->xml, QStringLiteral("text/xml")});
    QByteArray qtPdf;
    return renderToArchivalPdf(pages, archival, &qtPdf, error)
        && einvoice::finishZugferd(qtPdf, out->xml, embedding, &out->pdf, error);
}

einvoice::ExportResult checkZugferd(const Database& db, qint64 documentId, const PrintEnvironment& env)
{
    einvoice::Prepared p = einvoice::prepareInvoice(db, documentId, documentEnvironment(env), std::nullopt);
    if (p.ready)
        p.result.status = einvoice::ExportResult::Status::Written;
    return p.result;
}

einvoice::ExportResult saveZugferd(const Database& db, qint64 documentId, const PrintEnvironment& env,
                                   const QDateTime& written, const QString& path)
{
    // Refused before anything is stored: a database named as target would be
    // lost with the first byte.
    if (const QString refused = refusedTarget(path); !refused.isEmpty()) {
        einvoice::ExportResult r;
        r.message = refused;
        return r;
    }
    einvoice::Prepared p = einvoice::prepareInvoice(db, documentId, documentEnvironment(env), std::nullopt);
    einvoice::ExportResult& r = p.result;
    if (!p.ready || !einvoice::storePrepared(db, documentId, p, &r.message))
        return r;
    const bool numbered = !p.prep.nextInvoiceNumber.isEmpty();
    Zugferd z;
    if (!makeZugferd(p, env, written, &z, &r.message) || !replaceFile(path, z.pdf, &r.message)) {
        if (numbered)
            r.message += numberKept(r.number);
        return r;
    }
    r.status = einvoice::ExportResult::Status::Written;
    return r;
}

Mail saveMail(const Database& db, qint64 documentId, const PrintEnvironment& env, const QDateTime& written,
              const QString& path)
{
    Mail mail;
    const documents::Environment denv = documentEnvironment(env);
    const auto named = [&mail](const QList<email::Attachment>& files) {
        for (const email::Attachment& a : files)
            mail.attachedFiles << a.fileName;
        return true;
    };
    // Called once the mail has stored the document: the e-invoice and the
    // pages are made from it as it now stands, so nothing is left to store.
    const auto attach = [&](const documents::Head& stored, const QList<documents::Line>& lines,
                            const documents::Customer& customer, const CompanySettings& settings,
                            QList<email::Attachment>* files, QString* error) {
        if (stored.kind == kInvoice) {
            const einvoice::Prepared p = einvoice::prepareInvoice(db, documentId, denv, std::nullopt);
            if (p.ready) {
                Zugferd z;
                if (!makeZugferd(p, env, written, &z, error))
                    return false;
                files->append({documentFileName(stored, ".pdf"), "application/pdf", z.pdf});
                if (z.profile == einvoice::Profile::XRechnung)
                    files->append({documentFileName(stored, ".xml"), "application/xml", z.xml});
                return named(*files);
            }
            if (p.result.status != einvoice::ExportResult::Status::Incomplete) {
                *error = p.result.message;
                return false;
            }
            mail.notice = QStringLiteral("Die Rechnung ist der E-Mail als einfaches PDF beigefügt, nicht als "
                                         "E-Rechnung (ZUGFeRD). Dafür fehlt:\n\n• ")
                + p.result.missing.join(QStringLiteral("\n• "));
        }
        const std::vector<PageModel> pages = preparedInvoicePages(stored, lines, customer, settings, env, error);
        QByteArray pdf;
        QBuffer buffer(&pdf);
        if (pages.empty() || !buffer.open(QIODevice::WriteOnly) || !renderToPdf(pages, &buffer, MarginValues{}, error))
            return false;
        files->append({documentFileName(stored, ".pdf"), "application/pdf", pdf});
        return named(*files);
    };
    mail.result = email::exportDocument(db, documentId, denv, path, attach);
    // A mail that was not written carries nothing and lacks nothing.
    if (mail.result.status != email::ExportResult::Status::Written) {
        mail.notice.clear();
        mail.attachedFiles.clear();
    }
    return mail;
}

} // namespace quittora::invoicefiles
