#include "print/DocumentLayouts.h"

#include "data/CompanySettings.h"
#include "data/Numbers.h"
#include "print/Letterhead.h"
#include "print/PrintCursor.h"
#include "print/PrintedAmount.h"

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
// the date: below "Datum:" at 78 mm with the letterhead, below the date alone
// at 87 mm without.
constexpr double kIntroY = 107.0;
constexpr double kReminderX = 23.0;
constexpr double kReminderTopWithLetterheadY = 83.0;
constexpr double kReminderTopY = 92.0;
constexpr double kReminderGap = 1.5;
// Where the reference line of a reminder begins when it fits.
constexpr double kReferenceX = 170.0;
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

    void firstPageFrame(PrintCursor& p) const;
    void tableHead(PrintCursor& p, double y) const;
    void printDate(PrintCursor& p, const QString& date) const;
    void referenceLine(PrintCursor& p) const;
    double printReminderText(PrintCursor& p, const QString& Mahntext) const;
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

void DocumentPrinter::printDate(PrintCursor& p, const QString& date) const
{
    if (m_letterhead)
        p.PrintAt(135_mm, 78_mm, QStringLiteral("Datum: ") + date);
    else
        p.PrintAt(150_mm, 87_mm, date);
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
    const QString title = m_kind == Kind::Invoice ? m_head.kind : QStringLiteral("Auftrag");
    p.PrintAt(20_mm, 15_mm, title + QStringLiteral(" Nr. ") + m_head.number + QStringLiteral("   Seite ")
                                + QString::number(m_page));
    if (m_kind == Kind::Invoice) {
        p.PrintAt(138_mm, 15_mm, QStringLiteral("Übertrag "));
        p.FontBold = false;
        p.PrintRight(amount(m_carryOver), 198_mm, 15_mm);
    }
    p.FontBold = false;
}

// The closing text at (20, 242) and, in two-rate mode, the VAT breakdown at
// (20, 249), between the rules at 235 and 256. The closing text wraps inside
// the room it has: up to the totals' right edge, or in two-rate mode up to
// the labels of the totals beside it. A closing text of several lines pushes
// the breakdown below it, and where the room below 242 is too small it starts
// higher, at most up to just below the rule at 235.
void DocumentPrinter::printClosingBlock(PrintCursor& p)
{
    setFont(p, 10.5, false);
    double right = kTextRightX;
    if (m_twoRates)
        right = 170.0 - std::max(p.TextWidth(QStringLiteral("Netto")), p.TextWidth(vatLabel())).value() - 3.0;
    QStringList lines = p.WrapText(setting(m_company, m_quote ? "Memo6" : "Memo3"), mm(right - 20.0));
    while (lines.size() > 1 && lines.last().trimmed().isEmpty())
        lines.removeLast();

    const double lineHeight = p.TextHeight().value();
    double y = 242.0;
    if (lines.size() > 1) {
        const double rows = double(lines.size() + (m_twoRates ? 1 : 0));
        constexpr double kBottom = 255.5; // clear of the rule at 256
        constexpr double kTop = 236.0;    // clear of the rule at 235
        if (y + rows * lineHeight > kBottom)
            y = std::max(kTop, kBottom - rows * lineHeight);
    }
    for (qsizetype i = 0; i < lines.size(); ++i)
        p.PrintAt(20_mm, mm(y + double(i) * lineHeight), lines.at(i));
    if (m_twoRates)
        p.PrintAt(20_mm, mm(std::max(249.0, y + double(lines.size()) * lineHeight)), m_head.vatSummary);
}

// The reminder text stands above the intro lines. At its nominal place,
// y 110, it would print across both of them, so its last line ends just
// above the first intro line; a long text wraps and grows upwards into the
// free space below the date. Returns where the intro lines may begin: one
// too long even for that space pushes them down rather than print over them.
double DocumentPrinter::printReminderText(PrintCursor& p, const QString& Mahntext) const
{
    setFont(p, 14, false);
    const QStringList lines = p.WrapText(Mahntext, mm(kTextRightX - kReminderX));
    const double lineHeight = p.TextHeight().value();
    const double top = m_letterhead ? kReminderTopWithLetterheadY : kReminderTopY;
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

    const double introY = reminder ? printReminderText(p, Mahntext) : kIntroY;
    setFont(p, 12, false);
    p.PrintAt(135_mm, 70_mm, m_head.kind + QStringLiteral(" Nr. ") + m_head.number);

    setFont(p, 10.5, false);
    // A first intro line that wraps pushes the second down.
    const double afterFirst =
        printWrapped(p, 20, introY, setting(m_company, m_quote ? "Memo4" : "Memo1"), kTextRightX);
    printWrapped(p, 20, std::max(introY + 5.0, afterFirst), setting(m_company, m_quote ? "Memo5" : "Memo2"),
                 kTextRightX);

    p.PrintAt(23_mm, 53_mm, m_head.salutation);
    p.PrintAt(23_mm, 58_mm, m_head.name);
    if (!isBlank(m_head.addition)) {
        p.PrintAt(23_mm, 63_mm, m_head.addition);
        p.PrintAt(23_mm, 68_mm, m_head.street);
    } else {
        p.PrintAt(23_mm, 63_mm, m_head.street);
    }
    p.PrintAt(23_mm, 73_mm, m_head.town);

    const QDate today = m_env.today.isValid() ? m_env.today : QDate::currentDate();
    printDate(p, reminder ? dateText(today) : m_head.date);
    if (reminder)
        referenceLine(p);

    printItems(p);

    setFont(p, 8, false);
    p.PrintAt(15_mm, 260_mm, m_head.skonto);
    setFont(p, 10.5, true);
    p.PrintRight(QStringLiteral("Rechnungsbetrag"), 170_mm, 260_mm);
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
    p.PrintAt(135_mm, 70_mm, QStringLiteral("Auftrag Nr. ") + m_head.number);
    setFont(p, 12, true);
    p.PrintAt(20_mm, 105_mm, QStringLiteral("Lieferschein"));
    setFont(p, 10.5, false);
    printWrapped(p, 20, 112, setting(m_company, "Memo7"), kTextRightX);

    // Name and town stand out in bold; street and town are always one line
    // apart.
    p.PrintAt(23_mm, 53_mm, m_head.salutation);
    p.FontBold = true;
    p.PrintAt(23_mm, 58_mm, m_head.name);
    p.FontBold = false;
    double townY = 73;
    if (!isBlank(m_head.addition)) {
        p.PrintAt(23_mm, 63_mm, m_head.addition);
        p.PrintAt(23_mm, 68_mm, m_head.street);
        townY = 78;
    } else {
        p.PrintAt(23_mm, 63_mm, m_head.street);
    }
    p.FontBold = true;
    p.PrintAt(23_mm, mm(townY), m_head.town);
    p.FontBold = false;

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
