#pragma once

#include <QChar>
#include <QColor>
#include <QString>

namespace quittora {

class CompanySettings;
class PrintCursor;

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
