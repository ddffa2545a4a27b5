#include "workspace/widgets/DesignGrid.h"

#include "data/RecordsetModel.h"
#include "data/widgets/RecordsetGrid.h"

#include <QHeaderView>

namespace quittora {

RecordsetGrid* makeDesignGrid(QWidget* parent, Recordset& recordset, const QString& name, const QRect& rect)
{
    const gridcolumns::Grid g = gridcolumns::grid(name);
    auto* grid = new RecordsetGrid(recordset, g.fields(), g.captions(), parent);
    grid->setObjectName(g.name);
    grid->setGeometry(rect);
    for (int c = 0; c < g.columns.size(); ++c) {
        if (g.columns.at(c).alignRight)
            grid->recordsetModel()->setColumnAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    applyDesignColumns(grid, g, 1.0);
    // The design widths leave room on the right; the last column (an amount
    // or a town) gets it, so "1500,00" is not cut to "1500...".
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

void applyDesignColumns(QTableView* view, const gridcolumns::Grid& grid, double factor)
{
    const int columns = view->model() ? view->model()->columnCount() : 0;
    for (int c = 0; c < grid.columns.size() && c < columns; ++c) {
        const gridcolumns::Column& column = grid.columns.at(c);
        view->setColumnHidden(c, column.hidden);
        const int width = gridcolumns::columnWidthPixels(column, factor);
        if (width > 0)
            view->setColumnWidth(c, width);
    }
}

} // namespace quittora
