#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace quittora {

class Prompts;
class Recordset;
class Shell;

// The two customer list exports of the customer page: an address list to
// read or print ("Kundenliste  ausgeben") and a control file for a word
// processor's mail merge ("Serienbrief - Steuerdatei").
namespace customerlists {

enum class Kind {
    AddressList, // "Kundenliste.txt"
    MailMerge,   // "Kundenliste.csv"
};

// One customer as the lists show it (table `Kunden`).
struct Customer {
    QString salutation; // `a1`
    QString name;       // `a2`
    QString firstName;  // `a3`
    QString addition;   // `a8`
    QString street;     // `a4`
    QString place;      // `a5`
    QString phone;      // `a6`
    QString fax;        // `a7`

    bool operator==(const Customer&) const = default;
};

// "Kundenliste.txt" or "Kundenliste.csv".
QString fileName(Kind kind);

// Shown before either export while no customer search selection is active.
QString selectionHintTitle(); // "Hinweis !" (information icon, OK)
QString selectionHint();
// Asked before the mail-merge file is written (information icon, OK and
// Cancel; Cancel ends the export without a file).
QString mailMergeQuestionTitle(); // "Info"
QString mailMergeQuestion();
// Shown after the mail-merge file is written, before it is opened.
QString mailMergeSaveHintTitle(); // "Info" (information icon, OK)
QString mailMergeSaveHint();
// Title of the messages about a file that could not be written or opened.
QString errorTitle(); // "Fehler"

// The address list: nine lines per customer (salutation; first name and
// name, or the name alone; addition; street; postal code and town;
// "Telefon: " and the number; "Fax: " and the number; two empty lines).
// A line break inside a field is written as a blank and other control
// characters (NUL) are left out, so every customer keeps its nine lines.
// UTF-8, every line ended by CR LF; an empty selection gives an empty file.
QByteArray addressListText(const QList<Customer>& customers);

// The mail-merge control file: the heading line, then salutation, name,
// first name, addition, street, postal code and town of each customer,
// joined by ";". A value holding ";", a double quote or a line break is put
// in double quotes (inner quotes doubled), so its columns stay where the
// mail merge expects them; every other value stands as it is. Control
// characters other than tab and line breaks (NUL) are left out. UTF-8, CR LF.
QByteArray mailMergeText(const QList<Customer>& customers);
// One value of the control file as written.
QString mailMergeValue(const QString& value);

QByteArray fileText(Kind kind, const QList<Customer>& customers);

// The customers of a record source from its first record to its last, in
// its order; the source is left on its first record. Moving stores pending
// edits as any move does; nullopt (with the German reason in *error) when a
// record cannot be stored or read, so that no incomplete list is written.
std::optional<QList<Customer>> readSelection(Recordset& customers, QString* error = nullptr);

// The whole command of the customer page, after the window has moved the
// focus away from the entry fields. selectionActive: a customer search
// selection is in effect (its notice is shown), so no hint is needed.
// documents, when given, is the main window's document list, which the
// command moves to its first document. The file is written whole into the
// private temporary folder, replacing an earlier one, and then opened with
// the desktop's program for it.
struct Outcome {
    enum class Status {
        Opened,     // written and handed to the desktop
        Cancelled,  // the user cancelled the mail-merge question: nothing written
        NotOpened,  // written, but the desktop could not open it (the user was told where it is)
        Failed,     // not written (reading, no temporary folder, writing); the user was told why
    };
    Status status = Status::Failed;
    QString path;    // the file, when written
    QString message; // the German message shown for NotOpened and Failed
};
Outcome exportCustomers(Kind kind, Recordset& customers, bool selectionActive, const QString& tempFolder,
                        Prompts& prompts, Shell& shell, Recordset* documents = nullptr);

} // namespace customerlists

} // namespace quittora
