// make-manual: sets the user manual "Anleitung.pdf" from its Markdown
// chapters at build time.
//
//     make-manual -o Anleitung.pdf 01-erster-start.md 02-rechnung.md ...
//
// The chapters are set in the order given, each beginning on a new page, after
// a title page and a table of contents; every page after the title carries
// its number. Needs only QtGui (QTextDocument lays out, QPdfWriter writes)
// and no display.
//
// The chapters may use headings (three levels), paragraphs, emphasis, code,
// bullet and numbered lists and code blocks. Tables are refused: lines are
// drawn one by one so that no line is written to two pages (the document
// layout's own drawing repeats the last line of a page, hidden, on the next
// one, which shows up when text is searched or copied).
#include "tools/Version.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDpi = 300;
const QString kFontFamily = QStringLiteral("Arial");
constexpr qreal kBodyPoints = 10.5;
const QColor kHeadingColour(0x1f, 0x3c, 0x88);
const QString kPagePlaceholder = QStringLiteral("000");

// Page geometry, the painter and horizontal block margins work in the
// writer's dots; vertical margins and tab stops are given at 96 per inch, and
// the layout scales them to the writer.
qreal px(qreal millimetres) { return millimetres / 25.4 * kDpi; }
qreal fmt(qreal millimetres) { return millimetres / 25.4 * 96; }

void fail(const QString& message) { std::fprintf(stderr, "make-manual: %s\n", qPrintable(message)); }

QTextCharFormat textFormat(qreal points, bool bold = false, const QColor& colour = Qt::black)
{
    QTextCharFormat f;
    f.setFontFamilies({kFontFamily});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setForeground(colour);
    return f;
}

// Replaces the whole text format of a block (headings carry a relative size
// from the Markdown reader that would override any point size).
void setBlockCharFormat(const QTextBlock& block, const QTextCharFormat& format)
{
    QTextCursor c(block);
    c.movePosition(QTextCursor::StartOfBlock);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.setCharFormat(format);
    c.setBlockCharFormat(format);
}

// The title page is painted directly: the document begins with the contents.
void drawTitlePage(QPainter& p, const QRectF& area)
{
    auto line = [&](qreal topMm, qreal points, bool bold, const QColor& colour, const QString& text) {
        QFont f(kFontFamily);
        f.setPointSizeF(points);
        f.setBold(bold);
        p.setFont(f);
        p.setPen(colour);
        p.drawText(QRectF(area.left(), area.top() + px(topMm), area.width(), px(points)), Qt::AlignHCenter | Qt::AlignTop,
                   text);
    };
    p.save();
    line(70, 36, true, kHeadingColour, quittora::productName());
    line(90, 20, false, Qt::black, QStringLiteral("Anleitung"));
    line(115, 12, false, Qt::black, QStringLiteral("Rechnungen, Angebote, Lieferscheine, Kunden und Artikel"));
    line(123, 12, false, Qt::black, quittora::installedVersion() + QStringLiteral(" vom ") + quittora::releaseDate());
    p.restore();
}

// "Inhalt" on a page of its own: one line per chapter, its page number at
// the right edge. Returns the blocks whose placeholder takes the number.
QList<QTextBlock> insertContents(QTextCursor& c, const QStringList& titles, qreal textWidth)
{
    QTextBlockFormat heading;
    heading.setBottomMargin(fmt(8));
    c.setBlockFormat(heading);
    c.insertText(QStringLiteral("Inhalt"), textFormat(20, true, kHeadingColour));

    QTextBlockFormat entry;
    entry.setBottomMargin(fmt(2.5));
    QTextOption::Tab pageColumn(textWidth, QTextOption::RightTab);
    entry.setTabPositions({pageColumn});
    QList<QTextBlock> entries;
    for (int i = 0; i < titles.size(); ++i) {
        c.insertBlock(entry);
        c.insertText(QStringLiteral("%1  %2\t%3").arg(i + 1).arg(titles[i], kPagePlaceholder), textFormat(11.5));
        entries << c.block();
    }
    return entries;
}

