#pragma once

#include "export/EInvoiceExport.h"
#include "export/EmailExport.h"
#include "print/DocumentLayouts.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace quittora {

class Database;

// The files an invoice leaves the business in, made of what print and export
// each make from the prepared document: the ZUGFeRD PDF (the printed pages
// with the e-invoice inside) and the e-mail that carries it. Neither print
// nor export knows the other; they meet here.
namespace invoicefiles {

documents::Environment documentEnvironment(const PrintEnvironment& env);

// The ZUGFeRD PDF of an e-invoice preparation that is stored: the pages as
// printed, the CII XML of its profile embedded. False with a German *error.
struct Zugferd {
    QByteArray pdf;
    QByteArray xml;
    einvoice::Profile profile = einvoice::Profile::En16931;
};
bool makeZugferd(const einvoice::Prepared& prepared, const PrintEnvironment& env, const QDateTime& written,
                 Zugferd* out, QString* error);

// What may be saved as ZUGFeRD PDF, before a file is chosen (reads only):
// Written means it may be, with the number it will get.
einvoice::ExportResult checkZugferd(const Database& db, qint64 documentId, const PrintEnvironment& env);

// The menu command and quittora-cli zugferd: checked as the XRechnung file
// is, numbered in the transaction that stores it, written whole at path.
einvoice::ExportResult saveZugferd(const Database& db, qint64 documentId, const PrintEnvironment& env,
                                   const QDateTime& written, const QString& path);

// "Rechnung 1001.pdf".
QString zugferdFileName(const QString& number);

// The e-mail of a document with the document attached: an invoice as
// ZUGFeRD PDF (and, for an authority, also its XRechnung XML); an invoice
// whose e-invoice data are incomplete, and a quote, as plain PDF.
struct Mail {
    email::ExportResult result;
    // Non-empty when an invoice went as plain PDF: what the e-invoice still
    // lacks, in German, to be said once.
    QString notice;
    QStringList attachedFiles;
};
Mail saveMail(const Database& db, qint64 documentId, const PrintEnvironment& env, const QDateTime& written,
              const QString& path);

} // namespace invoicefiles

} // namespace quittora
