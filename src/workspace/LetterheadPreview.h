#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace quittora {

class CompanySettings;

// Texts of the letterhead preview on the main window, from the company
// settings: pairs of label name and text, in the order the labels stand.
//   Label13 title, Label15 addition, Label19 street, Label21 postal code and
//   town, Label16 bank line, Label22 "Telefon  " + telephone, Label26
//   "Telefax  " + fax (both empty without a number), Label27 e-mail, Label28
//   web address, Label34/Label35 the invoice texts above the lines, Label36
//   the text below them, Label18 the sender line "title * street * town".
QList<QPair<QString, QString>> letterheadPreviewTexts(const CompanySettings& settings);

} // namespace quittora
