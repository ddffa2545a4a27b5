#pragma once

#include "data/Decimal.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

namespace quittora {

class Database;

// What the " Kunden" and " Artikel" tabs compute without a window.
namespace customers {

// The address fields the clipboard and the exchange file carry.
struct Address {
    QString salutation; // a1
    QString name;       // a2
    QString firstName;  // a3
    QString addition;   // a8
    QString street;     // a4
    QString place;      // a5
    QString phone;      // a6
    QString fax;        // a7
    QString notes;      // n1
};

// True when name, first name, street, place, phone, fax and notes are empty
// (salutation and addition alone are nothing worth copying).
bool isEmptyForCopy(const Address& a);
// True when inserting would overwrite something the user typed.
bool hasOverwritableData(const Address& a);

// The text put on the clipboard: "Vorname Name" (the name alone without a
// first name), the addition line when there is one, the street, an empty
// line and the place; lines end in CR LF, the last one has no line end.
QString clipboardText(const Address& a);

// The exchange file of another program of ours: eight quoted lines in the
// order salutation, name, first name, street, place, phone, fax, notes.
// A per-user file of this program, never one in a shared folder.
QString defaultExchangeFilePath();
// Written whole or not at all; on failure an earlier file is removed as well
// (it holds another address) and *error says why in German.
bool writeExchangeFile(const QString& path, const Address& a, QString* error = nullptr);
// nullopt when the file is missing or unreadable; missing lines read empty.
std::optional<Address> readExchangeFile(const QString& path);

} // namespace customers

// How many records the table holds, whatever a list shows of it; nullopt
// when it cannot be read. The last customer and the last article stay as
// templates, also when a selection lists just one of many.
std::optional<qint64> storedCount(const Database& db, const QString& table);

// Search over every text field of a table: a record is selected when any of
// the fields contains text. The text only travels as parameters.
struct AllFieldsSearch {
    QString where;         // "WHERE a1 LIKE ? OR ..."
    QVariantList params;
};
AllFieldsSearch allFieldsSearch(const QStringList& fields, const QString& text);
inline const QStringList kCustomerSearchFields{QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3"),
                                               QStringLiteral("a4"), QStringLiteral("a5"), QStringLiteral("a6"),
                                               QStringLiteral("a7"), QStringLiteral("a8"), QStringLiteral("a40"),
                                               QStringLiteral("n1")};
inline const QStringList& kArticleSearchFields = kCustomerSearchFields;

namespace articles {

// The quick price change of one price text, read in the locale's format.
// Only a price above 0 is changed ("0,50" is; empty and "0,00" are not).
// The percentage comes first (p + p × q / 100, to the cent), then the amount
// is added. nullopt: leave the price as it is (not above 0, or not readable).
std::optional<QString> changedPrice(const QString& price, std::optional<Decimal> percent,
                                    std::optional<Decimal> amount, QChar decimalSeparator);

} // namespace articles

} // namespace quittora
