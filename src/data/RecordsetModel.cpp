#include "data/RecordsetModel.h"

#include "data/Database.h"
#include "data/Recordset.h"
#include "data/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace quittora {

namespace {
// About 16,000 rows stay cached; scrolling further reads them again.
constexpr int kMaxCachedBlocks = 64;
}

RecordsetModel::RecordsetModel(Recordset& recordset, const QStringList& fields, const QStringList& captions,
                               QObject* parent)
    : QAbstractTableModel(parent), m_rs(recordset), m_fields(fields), m_captions(captions)
{
    m_rowCount = m_rs.recordCount();
    m_lastCurrent = m_rs.hasCurrent() ? m_rs.position() : -1;
    connect(&m_rs, &Recordset::reloaded, this, &RecordsetModel::resetFromRecordset);
    connect(&m_rs, &Recordset::currentChanged, this, &RecordsetModel::followCurrent);
}

int RecordsetModel::columnOf(const QString& field) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void RecordsetModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    m_alignment.insert(column, alignment);
    if (m_rowCount > 0 && column >= 0 && column < columnCount())
        Q_EMIT dataChanged(index(0, column), index(m_rowCount - 1, column), {Qt::TextAlignmentRole});
}

int RecordsetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int RecordsetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::TextAlignmentRole) {
        const auto it = m_alignment.constFind(index.column());
        return it != m_alignment.cend() ? QVariant(static_cast<int>(it->toInt())) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != IdRole)
        return {};
    const Row* r = row(index.row());
    if (!r)
        return {};
    if (role == IdRole)
        return r->id;
    const QVariant v = r->values.value(index.column());
    if (role == Qt::DisplayRole && schema::isBooleanField(m_rs.baseTable(), m_fields.at(index.column())))
        return v.toLongLong() != 0 ? QStringLiteral("Ja") : QStringLiteral("Nein");
    if (role == Qt::DisplayRole)
        return v.toString();
    return v;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The row heads only mark the current record: a running number would say
    // nothing about the record and, five digits wide, take the room of the
    // amounts.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return QString();
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_fields.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const QString caption = m_captions.value(section);
    return caption.isNull() ? m_fields.at(section) : caption;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void RecordsetModel::resetFromRecordset()
{
    beginResetModel();
    m_blocks.clear();
    m_blockOrder.clear();
    m_rowCount = m_rs.recordCount();
    m_lastCurrent = -1;
    endResetModel();
}

// A record is written when the position leaves it and by update(); either
// way the rows of the record left and of the record now current are read
// again, and changed ones are announced.
void RecordsetModel::followCurrent()
{
    const int current = m_rs.hasCurrent() ? m_rs.position() : -1;
    QVector<int> rows;
    for (int r : {m_lastCurrent, current}) {
        if (r >= 0 && r < m_rowCount && m_blocks.contains(r / kBlockSize) && !rows.contains(r))
            rows << r;
    }
    m_lastCurrent = current;
    if (rows.isEmpty())
        return;
    QVector<qint64> ids;
    for (int r : rows)
        ids << m_blocks[r / kBlockSize][r % kBlockSize].id;
    const auto fresh = readRecords(ids);
    for (int r : rows) {
        Row& cached = m_blocks[r / kBlockSize][r % kBlockSize];
        const QVector<QVariant> values = fresh.value(cached.id, QVector<QVariant>(m_fields.size()));
        if (values != cached.values) {
            cached.values = values;
            Q_EMIT dataChanged(index(r, 0), index(r, columnCount() - 1));
        }
    }
}

const RecordsetModel::Row* RecordsetModel::row(int position) const
{
    if (position < 0 || position >= m_rowCount)
        return nullptr;
    const int block = position / kBlockSize;
    if (!m_blocks.contains(block) && !loadBlock(block))
        return nullptr;
    const QVector<Row>& rows = m_blocks[block];
    const int at = position % kBlockSize;
    return at < rows.size() ? &rows.at(at) : nullptr;
}

bool RecordsetModel::loadBlock(int block) const
{
    const int first = block * kBlockSize;
    const int last = std::min(first + kBlockSize, m_rowCount);
    QVector<qint64> ids;
    ids.reserve(last - first);
    for (int p = first; p < last; ++p)
        ids << m_rs.idAt(p);
    const auto records = readRecords(ids);
    QVector<Row> rows;
    rows.reserve(ids.size());
    for (qint64 id : std::as_const(ids))
        rows.append(Row{id, records.value(id, QVector<QVariant>(m_fields.size()))});
    if (m_blocks.size() >= kMaxCachedBlocks && !m_blockOrder.isEmpty())
        m_blocks.remove(m_blockOrder.takeFirst());
    m_blocks.insert(block, rows);
    m_blockOrder.append(block);
    return true;
}

QHash<qint64, QVector<QVariant>> RecordsetModel::readRecords(const QVector<qint64>& ids) const
{
    QHash<qint64, QVector<QVariant>> result;
    if (ids.isEmpty())
        return result;
    // Only fields the base table has go into the statement; others stay empty.
    const QStringList known = m_rs.fieldNames();
    QStringList columns{QStringLiteral("ID")};
    QVector<int> columnOfField(m_fields.size(), -1);
    for (int i = 0; i < m_fields.size(); ++i) {
        for (const QString& k : known) {
            if (k.compare(m_fields.at(i), Qt::CaseInsensitive) == 0) {
                columnOfField[i] = static_cast<int>(columns.size());
                columns << k;
                break;
            }
        }
    }
    QStringList marks;
    for (qsizetype i = 0; i < ids.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(m_rs.database().connection());
    q.setForwardOnly(true);
    bool ok = q.prepare(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
                        + m_rs.baseTable() + QStringLiteral(" WHERE ID IN (") + marks.join(QLatin1Char(','))
                        + QLatin1Char(')'));
    if (ok) {
        for (qint64 id : ids)
            q.addBindValue(id);
        ok = q.exec();
    }
    if (!ok) {
        qWarning("RecordsetModel: rows of %s could not be read: %s", qPrintable(m_rs.baseTable()),
                 qPrintable(q.lastError().text()));
        return result;
    }
    while (q.next()) {
        QVector<QVariant> values(m_fields.size());
        for (int i = 0; i < m_fields.size(); ++i) {
            if (columnOfField.at(i) >= 0)
                values[i] = q.value(columnOfField.at(i));
        }
        result.insert(q.value(0).toLongLong(), values);
    }
    if (q.lastError().isValid())
        qWarning("RecordsetModel: rows of %s could not be read whole: %s", qPrintable(m_rs.baseTable()),
                 qPrintable(q.lastError().text()));
    return result;
}

} // namespace quittora
