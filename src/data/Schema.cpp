#include "data/Schema.h"

#include "platform/ErrorTexts.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

namespace quittora::schema {

namespace {

QStringList fields(std::initializer_list<const char*> names)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const char* n : names)
        list << QString::fromLatin1(n);
    return list;
}

// Fields added after layout 1, in the order they were added.
struct AddedField {
    const char* table;
    const char* field;
    int layout;
};
constexpr AddedField kAddedFields[] = {
    {"Einstellungen", "UStIdNr", 2},      {"Einstellungen", "Steuernummer", 2}, {"Einstellungen", "Ansprechpartner", 2},
    {"Einstellungen", "Land", 2},         {"Einstellungen", "IBAN", 2},         {"Einstellungen", "BIC", 2},
    {"Einstellungen", "Kontoinhaber", 2}, {"Kunden", "Land", 2},                {"Kunden", "UStIdNr", 2},
    {"Kunden", "Leitweg", 2},             {"Rechnungen", "Referenz", 2},        {"Rechnungen", "Leistungsdatum", 2},
    // A cancellation names the invoice it cancels: number and date as that
    // invoice carried them.
    {"Rechnungen", "Bezugsrechnung", 3},  {"Rechnungen", "Bezugsdatum", 3},
    // Issued invoices stay as issued (see lockStatements()). An upgraded
    // file starts with it off: its behaviour changes only when the user
    // decides so.
    {"Einstellungen", "Festschreiben", 3},
};

QStringList withAddedFields(const char* table, QStringList layout1)
{
    for (const AddedField& a : kAddedFields) {
        if (qstrcmp(a.table, table) == 0)
            layout1 << QString::fromLatin1(a.field);
    }
    return layout1;
}

QString columnDefinition(const QString& table, const QString& field)
{
    // Every address so far was a German one: records from before the
    // country field, and new ones, start as "DE".
    if (field == QLatin1String("Land"))
        return field + QStringLiteral(" TEXT DEFAULT 'DE'");
    if (field == QLatin1String("ID"))
        return QStringLiteral("ID INTEGER PRIMARY KEY AUTOINCREMENT");
    if (isBooleanField(table, field))
        return field + QStringLiteral(" INTEGER NOT NULL DEFAULT 0 CHECK (") + field + QStringLiteral(" IN (-1, 0))");
    // Empty text rather than NULL for a fresh record, so that a search such
    // as "contains the text" behaves the same on a new record as on one that
    // was cleared by the user.
    return field + QStringLiteral(" TEXT DEFAULT ''");
}

QString createTable(const QString& table, const QStringList& fieldList)
{
    QStringList cols;
    for (const QString& f : fieldList)
        cols << columnDefinition(table, f);
    return QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + QLatin1Char(')');
}

bool run(QSqlQuery& q, const QString& sql, QString* error)
{
    if (q.exec(sql))
        return true;
    if (error)
        *error = databaseReason(q.lastError());
    return false;
}

bool insertRow(const QSqlDatabase& db, const QString& table, const QList<QPair<QString, QVariant>>& values, QString* error)
{
    QStringList names;
    QStringList marks;
    for (const auto& v : values) {
        names << v.first;
        marks << QStringLiteral("?");
    }
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + names.join(QStringLiteral(", "))
                   + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')'))) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    for (const auto& v : values)
        q.addBindValue(v.second);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

