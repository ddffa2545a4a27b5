#pragma once

#include "data/Database.h"
#include "support/QtPrinters.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace quittora::test {

// A fresh template database ("Quittora.qtb") in a temporary folder of its
// own, opened in a Database; the folder goes away with the object.
// Insert helpers report failures to GoogleTest and return -1.
class TempDatabase {
public:
    explicit TempDatabase(QChar decimalSeparator = QLatin1Char(','));
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    // Created and opened; error() says why not.
    bool isValid() const { return m_db.isOpen(); }
    QString error() const { return m_error; }

    Database& db() { return m_db; }
    QSqlDatabase connection() const { return m_db.connection(); }
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    // A path inside the temporary folder, for further files of a test.
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Inserts one record; returns its ID.
    qint64 insert(const QString& table, const QVariantMap& fields);
    // Kunden: a2 name, a3 first name, further fields in more (a1, a4, a5, a40, ...).
    qint64 addCustomer(const QString& name, const QString& firstName = {}, const QVariantMap& more = {});
    // Artikel: a2 unit / number, a3 designation, a4 price text, a19 VAT rate.
    qint64 addArticle(const QString& number, const QString& designation, const QString& price,
                      const QString& vatRate = QStringLiteral("19"), const QVariantMap& more = {});
    // Rechnungen: a7 number, a8 date "dd.mm.yyyy", a156 kind, opt1 paid (-1/0).
    qint64 addDocument(const QString& number, const QString& date, const QString& kind = QStringLiteral("Rechnung"),
                       bool paid = false, const QVariantMap& more = {});
    // Verkauf: a1 the document's ID as text, a2 quantity, n1 designation,
    // a4 unit price, a5 line amount, a19 VAT rate, a3 unit.
    qint64 addLine(qint64 documentId, const QString& quantity, const QString& designation, const QString& unitPrice,
                   const QString& amount, const QString& vatRate = QStringLiteral("19"), const QString& unit = {});

    // One field of one record, read straight from the table.
    QVariant field(const QString& table, qint64 id, const QString& field) const;
    // The one Einstellungen record's field.
    QVariant setting(const QString& field) const;
    qint64 count(const QString& table, const QString& where = {}, const QVariantList& params = {}) const;
    // Runs one statement with bound values; reports a failure to GoogleTest.
    bool exec(const QString& sql, const QVariantList& params = {});

    static QByteArray readFile(const QString& path);

private:
    QTemporaryDir m_dir;
    QString m_path;
    Database m_db;
    QString m_error;
};

} // namespace quittora::test
