#pragma once

#include "data/KeyFilter.h"
#include "print/MarginValues.h"
#include "print/PageModel.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

class QPageLayout;

namespace quittora {

class Printers;
class SettingsStore;
struct ProgramState;

// --- Printable-area offsets ------------------------------------------------

// Offsets given in device dots at the device's resolution, in millimetres.
MarginValues offsetsFromDeviceDots(double dotsX, double dotsY, double dpiX, double dpiY);
// The offsets of a printer's page layout: its minimum (hardware) margins on
// the left and at the top.
MarginValues printableOffsets(const QPageLayout& layout);

// The device name of the printer documents go to now.
QString currentPrinterName(const Printers& printers, const ProgramState& state);

// Sets xwert and ywert to the physical offsets of the current printer.
void Rand_ermitteln(const Printers& printers, ProgramState& state);

// --- Stored settings "xwert", "ywert", "Druckerauswahl" --------------------

// Reads the stored values into the state. A value that is missing or no
// number in the locale's form leaves the state's value (the offsets just
// detected, the printer choice in memory).
void loadPrinterSettings(const SettingsStore& store, QChar decimalSeparator, ProgramState& state);

// How a margin value is stored: the shortest text that reads back as the same
// value, with the locale's separator ("4,5").
QString marginSettingText(float value, QChar decimalSeparator);
// How the dialog shows it: two decimals ("4,50").
QString marginBoxText(float value, QChar decimalSeparator);
// A margin as the user typed it, read as a number in the locale's form.
std::optional<float> readMargin(const QString& text, QChar decimalSeparator);

// Stores the margins typed into the two boxes and the printer's name, and
// takes them into the state. When a box does not hold a number, nothing is
// stored or changed and the German message saying so is returned; empty on
// success.
QString storePrinterSettings(SettingsStore& store, QChar decimalSeparator, const QString& fromLeft,
                             const QString& fromTop, const QString& printerName, ProgramState& state);

// Forgets the stored margins and printer choice (missing keys are fine).
void deletePrinterSettings(SettingsStore& store);

// --- Printer choice at print time ------------------------------------------

// Index of the first name matching Druckerauswahl as a wildcard pattern
// ("*", "?", "#", "[...]"), or -1. An empty choice matches no printer.
int matchingPrinter(const QStringList& names, const QString& Druckerauswahl);
// Makes the first installed printer matching Druckerauswahl the current one.
// False, leaving the current printer, when none matches.
bool choosePrinter(const Printers& printers, ProgramState& state);

// --- Printer dialog ---------------------------------------------------------

// The test sheet: two 150 mm rules from the corner of the printable area and
// the measuring hint below them. Printed without margin values.
PageModel testPrintDocument();

// Keys for the two margin boxes: digits, minus, backspace and the decimal
// mark; "," or "." becomes the locale's separator. Everything else, Enter
// included, is dropped without a message.
KeyDecision marginKey(QChar typed, QChar decimalSeparator);
// Keys for the copies box: digits, comma, minus, backspace and Enter; other
// characters are refused with wrongInputMessage().
KeyDecision copiesKey(QChar typed);

namespace printerTexts {
QString testPrintHint();
QString resetQuestion();
QString resetTitle();
QString saveChangesQuestion();
QString saveChangesTitle();
QString errorTitle();
} // namespace printerTexts

} // namespace quittora
