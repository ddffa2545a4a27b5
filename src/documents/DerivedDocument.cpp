#include "documents/DerivedDocument.h"

#include "data/CompanySettings.h"
#include "data/Database.h"
#include "data/Numbers.h"
#include "documents/DocumentChanges.h"
#include "documents/Totals.h"
#include "platform/ErrorTexts.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace quittora::documents {

namespace {

using Fields = QList<std::pair<QString, QVariant>>;

void set(Fields& fields, const QString& name, const QVariant& value)
{
    for (auto& f : fields) {
        if (f.first.compare(name, Qt::CaseInsensitive) == 0) {
            f.second = value;
            return;
        }
    }
    fields.append({name, value});
}

QString text(const Fields& fields, const QString& name)
{
    for (const auto& f : fields) {
        if (f.first.compare(name, Qt::CaseInsensitive) == 0)
            return f.second.toString();
    }
    return {};
}

// Every field of a record but its ID.
Fields fieldsOf(const QSqlRecord& r)
{
    Fields out;
    for (int i = 0; i < r.count(); ++i) {
        if (r.fieldName(i).compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0)
            out.append({r.fieldName(i), r.value(i)});
    }
    return out;
}

// "2" as "-2", "-1,5" as "1,5"; what is no number other than 0 stays.
QString negated(const QString& value, QChar decimalSeparator)
{
    const QString t = value.trimmed();
    const auto n = localeNumber(t, decimalSeparator);
    if (!n || n->isZero())
        return value;
    return t.startsWith(QLatin1Char('-')) ? t.mid(1).trimmed() : QLatin1Char('-') + t;
}

bool insert(QSqlQuery& q, const QString& table, const Fields& fields)
{
    QStringList names, marks;
    for (const auto& f : fields) {
        names << f.first;
        marks << QStringLiteral("?");
    }
    if (!q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                       .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))))
        return false;
    for (const auto& f : fields)
        q.addBindValue(f.second);
    return q.exec();
}

QString refusal(Derivation how, const Fields& source)
{
    const bool quote = text(source, QStringLiteral("a156")).left(2) == QLatin1String("An");
    switch (how) {
    case Derivation::Cancellation:
        if (quote)
            return QStringLiteral("Ein Angebot ist keine Rechnung und wird nicht storniert.");
        if (text(source, QStringLiteral("a7")).trimmed().isEmpty())
            return QStringLiteral("Diese Rechnung hat noch keine Nummer, sie ist also noch nicht ausgestellt. "
                                  "Sie können sie ändern oder löschen; ein Storno ist nicht nötig.");
        return {};
    case Derivation::InvoiceFromQuote:
        if (!quote)
            return QStringLiteral("Nur ein Angebot kann in eine Rechnung übernommen werden.");
        return {};
    case Derivation::Copy:
        return {};
    }
    return {};
}

} // namespace

QString cancellationText(const QString& number, const QString& date)
{
    return QStringLiteral("Stornorechnung zu Rechnung Nr. %1 vom %2").arg(number.trimmed(), date.trimmed());
}

