#include "tools/PostalCodes.h"

#include "platform/ErrorTexts.h"

#include "data/Numbers.h"
#include "tools/ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <tuple>
#include <filesystem>
#include <system_error>

namespace quittora::plz {

QString tableName(Country country)
{
    switch (country) {
    case Country::Deutschland:
        return QStringLiteral("tblPostleitzahlen");
    case Country::Oesterreich:
        return QStringLiteral("tbl_PLZ_Österreich");
    case Country::Schweiz:
        return QStringLiteral("tbl_PLZ_Schweiz");
    }
    return {};
}

QString countryCaption(Country country)
{
    switch (country) {
    case Country::Deutschland:
        return QStringLiteral("Deutschland");
    case Country::Oesterreich:
        return QStringLiteral("Österreich");
    case Country::Schweiz:
        return QStringLiteral("Schweiz");
    }
    return {};
}

std::optional<Country> countryFromSetting(const QString& value)
{
    const QString v = value.trimmed();
    if (v == QLatin1String("0"))
        return Country::Deutschland;
    if (v == QLatin1String("1"))
        return Country::Oesterreich;
    if (v == QLatin1String("2"))
        return Country::Schweiz;
    return std::nullopt;
}

QString settingValue(Country country)
{
    return QString::number(static_cast<int>(country));
}

QString databasePath(const QString& programFolder)
{
    return programFilePath(programFolder, QLatin1String(kFileName));
}

QString townKey(QStringView town)
{
    QString key;
    key.reserve(town.size());
    for (const QChar c : town) {
        if (c.unicode() < 0x80) {
            key += c.toLower();
            continue;
        }
        // Everything below depends on the folded character only, as the
        // program's LIKE compares folded characters.
        const QChar folded = c.toCaseFolded();
        if (folded == QChar(0x00DF)) {
            key += QLatin1String("ss");
            continue;
        }
        const QString decomposed = QString(folded).normalized(QString::NormalizationForm_D);
        for (const QChar d : decomposed) {
            if (!d.isMark())
                key += d.toCaseFolded();
        }
    }
    return key;
}

namespace {

// The code part of the search text: codes hold no blanks, so the part ends
// at the first one (a customer's "1010 Wien" must find 1010, not "1010 ").
QString codePart(QStringView part)
{
    part = part.trimmed();
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part[i].isSpace())
            return part.left(i).toString();
    }
    return part.toString();
}

} // namespace

SearchPlan planSearch(const QString& text)
{
    using Field = SearchPlan::Field;
    const QStringView t(text);
    if (t.startsWith(QLatin1String("D-")) || t.startsWith(QLatin1String("D ")))
        return {Field::Code, std::nullopt, codePart(t.mid(2, 5))};
    if (t.startsWith(QLatin1String("A-")) || t.startsWith(QLatin1String("A ")))
        return {Field::Code, std::nullopt, codePart(t.mid(2, 4))};
    if (t.startsWith(QLatin1String("CH-")) || t.startsWith(QLatin1String("CH ")))
        return {Field::Code, std::nullopt, codePart(t.mid(3, 4))};
    if (leadingNumber(t) > Decimal())
        return {Field::Code, SortOrder::ByCode, codePart(t.left(5))};
    return {Field::Town, SortOrder::ByTown, text};
}

QString takeOverText(const QString& code, const QString& town)
{
    return code + QLatin1Char(' ') + town;
}

// --- CSV ---------------------------------------------------------------------

CsvReader::CsvReader(QString text)
    : m_text(std::move(text))
{
    if (m_text.startsWith(QChar(0xFEFF)))
        m_pos = 1;
}

