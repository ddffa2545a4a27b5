#include "tools/PostalCodeLookup.h"

#include "data/JetLike.h"
#include "data/SqlFunctions.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <limits>

namespace quittora::plz {

namespace {

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("quittora-plz-lookup-%1").arg(++counter);
}

QString quotedTable(Country country)
{
    return QLatin1Char('"') + tableName(country) + QLatin1Char('"');
}

// The typed prefix up to its first wildcard: what an index range can use.
QString literalPart(const QString& prefix)
{
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        const QChar c = prefix[i];
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            return prefix.left(i);
    }
    return prefix;
}

// Above every text that begins with key: key followed by the highest code
// point (texts compare by code point in the database).
QString upperBound(const QString& key)
{
    return key + QChar(0xDBFF) + QChar(0xDFFF);
}

QString missingText(const QString& path)
{
    return QStringLiteral("Die Postleitzahlen-Datenbank „%1“ wurde nicht gefunden. "
                          "Postleitzahlen können darum nicht gesucht werden.")
        .arg(QDir::toNativeSeparators(path));
}

QString unreadableText(const QString& path)
{
    return QStringLiteral("Die Postleitzahlen-Datenbank „%1“ kann nicht gelesen werden. "
                          "Postleitzahlen können darum nicht gesucht werden.")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

PostalCodeLookup::PostalCodeLookup(QObject* parent)
    : QObject(parent)
{
}

PostalCodeLookup::~PostalCodeLookup()
{
    close();
}

void PostalCodeLookup::close()
{
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

bool PostalCodeLookup::open(const QString& path)
{
    Q_EMIT aboutToReload();
    close();
    m_path = path;
    m_blocks.clear();
    m_count = 0;
    m_pos = -1;
    m_country = Country::Deutschland;
    m_order = SortOrder::Natural;
    m_status = Status::Ok;
    m_problem.clear();

    bool ok = false;
    if (!QFileInfo(path).isFile()) {
        m_status = Status::Missing;
        m_problem = missingText(path);
    } else {
        const QString name = nextConnectionName();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            ok = db.open() && registerSqlFunctions(db);
            QSqlQuery q(db);
            for (Country c : kCountries) {
                ok = ok
                    && q.exec(QStringLiteral("SELECT Postleitzahl, Ort, Zusatz, Bundesland, OrtSortierung, NrPlz, NrOrt "
                                             "FROM %1 LIMIT 0")
                                  .arg(quotedTable(c)));
            }
            if (!ok)
                db.close();
        }
        if (ok) {
            m_connection = name;
        } else {
            QSqlDatabase::removeDatabase(name);
            m_status = Status::Unreadable;
            m_problem = unreadableText(path);
        }
    }
    if (ok)
        ok = readCount();
    Q_EMIT reloaded();
    Q_EMIT currentChanged();
    return ok;
}

void PostalCodeLookup::fail()
{
    m_blocks.clear();
    m_count = 0;
    m_pos = -1;
    m_status = Status::Unreadable;
    m_problem = unreadableText(m_path);
    Q_EMIT failed(m_problem);
}

QString PostalCodeLookup::positionColumn() const
{
    switch (m_order) {
    case SortOrder::Natural:
        return QStringLiteral("rowid");
    case SortOrder::ByCode:
        return QStringLiteral("NrPlz");
    case SortOrder::ByTown:
        return QStringLiteral("NrOrt");
    }
    return {};
}

int PostalCodeLookup::positionOffset() const
{
    return m_order == SortOrder::Natural ? 1 : 0;
}

QString PostalCodeLookup::orderClause() const
{
    // The same orders as the positions, written so that the field's index
    // both narrows a search and yields the rows in order.
    switch (m_order) {
    case SortOrder::Natural:
        return QStringLiteral("ORDER BY rowid");
    case SortOrder::ByCode:
        return QStringLiteral("ORDER BY Postleitzahl, NrPlz");
    case SortOrder::ByTown:
        return QStringLiteral("ORDER BY OrtSortierung, NrOrt");
    }
    return {};
}

bool PostalCodeLookup::readCount()
{
    m_blocks.clear();
    m_count = 0;
    m_pos = -1;
    if (m_connection.isEmpty())
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    // Positions must run without gaps from the first row to the last, or
    // rows would go missing from the list.
    if (!q.exec(QStringLiteral("SELECT count(*), min(rowid), max(rowid), min(NrPlz), max(NrPlz), min(NrOrt), max(NrOrt) "
                               "FROM %1")
                    .arg(quotedTable(m_country)))
        || !q.next()) {
        fail();
        return false;
    }
    const qint64 count = q.value(0).toLongLong();
    if (count > 0
        && (q.value(1).toLongLong() != 1 || q.value(2).toLongLong() != count || q.value(3).toLongLong() != 0
            || q.value(4).toLongLong() != count - 1 || q.value(5).toLongLong() != 0
            || q.value(6).toLongLong() != count - 1 || count > std::numeric_limits<int>::max())) {
        fail();
        return false;
    }
    m_count = static_cast<int>(count);
    m_pos = m_count > 0 ? 0 : -1;
    return true;
}

void PostalCodeLookup::setCountry(Country country)
{
    if (m_connection.isEmpty()) {
        m_country = country;
        return;
    }
    Q_EMIT aboutToReload();
    m_country = country;
    m_order = SortOrder::Natural;
    readCount();
    Q_EMIT reloaded();
    Q_EMIT currentChanged();
}

void PostalCodeLookup::setOrder(SortOrder order)
{
    if (m_connection.isEmpty()) {
        m_order = order;
        return;
    }
    if (order == m_order) {
        // The same order again: the list reads back unchanged, only the
        // position returns to the first record, as after any re-read.
        moveFirst();
        return;
    }
    Q_EMIT aboutToReload();
    m_order = order;
    m_blocks.clear();
    m_pos = m_count > 0 ? 0 : -1;
    Q_EMIT reloaded();
    Q_EMIT currentChanged();
}

void PostalCodeLookup::setPosition(int position)
{
    if (position == m_pos)
        return;
    m_pos = position;
    Q_EMIT currentChanged();
}

bool PostalCodeLookup::moveTo(int position)
{
    if (position < 0 || position >= recordCount())
        return false;
    setPosition(position);
    return true;
}

bool PostalCodeLookup::moveFirst()
{
    return moveTo(0);
}

bool PostalCodeLookup::moveLast()
{
    return moveTo(recordCount() - 1);
}

bool PostalCodeLookup::moveNext()
{
    return m_pos >= 0 && moveTo(m_pos + 1);
}

bool PostalCodeLookup::movePrevious()
{
    return m_pos > 0 && moveTo(m_pos - 1);
}

PostalCode PostalCodeLookup::current() const
{
    return at(m_pos);
}

PostalCode PostalCodeLookup::at(int position) const
{
    if (position < 0 || position >= recordCount())
        return {};
    const int block = position / kBlockSize;
    if (!m_blocks.contains(block) && !loadBlock(block))
        return {};
    return m_blocks.value(block).value(position % kBlockSize);
}

bool PostalCodeLookup::loadBlock(int block) const
{
    if (m_connection.isEmpty())
        return false;
    // Scrolling through the whole list must not keep all of it.
    if (m_blocks.size() >= 64)
        m_blocks.clear();
    const int first = block * kBlockSize;
    const int last = qMin(first + kBlockSize, recordCount());
    const int offset = positionOffset();
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1, Postleitzahl, Ort, Zusatz, Bundesland FROM %2 WHERE %1 >= ? AND %1 < ?")
                  .arg(positionColumn(), quotedTable(m_country)));
    q.addBindValue(first + offset);
    q.addBindValue(last + offset);
    if (!q.exec())
        return false;
    QVector<PostalCode> rows(last - first);
    while (q.next()) {
        const qint64 position = q.value(0).toLongLong() - offset;
        if (position >= first && position < last) {
            rows[position - first] = PostalCode{q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                                                q.value(4).toString()};
        }
    }
    m_blocks.insert(block, rows);
    return true;
}

