#pragma once

#include "documents/Totals.h"

#include <QChar>
#include <QString>

#include <optional>

namespace quittora {

class Database;

namespace documentlines {

inline const QString kAddCaption = QStringLiteral("Artikel in Rechnung &übernehmen");
inline const QString kChangeCaption = QStringLiteral("Rechnungszeile ändern");

// Line amount of quantity × unit price, both as the locale writes numbers, as
// two-decimal text; nothing when either is empty or no number.
std::optional<QString> lineAmount(const QString& quantity, const QString& price, QChar decimalSeparator);

// Whether typing in the price field recomputes the amount: both leading
// numbers must be non-zero.
bool priceTypingComputes(const QString& quantity, const QString& price);

// A price as stored: two-decimal text; text that is no number stays as typed.
// Thousands separators before the decimal separator ("1.234,00", which the
// key filter turns into "1,234,00") are dropped.
QString priceText(const QString& price, QChar decimalSeparator);

// Why a typed price cannot be stored, as the German message naming it;
// empty when it is a number (or empty).
QString priceProblem(const QString& price, QChar decimalSeparator);

struct Refusal {
    QString title; // empty: the program's default title
    QString text;
};

// The checks before a line is added or changed, in their order. Nothing when
// the line may be written.
std::optional<Refusal> checkLine(const QString& documentDate, const QString& vatRate1, const QString& vatRate2,
                                 const QString& quantity, const QString& price, const QString& amount,
                                 const QString& lineRate);

// The lines of a document as the totals read them (amount and rate), in line
// order, straight from the table (a document of a thousand lines needs one
// query, not a thousand moves).
QList<TotalsLine> readTotalsLines(Database& db, qint64 documentId, QString* error = nullptr);

// The question before a document is deleted.
QString deleteQuestion(const QString& number, const QString& date);

// The recipient's name line: first and last name, or the last name alone.
QString recipientName(const QString& firstName, const QString& lastName);

// Deletes documents and their lines in one transaction. False (and nothing
// deleted) when a statement failed; *error then says why in German.
bool deleteDocuments(Database& db, const QList<qint64>& ids, QString* error);

} // namespace documentlines
} // namespace quittora