bool CsvReader::readRecord(QStringList* fields)
{
    fields->clear();
    if (!m_error.isEmpty())
        return false;
    const qsizetype n = m_text.size();
    // Completely empty lines carry no record.
    while (m_pos < n && (m_text[m_pos] == QLatin1Char('\n') || m_text[m_pos] == QLatin1Char('\r'))) {
        if (m_text[m_pos] == QLatin1Char('\n'))
            ++m_line;
        ++m_pos;
    }
    if (m_pos >= n)
        return false;

    m_recordLine = m_line;
    QString field;
    bool quoted = false;      // inside a quoted section
    for (;;) {
        if (m_pos >= n) {
            if (quoted) {
                m_error = QStringLiteral("Zeile %1: Ein Feld in Anführungszeichen wird nicht geschlossen.")
                              .arg(m_recordLine);
                fields->clear();
                return false;
            }
            fields->append(field);
            return true;
        }
        const QChar c = m_text[m_pos++];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (m_pos < n && m_text[m_pos] == QLatin1Char('"')) {
                    field += c;
                    ++m_pos;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++m_line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            fields->append(field);
            field.clear();
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && (m_pos >= n || m_text[m_pos] == QLatin1Char('\n')))) {
            if (c == QLatin1Char('\r'))
                ++m_pos;
            ++m_line;
            fields->append(field);
            return true;
        } else {
            // A quote inside an unquoted field, or text after a closing quote,
            // is kept as it stands.
            field += c;
        }
    }
}

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString germanStateName(const QString& state)
{
    // The postal-code data names some German states in English and Berlin
    // twice; the lookup shows the names a German reader knows.
    static const QHash<QString, QString> german = {
        {QStringLiteral("Bavaria"), QStringLiteral("Bayern")},
        {QStringLiteral("Lower Saxony"), QStringLiteral("Niedersachsen")},
        {QStringLiteral("Saxony"), QStringLiteral("Sachsen")},
        {QStringLiteral("Saxony-Anhalt"), QStringLiteral("Sachsen-Anhalt")},
        {QStringLiteral("Thuringia"), QStringLiteral("Thüringen")},
        {QStringLiteral("Mecklenburg-Western Pomerania"), QStringLiteral("Mecklenburg-Vorpommern")},
        {QStringLiteral("North Rhine-Westphalia"), QStringLiteral("Nordrhein-Westfalen")},
        {QStringLiteral("Rhineland-Palatinate"), QStringLiteral("Rheinland-Pfalz")},
        {QStringLiteral("Hesse"), QStringLiteral("Hessen")},
        {QStringLiteral("Land Berlin"), QStringLiteral("Berlin")},
        {QStringLiteral("Carinthia"), QStringLiteral("Kärnten")},
        {QStringLiteral("Lower Austria"), QStringLiteral("Niederösterreich")},
        {QStringLiteral("Upper Austria"), QStringLiteral("Oberösterreich")},
        {QStringLiteral("Styria"), QStringLiteral("Steiermark")},
        {QStringLiteral("Tyrol"), QStringLiteral("Tirol")},
        {QStringLiteral("Vienna"), QStringLiteral("Wien")},
    };
    return german.value(state, state);
}

std::optional<CsvRows> readPostalCodeCsv(const QString& path, QString* message)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *message = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden (%2).").arg(shown(path), fileReason(file));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        *message = QStringLiteral("Die Datei „%1“ ist keine UTF-8-Textdatei.").arg(shown(path));
        return std::nullopt;
    }

    CsvReader reader(std::move(text));
    QStringList header;
    if (!reader.readRecord(&header)) {
        *message = reader.error().isEmpty()
            ? QStringLiteral("Die Datei „%1“ ist leer.").arg(shown(path))
            : QStringLiteral("Die Datei „%1“ ist fehlerhaft: %2").arg(shown(path), reader.error());
        return std::nullopt;
    }
    auto column = [&header](const char* name) {
        for (qsizetype i = 0; i < header.size(); ++i) {
            if (header[i].trimmed().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        }
        return -1;
    };
    const int zipcode = column("zipcode");
    const int place = column("place");
    const int state = column("state");
    const int province = column("province");
    const int community = column("community");
    if (zipcode < 0 || place < 0) {
        *message = QStringLiteral("Die Datei „%1“ ist keine Postleitzahlen-Datei: "
                                  "die Spalten „zipcode“ und „place“ fehlen in der ersten Zeile.")
                       .arg(shown(path));
        return std::nullopt;
    }

    CsvRows result;
    QStringList fields;
    auto at = [&fields](int i) { return i >= 0 && i < fields.size() ? fields[i].trimmed() : QString(); };
    while (reader.readRecord(&fields)) {
        PostalCode row{at(zipcode), at(place), at(community), germanStateName(at(state))};
        if (row.zusatz.isEmpty())
            row.zusatz = at(province);
        if (row.postleitzahl.isEmpty() || row.ort.isEmpty()) {
            ++result.skipped;
            continue;
        }
        result.rows.append(std::move(row));
    }
    if (!reader.error().isEmpty()) {
        *message = QStringLiteral("Die Datei „%1“ ist fehlerhaft: %2").arg(shown(path), reader.error());
        return std::nullopt;
    }
    if (result.rows.isEmpty()) {
        *message = QStringLiteral("Die Datei „%1“ enthält keine Postleitzahlen.").arg(shown(path));
        return std::nullopt;
    }
    return result;
}

// --- the database file -------------------------------------------------------

