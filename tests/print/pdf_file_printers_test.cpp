#include "print/PdfFilePrinters.h"

#include "print/FakePrinters.h"
#include "print/PdfWords.h"
#include "print/PrintCursor.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::literals;
using namespace quittora::testing;

namespace {

PageModel oneLine(const QString& text)
{
    PrintCursor p;
    p.FontName = QStringLiteral("Arial");
    p.PrintAt(20_mm, 30_mm, text);
    return p.takeDocuments().at(0);
}

} // namespace

TEST(PdfFilePrinters, PrintsIntoTheChosenFileAndOtherwiseOnThePrinter)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    FakePrinters printers;
    printers.installed = {QStringLiteral("Laser")};
    printers.offsets.insert(QStringLiteral("Laser"), MarginValues{4.0f, 3.0f});
    QString file;
    PdfFilePrinters target(printers, &file);
    EXPECT_EQ(target.names(), printers.installed);
    EXPECT_FLOAT_EQ(target.physicalOffsets(QStringLiteral("Laser")).xwert, 4.0f);

    // No file chosen: the printer.
    QString error;
    ASSERT_TRUE(target.print(QStringLiteral("Laser"), {oneLine(QStringLiteral("Drucker"))}, MarginValues{4.0f, 3.0f},
                             &error));
    ASSERT_EQ(printers.jobs.size(), 1u);

    // A file chosen: the file, placed on the sheet without the printer's
    // margin values, and nothing to the printer.
    file = dir.filePath(QStringLiteral("Rechnung.pdf"));
    ASSERT_TRUE(target.print(QStringLiteral("Laser"), {oneLine(QStringLiteral("Datei"))}, MarginValues{4.0f, 3.0f},
                             &error))
        << error.toStdString();
    EXPECT_EQ(printers.jobs.size(), 1u);
    const std::vector<PdfWord> words = pdfWords(file, &error);
    const PdfWord* word = findWord(words, QStringLiteral("Datei"));
    ASSERT_NE(word, nullptr) << error.toStdString();
    EXPECT_NEAR(word->xMin, 20.0, 1.0);

    // A file that cannot be written is said, not reported as printed.
    file = dir.filePath(QStringLiteral("fehlt/Rechnung.pdf"));
    error.clear();
    EXPECT_FALSE(target.print(QStringLiteral("Laser"), {oneLine(QStringLiteral("Datei"))}, MarginValues{}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(PdfFilePrinters, TheOfferedFileNameNamesTheDocument)
{
    quittora::test::TempDatabase db;
    ASSERT_TRUE(db.isValid());
    const qint64 invoice = db.addDocument(QStringLiteral("1000"), QStringLiteral("01.03.2024"));
    const qint64 quote = db.addDocument(QString(), QStringLiteral("01.03.2024"), QStringLiteral("Angebot"));
    const qint64 odd = db.addDocument(QStringLiteral("2024/7"), QStringLiteral("01.03.2024"));
    EXPECT_EQ(printDocumentName(db.db(), invoice, PrintedDocument::Invoice), QStringLiteral("Rechnung 1000"));
    EXPECT_EQ(printDocumentName(db.db(), invoice, PrintedDocument::DeliveryNote), QStringLiteral("Lieferschein 1000"));
    EXPECT_EQ(printDocumentName(db.db(), quote, PrintedDocument::Invoice), QStringLiteral("Angebot"));
    EXPECT_EQ(printDocumentName(db.db(), odd, PrintedDocument::Invoice), QStringLiteral("Rechnung 20247"));
    EXPECT_EQ(printDocumentName(db.db(), 999999, PrintedDocument::Invoice), QStringLiteral("Quittora pro"));
}
