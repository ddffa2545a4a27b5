#include "workspace/widgets/DesignGrid.h"

#include "data/RecordsetModel.h"
#include "data/widgets/RecordsetGrid.h"

#include <QHeaderView>

namespace quittora {

int amountColumnMinWidth(const QTableView* view)
{
    // Five digits before the separator, the cell's margins on both sides.
    return view->fontMetrics().horizontalAdvance(QStringLiteral("00000.00")) + 10;
}

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
    const QList<int> widths = gridcolumns::columnWidthsPixels(grid, factor, amountColumnMinWidth(view));
    for (int c = 0; c < grid.columns.size() && c < columns; ++c) {
        view->setColumnHidden(c, grid.columns.at(c).hidden);
        if (widths.at(c) > 0)
            view->setColumnWidth(c, widths.at(c));
    }
}

} // namespace quittora
