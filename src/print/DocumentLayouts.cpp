#include "print/DocumentLayouts.h"

#include "print/GiroCode.h"

#include "data/CompanySettings.h"
#include "data/Numbers.h"
#include "print/GiroCode.h"
#include "print/Letterhead.h"
#include "print/PrintCursor.h"
#include "print/PrintedAmount.h"
#include "documents/VatBreakdown.h"

#include <QRegularExpression>

#include <algorithm>

namespace quittora {

namespace {

using namespace literals;
using namespace layout;

constexpr Millimetres mm(double v) { return Millimetres(v); }

// Free texts end here at the latest: the right edge of the totals column.
constexpr double kTextRightX = 197.0;
// Heads of the first figure columns of the item table.
constexpr double kVatColumnX = 143.0;
constexpr double kUnitPriceColumnX = 163.0;
// The right end of the frame's rules.
constexpr double kFrameRightX = 200.0;
// The first intro line, and the reminder text above it, which keeps clear of
// the dates (from 78 mm with the letterhead, from 87 mm without).
constexpr double kIntroY = 107.0;
constexpr double kReminderX = 23.0;
constexpr double kReminderGap = 1.5;
// Where the reference line of a reminder begins when it fits.
constexpr double kReferenceX = 170.0;
// The address window (DIN 5008): 85 mm wide from x 20; its lines start at
// 23 and keep their places when they fit. A line too long for it is broken,
// and the last line stays clear of the reminder text below the window.
constexpr double kAddressX = 23.0;
constexpr double kAddressRightX = 105.0;
constexpr double kAddressFirstY = 53.0;
constexpr double kAddressTownY = 73.0;
constexpr double kAddressLastInvoiceY = 78.0;
constexpr double kAddressLastDeliveryNoteY = 83.0;
constexpr double kAddressPitch = 5.0;
constexpr double kGiroCodeX = 109.0;
constexpr double kGiroCodeY = 52.0;
constexpr double kGiroCodeSize = 22.0; // the code with its quiet zone; the modules take about 18 mm
// The room for the VAT between the rules at 235 and 256: the closing text,
// and below it one row per rate in the size of the cash-discount sentence,
// so that three rates fit below a closing text of two lines.
constexpr double kVatRoomTop = 236.0;
constexpr double kVatRoomBottom = 255.5;
constexpr double kVatRowSize = 8.0;
// Space kept between a text and the figures beside it.
constexpr double kColumnGap = 2.0;

// Copies beyond this are certainly a typing slip; reading them as a number of
// that size must not overflow.
constexpr long long kCopiesReadLimit = 1000000;

QString setting(const CompanySettings& company, const char* field)
{
    return company.text(QString::fromLatin1(field));
}

bool isBlank(const QString& text) { return text.trimmed().isEmpty(); }

void setFont(PrintCursor& p, double size, bool bold)
{
    p.FontName = QStringLiteral("Arial");
    p.FontSize = size;
    p.FontBold = bold;
    p.FontUnderline = false;
    p.ForeColor = Qt::black;
}

// Prints a free text of the settings or the user at (x, y), wrapped so that
// no line passes `right`; its own line breaks stay. Returns the y below its
// last line.
double printWrapped(PrintCursor& p, double x, double y, const QString& text, double right)
{
    const QStringList lines = p.WrapText(text, Millimetres(right - x));
    p.CurrentX = Millimetres(x);
    p.CurrentY = Millimetres(y);
    p.Print(lines.join(QLatin1Char('\n')));
    return p.CurrentY.value();
}

void rule(PrintCursor& p, double y) { p.Line(14_mm, mm(y), 200_mm, mm(y)); }

// A footer line from its caption and values. The settings dialog keeps
// them in boxes of their own, so a caption is typed without a trailing
// blank ("Steuernummer", "IBAN / BIC"): one blank goes between two parts
// unless the first already ends in one.
void printFooter(PrintCursor& p, const CompanySettings& c)
{
    p.FontName = QStringLiteral("Arial");
    p.FontSize = 7.5;
    p.FontBold = false;
    p.PrintAt(21_mm, 273_mm, c.footerText({"Einst23", "Einst6"}));
    p.PrintAt(21_mm, 276_mm, c.footerText({"Einst24", "frei5"}));
    p.PrintAt(60_mm, 273_mm, c.footerText({"Einst26", "Bank"}));
    p.PrintAt(60_mm, 276_mm, c.footerText({"Einst25", "Einst27", "Einst28"}));
}

int copiesFrom(const Decimal& value)
{
    const Decimal whole = value.rounded(0);
    if (whole < Decimal::fromInt(1))
        return 0;
    if (whole > Decimal::fromInt(kCopiesReadLimit))
        return int(kCopiesReadLimit);
    return int(whole.toLongLong());
}

// The parts the invoice and the delivery note share: the first page's frame,
// the address window's placement rules, the date, and the walk over the items
// with its page breaks.
class DocumentPrinter {
public:
    enum class Kind { Invoice, DeliveryNote };

