#pragma once

#include <QTableView>

namespace quittora {

class Recordset;
class RecordsetModel;

// A data-bound grid: a read-only table view of a Recordset whose current row
// is the recordset's current record, both ways. Picking a row moves the
// recordset (which stores a pending edit first, as every move does); moving
// the recordset selects and shows its row. Rows are read lazily by the model,
// so large sets cost only what is on screen.
class RecordsetGrid : public QTableView {
    Q_OBJECT
public:
    RecordsetGrid(Recordset& recordset, const QStringList& fields, const QStringList& captions,
                  QWidget* parent = nullptr);

    Recordset& recordset() const { return m_rs; }
    RecordsetModel* recordsetModel() const { return m_model; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rowPicked(const QModelIndex& current);
    void followRecordset();

    Recordset& m_rs;
    RecordsetModel* m_model;
    bool m_following = false;
};

} // namespace quittora
