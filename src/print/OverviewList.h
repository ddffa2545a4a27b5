#pragma once

#include "data/Decimal.h"
#include "export/Overview.h"
#include "print/PageModel.h"

#include <QChar>
#include <QList>
#include <QString>

#include <vector>

namespace quittora {

class PrintCursor;

// The printed revenue list of the overview ("&Drucken" of "Umsatz").
namespace overviewlist {

// A row starts on a new page once the position has passed this.
inline constexpr double kPageEndY = 270.0;
// Where the first row of a page begins.
inline constexpr double kFirstRowY = 30.0;

// The question before printing and its title.
QString printQuestion(); // "Die angezeigten Rechnugsaufstellung drucken ?"
QString printTitle();    // "Achtung !"

// An amount of the list: the stored amount as two-decimal text (as it
// stands when it is no number), right-aligned in 7 characters (or in width,
// when that is more); printed in a fixed-width font, so the column lines up.
QString listAmount(const QString& storedAmount, QChar decimalSeparator, int width = 7);

// The list, one document: the page heading on every page, one row per
// document (date, number, name, amount), then "Gesamtsumme" with the total.
// Empty (nothing to print) when there are no rows.
std::vector<PageModel> documents(const QList<overview::Row>& rows, Decimal total, QChar decimalSeparator);

} // namespace overviewlist

// The page heading of the list: the rule under the headings, the three
// column rules, the column headings; the first row follows at 30 mm.
void Rechnungsaufstellung_drucken(PrintCursor& p);

} // namespace quittora
