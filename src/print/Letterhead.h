#pragma once

#include <QChar>
#include <QColor>
#include <QString>

namespace quittora {

class CompanySettings;
class PrintCursor;
class SettingsStore;

// A colour number as the settings keep it: blue·65536 + green·256 + red
// ("255" is red, "16777215" white). Text that is no such number gives black.
QColor colourFromBgrNumber(const QString& text);
QString bgrNumberText(const QColor& colour);

// The title colour chosen in the settings ("Schriftfarbe Titel").
QColor titleColour(const SettingsStore& store);

// The sender's letterhead on the current page: title, the address and
// contact block at the top right, the underlined sender line above the
// address window and the logo. Leaves the font Arial 7.5, not bold, not
// underlined, black. decimalSeparator reads the logo's position and height.
void Kopf_drucken(PrintCursor& p, const CompanySettings& company, const QColor& titleColour,
                  QChar decimalSeparator);

// The logo of the settings (`Memo10`) at (`Einst3`, `Einst4`), `Einst5` mm
// high with the width its proportions give. Nothing is drawn, and nothing
// said, when there is no logo, the file cannot be read or a number is
// missing; false then.
bool Logo_drucken(PrintCursor& p, const CompanySettings& company, QChar decimalSeparator);

} // namespace quittora
