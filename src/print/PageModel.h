#pragma once

#include "print/Millimetres.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <variant>
#include <vector>

namespace quittora {

// How a text looks: the font as the layout names it ("Arial", "Andy"), its
// size in points and the flags a printer font carries.
struct TextStyle {
    QString fontName = QStringLiteral("Arial");
    double sizePt = 10.0;
    bool bold = false;
    bool underline = false;
    QColor colour = Qt::black;

    bool operator==(const TextStyle&) const = default;
};

// One line of text whose character cell's top-left corner is at (x, y).
struct TextItem {
    Millimetres x;
    Millimetres y;
    QString text;
    TextStyle style;
    Millimetres width; // measured with the printer font when it was placed
};

struct LineItem {
    Millimetres x1, y1, x2, y2;
    Millimetres width; // pen width
    QColor colour = Qt::black;
};

// A picture stretched into the rectangle at (x, y).
struct ImageItem {
    Millimetres x, y;
    Millimetres width, height;
    QImage image;
};

using PageItem = std::variant<TextItem, LineItem, ImageItem>;

struct Page {
    std::vector<PageItem> items;

    // Texts in the order they were placed; convenient for callers and tests
    // that look for what a page says.
    std::vector<const TextItem*> texts() const;
    // The first text item with exactly this text, or nullptr.
    const TextItem* findText(const QString& text) const;
    std::vector<const LineItem*> lines() const;
    std::vector<const ImageItem*> images() const;
};

// One printed document (one print job): its pages in order. Everything is in
// millimetres from the top-left corner of an A4 portrait sheet; the margin
// values of the printer are applied only when the model is drawn.
class PageModel {
public:
    static constexpr Millimetres kPaperWidth{210.0};
    static constexpr Millimetres kPaperHeight{297.0};

    int pageCount() const { return static_cast<int>(m_pages.size()); }
    bool isEmpty() const { return m_pages.empty(); }
    const Page& page(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    const std::vector<Page>& pages() const { return m_pages; }

    Page& addPage();
    // The page being written; a first page is made on demand.
    Page& lastPage();

private:
    std::vector<Page> m_pages;
};

} // namespace quittora