namespace {

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("quittora-plz-%1").arg(++counter);
}

QString quoted(const QString& identifier)
{
    return QLatin1Char('"') + identifier + QLatin1Char('"');
}

// An SQLite connection that is removed again when it goes out of scope.
class Connection {
public:
    Connection(const QString& path, bool readOnly)
        : m_name(nextConnectionName())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError().text();
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
    QString m_error;
};

// Runs the statements in order; the first failure's text, or empty.
QString execAll(QSqlDatabase db, const QStringList& statements)
{
    QSqlQuery q(db);
    for (const QString& s : statements) {
        if (!q.exec(s))
            return q.lastError().text();
    }
    return {};
}

// Positions of the rows in the two sorted orders (0-based), by row index.
// Texts compare as the database compares them (UTF-8 bytes), so that the
// order by position is the order of the field indexes as well; rows alike in
// both keys keep their file order.
struct Ranks {
    QVector<int> byCode;
    QVector<int> byTown;
};

Ranks rank(const QList<PostalCode>& rows, const QList<QByteArray>& codes, const QList<QByteArray>& keys)
{
    const int n = static_cast<int>(rows.size());
    QVector<int> byCode(n);
    QVector<int> byTown(n);
    std::iota(byCode.begin(), byCode.end(), 0);
    std::iota(byTown.begin(), byTown.end(), 0);
    std::stable_sort(byCode.begin(), byCode.end(), [&](int a, int b) {
        return std::tie(codes[a], keys[a]) < std::tie(codes[b], keys[b]);
    });
    std::stable_sort(byTown.begin(), byTown.end(), [&](int a, int b) {
        return std::tie(keys[a], codes[a]) < std::tie(keys[b], codes[b]);
    });
    Ranks ranks{QVector<int>(n), QVector<int>(n)};
    for (int position = 0; position < n; ++position) {
        ranks.byCode[byCode[position]] = position;
        ranks.byTown[byTown[position]] = position;
    }
    return ranks;
}

QString writeTable(QSqlDatabase db, Country country, const QList<PostalCode>& rows)
{
    const QString table = tableName(country);
    const QString t = quoted(table);
    QList<QByteArray> codes;
    QList<QByteArray> keys;
    QStringList keyTexts;
    for (const PostalCode& row : rows) {
        codes.append(row.postleitzahl.toUtf8());
        keyTexts.append(townKey(row.ort));
        keys.append(keyTexts.last().toUtf8());
    }
    const Ranks ranks = rank(rows, codes, keys);

    if (!db.transaction())
        return db.lastError().text();
    // NrPlz and NrOrt: the row's position in the list sorted by code and by
    // town. The lookup reads the rows of a screen and places a found row by
    // them, instead of sorting the table whenever the order changes.
    QString failure = execAll(db, {
        QStringLiteral("CREATE TABLE %1 (Postleitzahl TEXT NOT NULL, Ort TEXT NOT NULL, "
                       "Zusatz TEXT NOT NULL DEFAULT '', Bundesland TEXT NOT NULL DEFAULT '', "
                       "OrtSortierung TEXT NOT NULL, NrPlz INTEGER NOT NULL, NrOrt INTEGER NOT NULL)").arg(t),
    });
    if (failure.isEmpty()) {
        QSqlQuery insert(db);
        if (!insert.prepare(QStringLiteral("INSERT INTO %1 (rowid, Postleitzahl, Ort, Zusatz, Bundesland, "
                                           "OrtSortierung, NrPlz, NrOrt) "
                                           "VALUES (?, ?, ?, COALESCE(?, ''), COALESCE(?, ''), ?, ?, ?)").arg(t))) {
            failure = insert.lastError().text();
        }
        for (qsizetype i = 0; failure.isEmpty() && i < rows.size(); ++i) {
            const PostalCode& row = rows[i];
            insert.bindValue(0, static_cast<qint64>(i) + 1); // file order, without gaps
            insert.bindValue(1, row.postleitzahl);
            insert.bindValue(2, row.ort);
            insert.bindValue(3, row.zusatz);
            insert.bindValue(4, row.bundesland);
            insert.bindValue(5, keyTexts[i]);
            insert.bindValue(6, ranks.byCode[i]);
            insert.bindValue(7, ranks.byTown[i]);
            if (!insert.exec())
                failure = insert.lastError().text();
        }
    }
    if (failure.isEmpty()) {
        // The searches' ranges in the order of the list, and the rows of a
        // screen by position.
        failure = execAll(db, {
            QStringLiteral("CREATE INDEX %1 ON %2 (Postleitzahl, NrPlz)").arg(quoted(table + QStringLiteral("_Plz")), t),
            QStringLiteral("CREATE INDEX %1 ON %2 (OrtSortierung, NrOrt)").arg(quoted(table + QStringLiteral("_Ort")), t),
            QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (NrPlz)").arg(quoted(table + QStringLiteral("_NrPlz")), t),
            QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (NrOrt)").arg(quoted(table + QStringLiteral("_NrOrt")), t),
        });
    }
    if (failure.isEmpty() && !db.commit())
        failure = db.lastError().text();
    if (!failure.isEmpty())
        db.rollback();
    return failure;
}