Derived derive(const Database& db, qint64 sourceId, Derivation how, const QDate& today, const Environment& env)
{
    Derived result;
    QSqlDatabase con = db.connection();
    QSqlQuery q(con);
    // Immediate: nobody changes the source between reading and copying it.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        result.message = databaseReason(q.lastError());
        return result;
    }
    const auto fail = [&](const QString& why) {
        result.message = why.isEmpty() ? QStringLiteral("Die Datenbank hat den Vorgang abgelehnt.") : why;
        result.id = -1;
        QSqlQuery r(con);
        r.exec(QStringLiteral("ROLLBACK"));
        return result;
    };
    const auto dbFail = [&](const QSqlQuery& failed) { return fail(databaseReason(failed.lastError())); };

    if (!q.prepare(QStringLiteral("SELECT * FROM Rechnungen WHERE ID = ?")))
        return dbFail(q);
    q.addBindValue(sourceId);
    if (!q.exec())
        return dbFail(q);
    if (!q.next())
        return fail(QStringLiteral("Das Dokument wurde nicht gefunden."));
    const Fields source = fieldsOf(q.record());
    q.finish();
    if (const QString why = refusal(how, source); !why.isEmpty())
        return fail(why);

    Fields head = source;
    // dd.MM.yyyy: every document date is stored so, whatever the locale shows.
    set(head, QStringLiteral("a8"), today.toString(QStringLiteral("dd.MM.yyyy")));
    set(head, QStringLiteral("a7"), QString());
    set(head, QStringLiteral("opt1"), 0);
    set(head, QStringLiteral("Bezugsrechnung"), QString());
    set(head, QStringLiteral("Bezugsdatum"), QString());
    if (how == Derivation::InvoiceFromQuote)
        set(head, QStringLiteral("a156"), QStringLiteral("Rechnung"));
    if (how == Derivation::Cancellation) {
        // The same supply, cancelled: its delivery date stays.
        set(head, QStringLiteral("Bezugsrechnung"), text(source, QStringLiteral("a7")).trimmed());
        set(head, QStringLiteral("Bezugsdatum"), text(source, QStringLiteral("a8")).trimmed());
    } else {
        set(head, QStringLiteral("Leistungsdatum"), QString());
    }

    if (!q.prepare(QStringLiteral("SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID")))
        return dbFail(q);
    q.addBindValue(QString::number(sourceId));
    if (!q.exec())
        return dbFail(q);
    QList<Fields> lines;
    if (how == Derivation::Cancellation) {
        Fields intro;
        set(intro, QStringLiteral("n1"),
            cancellationText(text(source, QStringLiteral("a7")), text(source, QStringLiteral("a8"))));
        lines.append(intro);
    }
    while (q.next()) {
        Fields line = fieldsOf(q.record());
        if (how == Derivation::Cancellation && !text(line, QStringLiteral("a5")).trimmed().isEmpty()) {
            set(line, QStringLiteral("a2"), negated(text(line, QStringLiteral("a2")), env.decimalSeparator));
            set(line, QStringLiteral("a5"), negated(text(line, QStringLiteral("a5")), env.decimalSeparator));
        }
        lines.append(line);
    }
    if (q.lastError().isValid())
        return dbFail(q);
    q.finish();

    // The totals as the window would compute them on the new lines, so that
    // lists and the overview count the new document at once.
    CompanySettings settings;
    if (!settings.load(db))
        return fail(QStringLiteral("Die Einstellungen konnten nicht gelesen werden."));
    TotalsInput in = totalsInputFromSettings(settings, env.basis, env.decimalSeparator, env.shortDateFormat);
    for (const Fields& l : lines)
        in.lines.append(TotalsLine{text(l, QStringLiteral("a5")), text(l, QStringLiteral("a19"))});
    const auto customer = loadCustomer(db, text(head, QStringLiteral("b1")));
    if (!customer)
        return fail(QStringLiteral("Der Kunde des Dokuments konnte nicht gelesen werden."));
    in.customerSkonto = customer->skonto;
    in.documentDate = text(head, QStringLiteral("a8"));
    in.storedMw1 = text(head, QStringLiteral("a19"));
    in.storedMw2 = text(head, QStringLiteral("a20"));
    in.storedMw3 = text(head, QStringLiteral("a21"));
    const TotalsResult totals = berechnen(in);
    if (!totals.ok())
        return fail(totals.message);
    Head computed;
    setHeadTotals(computed, totals.totals);
    const std::pair<const char*, QString> sums[] = {
        {"a14", computed.net},      {"a19", computed.base1},      {"a20", computed.base2}, {"a21", computed.base0},
        {"a30", computed.vat1},     {"a31", computed.vat2},       {"a75", computed.vatTotal}, {"a6", computed.gross},
        {"a26", computed.vatSummary}, {"b2", computed.skonto},
    };
    for (const auto& [field, value] : sums)
        set(head, QString::fromLatin1(field), value);
    // A cash discount on money paid back means nothing.
    if (how == Derivation::Cancellation)
        set(head, QStringLiteral("b2"), QString());

    if (!insert(q, QStringLiteral("Rechnungen"), head))
        return dbFail(q);
    const qint64 id = q.lastInsertId().toLongLong();
    for (Fields& line : lines) {
        set(line, QStringLiteral("a1"), QString::number(id));
        if (!insert(q, QStringLiteral("Verkauf"), line))
            return dbFail(q);
    }
    q.finish();
    if (!q.exec(QStringLiteral("COMMIT")))
        return dbFail(q);
    result.id = id;
    return result;
}

} // namespace quittora::documents