// Lists become plain blocks with a hanging marker ("•", "1."), so every
// visible character belongs to a text line.
void flattenLists(const QTextBlock& from)
{
    struct Item {
        QTextBlock block;
        QString marker;
        int level;
        bool lastOfList; // the text after it needs a paragraph's distance
    };
    // Markers first: taking an item out of its list renumbers the rest.
    QList<Item> items;
    for (QTextBlock block = from; block.isValid(); block = block.next()) {
        QTextList* list = block.textList();
        if (!list)
            continue;
        const QTextListFormat::Style style = list->format().style();
        const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
                            || style == QTextListFormat::ListSquare;
        const bool last = !block.next().isValid() || !block.next().textList();
        items.push_back(
            {block, bullet ? QStringLiteral("•") : list->itemText(block), qMax(1, list->format().indent()), last});
    }
    for (const Item& item : items) {
        item.block.textList()->remove(item.block);
        const qreal textStart = 2 + item.level * 6; // millimetres
        QTextBlockFormat bf = item.block.blockFormat();
        bf.setIndent(0);
        bf.setLeftMargin(px(textStart));
        bf.setTextIndent(-px(6));
        bf.setTopMargin(0);
        bf.setBottomMargin(fmt(item.lastOfList ? 2.5 : 1.2));
        // Tab stops count from the first line's start, which the hanging indent
        // puts one marker width left of the text.
        bf.setTabPositions({QTextOption::Tab(fmt(6), QTextOption::LeftTab)});
        QTextCursor c(item.block);
        c.setBlockFormat(bf);
        c.movePosition(QTextCursor::StartOfBlock);
        QTextCharFormat plain = c.charFormat();
        plain.setFontWeight(QFont::Normal);
        plain.setFontItalic(false);
        plain.setFontFamilies({kFontFamily});
        c.insertText(item.marker + QLatin1Char('\t'), plain);
    }
}

// Paragraph spacing, and numbered, styled headings; chapters start on a new
// page. Returns the chapters' first blocks.
QList<QTextBlock> styleChapters(const QTextBlock& from)
{
    QList<QTextBlock> chapters;
    int chapter = 0;
    int section = 0;
    for (QTextBlock block = from; block.isValid(); block = block.next()) {
        QTextBlockFormat bf = block.blockFormat();
        const int level = bf.headingLevel();
        if (level == 0) {
            if (bf.leftMargin() == 0) {
                bf.setTopMargin(0);
                bf.setBottomMargin(fmt(2.5));
                bf.setLineHeight(112, QTextBlockFormat::ProportionalHeight);
                QTextCursor(block).setBlockFormat(bf);
            }
            continue;
        }
        QString number;
        if (level == 1) {
            ++chapter;
            section = 0;
            number = QString::number(chapter);
            chapters << block;
        } else if (level == 2) {
            ++section;
            number = QStringLiteral("%1.%2").arg(chapter).arg(section);
        }
        bf.setTopMargin(fmt(level == 1 ? 0 : 4));
        bf.setBottomMargin(fmt(level == 1 ? 6 : 2));
        bf.setPageBreakPolicy(level == 1 ? QTextFormat::PageBreak_AlwaysBefore : QTextFormat::PageBreak_Auto);
        QTextCursor(block).setBlockFormat(bf);
        const QTextCharFormat cf =
            textFormat(level == 1 ? 20 : level == 2 ? 14 : 11.5, true, level == 3 ? QColor(Qt::black) : kHeadingColour);
        setBlockCharFormat(block, cf);
        if (!number.isEmpty()) {
            QTextCursor c(block);
            c.movePosition(QTextCursor::StartOfBlock);
            c.insertText(number + QStringLiteral("  "), cf);
        }
    }
    return chapters;
}

// One text line placed on a page.
struct PlacedLine {
    QTextLayout* layout;
    int line;
    QPointF origin; // block origin relative to the page's top-left
};

void drawFooter(QPainter& p, const QRectF& area, int page, int pages)
{
    p.save();
    QFont f(kFontFamily);
    f.setPointSizeF(8.5);
    p.setFont(f);
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), px(0.2)));
    p.drawLine(area.topLeft(), area.topRight());
    p.setPen(QColor(0x40, 0x40, 0x40));
    const QRectF text = area.adjusted(0, px(1.5), 0, 0);
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop, quittora::productName() + QStringLiteral(" – Anleitung"));
    p.drawText(text, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
    p.restore();
}

} // namespace

