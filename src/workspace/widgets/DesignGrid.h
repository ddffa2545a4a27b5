#pragma once

#include "workspace/GridColumns.h"

#include <QRect>

class QTableView;
class QWidget;

namespace quittora {

class Recordset;
class RecordsetGrid;

// Creates one of the main window's grids as designed (fields, headings,
// alignment, design name) at its design rectangle.
RecordsetGrid* makeDesignGrid(QWidget* parent, Recordset& recordset, const QString& name, const QRect& rect);

// The narrowest an amount column may be in this view's font.
int amountColumnMinWidth(const QTableView* view);

// Sets the design widths of a grid's columns spread by a factor (see
// gridcolumns::spreadFactor), amounts wide enough to be read whole; hidden
// columns stay hidden.
void applyDesignColumns(QTableView* view, const gridcolumns::Grid& grid, double factor);

} // namespace quittora