bool PostalCodeLookup::findFirst(SearchPlan::Field field, const QString& prefix)
{
    m_noMatch = true;
    if (m_connection.isEmpty() || m_count == 0)
        return false;

    // The index range narrows the candidates to those that begin with the
    // literal part of the prefix; LIKE then decides exactly, with the
    // program's wildcards and letter case rules.
    const QString literal = literalPart(prefix);
    QString rangeField;
    QString rangeKey;
    QString likeField;
    if (field == SearchPlan::Field::Code) {
        likeField = QStringLiteral("Postleitzahl");
        rangeField = likeField;
        // Digits have no other letter case, so they can narrow the range as
        // typed.
        qsizetype digits = 0;
        while (digits < literal.size() && literal[digits].isDigit() && literal[digits].unicode() < 0x80)
            ++digits;
        rangeKey = literal.left(digits);
    } else {
        likeField = QStringLiteral("Ort");
        rangeField = QStringLiteral("OrtSortierung");
        rangeKey = townKey(literal);
    }

    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE ").arg(positionColumn(), quotedTable(m_country));
    QVariantList params;
    if (!rangeKey.isEmpty()) {
        sql += QStringLiteral("%1 >= ? AND %1 < ? AND ").arg(rangeField);
        params << rangeKey << upperBound(rangeKey);
    }
    sql += QStringLiteral("%1 LIKE ? %2 LIMIT 1").arg(likeField, orderClause());
    params << likePattern(prefix, LikeMode::StartsWith);

    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    if (!q.exec())
        return false;
    if (!q.next())
        return false;
    const qint64 position = q.value(0).toLongLong() - positionOffset();
    if (position < 0 || position >= m_count)
        return false;
    m_noMatch = false;
    setPosition(static_cast<int>(position));
    return true;
}

bool PostalCodeLookup::search(const QString& text)
{
    const SearchPlan plan = planSearch(text);
    if (plan.sortFirst)
        setOrder(*plan.sortFirst);
    return findFirst(plan.field, plan.prefix);
}

// --- model -------------------------------------------------------------------

PostalCodeModel::PostalCodeModel(PostalCodeLookup& lookup, QObject* parent)
    : QAbstractTableModel(parent)
    , m_lookup(lookup)
    , m_rows(lookup.recordCount())
{
    connect(&lookup, &PostalCodeLookup::aboutToReload, this, [this] { beginResetModel(); });
    connect(&lookup, &PostalCodeLookup::reloaded, this, [this] {
        m_rows = m_lookup.recordCount();
        endResetModel();
    });
}

int PostalCodeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int PostalCodeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PostalCodeModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const PostalCode row = m_lookup.at(index.row());
    switch (index.column()) {
    case PostleitzahlColumn:
        return row.postleitzahl;
    case OrtColumn:
        return row.ort;
    case ZusatzColumn:
        return row.zusatz;
    case LandColumn:
        return row.bundesland;
    default:
        return {};
    }
}

QVariant PostalCodeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    switch (section) {
    case PostleitzahlColumn:
        return QStringLiteral("Postleitzahl");
    case OrtColumn:
        return QStringLiteral("Ort");
    case ZusatzColumn:
        return QStringLiteral("Zusatz");
    case LandColumn:
        return QStringLiteral("Land");
    default:
        return {};
    }
}

Qt::ItemFlags PostalCodeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace quittora::plz
