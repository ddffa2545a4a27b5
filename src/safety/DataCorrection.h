#pragma once

#include <QString>

namespace quittora {

class Database;
class Prompts;
class Recordset;

// "Datenkorrektur": customers without a name and articles without a unit /
// article number get a single blank, so that lists, sorting and searches
// that expect a value find one. Only empty texts (or no value at all) are
// replaced; a name of blanks stays as it is.
namespace datacorrection {

// Shown before the correction starts (OK only, the program's title).
QString waitMessage(); // "Bitte warten Sie, bis die Daten korrigiert sind"
// Shown when it is done (OK only, the program's title).
QString doneMessage(); // "Daten wurden korrigiert "
// Shown instead when there is neither a customer nor an article.
QString nothingToCorrectMessage();
// Title of the message when the correction could not be stored.
QString errorTitle(); // "Fehler"
// The value an empty key field gets.
QString replacement(); // " "

struct Result {
    enum class Status {
        Corrected, // every empty key field is now " " (possibly none needed it)
        Empty,     // no customer and no article at all: nothing was done
        Failed,    // the database refused: nothing was changed
    };
    Status status = Status::Failed;
    int customersCorrected = 0;
    int articlesCorrected = 0;
    QString message; // German reason when Failed
};

// Corrects every customer and every article of the database (not only a
// selection, and the articles to their last one, however many customers
// there are), in one transaction: either all are corrected or none.
Result correct(const Database& db);

// The menu command over the main window's customer source (`Data1`) and
// article source (`Data2`): the wait message, the pending edits of both
// stored, the correction, both sources re-read and on their first records,
// then the done message (or the reason it failed, with the critical icon).
// title: the program's title, the caption of the messages.
Result run(Recordset& customers, Recordset& articles, Prompts& prompts, const QString& title);

} // namespace datacorrection

} // namespace quittora