    DocumentPrinter(Kind kind, const DocumentHead& head, const QList<DocumentLine>& lines,
                    const CompanySettings& company, const PrintEnvironment& env)
        : m_kind(kind)
        , m_head(head)
        , m_lines(lines)
        , m_company(company)
        , m_env(env)
        , m_letterhead(company.printLetterhead())
        , m_twoRates(documents::twoRatesSet(company))
        , m_quote(head.kind.left(2) == QStringLiteral("An"))
        , m_vat(documents::vatBreakdown(lines, env.basis, env.decimalSeparator))
    {
    }

    void printInvoice(PrintCursor& p, const QString& Mahntext);
    void printDeliveryNote(PrintCursor& p, const QString& Mahntext);

private:
    QString amount(const QString& stored) const
    {
        return printedAmount(stored, m_env.decimalSeparator, m_company.currency());
    }
    QString amount(Decimal value) const
    {
        return printedAmount(value, m_env.decimalSeparator, m_company.currency());
    }
    QString vatLabel() const
    {
        return m_env.basis == PriceBasis::Gross ? QStringLiteral("enthaltene MwSt.")
                                                : QStringLiteral("zuzüglich MwSt.");
    }
    double descriptionX() const
    {
        return m_kind == Kind::Invoice ? kInvoiceDescriptionX : kDeliveryDescriptionX;
    }
    // "Angebot Nr. " with nothing after it reads as if the number had been
    // left out: a document without number is titled by its kind alone.
    QString title() const
    {
        const QString kind = m_kind == Kind::Invoice ? m_head.kind : QStringLiteral("Auftrag");
        return isBlank(m_head.number) ? kind : kind + QStringLiteral(" Nr. ") + m_head.number;
    }

    void firstPageFrame(PrintCursor& p) const;
    void tableHead(PrintCursor& p, double y) const;
    double printDate(PrintCursor& p, const QString& date, bool reminder = false) const;
    void printAddress(PrintCursor& p) const;
    void printGiroCode(PrintCursor& p) const;
    QStringList vatRows() const;
    void referenceLine(PrintCursor& p) const;
    double printReminderText(PrintCursor& p, const QString& Mahntext, double dateBottom) const;
    double descriptionEnd(PrintCursor& p, const DocumentLine& line) const;
    struct FigureEnds {
        double rate = 151;
        double unitPrice = 172;
        double amount = 196;
    };
    FigureEnds figureEnds(PrintCursor& p, const DocumentLine& line) const;
    QStringList printedDescription(PrintCursor& p, const DocumentLine& line) const;
    void printItems(PrintCursor& p);
    void printClosingBlock(PrintCursor& p);
    void printItemColumns(PrintCursor& p, const DocumentLine& line, double y);
    void pageBreak(PrintCursor& p);

