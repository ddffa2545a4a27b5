#pragma once

#include "export/EInvoice.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace quittora::einvoice {

// ZUGFeRD 2.3 / Factur-X 1.07: the printed invoice as PDF/A-3b with its
// e-invoice inside, for the customer's eyes and their accounting software
// alike. The EN 16931 profile travels as "factur-x.xml"; an authority's
// invoice (a Leitweg-ID) carries the XRechnung profile as "xrechnung.xml".
struct Embedding {
    Profile profile = Profile::En16931;
    QString title;     // "Rechnung 1001": the PDF's title, in XMP and info alike
    QDateTime written; // the PDF's creation and modification time
};

// "factur-x.xml" or "xrechnung.xml".
QString embeddedFileName(Profile profile);
// "EN 16931" or "XRECHNUNG" (fx:ConformanceLevel).
QString conformanceLevel(Profile profile);

// The XMP packet: PDF/A-3 part and conformance B, title, dates and tool, the
// Factur-X properties and the extension schema that PDF/A asks for them.
QByteArray facturXMetadata(const Embedding& embedding);

// Finishes a PDF that Qt wrote in its PDF/A mode with this metadata and the
// XML attached under embeddedFileName(): marks the attachment as the
// invoice's alternative form (AFRelationship, the catalogue's /AF), gives it
// its MIME type, dates, size and description, and makes the document
// information agree with the XMP. The PDF objects are handled by qpdf. False
// with a German *error (and *out empty) when the PDF cannot be read or
// written.
bool finishZugferd(const QByteArray& qtPdf, const QByteArray& xml, const Embedding& embedding, QByteArray* out,
                   QString* error);

} // namespace quittora::einvoice
