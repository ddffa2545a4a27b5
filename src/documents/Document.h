#pragma once

#include "documents/Totals.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace quittora {

class CompanySettings;
class Database;

// An invoice or quote as print, e-mail and e-invoice take it: its head, its
// lines and what its customer adds, read from the database or from the
// window's record sources.
namespace documents {

// The document head fields, by their database names.
struct Head {
    QString kind;       // `a156`: "Rechnung", or a text beginning with "An" for a quote
    QString number;     // `a7`
    QString date;       // `a8`
    QString salutation; // `a1`
    QString name;       // `a2`
    QString addition;   // `a3`
    QString street;     // `a4`
    QString town;       // `a5`
    QString customerId; // `b1`
    QString email;      // `b10`
    QString net;        // `a14`
    QString base1;      // `a19`: sum of the lines at VAT rate 1
    QString base2;      // `a20`: sum of the lines at VAT rate 2
    QString base0;      // `a21`: sum of the lines at 0 %
    QString vat1;       // `a30`
    QString vat2;       // `a31`
    QString vatTotal;   // `a75`
    QString gross;      // `a6`
    QString vatSummary; // `a26`
    QString skonto;     // `b2`
    QString deliveryDate; // `Leistungsdatum`, "dd.mm.yyyy"; empty: the document date

    bool operator==(const Head&) const = default;
};

// One document line (`Verkauf`).
struct Line {
    QString quantity;    // `a2`
    QString unit;        // `a3`: unit or article number
    QString description; // `n1`, may span lines
    QString rate;        // `a19`: VAT rate in percent
    QString unitPrice;   // `a4`
    QString amount;      // `a5`; empty for a text line
};

// Reads the head or a line from anything that gives a field's text by name
// (a Recordset, a QSqlRecord).
using FieldText = std::function<QString(const QString& field)>;
Head headFromFields(const FieldText& field);
Line lineFromFields(const FieldText& field);

// The customer the document belongs to, as far as the document needs it.
struct Customer {
    QString email;  // `a40`
    QString skonto; // `a9`: the customer's own cash-discount percent
};

// What the calculation needs besides the document and the settings.
struct Environment {
    PriceBasis basis = PriceBasis::Net; // `Rechnungsbasis`
    QChar decimalSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
};

// Reading from the database (the windows read the same through their record
// sources). The lines in the order the main window shows them (by `ID`).
// nullopt when there is no such document or the database cannot answer.
std::optional<Head> loadHead(const Database& db, qint64 documentId);
// nullopt when the database cannot answer (never a silently empty list:
// totals computed from it would be stored).
std::optional<QList<Line>> loadLines(const Database& db, qint64 documentId);
// The customer whose `ID` is the document's `b1`; an empty Customer when
// there is none, nullopt when the database cannot answer.
std::optional<Customer> loadCustomer(const Database& db, const QString& customerId);

// Two VAT rates are in use when both settings read as numbers other than 0.
bool twoRatesSet(const CompanySettings& settings);

} // namespace documents

} // namespace quittora
