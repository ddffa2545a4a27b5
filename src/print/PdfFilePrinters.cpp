#include "print/PdfFilePrinters.h"

#include "data/Database.h"
#include "print/PageRenderer.h"

#include <QSqlQuery>

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

QString printDocumentName(const Database& db, qint64 documentId, PrintedDocument document)
{
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT a156, a7 FROM Rechnungen WHERE ID = ?"));
    q.addBindValue(documentId);
    if (!q.exec() || !q.next())
        return QStringLiteral("Quittora pro");
    QString kind = q.value(0).toString().trimmed();
    if (document == PrintedDocument::DeliveryNote)
        kind = QStringLiteral("Lieferschein");
    else if (kind.isEmpty())
        kind = QStringLiteral("Rechnung");
    QString name = kind;
    const QString number = q.value(1).toString().trimmed();
    if (!number.isEmpty())
        name += QLatin1Char(' ') + number;
    static const QString unfit = QStringLiteral("/\\:*?\"<>|");
    QString out;
    for (QChar c : name) {
        if (!unfit.contains(c) && c.isPrint())
            out += c;
    }
    return out;
}

} // namespace quittora
