#pragma once

#include "print/MarginValues.h"
#include "print/PageModel.h"
#include "print/Printers.h"

#include <QString>

#include <memory>
#include <vector>

class QPrinter;
class QWidget;

namespace quittora {

// The printers the system knows (QPrinterInfo).
std::unique_ptr<Printers> makeSystemPrinters();

// Prepares a printer for the program's documents: the named printer (empty:
// the default), A4 portrait, high resolution, its page margins set to the
// printer's hardware margins and the painter's origin at the corner of that
// printable area, which the margin values are measured to.
void configurePrinter(QPrinter& printer, const QString& name);

// Where the printable area of the configured printer begins (the physical
// offsets), in millimetres.
MarginValues physicalOffsets(const QPrinter& printer);

// Prints each document as a print job of its own on a configured printer.
// False with a German message in *error when a job could not be started.
bool printDocuments(QPrinter& printer, const std::vector<PageModel>& documents, MarginValues margins,
                    QString* error);

// Shows the documents in the print preview for the named printer; its print
// button prints them there.
void showPrintPreview(const std::vector<PageModel>& documents, MarginValues margins, const QString& printerName,
                      QWidget* parent);

} // namespace quittora