namespace {
// The offscreen platform asks for a runtime folder it does not need here.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietMessages);
    // A build machine has no display; fonts and PDF output need none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments().mid(1);
    QString output;
    QStringList inputs;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o") && i + 1 < args.size())
            output = args[++i];
        else
            inputs << args[i];
    }
    if (output.isEmpty() || inputs.isEmpty()) {
        fail(QStringLiteral("Aufruf: make-manual -o AUSGABE.pdf KAPITEL.md ..."));
        return 1;
    }

    QString markdown;
    for (const QString& name : inputs) {
        QFile in(name);
        if (!in.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("%1 kann nicht gelesen werden: %2").arg(name, in.errorString()));
            return 1;
        }
        markdown += QString::fromUtf8(in.readAll()) + QStringLiteral("\n\n");
    }
    QTextDocument chapterDoc;
    chapterDoc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    if (!chapterDoc.rootFrame()->childFrames().isEmpty()) {
        fail(QStringLiteral("Die Kapitel enthalten eine Tabelle; bitte als Aufzählung schreiben."));
        return 1;
    }
    QStringList titles;
    for (QTextBlock b = chapterDoc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 1)
            titles << b.text().trimmed();
    }
    if (titles.isEmpty() || chapterDoc.begin().blockFormat().headingLevel() != 1) {
        fail(QStringLiteral("Jedes Kapitel beginnt mit einer Überschrift der ersten Ebene (# Titel)."));
        return 1;
    }

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(output, file.errorString()));
        return 1;
    }
    QPdfWriter writer(&file);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(22, 20, 22, 14),
                                     QPageLayout::Millimeter));
    writer.setTitle(quittora::productName() + QStringLiteral(" – Anleitung"));
    writer.setCreator(QStringLiteral("make-manual"));

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    QFont base(kFontFamily);
    base.setPointSizeF(kBodyPoints);
    doc.setDefaultFont(base);
    doc.setDocumentMargin(0);

    const QRectF paint = writer.pageLayout().paintRectPixels(kDpi);
    const qreal footerHeight = px(9);
    const qreal pageHeight = paint.height() - footerHeight;
    doc.setPageSize(QSizeF(paint.width(), pageHeight));

    QTextCursor c(&doc);
    const QList<QTextBlock> contents = insertContents(c, titles, (paint.width() - 2) * 96 / kDpi);
    c.insertBlock(QTextBlockFormat());
    const int firstChapterBlock = c.block().blockNumber();
    c.insertFragment(QTextDocumentFragment(&chapterDoc));
    // The first heading lands in the block opened above and would keep that
    // block's format.
    QTextCursor(doc.findBlockByNumber(firstChapterBlock)).setBlockFormat(chapterDoc.begin().blockFormat());

    const QTextBlock first = doc.findBlockByNumber(firstChapterBlock);
    flattenLists(first);
    const QList<QTextBlock> chapters = styleChapters(first);

    auto pageOf = [&](const QTextBlock& block, bool lastLine = false) {
        const QTextLayout* tl = block.layout();
        const int line = lastLine ? tl->lineCount() - 1 : 0;
        const qreal y = tl->position().y() + (line >= 0 ? tl->lineAt(line).y() : 0);
        return int(std::floor((y + 0.5) / pageHeight));
    };
    // A section heading stays with the text after it: one left alone at the
    // foot of a page moves to the next. Each move can only push later text
    // down, so a pass from the top settles it.
    for (QTextBlock b = first; b.isValid() && b.next().isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level < 2)
            continue;
        doc.documentLayout()->blockBoundingRect(b.next()); // lays out up to here
        if (pageOf(b, true) != pageOf(b.next())) {
            QTextBlockFormat bf = b.blockFormat();
            bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(b).setBlockFormat(bf);
        }
    }
    doc.documentLayout()->documentSize(); // lays the document out
    // Page numbers into the contents: the placeholder keeps its line, so
    // no page moves.
    for (int i = 0; i < contents.size() && i < chapters.size(); ++i) {
        QTextCursor cell(contents[i]);
        cell.movePosition(QTextCursor::EndOfBlock);
        cell.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(kPagePlaceholder.size()));
        cell.insertText(QString::number(pageOf(chapters[i]) + 2)); // after the title page
    }
    doc.documentLayout()->documentSize();

    // Lines by document page; the PDF's first page is the title.
    std::vector<std::vector<PlacedLine>> perPage(std::size_t(qMax(doc.pageCount(), 1)));
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextLayout* tl = b.layout();
        const QPointF origin = tl->position();
        for (int i = 0; i < tl->lineCount(); ++i) {
            const qreal y = origin.y() + tl->lineAt(i).y();
            const int page = qBound(0, int(std::floor((y + 0.5) / pageHeight)), int(perPage.size()) - 1);
            perPage[std::size_t(page)].push_back({tl, i, QPointF(origin.x(), origin.y() - page * pageHeight)});
        }
    }
    const int pages = int(perPage.size()) + 1;

    QPainter painter;
    if (!painter.begin(&writer)) {
        fail(QStringLiteral("Die PDF-Ausgabe lässt sich nicht beginnen."));
        return 1;
    }
    drawTitlePage(painter, QRectF(QPointF(0, 0), paint.size()));
    for (std::size_t page = 0; page < perPage.size(); ++page) {
        writer.newPage();
        painter.setPen(Qt::black);
        for (const PlacedLine& placed : perPage[page])
            placed.layout->lineAt(placed.line).draw(&painter, placed.origin);
        drawFooter(painter, QRectF(0, pageHeight + px(3), paint.width(), footerHeight - px(3)), int(page) + 2, pages);
    }
    painter.end();

    if (!file.commit()) {
        fail(QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(output, file.errorString()));
        return 1;
    }
    return 0;
}
