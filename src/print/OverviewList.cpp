#include "print/OverviewList.h"

#include "data/Numbers.h"
#include "print/PrintCursor.h"

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

QString listAmount(const QString& storedAmount, QChar decimalSeparator)
{
    const auto value = localeNumber(storedAmount, decimalSeparator);
    const QString text = value ? amountText(*value, decimalSeparator) : storedAmount;
    return text.rightJustified(kAmountWidth, QLatin1Char(' '));
}

std::vector<PageModel> documents(const QList<overview::Row>& rows, Decimal total, QChar decimalSeparator)
{
    if (rows.isEmpty())
        return {};
    PrintCursor p;
    Rechnungsaufstellung_drucken(p);
    for (const overview::Row& row : rows) {
        if (p.CurrentY > Millimetres(kPageEndY)) {
            p.NewPage();
            Rechnungsaufstellung_drucken(p);
        }
        p.CurrentX = 20_mm;
        p.Print(row.date, PrintCursor::LineEnd::No);
        p.CurrentX = 45_mm;
        p.Print(row.number, PrintCursor::LineEnd::No);
        p.CurrentX = 62_mm;
        p.Print(row.name, PrintCursor::LineEnd::No);
        printAmount(p, listAmount(row.amount, decimalSeparator));
        p.Print();
    }
    p.Print();
    p.CurrentX = 45_mm;
    p.Print(QStringLiteral("Gesamtsumme"), PrintCursor::LineEnd::No);
    printAmount(p, amountText(total, decimalSeparator).rightJustified(kAmountWidth, QLatin1Char(' ')));
    return p.takeDocuments();
}

} // namespace overviewlist

} // namespace quittora
