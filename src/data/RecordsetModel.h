#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QVector>

namespace quittora {

class Recordset;

// The grid view of a Recordset: one row per record of the set, in its order,
// one column per named field of the base table. Read-only; windows edit the
// current record through the recordset itself.
//
// Rows are read in blocks of IDs when a view asks for them, so a set of
// 50,000 documents costs only the rows on screen. The cache is dropped when
// the set is re-read; rows whose record was written are read again.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kBlockSize = 256;
    // ID of a row's record, for any column.
    static constexpr int IdRole = Qt::UserRole + 1;

    // fields and captions pair up by index (captions are the German column
    // headers); a missing caption shows the field name.
    RecordsetModel(Recordset& recordset, const QStringList& fields, const QStringList& captions,
                   QObject* parent = nullptr);

    Recordset& recordset() const { return m_rs; }
    QString fieldAt(int column) const { return m_fields.value(column); }
    // Column of a field (case-insensitive), -1 when not shown.
    int columnOf(const QString& field) const;
    void setColumnAlignment(int column, Qt::Alignment alignment);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        qint64 id = -1;
        QVector<QVariant> values;
    };
    void resetFromRecordset();
    void followCurrent();
    const Row* row(int position) const;
    bool loadBlock(int block) const;
    QHash<qint64, QVector<QVariant>> readRecords(const QVector<qint64>& ids) const;

    Recordset& m_rs;
    QStringList m_fields;
    QStringList m_captions;
    QHash<int, Qt::Alignment> m_alignment;
    int m_rowCount = 0;
    int m_lastCurrent = -1;
    mutable QHash<int, QVector<Row>> m_blocks;
    mutable QList<int> m_blockOrder; // oldest first, for dropping blocks
};

} // namespace quittora
