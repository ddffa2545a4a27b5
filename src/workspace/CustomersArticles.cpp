#include "workspace/CustomersArticles.h"

#include "data/Database.h"
#include "data/JetLike.h"
#include "data/Numbers.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStandardPaths>

namespace quittora {

namespace customers {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QStringList exchangeOrder(const Address& a)
{
    return {a.salutation, a.name, a.firstName, a.street, a.place, a.phone, a.fax, a.notes};
}

// A quoted value as the exchange file holds it. The file format has no
// escape for a quote, so one inside a value becomes an apostrophe.
QString quoted(QString value)
{
    value.replace(QLatin1Char('"'), QLatin1Char('\''));
    return QLatin1Char('"') + value + QLatin1Char('"');
}
} // namespace

bool isEmptyForCopy(const Address& a)
{
    return a.name.isEmpty() && a.firstName.isEmpty() && a.street.isEmpty() && a.place.isEmpty()
           && a.phone.isEmpty() && a.fax.isEmpty() && a.notes.isEmpty();
}

bool hasOverwritableData(const Address& a)
{
    return !isEmptyForCopy(a);
}

QString clipboardText(const Address& a)
{
    QString text = a.firstName.isEmpty() ? a.name : a.firstName + QLatin1Char(' ') + a.name;
    text += kCrLf;
    if (!a.addition.isEmpty())
        text += a.addition + kCrLf;
    text += a.street + kCrLf + kCrLf + a.place;
    return text;
}

QString defaultExchangeFilePath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Quittora pro/Faktu_50.tmp");
}

bool writeExchangeFile(const QString& path, const Address& a, QString* error)
{
    QString text;
    for (const QString& v : exchangeOrder(a)) {
        // Line breaks inside notes would split the record: kept as blanks.
        QString line = v;
        line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        line.replace(QLatin1Char('\r'), QLatin1Char(' ')).remove(QChar(0));
        text += quoted(line) + kCrLf;
    }
    QString reason;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        reason = QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.")
                     .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    else if (writeFileWhole(path, text.toUtf8(), &reason))
        return true;
    // An earlier address left there would be inserted by the other program
    // as if it were the one just copied.
    QFile::remove(path);
    if (error)
        *error = QStringLiteral("Die Austauschdatei „%1“ konnte nicht geschrieben werden:\n%2")
                     .arg(QDir::toNativeSeparators(path), reason);
    return false;
}

std::optional<Address> readExchangeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString all = QString::fromUtf8(file.readAll());
    QStringList values;
    for (QString line : all.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        line = line.trimmed();
        if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) && line.endsWith(QLatin1Char('"')))
            line = line.mid(1, line.size() - 2);
        values << line;
    }
    while (values.size() < 8)
        values << QString();
    Address a;
    a.salutation = values[0];
    a.name = values[1];
    a.firstName = values[2];
    a.street = values[3];
    a.place = values[4];
    a.phone = values[5];
    a.fax = values[6];
    a.notes = values[7];
    return a;
}

} // namespace customers

std::optional<qint64> storedCount(const Database& db, const QString& table)
{
    QSqlQuery q(db.connection());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) || !q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

AllFieldsSearch allFieldsSearch(const QStringList& fields, const QString& text)
{
    AllFieldsSearch s;
    QStringList parts;
    const QString pattern = likePattern(text, LikeMode::Contains);
    for (const QString& f : fields) {
        // An empty field is NULL for some records: it contains the empty text all the same.
        parts << QStringLiteral("IFNULL(%1, '') LIKE ?").arg(f);
        s.params << pattern;
    }
    s.where = QStringLiteral("WHERE ") + parts.join(QStringLiteral(" OR "));
    return s;
}

namespace articles {

std::optional<QString> changedPrice(const QString& price, std::optional<Decimal> percent,
                                    std::optional<Decimal> amount, QChar decimalSeparator)
{
    // Read as the user wrote it: a price below 1 such as 0,50 is changed too.
    // Empty, zero, negative and unreadable prices are left alone.
    const std::optional<Decimal> p = localeNumber(price, decimalSeparator);
    if (!p || !(*p > Decimal()))
        return std::nullopt;
    Decimal value = *p;
    if (percent) {
        const std::optional<Decimal> add = Decimal::mulDiv(value, *percent, Decimal::fromInt(100), 9);
        if (!add)
            return std::nullopt;
        value = (value + *add).rounded(2);
    }
    if (amount)
        value = (value + *amount).rounded(2);
    return amountText(value, decimalSeparator);
}

} // namespace articles

} // namespace quittora
