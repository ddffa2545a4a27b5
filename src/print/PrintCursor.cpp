#include "print/PrintCursor.h"

#include "print/PrintFonts.h"

#include <QRegularExpression>

#include <algorithm>

namespace quittora {

namespace {

QStringList splitLines(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

} // namespace

TextStyle PrintCursor::style() const
{
    return TextStyle{FontName, FontSize, FontBold, FontUnderline, ForeColor};
}

void PrintCursor::addText(Millimetres x, Millimetres y, const QString& text, const TextStyle& style,
                          Millimetres width)
{
    m_current.lastPage().items.emplace_back(TextItem{x, y, text, style, width});
}

void PrintCursor::Print(const QString& text, LineEnd end)
{
    const TextStyle st = style();
    const Millimetres startX = CurrentX;
    const Millimetres step = lineHeight(st);
    const QStringList lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const Millimetres width = line.isEmpty() ? Millimetres() : textWidth(st, line);
        // An empty line shows nothing; it still takes its place on the page.
        if (!line.isEmpty())
            addText(startX, CurrentY, line, st, width);
        const bool last = i == lines.size() - 1;
        if (last && end == LineEnd::No) {
            CurrentX = startX + width;
        } else {
            CurrentX = startX;
            CurrentY += step;
        }
    }
}

void PrintCursor::PrintAt(Millimetres x, Millimetres y, const QString& text)
{
    CurrentX = x;
    CurrentY = y;
    Print(text);
}

void PrintCursor::PrintRight(const QString& text, std::optional<Millimetres> x, std::optional<Millimetres> y,
                             bool newLine)
{
    const Millimetres oldX = CurrentX;
    const Millimetres oldY = CurrentY;
    if (x)
        CurrentX = *x;
    CurrentX -= TextWidth(text);
    if (y)
        CurrentY = *y;
    Print(text);
    if (!newLine) {
        CurrentX = oldX;
        CurrentY = oldY;
    }
}

void PrintCursor::Line(Millimetres x1, Millimetres y1, Millimetres x2, Millimetres y2)
{
    const Millimetres width = Millimetres::fromDots(std::max(DrawWidth, 1), kDrawWidthDotsPerInch);
    m_current.lastPage().items.emplace_back(LineItem{x1, y1, x2, y2, width, ForeColor});
    CurrentX = x2;
    CurrentY = y2;
}

bool PrintCursor::PaintPicture(const QImage& image, Millimetres x, Millimetres y, Millimetres height)
{
    if (image.isNull() || image.height() <= 0 || !(height.value() > 0))
        return false;
    const Millimetres width = height * (double(image.width()) / double(image.height()));
    m_current.lastPage().items.emplace_back(ImageItem{x, y, width, height, image});
    return true;
}

void PrintCursor::NewPage()
{
    m_current.lastPage();
    m_current.addPage();
    CurrentX = Millimetres();
    CurrentY = Millimetres();
}

void PrintCursor::EndDoc()
{
    if (!m_current.isEmpty())
        m_finished.push_back(std::move(m_current));
    m_current = PageModel();
    CurrentX = Millimetres();
    CurrentY = Millimetres();
}

Millimetres PrintCursor::TextWidth(const QString& text) const
{
    const TextStyle st = style();
    Millimetres widest;
    for (const QString& line : splitLines(text))
        widest = std::max(widest, line.isEmpty() ? Millimetres() : textWidth(st, line));
    return widest;
}

QString PrintCursor::ElidedText(const QString& text, Millimetres width) const
{
    if (TextWidth(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    QString kept = text;
    while (!kept.isEmpty() && TextWidth(kept + ellipsis) > width)
        kept.chop(1);
    return kept.trimmed() + ellipsis;
}

QStringList PrintCursor::WrapText(const QString& text, Millimetres width) const
{
    const TextStyle st = style();
    const auto fits = [&](const QString& line) { return line.isEmpty() || textWidth(st, line) <= width; };
    QStringList out;
    // Pushes the line, first breaking off the longest leading pieces that fit
    // while it is too wide (at least one character each, so this ends).
    const auto pushBroken = [&](QString line) {
        while (!fits(line) && line.size() > 1) {
            qsizetype lo = 1;
            qsizetype hi = line.size() - 1;
            while (lo < hi) {
                const qsizetype mid = (lo + hi + 1) / 2;
                if (fits(line.left(mid)))
                    lo = mid;
                else
                    hi = mid - 1;
            }
            out << line.left(lo);
            line = line.mid(lo);
        }
        return line;
    };
    for (const QString& paragraph : splitLines(text)) {
        const QStringList words = paragraph.split(QLatin1Char(' '));
        QString current = pushBroken(words.first());
        for (qsizetype i = 1; i < words.size(); ++i) {
            const QString candidate = current + QLatin1Char(' ') + words.at(i);
            if (fits(candidate)) {
                current = candidate;
            } else if (words.at(i).isEmpty()) {
                // Blanks at a break vanish with it.
                continue;
            } else if (current.trimmed().isEmpty()) {
                // An indented word too wide for the line: no empty line before it.
                current = pushBroken(candidate);
            } else {
                out << current;
                current = pushBroken(words.at(i));
            }
        }
        out << current;
    }
    return out;
}

Millimetres PrintCursor::TextHeight() const
{
    return lineHeight(style());
}

int PrintCursor::Page() const
{
    return std::max(m_current.pageCount(), 1);
}

std::vector<PageModel> PrintCursor::takeDocuments()
{
    EndDoc();
    std::vector<PageModel> result = std::move(m_finished);
    m_finished.clear();
    return result;
}

} // namespace quittora
