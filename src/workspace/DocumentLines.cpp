#include "workspace/DocumentLines.h"
#include "platform/ErrorTexts.h"

#include "data/Database.h"
#include "data/Decimal.h"
#include "data/Numbers.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace quittora::documentlines {

namespace {

// "1,234,00" or "1.234,00" as 1234,00; "12.345.678" as 12345678. Every
// separator but the last must close a group of three digits after a first
// group of one to three; the last one is the decimal separator unless it
// closes such a group too. One separator alone is always the decimal one,
// as the user of the field has always typed it.
QString withoutThousands(const QString& price, QChar decimalSeparator)
{
    static const QRegularExpression grouped(QStringLiteral("^\\s*(-?\\d{1,3})((?:[.,]\\d{3})+)([.,]\\d*)?\\s*$"));
    const QRegularExpressionMatch m = grouped.match(price);
    if (!m.hasMatch())
        return price;
    const QString groups = m.captured(2);
    QString whole = m.captured(1);
    for (qsizetype i = 0; i < groups.size(); i += 4)
        whole += groups.mid(i + 1, 3);
    const QString fraction = m.captured(3);
    if (fraction.isEmpty()) {
        if (groups.size() == 4)
            return price; // "1,234": one separator, the decimal one
        return whole;
    }
    return whole + decimalSeparator + fraction.mid(1);
}

} // namespace

std::optional<QString> lineAmount(const QString& quantity, const QString& price, QChar decimalSeparator)
{
    if (quantity.isEmpty() || price.isEmpty())
        return std::nullopt;
    const auto q = localeNumber(quantity, decimalSeparator);
    const auto p = localeNumber(withoutThousands(price, decimalSeparator), decimalSeparator);
    if (!q || !p)
        return std::nullopt;
    // mulDiv rounds once, at the cent, so no intermediate rounding tips it.
    const auto amount = Decimal::mulDiv(*q, *p, Decimal::fromInt(1), 2);
    if (!amount)
        return std::nullopt;
    return amount->toFixed(2, decimalSeparator);
}

bool priceTypingComputes(const QString& quantity, const QString& price)
{
    return !leadingNumber(quantity).isZero() && !leadingNumber(price).isZero();
}


QString priceText(const QString& price, QChar decimalSeparator)
{
    if (price.trimmed().isEmpty())
        return price;
    const auto p = localeNumber(withoutThousands(price, decimalSeparator), decimalSeparator);
    return p ? p->toFixed(2, decimalSeparator) : price;
}

QString priceProblem(const QString& price, QChar decimalSeparator)
{
    if (price.trimmed().isEmpty() || localeNumber(withoutThousands(price, decimalSeparator), decimalSeparator))
        return {};
    return QStringLiteral("Der Preis „%1“ ist keine Zahl.\nBitte geben Sie den Preis als Zahl ein, z. B. %2.")
        .arg(price.trimmed(), QStringLiteral("1234") + decimalSeparator + QStringLiteral("50"));
}

std::optional<Refusal> checkLine(const QString& documentDate, const QString& vatRate1, const QString& vatRate2,
                                 const QString& quantity, const QString& price, const QString& amount,
                                 const QString& lineRate)
{
    if (documentDate.isEmpty())
        return Refusal{QString(), QStringLiteral("Sie müssen zunächst eine neue Rechnung anlegen, bevor Sie Artikel "
                                                 "hinzufügen")};
    if (leadingNumber(vatRate1).isZero() && leadingNumber(vatRate2).isZero())
        return std::nullopt;
    if (lineRate.isEmpty() && !amount.isEmpty())
        return Refusal{QString(), QStringLiteral("Bitte geben Sie den MwSt.-Satz ein.")};
    if (!lineRate.isEmpty() && amount.isEmpty())
        return Refusal{QStringLiteral("Fehler"), QStringLiteral("Berechnung fehlgeschlagen. (Menge fehlt)")};
    if (quantity.isEmpty() && !price.isEmpty())
        return Refusal{QStringLiteral("Fehler"), QStringLiteral("Für eine Berechnung fehlt die Menge.")};
    return std::nullopt;
}

QList<TotalsLine> readTotalsLines(Database& db, qint64 documentId, QString* error)
{
    QList<TotalsLine> lines;
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("SELECT a5, a19 FROM Verkauf WHERE a1 = ? ORDER BY ID"));
    q.addBindValue(QString::number(documentId));
    if (!q.exec()) {
        if (error)
            *error = QStringLiteral("Die Zeilen der Rechnung konnten nicht gelesen werden: ") + databaseReason(q.lastError());
        return lines;
    }
    while (q.next())
        lines.append({q.value(0).toString(), q.value(1).toString()});
    if (q.lastError().isValid()) {
        if (error)
            *error = QStringLiteral("Die Zeilen der Rechnung konnten nicht vollständig gelesen werden: ")
                + databaseReason(q.lastError());
        lines.clear();
    }
    return lines;
}

QString deleteQuestion(const QString& number, const QString& date)
{
    return QStringLiteral("die Rechnung Nr. ") + number + QStringLiteral(" vom ") + date +
           QStringLiteral(" wirklich löschen ?");
}

QString recipientName(const QString& firstName, const QString& lastName)
{
    return firstName.isEmpty() ? lastName : firstName + QLatin1Char(' ') + lastName;
}

bool deleteDocuments(Database& db, const QList<qint64>& ids, QString* error)
{
    QSqlDatabase con = db.connection();
    if (!con.transaction()) {
        *error = QStringLiteral("Die Rechnung konnte nicht gelöscht werden: ") + databaseReason(con.lastError());
        return false;
    }
    QSqlQuery lines(con);
    QSqlQuery heads(con);
    lines.prepare(QStringLiteral("DELETE FROM Verkauf WHERE a1 = ?"));
    heads.prepare(QStringLiteral("DELETE FROM Rechnungen WHERE ID = ?"));
    for (qint64 id : ids) {
        lines.bindValue(0, QString::number(id));
        heads.bindValue(0, id);
        if (!lines.exec() || !heads.exec()) {
            const QString why = (lines.lastError().isValid() ? lines.lastError() : heads.lastError()).text();
            con.rollback();
            *error = QStringLiteral("Die Rechnung konnte nicht gelöscht werden, nichts wurde gelöscht: ") + why;
            return false;
        }
    }
    if (!con.commit()) {
        *error = QStringLiteral("Die Rechnung konnte nicht gelöscht werden: ") + databaseReason(con.lastError());
        con.rollback();
        return false;
    }
    return true;
}

} // namespace quittora::documentlines
