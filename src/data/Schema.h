#pragma once

#include <QChar>
#include <QStringList>

class QSqlDatabase;

namespace quittora::schema {

// 'QTOR': marks a file as a Quittora database.
inline constexpr int kApplicationId = 0x51544F52;
// Layout version of the tables below; raised with every change of layout.
// 2: the fields an e-invoice needs (seller and buyer identifiers, country,
// account, buyer reference, delivery date). 3: the invoice a cancellation
// cancels; whether issued invoices are locked (Festschreiben).
inline constexpr int kUserVersion = 3;

// Field lists of the five tables, in table order, ID first (Einstellungen has
// an ID too, so that its one record can be addressed like any other).
QStringList kundenFields();
QStringList artikelFields();
QStringList rechnungenFields();
QStringList verkaufFields();
QStringList einstellungenFields();
// The fields of one table as a file of an older layout version has them.
QStringList fieldsOfLayout(const QString& table, int layoutVersion);
// Brings a file of an older layout version to kUserVersion in one
// transaction: new fields (existing records get their defaults) and the
// new version. False and *error with nothing changed on failure.
bool upgradeSchema(const QSqlDatabase& db, int fromVersion, QString* error);
// Yes/No fields (INTEGER, -1 true, 0 false): Rechnungen.opt1, Einstellungen.Vordruck and
// Einstellungen.Festschreiben.
bool isBooleanField(const QString& table, const QString& field);

// Creates tables, indexes, the view "SortKunden" and the pragmas on an empty
// connection. One transaction; false and nothing created on failure.
bool createSchema(const QSqlDatabase& db, QString* error);

// The indexes the program's searches, filters and orders need ("CREATE
// INDEX IF NOT EXISTS ..."), part of createSchema().
QStringList indexStatements();
// Adds those of the indexes that a database file lacks (a file made before
// an index was added), in one transaction; writes nothing when all are
// there. False and *error on failure, with nothing changed.
bool ensureIndexes(const QSqlDatabase& db, QString* error);

// Issued invoices stay as issued: while `Festschreiben` is on, an invoice
// (kind not beginning with "An") that carries a number refuses every change
// but its paid flag (`opt1`), its deletion and every change to its lines.
// TEMP triggers for one connection, never stored in the file, so that other
// programs and older versions read and write it as before. They call the SQL
// function Festgeschrieben() (registerSqlFunctions), which fails the
// statement with lockedMessage().
QStringList lockStatements();
bool installLockTriggers(const QSqlDatabase& db, QString* error);
// The refusal, naming the way out.
QString lockedMessage(const QString& number);
// The lockedMessage() inside a database error text, or empty when the
// text is about something else.
QString lockRefusal(const QString& databaseText);
// Whether a document of this kind and number is locked while the setting is on.
bool isLockable(const QString& kind, const QString& number);

// Fills a freshly created database as the installation supplies it: the one
// Einstellungen record with German defaults, one template customer and one
// template article. Amounts use the given decimal separator.
bool insertTemplateData(const QSqlDatabase& db, QChar decimalSeparator, QString* error);

} // namespace quittora::schema
