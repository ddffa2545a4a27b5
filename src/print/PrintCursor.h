#pragma once

#include "print/Millimetres.h"
#include "print/PageModel.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quittora {

// Writes documents into page models the way a program talks to a printer:
// set the font and the current position, then print. Layouts read like a
// list of printing steps and never touch a device; margins and resolution
// are applied later by the renderer.
//
//     using namespace quittora::literals;
//     PrintCursor p;
//     p.FontName = QStringLiteral("Arial"); p.FontSize = 10.5; p.FontBold = true;
//     p.CurrentX = 20_mm; p.CurrentY = 25_mm;
//     p.Print(zusatz);                   // y moves down one line
//     p.CurrentY = 260_mm;
//     p.PrintRight(total, 197_mm, {}, true);
//     p.NewPage(); ... p.EndDoc();       // one document = one print job
//
// Coordinates are millimetres from the paper's top-left corner; a text's
// position is the top-left corner of its character cell.
class PrintCursor {
public:
    enum class LineEnd { Yes, No };

    // Printer state, named as printers name it; set freely between calls.
    QString FontName = QStringLiteral("Arial");
    double FontSize = 10.0; // points
    bool FontBold = false;
    bool FontUnderline = false;
    QColor ForeColor = Qt::black; // texts and lines
    // Line width in printer dots of 600 dpi: the layouts were made on office
    // printers of that resolution, and thin rules should stay thin.
    int DrawWidth = 1;
    Millimetres CurrentX;
    Millimetres CurrentY;

    static constexpr double kDrawWidthDotsPerInch = 600.0;

    // Prints the text at the current position. With a line end, the next
    // print starts one line lower at the x where this one began; without,
    // it continues right after the text on the same line. Line breaks in the
    // text start new lines at that same x.
    void Print(const QString& text = {}, LineEnd end = LineEnd::Yes);
    // Sets the current position and prints the text with a line end.
    void PrintAt(Millimetres x, Millimetres y, const QString& text);
    // Prints the text so that it ends at x (the current x when not given),
    // at y (the current y when not given), followed by a line end. Without
    // newLine the current position is afterwards what it was before.
    void PrintRight(const QString& text, std::optional<Millimetres> x = {}, std::optional<Millimetres> y = {},
                    bool newLine = false);

    // A straight line in the current colour and width; the current position
    // moves to its end.
    void Line(Millimetres x1, Millimetres y1, Millimetres x2, Millimetres y2);
    // Draws the picture with its top-left corner at (x, y), the given height
    // and the width its proportions give. False (nothing drawn) for an empty
    // picture or a height that is not positive.
    bool PaintPicture(const QImage& image, Millimetres x, Millimetres y, Millimetres height);

    // Ends the page; the next output goes to a new one.
    void NewPage();
    // Ends the document; the next output starts another one.
    void EndDoc();

    // Width of the text in the current font (the widest line of a
    // multi-line text), and the line height of the current font.
    Millimetres TextWidth(const QString& text) const;
    Millimetres TextHeight() const;
    // The text broken into lines no wider than width in the current font: at
    // its own line breaks first, then between words; a word wider than the
    // width on its own is broken between characters. An empty paragraph stays
    // an empty line. Always at least one entry.
    QStringList WrapText(const QString& text, Millimetres width) const;
    // The text on one line no wider than width in the current font: as it
    // is when it fits, else cut and ended with "…".
    QString ElidedText(const QString& text, Millimetres width) const;
    // Number of the current page of the current document, from 1.
    int Page() const;

    TextStyle style() const;

    // The document being written.
    const PageModel& document() const { return m_current; }
    // All documents written: the ended ones and the current one, if it has
    // anything on it. Leaves the cursor with nothing written.
    std::vector<PageModel> takeDocuments();

private:
    void addText(Millimetres x, Millimetres y, const QString& text, const TextStyle& style, Millimetres width);

    PageModel m_current;
    std::vector<PageModel> m_finished;
};

} // namespace quittora
