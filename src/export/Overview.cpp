#include "export/Overview.h"
#include "platform/ErrorTexts.h"

#include "data/Database.h"
#include "data/Numbers.h"
#include "platform/SafeFile.h"

#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace quittora {

namespace overview {

namespace {

// Quotes are told by their kind's first two letters; the database compared
// text without regard to case, so "ANGEBOT" is a quote too.
const QString kNoQuotes = QStringLiteral(" AND Mid(a156, 1, 2) <> 'An' COLLATE NOCASE");
const QString kPaid = QStringLiteral(" AND Val(opt1) = ?");
// Invoice numbers are text, but counted: the longer number is the later one,
// so 10000 comes before 9999 and not after it.
const QString kOrder = QStringLiteral(" ORDER BY length(a7) DESC, a7 DESC, SortKey(a2), a2, ID");
const QString kSelect = QStringLiteral("SELECT * FROM Rechnungen WHERE ");

int paidValue(PaidState state)
{
    return state == PaidState::Paid ? -1 : 0;
}

// A value that would break the line layout of the text list.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return text;
}

// Values longer than their column are shown whole: a cut number or amount
// would say something false.
QString leftAligned(const QString& text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '), false);
}

QString rightAligned(const QString& text, int width)
{
    return text.rightJustified(width, QLatin1Char(' '), false);
}

} // namespace

QString paidStateCaption(PaidState state)
{
    return state == PaidState::Paid ? QStringLiteral("bezahlte Rechnungen") : QStringLiteral("offene Rechnungen");
}

QStringList monthEntries()
{
    QStringList entries;
    for (int m = 1; m <= 12; ++m)
        entries << monthName(m);
    entries << allMonthsEntry();
    return entries;
}

QString monthName(int month)
{
    static const char* const names[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                        "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

QString allMonthsEntry()
{
    return QStringLiteral("alle");
}

QStringList yearEntries(int currentYear)
{
    QStringList years;
    for (int y = currentYear - 3; y <= currentYear + 8; ++y)
        years << QString::number(y);
    return years;
}

QString datePrompt()
{
    return QStringLiteral("Datum w\u00e4hlen");
}

QString monthPromptAfterDateFilter()
{
    return QStringLiteral("Monats\u00fcbersicht w\u00e4hlen");
}

QStringList dateEntries(const QDate& today)
{
    QStringList dates;
    for (int i = 0; i <= 60; ++i)
        dates << dateText(today.addDays(-i));
    return dates;
}

std::optional<RecordSource> monthFilter(const QString& monthEntry, const QString& yearText, PaidState paid)
{
    const QString year = QString::number(leadingNumber(yearText).toLongLong());
    // The built-in substr() rather than Mid(): the year index is on this
    // very expression (it takes the same characters of a date).
    const QString yearCondition = QStringLiteral("substr(a8, 7, 4) = ?");
    if (monthEntry == allMonthsEntry()) {
        return RecordSource{kSelect + yearCondition + kNoQuotes + kPaid + kOrder, {year, paidValue(paid)}};
    }
    const int month = monthEntries().indexOf(monthEntry) + 1;
    if (month < 1 || month > 12)
        return std::nullopt;
    QString monthCondition;
    if (month <= 2) {
        // Character 5 alone would also take November and December.
        monthCondition = QStringLiteral("Mid(a8, 4, 1) = '0' AND Mid(a8, 5, 1) = ?");
    } else if (month <= 9) {
        monthCondition = QStringLiteral("Mid(a8, 5, 1) = ?");
    } else {
        monthCondition = QStringLiteral("Mid(a8, 4, 2) = ?");
    }
    return RecordSource{kSelect + monthCondition + QStringLiteral(" AND ") + yearCondition + kNoQuotes + kPaid + kOrder,
                        {QString::number(month), year, paidValue(paid)}};
}

RecordSource dateFilter(const QString& date, PaidState paid)
{
    return RecordSource{kSelect + QStringLiteral("a8 = ?") + kPaid
                            + QStringLiteral(" AND a156 = 'Rechnung' COLLATE NOCASE") + kOrder,
                        {date, paidValue(paid)}};
}

bool readRows(const Database& db, const RecordSource& source, QList<Row>* rows, QString* error)
{
    rows->clear();
    QSqlQuery q(db.connection());
    q.setForwardOnly(true);
    bool ok = q.prepare(source.sql);
    if (ok) {
        for (const QVariant& p : source.params)
            q.addBindValue(p);
        ok = q.exec();
    }
    if (!ok) {
        if (error)
            *error = QStringLiteral("Die Rechnungen konnten nicht gelesen werden: %1").arg(databaseReason(q.lastError()));
        return false;
    }
    const QSqlRecord rec = q.record();
    const int id = rec.indexOf(QStringLiteral("ID"));
    const int number = rec.indexOf(QStringLiteral("a7"));
    const int amount = rec.indexOf(QStringLiteral("a6"));
    const int name = rec.indexOf(QStringLiteral("a2"));
    const int date = rec.indexOf(QStringLiteral("a8"));
    const int place = rec.indexOf(QStringLiteral("a5"));
    auto text = [&q](int column) { return column < 0 ? QString() : q.value(column).toString(); };
    while (q.next()) {
        Row r;
        r.id = id < 0 ? 0 : q.value(id).toLongLong();
        r.number = text(number);
        r.amount = text(amount);
        r.name = text(name);
        r.date = text(date);
        r.place = text(place);
        rows->append(std::move(r));
    }
    // A read that stops with an error (a damaged page) is not the end of the
    // list: a total over part of the month would be misstated.
    if (q.lastError().isValid()) {
        rows->clear();
        if (error)
            *error = QStringLiteral("Die Rechnungen konnten nicht vollständig gelesen werden: %1")
                         .arg(databaseReason(q.lastError()));
        return false;
    }
    return true;
}

Decimal total(const QList<Row>& rows, QChar decimalSeparator)
{
    Decimal sum;
    for (const Row& r : rows) {
        if (r.number.isEmpty())
            continue;
        if (const std::optional<Decimal> amount = localeNumber(r.amount, decimalSeparator))
            sum += *amount;
    }
    return sum;
}

std::optional<Decimal> total(const Database& db, const RecordSource& source, QChar decimalSeparator)
{
    QList<Row> rows;
    if (!readRows(db, source, &rows))
        return std::nullopt;
    return total(rows, decimalSeparator);
}

QString planHeading(PaidState paid, const QString& monthText, const QString& yearText)
{
    return paidStateCaption(paid) + QStringLiteral("  ") + monthText + QStringLiteral(" / ") + yearText;
}

QString planLine(const Row& row)
{
    // A date that reads as one is written "dd.mm.yyyy"; other text stays as
    // it is, held to the column so the place stays in its own.
    const QDate date = parseDateText(row.date);
    const QString dateColumn = date.isValid() ? dateText(date) : oneLine(row.date);
    return leftAligned(oneLine(row.number), 4) + QLatin1Char(' ') + rightAligned(oneLine(row.amount.left(30)), 7)
        + QStringLiteral("   ") + leftAligned(oneLine(row.name.left(22)), 22) + QStringLiteral("  ")
        + leftAligned(dateColumn, 10) + QStringLiteral("   ") + oneLine(row.place.left(16));
}

QByteArray planText(const QString& heading, const QList<Row>& rows)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += oneLine(heading) + crlf;
    text += crlf;
    text += QString(71, QLatin1Char('_')) + crlf;
    text += QStringLiteral("R.Nr.  Betrag   Name / Mail            Datum        Ort") + crlf;
    text += QString(71, QChar(0x00AF)) + crlf;
    for (const Row& r : rows)
        text += planLine(r) + crlf;
    return text.toUtf8();
}

bool writePlanText(QIODevice& out, const QString& heading, const QList<Row>& rows)
{
    return writeAllTo(out, planText(heading, rows));
}

QString planFileName()
{
    return QStringLiteral("Plan.txt");
}

} // namespace overview