    Kind m_kind;
    const DocumentHead& m_head;
    const QList<DocumentLine>& m_lines;
    const CompanySettings& m_company;
    const PrintEnvironment& m_env;
    bool m_letterhead;
    bool m_twoRates;
    bool m_quote;
    documents::VatBreakdown m_vat;
    int m_page = 1;
    Decimal m_carryOver;
};

void DocumentPrinter::tableHead(PrintCursor& p, double y) const
{
    setFont(p, 8, true);
    p.PrintAt(19_mm, mm(y), QStringLiteral("Menge"));
    p.PrintAt(32_mm, mm(y), QStringLiteral("Art / Einh"));
    if (m_kind == Kind::Invoice) {
        p.PrintAt(55_mm, mm(y), QStringLiteral("Bezeichnung / Leistung"));
        if (m_twoRates)
            p.PrintAt(143_mm, mm(y), QStringLiteral("MwSt."));
        p.PrintAt(163_mm, mm(y), QStringLiteral("E-Preis"));
        p.PrintAt(187_mm, mm(y), QStringLiteral("G-Preis"));
    } else {
        p.PrintAt(70_mm, mm(y), QStringLiteral("Bezeichnung"));
    }
    p.FontBold = false;
}

void DocumentPrinter::firstPageFrame(PrintCursor& p) const
{
    p.DrawWidth = 3;
    p.ForeColor = Qt::black;
    p.Line(0_mm, 105_mm, 8_mm, 105_mm); // fold mark
    rule(p, 121);
    rule(p, 126);
    tableHead(p, 122);
    if (m_letterhead)
        Kopf_drucken(p, m_company, m_env.titleColour, m_env.decimalSeparator);
}

// The document date and, below it, the delivery date: an invoice says it
// either way, a delivery note only when one is set, a quote never. A
// reminder is dated today, so there the invoice's own date is named. Returns
// the y below the block.
// Between the address window (up to x 105) and the date column (from x 135),
// below the sender line: a place no other text of page 1 takes, reminders
// included (their text stays below the date).
void DocumentPrinter::printGiroCode(PrintCursor& p) const
{
    if (!m_env.giroCode)
        return;
    const auto code = giroCodeFor(m_head, m_company, m_env.decimalSeparator);
    if (!code)
        return;
    const QImage image = giroCodeImage(code->payload());
    if (!p.PaintPicture(image, mm(kGiroCodeX), mm(kGiroCodeY), mm(kGiroCodeSize)))
        return;
    setFont(p, 6, false);
    p.PrintAt(mm(kGiroCodeX + 1.5), mm(kGiroCodeY + kGiroCodeSize), QStringLiteral("Zahlen per GiroCode"));
}

double DocumentPrinter::printDate(PrintCursor& p, const QString& date, bool reminder) const
{
    setFont(p, 10.5, false);
    const double x = m_letterhead ? 135.0 : 150.0;
    const double y = m_letterhead ? 78.0 : 87.0;
    p.PrintAt(mm(x), mm(y), m_letterhead ? QStringLiteral("Datum: ") + date : date);
    const bool set = !isBlank(m_head.deliveryDate);
    if (m_quote || (m_kind == Kind::DeliveryNote && !set))
        return p.CurrentY.value();
    const QString delivery = set || (reminder && !isBlank(m_head.date))
        ? QStringLiteral("Leistungsdatum: ") + (set ? m_head.deliveryDate.trimmed() : m_head.date.trimmed())
        : QStringLiteral("Leistungsdatum entspricht Rechnungsdatum");
    return printWrapped(p, x, y + 5.0, delivery, kFrameRightX);
}

// The address lines at their places in the window; one too long for it is
// broken onto the next line, the lines below move down, and the town keeps
// its place while there is room above it. When even that is too much, the
// line broken most is shortened with "…". The delivery note prints name and
// town in bold and always keeps the blank line above the town.
void DocumentPrinter::printAddress(PrintCursor& p) const
{
    const bool note = m_kind == Kind::DeliveryNote;
    struct AddressLine {
        QString text;
        bool bold = false;
        QStringList pieces;
    };
    QList<AddressLine> lines;
    lines.append({m_head.name, note, {}});
    if (!isBlank(m_head.addition))
        lines.append({m_head.addition, false, {}});
    lines.append({m_head.street, false, {}});
    lines.append({m_head.town, note, {}});
    const Millimetres width = mm(kAddressRightX - kAddressX);
    for (AddressLine& line : lines) {
        QString text = line.text;
        static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
        text.replace(lineBreaks, QStringLiteral(" "));
        setFont(p, 10.5, line.bold);
        line.pieces = p.WrapText(text, width);
    }
    // Where the town (the last line) starts, given the rows above it.
    const auto townY = [&] {
        qsizetype above = 0;
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            above += lines[i].pieces.size();
        const double next = kAddressFirstY + kAddressPitch * double(1 + above);
        return std::max(kAddressTownY, next + (note ? kAddressPitch : 0.0));
    };
    const double last = note ? kAddressLastDeliveryNoteY : kAddressLastInvoiceY;
    while (townY() + kAddressPitch * double(lines.last().pieces.size() - 1) > last + 1e-9) {
        AddressLine* most = &lines.first();
        for (AddressLine& line : lines)
            most = line.pieces.size() > most->pieces.size() ? &line : most;
        if (most->pieces.size() < 2)
            break;
        setFont(p, 10.5, most->bold);
        const QString rest = most->pieces.takeLast();
        most->pieces.last() = p.ElidedText(most->pieces.last() + QLatin1Char(' ') + rest, width);
    }

    setFont(p, 10.5, false);
    p.PrintAt(mm(kAddressX), mm(kAddressFirstY), p.ElidedText(m_head.salutation, width));
    double y = kAddressFirstY + kAddressPitch;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i + 1 == lines.size())
            y = townY();
        setFont(p, 10.5, lines[i].bold);
        for (const QString& piece : lines[i].pieces) {
            p.PrintAt(mm(kAddressX), mm(y), piece);
            y += kAddressPitch;
        }
    }
    p.FontBold = false;
}

