#pragma once

#include "print/MarginValues.h"
#include "print/PageModel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

class QIODevice;
class QPagedPaintDevice;
class QPainter;

namespace quittora {

// Draws page pageIndex of the model. The painter's device is A4 portrait and
// its origin is the top-left corner of its printable area (the paper's corner
// for a PDF); a point (x, y) of the model is drawn x − xwert mm right of and
// y − ywert mm below that origin. Used alike for printers, the print preview
// and PDF files.
void renderPage(QPainter& painter, const PageModel& model, int pageIndex, MarginValues margins);

// Draws every page of the documents, one after another, starting on the
// device's current page; new pages are begun on the device as needed. The
// painter must be active on the device.
void renderDocuments(QPainter& painter, QPagedPaintDevice& device, const std::vector<PageModel>& documents,
                     MarginValues margins);

// Writes the documents as one PDF: A4 portrait, the whole sheet drawable, no
// page margins, at the printing resolution. False with a German message in
// *error when it cannot be drawn; QPdfWriter does not report a failed write to
// the device, so a device that can fail is written through the path overload.
bool renderToPdf(const std::vector<PageModel>& documents, QIODevice* out, MarginValues margins, QString* error);
// The same into a file, through writeFileWhole: the file appears only complete
// and on the disk, an existing file of the same name is replaced; on failure
// no new file is left and *error says why in German.
bool renderToPdf(const std::vector<PageModel>& documents, const QString& path, MarginValues margins,
                 QString* error);

// A PDF that is kept for years and read by programs too (an invoice with its
// e-invoice inside): Qt's PDF/A mode, so every font is embedded and the sRGB
// output intent is there, with the caller's XMP metadata and attached files.
// What Qt cannot mark (the PDF/A part and the files' relationship) is the
// caller's to add.
struct PdfFileAttachment {
    QString name;
    QByteArray data;
    QString mimeType;
};
struct ArchivalPdf {
    QString title;
    QByteArray xmpMetadata;
    QList<PdfFileAttachment> attachments;
};
bool renderToArchivalPdf(const std::vector<PageModel>& documents, const ArchivalPdf& archival, QByteArray* pdf,
                         QString* error);

} // namespace quittora
