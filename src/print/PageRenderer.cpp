#include "print/PageRenderer.h"

#include "print/PrintFonts.h"

#include "data/Database.h"
#include "platform/SafeFile.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <optional>

namespace quittora {

namespace {

class PageDrawer {
public:
    PageDrawer(QPainter& painter, MarginValues margins)
        : m_painter(painter)
        , m_dpiX(painter.device()->logicalDpiX())
        , m_dpiY(painter.device()->logicalDpiY())
        , m_margins(margins)
    {
    }

    void draw(const Page& page)
    {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        for (const PageItem& item : page.items)
            std::visit([this](const auto& i) { drawItem(i); }, item);
        m_painter.restore();
    }

private:
    double x(Millimetres mm) const { return (mm - Millimetres(m_margins.xwert)).toDots(m_dpiX); }
    double y(Millimetres mm) const { return (mm - Millimetres(m_margins.ywert)).toDots(m_dpiY); }

    void drawItem(const TextItem& t)
    {
        if (!m_style || !(*m_style == t.style)) {
            m_style = t.style;
            m_painter.setFont(printFont(t.style));
            m_ascent = QFontMetricsF(m_painter.font(), m_painter.device()).ascent();
        }
        m_painter.setPen(t.style.colour);
        m_painter.drawText(QPointF(x(t.x), y(t.y) + m_ascent), t.text);
    }

    void drawItem(const LineItem& l)
    {
        QPen pen(l.colour);
        pen.setWidthF(l.width.toDots((m_dpiX + m_dpiY) / 2.0));
        pen.setCapStyle(Qt::FlatCap);
        m_painter.setPen(pen);
        m_painter.drawLine(QPointF(x(l.x1), y(l.y1)), QPointF(x(l.x2), y(l.y2)));
    }

    void drawItem(const ImageItem& i)
    {
        const QRectF target(QPointF(x(i.x), y(i.y)), QPointF(x(i.x + i.width), y(i.y + i.height)));
        m_painter.drawImage(target, i.image);
    }

    QPainter& m_painter;
    double m_dpiX;
    double m_dpiY;
    MarginValues m_margins;
    std::optional<TextStyle> m_style;
    double m_ascent = 0.0;
};

} // namespace

void renderPage(QPainter& painter, const PageModel& model, int pageIndex, MarginValues margins)
{
    if (pageIndex < 0 || pageIndex >= model.pageCount())
        return;
    PageDrawer(painter, margins).draw(model.page(pageIndex));
}

void renderDocuments(QPainter& painter, QPagedPaintDevice& device, const std::vector<PageModel>& documents,
                     MarginValues margins)
{
    bool first = true;
    for (const PageModel& doc : documents) {
        for (int i = 0; i < doc.pageCount(); ++i) {
            if (!first)
                device.newPage();
            first = false;
            renderPage(painter, doc, i, margins);
        }
    }
}

namespace {

bool render(QPdfWriter& writer, const std::vector<PageModel>& documents, MarginValues margins, QString* error)
{
    writer.setCreator(QStringLiteral("Quittora pro"));
    writer.setResolution(kPrintDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                                     QPageLayout::Millimeter, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = QStringLiteral("Die PDF-Datei konnte nicht geschrieben werden.");
        return false;
    }
    renderDocuments(painter, writer, documents, margins);
    if (!painter.end()) {
        if (error)
            *error = QStringLiteral("Die PDF-Datei konnte nicht geschrieben werden.");
        return false;
    }
    return true;
}

} // namespace

bool renderToPdf(const std::vector<PageModel>& documents, QIODevice* out, MarginValues margins, QString* error)
{
    QPdfWriter writer(out);
    return render(writer, documents, margins, error);
}

bool renderToArchivalPdf(const std::vector<PageModel>& documents, const ArchivalPdf& archival, QByteArray* pdf,
                         QString* error)
{
    pdf->clear();
    QBuffer buffer(pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    writer.setTitle(archival.title);
    if (!archival.xmpMetadata.isEmpty())
        writer.setDocumentXmpMetadata(archival.xmpMetadata);
    for (const PdfFileAttachment& a : archival.attachments)
        writer.addFileAttachment(a.name, a.data, a.mimeType);
    if (!render(writer, documents, MarginValues{}, error)) {
        pdf->clear();
        return false;
    }
    return true;
}

bool renderToPdf(const std::vector<PageModel>& documents, const QString& path, MarginValues margins,
                 QString* error)
{
    if (Database::isDatabaseFile(path)) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" ist eine Datenbank und wird nicht überschrieben. "
                                    "Bitte wählen Sie einen anderen Dateinamen.")
                         .arg(path);
        return false;
    }
    // Rendered into memory first: QPdfWriter does not report a failed write
    // to its device, so the file is written whole and checked afterwards.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    if (!renderToPdf(documents, &buffer, margins, error))
        return false;
    buffer.close();
    QString reason;
    if (!writeFileWhole(path, pdf, &reason)) {
        if (error)
            *error = QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden: %2").arg(path, reason);
        return false;
    }
    return true;
}

} // namespace quittora