void DocumentPrinter::referenceLine(PrintCursor& p) const
{
    setFont(p, 12, false);
    const QString text = QStringLiteral(" Nr. ") + m_head.number + QStringLiteral(" vom ") + m_head.date;
    // At 170 mm the line would run off the paper: it ends at the right edge
    // of the frame at the latest.
    const double x = std::min(kReferenceX, kFrameRightX - p.TextWidth(text).value());
    p.PrintAt(mm(x), 74_mm, text);
}

void DocumentPrinter::printItemColumns(PrintCursor& p, const DocumentLine& line, double y)
{
    if (m_kind != Kind::Invoice)
        return;
    const FigureEnds ends = figureEnds(p, line);
    if (m_twoRates && !isBlank(line.rate))
        p.PrintRight(line.rate + QLatin1Char('%'), mm(ends.rate), mm(y));
    if (!isBlank(line.unitPrice))
        p.PrintRight(amount(line.unitPrice), mm(ends.unitPrice), mm(y));
    if (!isBlank(line.amount))
        p.PrintRight(amount(line.amount), mm(ends.amount), mm(y));
    // The carry-over is the running sum of the printed "G-Preis" column: every
    // line total that is a number in the locale's writing, small ones too,
    // so the last page's "Übertrag" is the sum of all the items above it.
    if (const auto value = localeNumber(line.amount, m_env.decimalSeparator))
        m_carryOver += *value;
}

// Where the description of the line must end: before the first figure the
// line prints to its right, and never beyond the head of the first figure
// column, so descriptions form one column; a line without figures (a text
// line, every line of a delivery note) may use the width up to the totals'
// right edge.
double DocumentPrinter::descriptionEnd(PrintCursor& p, const DocumentLine& line) const
{
    if (m_kind != Kind::Invoice)
        return kTextRightX;
    setFont(p, 10.5, false);
    double end = kTextRightX + kColumnGap;
    bool figures = false;
    const auto figure = [&](const QString& text, double right) {
        end = std::min(end, right - p.TextWidth(text).value());
        figures = true;
    };
    const FigureEnds ends = figureEnds(p, line);
    if (m_twoRates && !isBlank(line.rate))
        figure(line.rate + QLatin1Char('%'), ends.rate);
    if (!isBlank(line.unitPrice))
        figure(amount(line.unitPrice), ends.unitPrice);
    if (!isBlank(line.amount))
        figure(amount(line.amount), ends.amount);
    if (!figures)
        return kTextRightX;
    return std::min(end, m_twoRates ? kVatColumnX : kUnitPriceColumnX) - kColumnGap;
}

// Where the figures of an item line end. Each column ends at its place unless
// the figure to its right is too wide for its own column (a unit price from
// 1.000 EUR, a line total from 10.000 EUR): then it moves left just enough to
// keep a gap, so figures never print over each other.
DocumentPrinter::FigureEnds DocumentPrinter::figureEnds(PrintCursor& p, const DocumentLine& line) const
{
    setFont(p, 10.5, false);
    FigureEnds ends;
    if (!isBlank(line.amount))
        ends.unitPrice = std::min(ends.unitPrice, ends.amount - p.TextWidth(amount(line.amount)).value() - kColumnGap);
    if (!isBlank(line.unitPrice))
        ends.rate = std::min(ends.rate, ends.unitPrice - p.TextWidth(amount(line.unitPrice)).value() - kColumnGap);
    return ends;
}

