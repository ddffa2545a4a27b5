#pragma once

#include "data/CompanySettings.h"
#include "print/DocumentLayouts.h"

#include <QDate>
#include <QList>
#include <QString>

namespace quittora::testing {

inline QString u(const char* text) { return QString::fromUtf8(text); }

// Company settings of a small business: letterhead on, two VAT rates, one copy.
inline CompanySettings layoutCompany()
{
    CompanySettings s;
    const std::pair<const char*, const char*> values[] = {
        {"ID", "1"}, {"Titel", "Muster GmbH"}, {"frei4", "Malerei und Trockenbau"}, {"frei2", "Hauptstraße 5"},
        {"frei3", "12345 Musterstadt"}, {"MWSt", "19"}, {"frei9", "7"}, {"frei8", "EUR"}, {"frei1", "1"},
        {"Rechnungsnummer", "1000"}, {"Memo1", "Vielen Dank für Ihren Auftrag."}, {"Memo2", "Wir berechnen Ihnen:"},
        {"Memo3", "Zahlbar innerhalb von 14 Tagen."}, {"Memo4", "Vielen Dank für Ihre Anfrage."},
        {"Memo5", "Wir bieten Ihnen an:"}, {"Memo6", "Angebot 30 Tage gültig."},
        {"Memo7", "Wir danken Ihnen für Ihre Bestellung"}, {"Memo8", "Ware erhalten / in Empfang genommen"},
        {"Einst23", "Steuernummer "}, {"Einst6", "123/456"}, {"Einst24", "USt-IdNr. "}, {"frei5", "DE123"},
        {"Einst26", "Bank: "}, {"Bank", "Musterbank"}, {"Einst25", "IBAN "}, {"Einst27", "DE00 1234 "},
        {"Einst28", "BIC MUST"}, {"Einst18", "10"}, {"Einst19", "0"}, {"Vordruck", "-1"},
    };
    for (const auto& [field, value] : values)
        s.setValue(QString::fromLatin1(field), QString::fromUtf8(value));
    return s;
}

inline DocumentHead layoutHead(const QString& kind = QStringLiteral("Rechnung"), const QString& number = QStringLiteral("1001"))
{
    DocumentHead h;
    h.kind = kind;
    h.number = number;
    h.date = QStringLiteral("15.03.2024");
    h.salutation = QStringLiteral("Herrn");
    h.name = QStringLiteral("Max Mustermann");
    h.street = QStringLiteral("Musterweg 5");
    h.town = QStringLiteral("54321 Beispielort");
    h.net = QStringLiteral("150,00");
    h.vatTotal = QStringLiteral("22,50");
    h.gross = QStringLiteral("172,50");
    h.vatSummary = QStringLiteral("MwSt.19% 19,00   MwSt.7% 3,50");
    return h;
}

inline DocumentLine item(const QString& quantity, const QString& description, const QString& unitPrice, const QString& amount,
                         const QString& rate = QStringLiteral("19"), const QString& unit = QStringLiteral("Stk."))
{
    DocumentLine l;
    l.quantity = quantity;
    l.unit = unit;
    l.description = description;
    l.rate = rate;
    l.unitPrice = unitPrice;
    l.amount = amount;
    return l;
}

// n items "Position i" whose totals are i,25 (so the sums have cents).
inline QList<DocumentLine> numberedItems(int n)
{
    QList<DocumentLine> lines;
    for (int i = 1; i <= n; ++i)
        lines << item(u("1"), QStringLiteral("Position %1").arg(i), u("%1,25").arg(i), u("%1,25").arg(i));
    return lines;
}

inline PrintEnvironment layoutEnvironment()
{
    PrintEnvironment env;
    env.today = QDate(2024, 5, 2);
    return env;
}

} // namespace quittora::testing
