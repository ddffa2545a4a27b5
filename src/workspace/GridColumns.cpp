#include "workspace/GridColumns.h"

#include <algorithm>
#include <cmath>

namespace quittora::gridcolumns {

namespace {

Column col(const char* field, const char* caption, double twips, bool right = false)
{
    return Column{QString::fromLatin1(field), QString::fromUtf8(caption), twips, false, right};
}

Column money(const char* field, const char* caption, double twips)
{
    Column c = col(field, caption, twips, true);
    c.amount = true;
    return c;
}

} // namespace

int dbGrid1DesignWidthPixels()
{
    return static_cast<int>(std::lround(kDbGrid1DesignWidthTwips / kTwipsPerPixel));
}

QStringList Grid::fields() const
{
    QStringList out;
    for (const Column& c : columns)
        out << c.field;
    return out;
}

QStringList Grid::captions() const
{
    QStringList out;
    for (const Column& c : columns)
        out << c.caption;
    return out;
}

Grid grid(const QString& name)
{
    if (name == QLatin1String("DBGrid1")) {
        return {name, QStringLiteral("Data2"),
                {col("a2", "Ein Art-Nr.", 945), col("a3", "   Bezeichnung", 3044), col("a19", "MwSt.", 600, true),
                 money("a4", "Preis", 870)}};
    }
    if (name == QLatin1String("DBGrid2")) {
        return {name, QStringLiteral("Data1"),
                {col("a2", "Name", 2220), col("a3", "Vorname", 1830), col("a5", "Plz / Ort", 1545)}};
    }
    if (name == QLatin1String("DBGrid3")) {
        return {name, QStringLiteral("Data2"),
                {col("a2", "Ein  Art-Nr.", 945), col("a3", "   Bezeichnung", 3044), col("a19", "MwSt,", 600, true),
                 money("a4", "Preis", 870)}};
    }
    if (name == QLatin1String("DBGrid4")) {
        return {name, QStringLiteral("Data3"),
                {col("a7", "Nr.", 769), col("a8", "Datum", 1080), col("a2", "Name", 1544), col("a5", "Ort", 1470),
                 money("a6", "Betrag", 795)}};
    }
    if (name == QLatin1String("DBGrid5")) {
        Column head = col("a1", "", 0);
        head.hidden = true; // the document's ID: the same in every row
        return {name, QStringLiteral("Data5"),
                {head, col("a2", "Anz", 540.2835), col("a3", "Einh Art", 824.882), col("n1", "Bezeichnung", 3620),
                 col("a19", "MwSt.", 600, true), money("a4", "E-Preis", 720), money("a5", "G-Preis", 720)}};
    }
    return {name, QString(), {}};
}

QList<Grid> allGrids()
{
    QList<Grid> out;
    for (const char* n : {"DBGrid1", "DBGrid2", "DBGrid3", "DBGrid4", "DBGrid5"})
        out << grid(QString::fromLatin1(n));
    return out;
}

double spreadFactor(int dbGrid1WidthPixels)
{
    if (dbGrid1WidthPixels <= 0)
        return 1.0;
    return dbGrid1WidthPixels * kTwipsPerPixel / kDbGrid1DesignWidthTwips;
}

int columnWidthPixels(const Column& column, double factor)
{
    if (column.widthTwips <= 0)
        return -1;
    return static_cast<int>(std::lround(column.widthTwips / kTwipsPerPixel * factor));
}

QList<int> columnWidthsPixels(const Grid& grid, double factor, int minAmountPixels)
{
    QList<int> widths;
    for (const Column& c : grid.columns)
        widths << (c.hidden ? -1 : columnWidthPixels(c, factor));
    int missing = 0;
    for (int i = 0; i < widths.size(); ++i) {
        if (grid.columns.at(i).amount && widths.at(i) >= 0 && widths.at(i) < minAmountPixels) {
            missing += minAmountPixels - widths.at(i);
            widths[i] = minAmountPixels;
        }
    }
    int widest = -1;
    for (int i = 0; i < widths.size(); ++i) {
        if (!grid.columns.at(i).amount && (widest < 0 || widths.at(i) > widths.at(widest)))
            widest = i;
    }
    if (missing > 0 && widest >= 0 && widths.at(widest) > 0)
        // A text column keeps at least half its width; beyond that the grid scrolls.
        widths[widest] = std::max(widths.at(widest) - missing, widths.at(widest) / 2);
    return widths;
}

} // namespace quittora::gridcolumns