// The description's printed lines: its own lines, each wrapped to the width
// its column leaves.
QStringList DocumentPrinter::printedDescription(PrintCursor& p, const DocumentLine& line) const
{
    const double width = descriptionEnd(p, line) - descriptionX();
    setFont(p, 10.5, false);
    QStringList out;
    for (const QString& own : descriptionLines(line.description))
        out << p.WrapText(own, mm(width));
    return out;
}

void DocumentPrinter::printItems(PrintCursor& p)
{
    const double x = descriptionX();
    double y = kFirstItemY - kItemPitch;
    bool pageHasItems = false;
    const auto breakPage = [&] {
        pageBreak(p);
        y = kFollowItemY - kItemPitch;
    };

    for (const DocumentLine& line : m_lines) {
        const QStringList text = printedDescription(p, line);
        y += kItemPitch;
        // A description of several lines moves to the next page as a whole
        // when it does not fit below the items already there but would fit
        // on a page of its own; a longer one continues on the next page.
        const double continuation = kItemPitch * double(text.size() - 1);
        if (pageHasItems && y + continuation > kLastItemY && kFollowItemY + continuation <= kLastItemY) {
            breakPage();
            y += kItemPitch;
        }
        setFont(p, 10.5, false);
        p.PrintRight(line.quantity, 27_mm, mm(y));
        p.PrintAt(32_mm, mm(y), line.unit);
        p.CurrentX = mm(x);
        p.CurrentY = mm(y);
        p.Print(text.first(), PrintCursor::LineEnd::No);
        printItemColumns(p, line, y);
        pageHasItems = true;

        for (qsizetype i = 1; i < text.size(); ++i) {
            if (y > kBreakAfterY)
                breakPage();
            y += kItemPitch;
            setFont(p, 10.5, false);
            p.CurrentX = mm(x);
            p.CurrentY = mm(y);
            p.Print(text.at(i), PrintCursor::LineEnd::No);
        }
        if (y > kBreakAfterY) {
            breakPage();
            pageHasItems = false;
        }
    }
}

void DocumentPrinter::pageBreak(PrintCursor& p)
{
    if (m_kind == Kind::Invoice)
        rule(p, 256);
    rule(p, 269);
    if (m_letterhead)
        printFooter(p, m_company);
    if (m_kind == Kind::Invoice) {
        // The size stays what it was: 7.5 right after the footer, else the
        // items' 10.5.
        p.FontName = QStringLiteral("Arial");
        p.FontBold = true;
        p.PrintAt(138_mm, 260_mm, QStringLiteral("Übertrag "));
        setFont(p, 10.5, false);
        p.PrintRight(amount(m_carryOver), 198_mm, 260_mm);
    }

    p.NewPage();
    tableHead(p, 23);
    rule(p, 22);
    rule(p, 27);
    ++m_page;
    setFont(p, 10.5, true);
    p.PrintAt(20_mm, 15_mm, title() + QStringLiteral("   Seite ") + QString::number(m_page));
    if (m_kind == Kind::Invoice) {
        p.PrintAt(138_mm, 15_mm, QStringLiteral("Übertrag "));
        p.FontBold = false;
        p.PrintRight(amount(m_carryOver), 198_mm, 15_mm);
    }
    p.FontBold = false;
}

// What the VAT room says: per rate that has lines, its net amount, the rate
// and its VAT, the highest rate first, and what lines without a rate add;
// a small business (both rates of the settings 0) that charges no VAT
// states why instead.
QStringList DocumentPrinter::vatRows() const
{
    const bool smallBusiness =
        leadingNumber(m_company.vatRate1()).isZero() && leadingNumber(m_company.vatRate2()).isZero();
    if (smallBusiness && !m_vat.chargesVat())
        return {QStringLiteral("Gemäß § 19 UStG wird keine Umsatzsteuer berechnet.")};
    QStringList rows;
    for (auto it = m_vat.rates.crbegin(); it != m_vat.rates.crend(); ++it)
        rows << plainNumberText(it->rate, m_env.decimalSeparator) + QStringLiteral(" % MwSt. auf ") + amount(it->net)
                    + QStringLiteral(": ") + amount(it->vat);
    if (m_vat.hasLinesWithoutRate)
        rows << QStringLiteral("ohne MwSt.-Satz: ") + amount(m_vat.withoutRate);
    return rows;
}

