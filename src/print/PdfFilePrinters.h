#pragma once

#include "print/DocumentPrint.h"
#include "print/Printers.h"

namespace quittora {

// The print dialog lets the user print into a PDF file instead of onto a
// printer ("In PDF-Datei drucken"); the program's print commands only know
// printers by name. This passes everything to the installed printers, except
// that while *pdfFile names a file, a print goes into that file: the whole
// sheet, without the printer's margin values (as the command-line PDF), one
// PDF with all copies.
class PdfFilePrinters final : public Printers {
public:
    // pdfFile is read at the moment of printing (the dialog fills it in
    // between); null or empty: the printers.
    PdfFilePrinters(Printers& printers, const QString* pdfFile) : m_printers(printers), m_pdfFile(pdfFile) {}

    QStringList names() const override { return m_printers.names(); }
    QString defaultName() const override { return m_printers.defaultName(); }
    MarginValues physicalOffsets(const QString& name) const override { return m_printers.physicalOffsets(name); }
    bool print(const QString& name, const std::vector<PageModel>& documents, MarginValues margins,
               QString* error) override;

private:
    Printers& m_printers;
    const QString* m_pdfFile;
};

// The name the print dialog offers for a PDF file of the document, so that
// one invoice's file does not replace the next one's: "Rechnung 1000",
// "Angebot", "Lieferschein 1000"; characters a file name cannot hold are
// left out. "Quittora pro" when the document cannot be read.
QString printDocumentName(const Database& db, qint64 documentId, PrintedDocument document);

} // namespace quittora
