#include "print/OverviewList.h"

#include "data/Numbers.h"
#include "print/PrintCursor.h"

#include <algorithm>

namespace quittora {

namespace {

using namespace literals;

constexpr int kAmountWidth = 7;

void printAmount(PrintCursor& p, const QString& text)
{
    p.CurrentX = 130_mm;
    p.FontName = QStringLiteral("Courier New");
    p.FontBold = true;
    p.Print(text);
    p.FontBold = false;
    p.FontName = QStringLiteral("Arial");
}

// A column's text on one line and short enough to end before the next
// column: a long name would otherwise run into the amount and make both
// unreadable.
QString fitted(const PrintCursor& p, QString text, Millimetres room)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return p.ElidedText(text, room);
}

} // namespace

void Rechnungsaufstellung_drucken(PrintCursor& p)
{
    p.ForeColor = Qt::black;
    p.Line(15_mm, 25_mm, 197_mm, 25_mm);
    for (const double x : {152.0, 167.0, 182.0})
        p.Line(Millimetres(x), 15_mm, Millimetres(x), 285_mm);

    p.FontName = QStringLiteral("Arial");
    p.FontBold = false;
    p.FontUnderline = false;
    p.FontSize = 10;
    p.CurrentY = 17_mm;
    p.CurrentX = 20_mm;
    p.Print(QStringLiteral("R.-Datum"), PrintCursor::LineEnd::No);
    p.CurrentX = 45_mm;
    p.Print(QStringLiteral("R.-Nr. "), PrintCursor::LineEnd::No);
    p.CurrentX = 62_mm;
    p.Print(QStringLiteral("R.-Name"), PrintCursor::LineEnd::No);
    p.CurrentX = 130_mm;
    p.Print(QStringLiteral("R.-Betrag"));
    p.CurrentY = Millimetres(overviewlist::kFirstRowY);
}

namespace overviewlist {

QString printQuestion() { return QStringLiteral("Die angezeigten Rechnugsaufstellung drucken ?"); }
QString printTitle() { return QStringLiteral("Achtung !"); }

QString listAmount(const QString& storedAmount, QChar decimalSeparator, int width)
{
    const auto value = localeNumber(storedAmount, decimalSeparator);
    const QString text = value ? amountText(*value, decimalSeparator) : storedAmount;
    return text.rightJustified(std::max(width, kAmountWidth), QLatin1Char(' '));
}

std::vector<PageModel> documents(const QList<overview::Row>& rows, Decimal total, QChar decimalSeparator)
{
    if (rows.isEmpty())
        return {};
    // The amounts and the total are right-aligned in a fixed-width font; a
    // total (or an amount) wider than the usual seven characters widens the
    // whole column, so the figures still stand under each other.
    const QString totalText = amountText(total, decimalSeparator);
    int width = static_cast<int>(totalText.size());
    for (const overview::Row& row : rows)
        width = std::max(width, static_cast<int>(listAmount(row.amount, decimalSeparator).size()));

    PrintCursor p;
    Rechnungsaufstellung_drucken(p);
    for (const overview::Row& row : rows) {
        if (p.CurrentY > Millimetres(kPageEndY)) {
            p.NewPage();
            Rechnungsaufstellung_drucken(p);
        }
        p.CurrentX = 20_mm;
        p.Print(fitted(p, row.date, 24_mm), PrintCursor::LineEnd::No);
        p.CurrentX = 45_mm;
        p.Print(fitted(p, row.number, 16_mm), PrintCursor::LineEnd::No);
        p.CurrentX = 62_mm;
        p.Print(fitted(p, row.name, 66_mm), PrintCursor::LineEnd::No);
        printAmount(p, listAmount(row.amount, decimalSeparator, width));
        p.Print();
    }
    p.Print();
    p.CurrentX = 45_mm;
    p.Print(QStringLiteral("Gesamtsumme"), PrintCursor::LineEnd::No);
    printAmount(p, totalText.rightJustified(std::max(width, kAmountWidth), QLatin1Char(' ')));
    return p.takeDocuments();
}

} // namespace overviewlist

} // namespace quittora