// The closing text at (20, 242) and the VAT rows below it, between the rules
// at 235 and 256. The closing text wraps inside the room it has: up to the
// totals' right edge, or in two-rate mode up to the labels of the totals
// beside it. The rows stand at 249 where they fit; where the closing text
// and the rows need more room they start higher, up to just below the rule
// at 235, and a closing text that would still push the rows across the rule
// at 256 is set smaller, down to the size of the rows.
void DocumentPrinter::printClosingBlock(PrintCursor& p)
{
    setFont(p, 10.5, false);
    double right = kTextRightX;
    if (m_twoRates)
        right = 170.0 - std::max(p.TextWidth(QStringLiteral("Netto")), p.TextWidth(vatLabel())).value() - 3.0;
    const QStringList rows = vatRows();
    setFont(p, kVatRowSize, false);
    const double rowHeight = p.TextHeight().value();
    const double rowsHeight = double(rows.size()) * rowHeight;

    QStringList lines;
    double lineHeight = 0;
    for (const double size : {10.5, 9.5, 9.0, 8.5, kVatRowSize}) {
        setFont(p, size, false);
        lines = p.WrapText(setting(m_company, m_quote ? "Memo6" : "Memo3"), mm(right - 20.0));
        while (lines.size() > 1 && lines.last().trimmed().isEmpty())
            lines.removeLast();
        lineHeight = p.TextHeight().value();
        if (double(lines.size()) * lineHeight + rowsHeight <= kVatRoomBottom - kVatRoomTop)
            break;
    }
    const double closingHeight = double(lines.size()) * lineHeight;
    double y = 242.0;
    if (y + closingHeight + rowsHeight > kVatRoomBottom)
        y = std::max(kVatRoomTop, kVatRoomBottom - closingHeight - rowsHeight);
    for (qsizetype i = 0; i < lines.size(); ++i)
        p.PrintAt(20_mm, mm(y + double(i) * lineHeight), lines.at(i));
    const double rowsY = std::max(y + closingHeight, std::min(249.0, kVatRoomBottom - rowsHeight));
    setFont(p, kVatRowSize, false);
    for (qsizetype i = 0; i < rows.size(); ++i)
        p.PrintAt(20_mm, mm(rowsY + double(i) * rowHeight), rows.at(i));
}

// The reminder text stands above the intro lines. At its nominal place,
// y 110, it would print across both of them, so its last line ends just
// above the first intro line; a long text wraps and grows upwards into the
// free space below the date and the delivery date (dateBottom). Returns
// where the intro lines may begin: one too long even for that space pushes
// them down rather than print over them.
double DocumentPrinter::printReminderText(PrintCursor& p, const QString& Mahntext, double dateBottom) const
{
    setFont(p, 14, false);
    const QStringList lines = p.WrapText(Mahntext, mm(kTextRightX - kReminderX));
    const double lineHeight = p.TextHeight().value();
    const double top = dateBottom + kReminderGap;
    const double y = std::max(top, kIntroY - kReminderGap - double(lines.size()) * lineHeight);
    p.CurrentX = mm(kReminderX);
    p.CurrentY = mm(y);
    p.Print(lines.join(QLatin1Char('\n')));
    return std::max(kIntroY, p.CurrentY.value() + kReminderGap);
}

