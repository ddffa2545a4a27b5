#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quittora {

// The five grids of the main window: which fields they show, their German
// headings and the column widths of the design. Widths are kept in twips, the
// unit of the design (15 twips to a pixel at 96 dpi), and spread with the
// window: every resize sets the design widths and multiplies them by the
// factor by which the article grid DBGrid1 has grown.
namespace gridcolumns {

inline constexpr double kTwipsPerPixel = 15.0;
// Width of DBGrid1 in the design; the spread factor is measured against it.
inline constexpr int kDbGrid1DesignWidthTwips = 6345;
int dbGrid1DesignWidthPixels();

struct Column {
    QString field;
    QString caption;
    double widthTwips = 0; // 0: the design sets no width for this column
    bool hidden = false;
    bool alignRight = false;
    bool amount = false; // shows money: must never be cut short
};

struct Grid {
    QString name;   // DBGrid1 ... DBGrid5
    QString source; // Data1 ... Data5
    QList<Column> columns;

    QStringList fields() const;
    QStringList captions() const;
};

// The grid by name; an empty grid (no columns) for an unknown name.
Grid grid(const QString& name);
QList<Grid> allGrids();

// Spread factor: current width of DBGrid1 against its design width. 1 when
// the width is unknown.
double spreadFactor(int dbGrid1WidthPixels);
// Pixel width of a column at a factor; -1 when the design sets none.
int columnWidthPixels(const Column& column, double factor);
// The pixel widths of all columns at a factor (-1 where the design sets
// none), each amount column at least minAmountPixels wide. What the amounts
// need more is taken from the widest column, so the columns still fill the
// width they fill in the design and an amount is never cut off.
QList<int> columnWidthsPixels(const Grid& grid, double factor, int minAmountPixels);

} // namespace gridcolumns
} // namespace quittora
