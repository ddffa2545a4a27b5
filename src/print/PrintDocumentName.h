#pragma once

#include "print/DocumentPrint.h"

#include <QString>

namespace quittora {

class Database;

// The name the print dialog offers for a PDF file of the document, so that
// one invoice's file does not replace the next one's: "Rechnung 1000",
// "Angebot", "Lieferschein 1000"; characters a file name cannot hold are
// left out. "Quittora pro" when the document cannot be read.
QString printDocumentName(const Database& db, qint64 documentId, PrintedDocument document);

} // namespace quittora
