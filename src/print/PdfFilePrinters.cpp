#include "print/PdfFilePrinters.h"

#include "print/PageRenderer.h"

namespace quittora {

bool PdfFilePrinters::print(const QString& name, const std::vector<PageModel>& documents, MarginValues margins,
                            QString* error)
{
    if (!m_pdfFile || m_pdfFile->isEmpty())
        return m_printers.print(name, documents, margins, error);
    // The margin values move the print into a printer's printable area; a
    // PDF has no unprintable edge.
    return renderToPdf(documents, *m_pdfFile, MarginValues{}, error);
}

} // namespace quittora