// Runs body inside one transaction on db; rolls back when it fails.
template <typename Body>
bool inTransaction(const QSqlDatabase& db, QString* error, Body body)
{
    QSqlQuery q(db);
    if (!run(q, QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    if (!body(q)) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    if (!run(q, QStringLiteral("COMMIT"), error)) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

} // namespace

QStringList kundenFields()
{
    return withAddedFields("Kunden", fields({"ID", "a1", "a2", "a3", "a8", "a4", "a5", "a6", "a7", "a40", "a9", "n1"}));
}

QStringList artikelFields()
{
    // a6, a7, a8 and a40 are named by the article search over all fields;
    // nothing fills them, but the search must not fail on them.
    return fields({"ID", "a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a19", "a40", "n1"});
}

QStringList rechnungenFields()
{
    return withAddedFields("Rechnungen", fields({"ID", "a7", "a8", "a156", "a1", "a2", "a3", "a4", "a5", "b1", "b10",
                                                 "a14", "a19", "a20", "a21", "a30", "a31", "a75", "a6", "a26", "a22",
                                                 "a23", "a24", "b2", "a158", "opt1"}));
}

QStringList verkaufFields()
{
    return fields({"ID", "a1", "a2", "a3", "n1", "a4", "a19", "a5"});
}

QStringList einstellungenFields()
{
    return withAddedFields(
        "Einstellungen",
        fields({"ID", "Titel", "frei4", "frei2", "frei3", "Tel", "Fax", "Einst15", "Einst1", "Einst2", "Vordruck",
                "Einst23", "Einst6", "Einst24", "frei5", "Einst26", "Bank", "Einst25", "Einst28", "Einst27", "Memo10",
                "Einst3", "Einst4", "Einst5", "MWSt", "frei9", "frei8", "frei1", "Rechnungsnummer", "Memo1", "Memo2",
                "Memo3", "Memo4", "Memo5", "Memo6", "Memo7", "Memo8", "Einst18", "Einst19"}));
}

QStringList fieldsOfLayout(const QString& table, int layoutVersion)
{
    QStringList list = table == QLatin1String("Kunden")          ? kundenFields()
                       : table == QLatin1String("Artikel")       ? artikelFields()
                       : table == QLatin1String("Rechnungen")    ? rechnungenFields()
                       : table == QLatin1String("Verkauf")       ? verkaufFields()
                       : table == QLatin1String("Einstellungen") ? einstellungenFields()
                                                                 : QStringList();
    for (const AddedField& a : kAddedFields) {
        if (a.layout > layoutVersion && table == QLatin1String(a.table))
            list.removeAll(QString::fromLatin1(a.field));
    }
    return list;
}

bool upgradeSchema(const QSqlDatabase& db, int fromVersion, QString* error)
{
    return inTransaction(db, error, [&](QSqlQuery& q) {
        for (const AddedField& a : kAddedFields) {
            if (a.layout <= fromVersion)
                continue;
            const QString table = QString::fromLatin1(a.table);
            if (!run(q, QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(table, columnDefinition(table, QString::fromLatin1(a.field))),
                     error))
                return false;
        }
        // The letterhead's footer already holds tax number, VAT identifier
        // and account under the captions a new file starts with; where the
        // user kept those captions and replaced the sample values, the
        // e-invoice fields start from them. Sample values stay behind: an
        // e-invoice must not name a made-up identifier.
        if (fromVersion < 2) {
            const QStringList takeOver = {
                QStringLiteral("UPDATE Einstellungen SET Steuernummer = trim(Einst6) WHERE Einst23 = 'Steuernummer' "
                               "AND trim(Einst6) NOT IN ('', '123/456/78901')"),
                QStringLiteral("UPDATE Einstellungen SET UStIdNr = upper(replace(trim(frei5), ' ', '')) "
                               "WHERE Einst24 = 'USt-IdNr.' AND trim(frei5) NOT IN ('', 'DE123456789')"),
                QStringLiteral("UPDATE Einstellungen SET IBAN = upper(replace(trim(Einst27), ' ', '')), "
                               "BIC = upper(replace(trim(Einst28), ' ', '')) WHERE Einst25 = 'IBAN / BIC' "
                               "AND trim(Einst27) NOT IN ('', 'DE00 1234 5678 9012 3456 78')"),
            };
            for (const QString& sql : takeOver) {
                if (!run(q, sql, error))
                    return false;
            }
        }
        return run(q, QStringLiteral("PRAGMA user_version = %1").arg(kUserVersion), error);
    });
}

bool isBooleanField(const QString& table, const QString& field)
{
    return (table.compare(QLatin1String("Rechnungen"), Qt::CaseInsensitive) == 0
            && field.compare(QLatin1String("opt1"), Qt::CaseInsensitive) == 0)
        || (table.compare(QLatin1String("Einstellungen"), Qt::CaseInsensitive) == 0
            && (field.compare(QLatin1String("Vordruck"), Qt::CaseInsensitive) == 0
                || field.compare(QLatin1String("Festschreiben"), Qt::CaseInsensitive) == 0));
}

QStringList indexStatements()
{
    return {
        // The lines of one document, on every change of the current document.
        QStringLiteral("CREATE INDEX IF NOT EXISTS Verkauf_a1 ON Verkauf (a1)"),
        // Sorting the document list by number; the overview's order.
        QStringLiteral("CREATE INDEX IF NOT EXISTS Rechnungen_a7 ON Rechnungen (a7)"),
        // The search by number as you type: a prefix becomes a range in
        // this index (see indexableCriterion()).
        QStringLiteral("CREATE INDEX IF NOT EXISTS Rechnungen_a7_suche ON Rechnungen (a7 COLLATE NOCASE)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Rechnungen_b1 ON Rechnungen (b1)"),
        // The search by name as you type looks for the text anywhere in the
        // name and addition lines, which no index range can answer: it reads
        // every document in ID order until one matches. This index holds
        // just those fields in that order, a seventh of the table to read.
        QStringLiteral("CREATE INDEX IF NOT EXISTS Rechnungen_namen ON Rechnungen (ID, a2, a3)"),
        // The overview selects a year (characters 7-10 of the date) and
        // then the month within it. Built-in substr(), not Mid(): an index
        // must not depend on a function that only our connections know, or
        // any other program that writes the file would fail.
        QStringLiteral("CREATE INDEX IF NOT EXISTS Rechnungen_jahr ON Rechnungen (substr(a8, 7, 4))"),
        // Matches the order of SortKunden, so the customer list needs no
        // sort; also the range of the customer search by name.
        QStringLiteral("CREATE INDEX IF NOT EXISTS Kunden_name ON Kunden (a2 COLLATE NOCASE, a3 COLLATE NOCASE, ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Artikel_a2 ON Artikel (a2 COLLATE NOCASE)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS Artikel_a3 ON Artikel (a3 COLLATE NOCASE)"),
    };
}

bool ensureIndexes(const QSqlDatabase& db, QString* error)
{
    QSqlQuery q(db);
    QStringList missing;
    for (const QString& statement : indexStatements()) {
        // "CREATE INDEX IF NOT EXISTS <name> ON ..."
        const QString name = statement.section(QLatin1Char(' '), 5, 5);
        q.prepare(QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'index' AND name = ?"));
        q.addBindValue(name);
        if (!q.exec()) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
        if (!q.next())
            missing << statement;
    }
    if (missing.isEmpty())
        return true;
    return inTransaction(db, error, [&](QSqlQuery& w) {
        for (const QString& s : std::as_const(missing)) {
            if (!run(w, s, error))
                return false;
        }
        return true;
    });
}

namespace {

// The condition "the document row r is locked" in SQL; the same rule as
// isLockable(), with the setting of the one Einstellungen record.
QString lockedRow(const QString& r)
{
    return QStringLiteral("(substr(coalesce(%1.a156, ''), 1, 2) <> 'An' AND trim(coalesce(%1.a7, '')) <> '' "
                          "AND (SELECT Festschreiben FROM main.Einstellungen ORDER BY ID LIMIT 1) = -1)")
        .arg(r);
}

// "Some field of the row changed", over the table's fields but those given.
QString anyChanged(const QString& table, const QStringList& except)
{
    QStringList changed;
    for (const QString& f : fieldsOfLayout(table, kUserVersion)) {
        if (!except.contains(f))
            changed << QStringLiteral("OLD.%1 IS NOT NEW.%1").arg(f);
    }
    return QLatin1Char('(') + changed.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

// The document a line belongs to: `a1` holds its ID as text.
QString documentOf(const QString& line)
{
    return QStringLiteral("(r.ID = CAST(%1.a1 AS INTEGER) AND CAST(r.ID AS TEXT) = CAST(%1.a1 AS TEXT))").arg(line);
}

} // namespace

QStringList lockStatements()
{
    const QString refuse = QStringLiteral(" BEGIN SELECT Festgeschrieben(r.a7) FROM main.Rechnungen r WHERE r.ID = OLD.ID AND ")
                           + lockedRow(QStringLiteral("r")) + QStringLiteral("; END");
    const QString refuseLine = QStringLiteral(" BEGIN SELECT Festgeschrieben(r.a7) FROM main.Rechnungen r WHERE (%1) AND ")
                               + lockedRow(QStringLiteral("r")) + QStringLiteral("; END");
    const QString verkaufChanged = anyChanged(QStringLiteral("Verkauf"), {});
    return {
        // The paid flag is the one thing that changes after issue.
        QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS Festschreiben_Rechnung_aendern BEFORE UPDATE ON main.Rechnungen "
                       "WHEN ")
            + anyChanged(QStringLiteral("Rechnungen"), {QStringLiteral("opt1")}) + refuse,
        QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS Festschreiben_Rechnung_loeschen BEFORE DELETE ON main.Rechnungen")
            + refuse,
        QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS Festschreiben_Position_neu BEFORE INSERT ON main.Verkauf")
            + refuseLine.arg(documentOf(QStringLiteral("NEW"))),
        QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS Festschreiben_Position_aendern BEFORE UPDATE ON main.Verkauf WHEN ")
            + verkaufChanged
            + refuseLine.arg(documentOf(QStringLiteral("OLD")) + QStringLiteral(" OR ") + documentOf(QStringLiteral("NEW"))),
        QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS Festschreiben_Position_loeschen BEFORE DELETE ON main.Verkauf")
            + refuseLine.arg(documentOf(QStringLiteral("OLD"))),
    };
}

bool installLockTriggers(const QSqlDatabase& db, QString* error)
{
    QSqlQuery q(db);
    for (const QString& s : lockStatements()) {
        if (!run(q, s, error))
            return false;
    }
    return true;
}

QString lockedMessage(const QString& number)
{
    return QString::fromUtf8("Die Rechnung %1 ist festgeschrieben und wird nicht mehr geändert. "
                             "Eine Korrektur geht über „Rechnung stornieren“.")
        .arg(number.trimmed());
}

QString lockRefusal(const QString& databaseText)
{
    static const QRegularExpression message(QString::fromUtf8(
        "Die Rechnung .* ist festgeschrieben und wird nicht mehr geändert\\. Eine Korrektur geht über „Rechnung stornieren“\\."));
    return message.match(databaseText).captured(0);
}

bool isLockable(const QString& kind, const QString& number)
{
    return !kind.startsWith(QLatin1String("An")) && !number.trimmed().isEmpty();
}

bool createSchema(const QSqlDatabase& db, QString* error)
{
    const QList<QPair<QString, QStringList>> tables = {
        {QStringLiteral("Kunden"), kundenFields()},
        {QStringLiteral("Artikel"), artikelFields()},
        {QStringLiteral("Rechnungen"), rechnungenFields()},
        {QStringLiteral("Verkauf"), verkaufFields()},
        {QStringLiteral("Einstellungen"), einstellungenFields()},
    };
    return inTransaction(db, error, [&](QSqlQuery& q) {
        for (const auto& t : tables) {
            if (!run(q, createTable(t.first, t.second), error))
                return false;
        }
        for (const QString& s : indexStatements()) {
            if (!run(q, s, error))
                return false;
        }
        const QStringList statements = {
            QStringLiteral("CREATE VIEW SortKunden AS SELECT * FROM Kunden "
                           "ORDER BY a2 COLLATE NOCASE, a3 COLLATE NOCASE, ID"),
            QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId),
            QStringLiteral("PRAGMA user_version = %1").arg(kUserVersion),
        };
        for (const QString& s : statements) {
            if (!run(q, s, error))
                return false;
        }
        return true;
    });
}

bool insertTemplateData(const QSqlDatabase& db, QChar decimalSeparator, QString* error)
{
    const auto s = [](const char* text) { return QVariant(QString::fromUtf8(text)); };
    const QList<QPair<QString, QVariant>> settings = {
        {QStringLiteral("Titel"), s("Ihre Firma")},
        {QStringLiteral("frei4"), s("Inhaber Max Mustermann")},
        {QStringLiteral("frei2"), s("Musterstraße 1")},
        {QStringLiteral("frei3"), s("12345 Musterstadt")},
        {QStringLiteral("Tel"), s("01234 56789-0")},
        {QStringLiteral("Fax"), s("01234 56789-9")},
        {QStringLiteral("Einst15"), s("")},
        {QStringLiteral("Einst1"), s("info@ihre-firma.de")},
        {QStringLiteral("Einst2"), s("http://www.ihre-firma.de")},
        {QStringLiteral("Vordruck"), QVariant(-1)},
        {QStringLiteral("Einst23"), s("Steuernummer")},
        {QStringLiteral("Einst6"), s("123/456/78901")},
        {QStringLiteral("Einst24"), s("USt-IdNr.")},
        {QStringLiteral("frei5"), s("DE123456789")},
        {QStringLiteral("Einst26"), s("Bankverbindung")},
        {QStringLiteral("Bank"), s("Musterbank Musterstadt")},
        {QStringLiteral("Einst25"), s("IBAN / BIC")},
        {QStringLiteral("Einst27"), s("DE00 1234 5678 9012 3456 78")},
        {QStringLiteral("Einst28"), s("MUSTDEFFXXX")},
        {QStringLiteral("Memo10"), s("")},
        {QStringLiteral("Einst3"), s("150")},
        {QStringLiteral("Einst4"), s("10")},
        {QStringLiteral("Einst5"), s("25")},
        {QStringLiteral("MWSt"), s("19")},
        {QStringLiteral("frei9"), s("7")},
        {QStringLiteral("frei8"), s("EUR")},
        {QStringLiteral("frei1"), s("1")},
        {QStringLiteral("Rechnungsnummer"), s("1000")},
        {QStringLiteral("Memo1"), s("Vielen Dank für Ihren Auftrag.")},
        {QStringLiteral("Memo2"), s("Wir berechnen Ihnen folgende Lieferungen und Leistungen:")},
        {QStringLiteral("Memo3"), s("Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug "
                                    "auf unser unten genanntes Konto. Wir bedanken uns für die gute Zusammenarbeit.")},
        {QStringLiteral("Memo4"), s("Vielen Dank für Ihre Anfrage.")},
        {QStringLiteral("Memo5"), s("Gerne unterbreiten wir Ihnen folgendes Angebot:")},
        {QStringLiteral("Memo6"), s("Dieses Angebot ist 30 Tage gültig. Über Ihren Auftrag würden wir uns sehr freuen.")},
        {QStringLiteral("Memo7"), s("Wir danken Ihnen für Ihre Bestellung")},
        {QStringLiteral("Memo8"), s("Ware erhalten / in Empfang genommen")},
        // No cash discount unless the user sets a percent.
        {QStringLiteral("Einst18"), s("10")},
        {QStringLiteral("Einst19"), s("0")},
        {QStringLiteral("Festschreiben"), QVariant(-1)},
    };
    const QList<QPair<QString, QVariant>> customer = {
        {QStringLiteral("a1"), s("Herrn")},
        {QStringLiteral("a2"), s("Mustermann")},
        {QStringLiteral("a3"), s("Max")},
        {QStringLiteral("a8"), s("")},
        {QStringLiteral("a4"), s("Musterweg 5")},
        {QStringLiteral("a5"), s("12345 Musterstadt")},
        {QStringLiteral("a6"), s("")},
        {QStringLiteral("a7"), s("")},
        {QStringLiteral("a40"), s("")},
        {QStringLiteral("a9"), s("")},
        {QStringLiteral("n1"), s("Musterkunde, kann geändert oder als Vorlage verwendet werden.")},
    };
    const QList<QPair<QString, QVariant>> article = {
        {QStringLiteral("a1"), s("")},
        {QStringLiteral("a2"), s("Stk.")},
        {QStringLiteral("a3"), s("Musterartikel")},
        {QStringLiteral("a4"), QVariant(QStringLiteral("10") + decimalSeparator + QStringLiteral("00"))},
        {QStringLiteral("a5"), s("")},
        {QStringLiteral("a19"), s("19")},
        {QStringLiteral("n1"), s("")},
    };
    return inTransaction(db, error, [&](QSqlQuery&) {
        return insertRow(db, QStringLiteral("Einstellungen"), settings, error)
            && insertRow(db, QStringLiteral("Kunden"), customer, error)
            && insertRow(db, QStringLiteral("Artikel"), article, error);
    });
}

} // namespace quittora::schema
