#pragma once

#include "data/Decimal.h"

#include <QByteArray>
#include <QChar>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

class QIODevice;

namespace quittora {

class Database;

// A record source for a Recordset: statement and bound values.
struct RecordSource {
    QString sql;
    QVariantList params;

    bool operator==(const RecordSource&) const = default;
};

// Revenue overview ("Umsatz"): which documents of a month, a year or a day
// are paid or open, and what they add up to.
namespace overview {

enum class PaidState {
    Open, // "offene Rechnungen"
    Paid, // "bezahlte Rechnungen"
};

// Caption of the option button for the paid state.
QString paidStateCaption(PaidState state);
// The entries of the month box: "Januar" ... "Dezember", "alle".
QStringList monthEntries();
// German full month name, 1 = "Januar"; empty outside 1..12.
QString monthName(int month);
// The entry that means "the whole year".
QString allMonthsEntry();
// The year box: the current year minus 3 to plus 8, ascending (12 entries).
QStringList yearEntries(int currentYear);
// Text of the date box when no date is picked.
QString datePrompt();
// Text of the month box while a date filter is in effect.
QString monthPromptAfterDateFilter();
// The date box list: today and the 60 days before it, newest first, "dd.mm.yyyy".
QStringList dateEntries(const QDate& today);

// The documents of a month (or of a year for "alle") in the given paid state,
// quotes (kinds beginning with "An") excluded, by number descending, then
// name. The month is matched on characters 4-5 of the date and the year on
// characters 7-10, so "01" never matches November. The year is the leading
// number of the year text ("2024"; no number gives 0). nullopt when the month
// text is none of monthEntries() (for instance monthPromptAfterDateFilter()):
// the record source then stays as it was.
std::optional<RecordSource> monthFilter(const QString& monthEntry, const QString& yearText, PaidState paid);

// The invoices of one day (date text as stored, "dd.mm.yyyy") in the given
// paid state: only documents whose kind is "Rechnung".
RecordSource dateFilter(const QString& date, PaidState paid);

// One selected document as the lists show it.
struct Row {
    qint64 id = 0;
    QString number; // `a7`
    QString amount; // `a6`
    QString name;   // `a2`
    QString date;   // `a8`
    QString place;  // `a5`
};

// The documents of a record source, in its order. False (and *error in
// German) when the database cannot answer.
bool readRows(const Database& db, const RecordSource& source, QList<Row>* rows, QString* error = nullptr);

// The sum of the selection: documents with a number whose amount is a number
// (locale number under the given separator); the others add nothing.
Decimal total(const QList<Row>& rows, QChar decimalSeparator);
// The same straight from the database. nullopt when it cannot answer.
std::optional<Decimal> total(const Database& db, const RecordSource& source, QChar decimalSeparator);

// The heading line of the text list: the option's caption, two blanks, the
// month box text, " / ", the year box text.
QString planHeading(PaidState paid, const QString& monthText, const QString& yearText);

// The text list "Plan.txt": heading, empty line, rule, column heading, rule,
// one line per document. UTF-8 (the code page of a Linux desktop), every line
// ended by CR LF. No total line.
QByteArray planText(const QString& heading, const QList<Row>& rows);
// Writes planText to a device (a QBuffer in tests, a QSaveFile for the file).
bool writePlanText(QIODevice& out, const QString& heading, const QList<Row>& rows);
// One line of the list without its line end.
QString planLine(const Row& row);
// The file name of the text list in the temporary folder.
QString planFileName();

} // namespace overview

// The main window's document list (`Data3`): narrowing, widening, sorting.
namespace documentlist {

// "alle Rechnungen dieses Kunden": the documents of one customer (`b1`).
RecordSource customerDocuments(qint64 customerId);
// Text of the label above the narrowed list: "Rechnungen " + the customer's name.
QString customerLabel(const QString& customerName);
// "alle Rechnungen anzeigen": every document, in record order. The window
// then returns to the remembered document with Recordset::moveToId.
RecordSource allDocuments();
// A click on the heading of column 0 (number), 1 (date) or 2 (name) of the
// document grid. Flips the one sort-direction toggle first (so the first
// click sorts descending); other columns only flip it (nullopt). Sorting
// always lists all documents.
std::optional<RecordSource> sortByColumn(int column, bool& descendingToggle);
// "unbezahlte Rechnungen anzeigen".
RecordSource unpaidDocuments();

} // namespace documentlist

} // namespace quittora
