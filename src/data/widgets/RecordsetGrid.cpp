#include "data/widgets/RecordsetGrid.h"

#include "data/Recordset.h"
#include "data/RecordsetModel.h"

#include <QHeaderView>
#include <QScopedValueRollback>

namespace quittora {

RecordsetGrid::RecordsetGrid(Recordset& recordset, const QStringList& fields, const QStringList& captions,
                             QWidget* parent)
    : QTableView(parent)
    , m_rs(recordset)
    , m_model(new RecordsetModel(recordset, fields, captions, this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Fixed row heights keep a view over 50,000 records from measuring rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setFixedWidth(14);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { rowPicked(current); });
    // After the model has reset (re-read) or the position moved.
    connect(&m_rs, &Recordset::currentChanged, this, &RecordsetGrid::followRecordset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordsetGrid::followRecordset);
    followRecordset();
}

void RecordsetGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // A window made smaller must not hide the current record below the edge.
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void RecordsetGrid::rowPicked(const QModelIndex& current)
{
    if (m_following || !current.isValid() || current.row() == m_rs.position())
        return;
    if (!m_rs.moveTo(current.row()))
        followRecordset(); // the move was refused (a pending edit could not be stored)
}

void RecordsetGrid::followRecordset()
{
    const QScopedValueRollback<bool> guard(m_following, true);
    const int row = m_rs.hasCurrent() ? m_rs.position() : -1;
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const int column = std::max(0, currentIndex().column());
    int visibleColumn = column;
    while (visibleColumn < m_model->columnCount() && isColumnHidden(visibleColumn))
        ++visibleColumn;
    const QModelIndex index = m_model->index(row, visibleColumn < m_model->columnCount() ? visibleColumn : 0);
    if (currentIndex().row() != row)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else if (!selectionModel()->isRowSelected(row, {}))
        selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

} // namespace quittora