namespace documentlist {

RecordSource customerDocuments(qint64 customerId)
{
    return {QStringLiteral("SELECT * FROM Rechnungen WHERE b1 = ?"), {QString::number(customerId)}};
}

QString customerLabel(const QString& customerName)
{
    return QStringLiteral("Rechnungen ") + customerName;
}

RecordSource allDocuments()
{
    return {QStringLiteral("SELECT * FROM Rechnungen ORDER BY ID"), {}};
}

std::optional<RecordSource> sortByColumn(int column, bool& descendingToggle)
{
    descendingToggle = !descendingToggle;
    const QString dir = descendingToggle ? QStringLiteral(" DESC") : QString();
    const QString select = QStringLiteral("SELECT * FROM Rechnungen ORDER BY ");
    switch (column) {
    case 0:
        // As counted, not as text: 9999 before 10000 (quotes without number first).
        return RecordSource{select + QStringLiteral("length(a7)") + dir + QStringLiteral(", a7") + dir
                                + QStringLiteral(", ID"),
                            {}};
    case 1:
        // Year, month, day of the "dd.mm.yyyy" text.
        return RecordSource{select + QStringLiteral("Mid(a8, 7, 4)") + dir + QStringLiteral(", Mid(a8, 4, 2)") + dir
                                + QStringLiteral(", [Left](a8, 2)") + dir + QStringLiteral(", ID"),
                            {}};
    case 2:
        return RecordSource{select + QStringLiteral("SortKey(a2)") + dir + QStringLiteral(", a2") + dir + QStringLiteral(", ID"), {}};
    default:
        return std::nullopt;
    }
}

RecordSource unpaidDocuments()
{
    return {QStringLiteral("SELECT * FROM Rechnungen WHERE opt1 = 0"), {}};
}

} // namespace documentlist

} // namespace quittora
