#pragma once

#include "cli/Commands.h"

namespace quittora::cli {

// pdf DATEI --document ID --out DATEI.pdf [--lieferschein] [--mahntext TEXT]
// Prints the document (or its delivery note) into a PDF file as the print
// button prints it on paper: totals recomputed and stored, an invoice
// without number numbered. The file holds one copy and is drawn without
// printer margins. With --mahntext the invoice is the reminder that text
// makes of it (today's date, reference to its own number and date).
// "print" is the older name of the same command.
int runPrint(const QStringList& args, Io& io);

// Whether a command draws text and so needs the font system of a GUI
// application (quittora-cli then runs on the offscreen platform).
bool needsFonts(const QString& command);

} // namespace quittora::cli
