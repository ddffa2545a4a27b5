#pragma once

#include "data/KeyFilter.h"

#include <QChar>
#include <QColor>
#include <QSizeF>
#include <QString>

namespace quittora {
class SettingsStore;
struct ProgramState;
}

// The rules behind the settings dialog "Einstellungen" that need no window:
// the per-user values it keeps, colour numbers, the web address, the check
// before closing, its key filters and the logo preview size.
namespace quittora::settingsrules {

// --- Per-user values (section "Startup") -------------------------------

QString titleColourKey();          // "Schriftfarbe Titel"
QString rechnungsbasisKey();       // "Rechnungsbasis"
QString receiptConfirmationKey();  // "Empfangsbestätigung"
QString giroCodeKey();             // "GiroCode"

struct RegistryValues {
    QColor titleColour = QColor(0, 0, 0); // printed title; white means "no title"
    int Rechnungsbasis = 0;               // 0 net prices (VAT added), 1 gross prices
    bool receiptConfirmation = true;      // receipt block on delivery notes
    bool giroCode = true;                 // GiroCode on printed invoices
    bool operator==(const RegistryValues&) const = default;
};

// With the defaults of a fresh installation for missing keys: black title,
// net prices, receipt confirmation on. A price basis other than "1" counts
// as net, so exactly one of the two price options is always in force.
RegistryValues readRegistryValues(const SettingsStore& store);
// Writes all three as text ("0"/"1", the colour number).
void writeRegistryValues(SettingsStore& store, const RegistryValues& values);
// At start: the price basis of the last closing of the dialog into the
// program state, where the totals read it.
void loadRechnungsbasis(const SettingsStore& store, ProgramState& state);

// --- Colour numbers -----------------------------------------------------

// A colour as the settings keep it: red + green·256 + blue·65536 in
// decimal ("255" red, "65535" yellow, "16777215" white). Text that is no
// such number gives fallback.
QColor colourFromNumber(const QString& text, const QColor& fallback = QColor(0, 0, 0));
QString colourNumber(const QColor& colour);

// --- Web address ---------------------------------------------------------

// What the "Internet" field holds after it is left: "http://" put in front
// of an address without a scheme. An address that already names one
// ("http://", "https://", "ftp://", any case) and an empty field stay as they
// are: an empty field would otherwise print a bare "http://" on every letter.
QString withWebScheme(const QString& text);

// --- Check before closing ------------------------------------------------

enum class VatProblem { None, Empty, NotANumber };

struct VatCheck {
    VatProblem rate1 = VatProblem::None;
    VatProblem rate2 = VatProblem::None;
    bool ok() const { return rate1 == VatProblem::None && rate2 == VatProblem::None; }
    // The message to show when not ok(); empty otherwise.
    QString message() const;
};

// Both VAT rates must hold a value, and since every total is computed from
// them, a number in the locale's writing ("19", "7,5" under ','). A rate
// of blanks only counts as empty.
VatCheck checkVatRates(const QString& rate1, const QString& rate2, QChar decimalSeparator);

QString closingTitle();          // "Quittora"
QString vatEmptyMessage();       // "Die Felder für MwSt müssen einen Wert enthalten"
QString vatNotANumberMessage();

// --- Key filters ---------------------------------------------------------

// "Rechnungskopien": digits, "-", ",", backspace and Enter.
KeyDecision copiesKey(QChar typed, QChar decimalSeparator);
// The two VAT rates take the amount fields' rule: the decimal point the user
// types becomes the locale's separator, so a rate is always read the way it
// was meant ("7,5" typed on a '.' system would otherwise be seventy-five).
KeyDecision vatRateKey(QChar typed, QChar decimalSeparator);
// "nächste Rechn.-Nr.": digits, backspace and Enter only.
KeyDecision nextInvoiceNumberKey(QChar typed, QChar decimalSeparator);

// The refusal message of VAT rate 1 ("Falsche Eingabe!      nur Zahlenwerte
// erlaubt"); the other fields use wrongInputMessage().
QString vatRate1WrongInputMessage();

// --- Logo ----------------------------------------------------------------

// The preview square's side: 2000 twips, at 15 twips a pixel.
inline constexpr int kLogoPreviewTwips = 2000;
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kLogoPreviewPixels = kLogoPreviewTwips / kTwipsPerPixel; // 133

// The picture scaled to fill the square's width, or its height when it is
// taller than wide, keeping its proportions: 4000×1000 in 2000 gives
// 2000×500, 1000×4000 gives 500×2000. An empty picture gives an empty size.
QSizeF fitIntoSquare(const QSizeF& natural, qreal side);

// The file dialog's filter: the picture formats the program can read.
QString logoFileFilter();
QString logoDialogTitle();
// The message for a chosen file that is no readable picture.
QString logoNotReadableMessage(const QString& path);

// --- Defaults filled in when the dialog opens ----------------------------

QString deliveryNoteTextAbove(); // "Wir danken Ihnen für Ihre Bestellung"
QString deliveryNoteTextBelow(); // "Ware erhalten / in Empfang genommen"

} // namespace quittora::settingsrules
