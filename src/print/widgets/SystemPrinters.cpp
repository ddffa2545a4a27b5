#include "print/widgets/SystemPrinters.h"

#include "print/PageRenderer.h"
#include "print/PrinterSetup.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace quittora {

namespace {

QString noPrinterMessage()
{
    return QStringLiteral("Es ist kein Drucker eingerichtet.");
}

class SystemPrinters final : public Printers {
public:
    QStringList names() const override { return QPrinterInfo::availablePrinterNames(); }
    QString defaultName() const override { return QPrinterInfo::defaultPrinterName(); }
    MarginValues physicalOffsets(const QString& name) const override
    {
        QPrinter printer(QPrinter::HighResolution);
        configurePrinter(printer, name);
        return quittora::physicalOffsets(printer);
    }
    bool print(const QString& name, const std::vector<PageModel>& documents, MarginValues margins,
               QString* error) override
    {
        if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            if (error)
                *error = noPrinterMessage();
            return false;
        }
        QPrinter printer(QPrinter::HighResolution);
        configurePrinter(printer, name);
        return printDocuments(printer, documents, margins, error);
    }
};

} // namespace

std::unique_ptr<Printers> makeSystemPrinters()
{
    return std::make_unique<SystemPrinters>();
}

void configurePrinter(QPrinter& printer, const QString& name)
{
    const QPrinterInfo info = name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(name);
    if (!info.isNull())
        printer.setPrinterName(info.printerName());
    printer.setDocName(QStringLiteral("Quittora pro"));
    printer.setFullPage(false);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // The margins are the printer's own minimum, so the painter's origin is
    // the corner of the printable area, as the margin values assume.
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
    printer.setCopyCount(1);
}

MarginValues physicalOffsets(const QPrinter& printer)
{
    return printableOffsets(printer.pageLayout());
}

bool printDocuments(QPrinter& printer, const std::vector<PageModel>& documents, MarginValues margins,
                    QString* error)
{
    for (const PageModel& doc : documents) {
        if (doc.isEmpty())
            continue;
        QPainter painter;
        if (!painter.begin(&printer)) {
            if (error)
                *error = QStringLiteral("Der Drucker \"%1\" konnte nicht angesprochen werden.").arg(printer.printerName());
            return false;
        }
        for (int i = 0; i < doc.pageCount(); ++i) {
            if (i > 0)
                printer.newPage();
            renderPage(painter, doc, i, margins);
        }
        painter.end();
    }
    return true;
}

void showPrintPreview(const std::vector<PageModel>& documents, MarginValues margins, const QString& printerName,
                      QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, printerName);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Druckvorschau"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        QPainter painter(target);
        renderDocuments(painter, *target, documents, margins);
    });
    dialog.exec();
}

} // namespace quittora