void DocumentPrinter::printInvoice(PrintCursor& p, const QString& Mahntext)
{
    m_page = 1;
    m_carryOver = Decimal();
    const bool reminder = !Mahntext.isEmpty();
    firstPageFrame(p);

    const QDate today = m_env.today.isValid() ? m_env.today : QDate::currentDate();
    const double dateBottom = printDate(p, reminder ? dateText(today) : m_head.date, reminder);
    const double introY = reminder ? printReminderText(p, Mahntext, dateBottom) : kIntroY;
    setFont(p, 12, false);
    p.PrintAt(135_mm, 70_mm, title());

    setFont(p, 10.5, false);
    // A first intro line that wraps pushes the second down.
    const double afterFirst =
        printWrapped(p, 20, introY, setting(m_company, m_quote ? "Memo4" : "Memo1"), kTextRightX);
    printWrapped(p, 20, std::max(introY + 5.0, afterFirst), setting(m_company, m_quote ? "Memo5" : "Memo2"),
                 kTextRightX);

    printAddress(p);
    if (reminder)
        referenceLine(p);
    printGiroCode(p);

    printItems(p);

    // A quote is no invoice: a total labelled as the amount of an invoice
    // with VAT shown can make its sender owe that VAT, and no cash discount
    // is due on it.
    setFont(p, 8, false);
    if (!m_quote)
        p.PrintAt(15_mm, 260_mm, m_head.skonto);
    setFont(p, 10.5, true);
    p.PrintRight(m_quote ? QStringLiteral("Angebotssumme") : QStringLiteral("Rechnungsbetrag"), 170_mm, 260_mm);
    p.FontBold = false;
    if (m_twoRates) {
        p.PrintRight(amount(m_head.net), 198_mm, 240_mm);
        p.PrintRight(QStringLiteral("Netto"), 170_mm, 240_mm);
        p.PrintRight(amount(m_head.vatTotal), 198_mm, 249_mm);
        p.PrintRight(vatLabel(), 170_mm, 249_mm);
    }
    p.FontBold = true;
    p.PrintRight(amount(m_head.gross), 197_mm, 260_mm);
    p.FontBold = false;

    printClosingBlock(p);

    p.DrawWidth = 3;
    for (const double y : {235.0, 256.0, 269.0, 270.0})
        rule(p, y);
    printFooter(p, m_company);
    p.EndDoc();
}

void DocumentPrinter::printDeliveryNote(PrintCursor& p, const QString& Mahntext)
{
    m_page = 1;
    firstPageFrame(p);

    setFont(p, 12, false);
    p.PrintAt(135_mm, 70_mm, title());
    setFont(p, 12, true);
    p.PrintAt(20_mm, 105_mm, QStringLiteral("Lieferschein"));
    setFont(p, 10.5, false);
    printWrapped(p, 20, 112, setting(m_company, "Memo7"), kTextRightX);

    printAddress(p);
    printDate(p, m_head.date);
    if (!Mahntext.isEmpty())
        referenceLine(p);

    printItems(p);

    rule(p, 269);
    if (m_letterhead)
        printFooter(p, m_company);
    if (m_env.receiptConfirmation) {
        p.Line(120_mm, 260_mm, 185_mm, 260_mm);
        setFont(p, 10.5, false);
        printWrapped(p, 120, 242, setting(m_company, "Memo8"), kTextRightX);
    }
    p.EndDoc();
}

} // namespace

QStringList descriptionLines(const QString& description)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = description.split(lineBreak);
    while (lines.size() > 1 && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

int invoiceCopies(const QString& copiesSetting, QChar decimalSeparator)
{
    const auto value = localeNumber(copiesSetting, decimalSeparator);
    return value ? copiesFrom(*value) : 0;
}

int deliveryNoteCopies(const QString& copiesSetting)
{
    return copiesFrom(leadingNumber(copiesSetting));
}

std::vector<PageModel> invoiceDocuments(const DocumentHead& head, const QList<DocumentLine>& lines,
                                        const CompanySettings& company, const PrintEnvironment& env, int copies,
                                        const QString& Mahntext)
{
    PrintCursor p;
    DocumentPrinter printer(DocumentPrinter::Kind::Invoice, head, lines, company, env);
    for (int copy = 0; copy < copies; ++copy)
        printer.printInvoice(p, copy == 0 ? Mahntext : QString());
    return p.takeDocuments();
}

std::vector<PageModel> deliveryNoteDocuments(const DocumentHead& head, const QList<DocumentLine>& lines,
                                             const CompanySettings& company, const PrintEnvironment& env,
                                             int copies, const QString& Mahntext)
{
    PrintCursor p;
    DocumentPrinter printer(DocumentPrinter::Kind::DeliveryNote, head, lines, company, env);
    for (int copy = 0; copy < copies; ++copy)
        printer.printDeliveryNote(p, Mahntext);
    return p.takeDocuments();
}

} // namespace quittora
