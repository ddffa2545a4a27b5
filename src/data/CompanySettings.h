#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <initializer_list>

namespace quittora {

class Database;

// The one record of `Einstellungen` as the rest of the program reads it:
// company data, document defaults, VAT rates, currency. Loaded once and
// loaded again when the settings dialog closes; windows never read the
// dialog's widgets for it.
class CompanySettings {
public:
    // Reads the record; false (values left as they were) when it cannot.
    bool load(const Database& db);
    // Stores the given fields into the record, in one transaction.
    bool store(const Database& db, const QHash<QString, QVariant>& changes, QString* error);

    QString text(const QString& field) const { return m_values.value(field).toString(); }
    QVariant value(const QString& field) const { return m_values.value(field); }
    void setValue(const QString& field, const QVariant& v) { m_values.insert(field, v); }
    qint64 id() const { return m_values.value(QStringLiteral("ID")).toLongLong(); }

    // The fields most callers need, by their meaning.
    QString vatRate1() const { return text(QStringLiteral("MWSt")); }
    QString vatRate2() const { return text(QStringLiteral("frei9")); }
    QString currency() const { return text(QStringLiteral("frei8")); }
    QString copies() const { return text(QStringLiteral("frei1")); }
    QString nextInvoiceNumber() const { return text(QStringLiteral("Rechnungsnummer")); }
    QString skontoDays() const { return text(QStringLiteral("Einst18")); }
    QString skontoPercent() const { return text(QStringLiteral("Einst19")); }
    bool printLetterhead() const { return value(QStringLiteral("Vordruck")).toInt() != 0; }

    // A footer line of the documents: the non-empty fields in order, one
    // blank between a caption and its value unless one of them brings it.
    QString footerText(std::initializer_list<const char*> fields) const;

private:
    QHash<QString, QVariant> m_values;
};

} // namespace quittora