bool replaceFile(const QString& from, const QString& to, QString* why)
{
    std::error_code ec;
    // rename() puts the new file in place in one step, also over an existing
    // one: readers see either the old or the new database, never half of it.
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            ec);
    if (ec) {
        *why = QString::fromLocal8Bit(ec.message());
        return false;
    }
    return true;
}

} // namespace

bool isPostalCodeDatabase(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    Connection con(path, true);
    if (!con.isOpen())
        return false;
    QSqlQuery q(con.db());
    if (q.exec(QStringLiteral("PRAGMA application_id")) && q.next() && q.value(0).toInt() == kApplicationId)
        return true;
    for (Country c : kCountries) {
        if (!q.exec(QStringLiteral("SELECT Postleitzahl, Ort FROM %1 LIMIT 0").arg(quoted(tableName(c)))))
            return false;
    }
    return true;
}

ImportResult importPostalCodes(const QString& target, const std::array<QString, 3>& csvFiles)
{
    ImportResult result;
    const QFileInfo targetInfo(target);
    if (targetInfo.exists()) {
        if (!targetInfo.isFile()) {
            result.message = QStringLiteral("„%1“ ist keine Datei.").arg(shown(target));
            return result;
        }
        // Never replace what may be someone's data (a Quittora database given by
        // mistake); an empty file holds nothing to lose.
        if (targetInfo.size() > 0 && !isPostalCodeDatabase(target)) {
            result.message = QStringLiteral("Die Datei „%1“ ist keine Postleitzahlen-Datenbank und wird nicht ersetzt.")
                                 .arg(shown(target));
            return result;
        }
    }

    std::array<CsvRows, 3> data;
    for (std::size_t i = 0; i < csvFiles.size(); ++i) {
        auto rows = readPostalCodeCsv(csvFiles[i], &result.message);
        if (!rows)
            return result;
        data[i] = std::move(*rows);
    }

    const QString folder = targetInfo.absolutePath();
    if (!QDir().mkpath(folder)) {
        result.message = QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden.").arg(shown(folder));
        return result;
    }
    QTemporaryFile temp(QDir(folder).filePath(targetInfo.fileName() + QStringLiteral(".XXXXXX")));
    if (!temp.open()) {
        result.message = QStringLiteral("Im Ordner „%1“ kann keine Datei angelegt werden (%2).")
                             .arg(shown(folder), fileReason(temp));
        return result;
    }
    const QString tempPath = temp.fileName();
    temp.close(); // SQLite writes it; the object still removes it on failure

    QString failure;
    {
        Connection con(tempPath, false);
        if (!con.isOpen()) {
            failure = con.error();
        } else {
            QSqlDatabase db = con.db();
            failure = execAll(db, {
                QStringLiteral("PRAGMA journal_mode = MEMORY"),
                QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId),
                QStringLiteral("PRAGMA user_version = %1").arg(kUserVersion),
            });
            for (std::size_t i = 0; failure.isEmpty() && i < kCountries.size(); ++i)
                failure = writeTable(db, kCountries[i], data[i].rows);
            // Statistics let the planner pick the right index for each search.
            if (failure.isEmpty())
                failure = execAll(db, {QStringLiteral("ANALYZE")});
        }
    }
    if (failure.isEmpty()) {
        QFile::setPermissions(tempPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::ReadOther);
        QString why;
        if (!replaceFile(tempPath, target, &why))
            failure = why;
        else
            temp.setAutoRemove(false);
    }
    if (!failure.isEmpty()) {
        result.message = QStringLiteral("Die Postleitzahlen-Datenbank „%1“ konnte nicht geschrieben werden (%2).")
                             .arg(shown(target), failure);
        return result;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        result.rows[i] = static_cast<int>(data[i].rows.size());
        result.skipped[i] = data[i].skipped;
    }
    result.ok = true;
    return result;
}

} // namespace quittora::plz
