#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// eml DATEI --document ID [--out DATEI.eml]
// Writes the document as an e-mail file, as the main window's e-mail command
// does: totals recomputed and stored, an invoice without number numbered,
// the customer's address taken when the document has none. Without --out the
// file is "Quittora.eml" in the user's private temporary folder.
int runEml(const QStringList& args, Io& io);

// xrechnung DATEI --document ID --out DATEI.xml [--syntax cii|ubl]
// Writes the invoice as XRechnung 3.0 (CII by default, or UBL), prepared as
// for printing. Exit 0 and the file; exit 1 with the list of what is missing
// (nothing written, nothing stored) or why it failed; exit 2 for a file that
// is no Quittora database.
int runXrechnung(const QStringList& args, Io& io);
// zugferd DATEI --document ID --out DATEI.pdf: the invoice as ZUGFeRD PDF
// (PDF/A-3 with its e-invoice inside); exit codes as xrechnung.
int runZugferd(const QStringList& args, Io& io);

// overview DATEI --month MONAT --year JAHR [--bezahlt] [--out Plan.txt]
// Prints the revenue text list of the month ("alle" for the whole year) with
// open invoices (paid ones with --bezahlt), then "Summe: " and the total.
// --out also writes the list as the text file (when it has any document).
int runOverview(const QStringList& args, Io& io);

} // namespace quittora::cli
