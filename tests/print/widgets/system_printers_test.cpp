#include "print/widgets/SystemPrinters.h"

#include "print/PdfWords.h"
#include "print/PrintCursor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

using namespace quittora;
using namespace quittora::literals;
using quittora::testing::findWord;
using quittora::testing::pdfWords;

TEST(SystemPrinters, APrinterPrintsTheModelAtItsMillimetresLessTheMarginsAndThePreviewShowsEveryPage)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    configurePrinter(printer, QString());
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("druck.pdf")));
    // A PDF has no hardware margins: the printable area is the whole sheet.
    EXPECT_EQ(physicalOffsets(printer), MarginValues{});
    PrintCursor p;
    p.FontSize = 12;
    p.PrintAt(135_mm, 70_mm, QStringLiteral("Rechnung"));
    p.PrintRight(QStringLiteral("Ende"), 198_mm, 80_mm);
    p.NewPage();
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Seite 2"));
    p.EndDoc();
    p.PrintAt(20_mm, 20_mm, QStringLiteral("Kopie 2"));
    const auto docs = p.takeDocuments();
    QString error;
    ASSERT_TRUE(printDocuments(printer, docs, MarginValues{2.0f, 1.0f}, &error)) << error.toStdString();
    const auto words = pdfWords(printer.outputFileName(), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const auto* word = findWord(words, QStringLiteral("Rechnung"));
    const auto* end = findWord(words, QStringLiteral("Ende"));
    ASSERT_TRUE(word && end);
    EXPECT_NEAR(word->xMin, 133.0, 0.15);
    EXPECT_NEAR(word->yMin, 69.0, 0.3);
    EXPECT_NEAR(end->xMax, 196.0, 0.15);
    ASSERT_NE(findWord(words, QStringLiteral("Kopie")), nullptr);
    EXPECT_EQ(findWord(words, QStringLiteral("Kopie"))->page, 2);

    int pages = -1;
    QString title;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        title = dialog->windowTitle();
        if (auto* view = dialog->findChild<QPrintPreviewWidget*>())
            pages = view->pageCount();
        dialog->reject();
    });
    poll.start();
    QTimer::singleShot(5000, &poll, [&] {
        // Never opened (or never found): end the wait so the test fails instead of hanging.
        poll.stop();
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    showPrintPreview(docs, MarginValues{}, QString(), nullptr);
    EXPECT_EQ(title, QStringLiteral("Druckvorschau"));
    EXPECT_EQ(pages, 3);
}
