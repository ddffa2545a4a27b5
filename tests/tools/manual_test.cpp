#include "tools/Manual.h"

#include "support/TestContext.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace quittora;

TEST(OpenManual, HandsThePdfInTheProgramFolderToTheViewerOrExplainsWhyNot)
{
    enum class Setup { Pdf, Missing, NoProgramFolder, NoViewer };
    const QString notFound = QStringLiteral("Die Anleitung \"Anleitung.pdf\" wurde nicht gefunden.");
    const std::pair<Setup, QString> table[] = {{Setup::Pdf, QString()}, {Setup::Missing, notFound}, {Setup::NoProgramFolder, notFound},
        {Setup::NoViewer, QStringLiteral("Die Anleitung konnte nicht geöffnet werden.")}};
    for (const auto& [setup, message] : table) {
        TestContext t;
        const QString folder = t.folders.programFolder();
        const QString pdf = QDir(folder).filePath(QStringLiteral("Anleitung.pdf"));
        const bool exists = setup == Setup::Pdf || setup == Setup::NoViewer;
        ASSERT_TRUE(!exists || testfiles::writeBytes(pdf, "%PDF-1.4\n"));
        if (setup == Setup::NoProgramFolder)
            t.folders.setProgramFolder(QString());
        t.shell.setResult(setup != Setup::NoViewer);
        const int label = static_cast<int>(setup);
        EXPECT_EQ(openManual(t.folders, t.shell, t.prompts), message.isEmpty()) << label;
        EXPECT_EQ(t.shell.opened(), exists ? QStringList{QFileInfo(pdf).absoluteFilePath()} : QStringList()) << label;
        if (message.isEmpty()) {
            EXPECT_EQ(t.prompts.count(), 0) << label;
            continue;
        }
        ASSERT_EQ(t.prompts.count(), 1) << label;
        // The user is told where the manual was looked for.
        const QString where = setup == Setup::NoProgramFolder ? QStringLiteral("(unbekannt)") : QDir::toNativeSeparators(folder);
        EXPECT_TRUE(t.prompts.last().text.startsWith(message) && (setup == Setup::NoViewer || t.prompts.last().text.contains(where)))
            << qPrintable(t.prompts.last().text);
    }
}

// The manual built beside the program is real text, not pictures of pages.
TEST(ManualPdf, IsBuiltBesideTheProgramAsText)
{
    const QString pdf = QStringLiteral(QUITTORA_MANUAL_PDF);
    ASSERT_TRUE(QFileInfo(pdf).isFile()) << qPrintable(pdf);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext fehlt";
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000) && p.exitCode() == 0) << p.readAllStandardError().constData();
    const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Quittora pro")) && pages[0].contains(QStringLiteral("Version 3.08")));
    EXPECT_TRUE(pages[1].simplified().contains(QStringLiteral("1 Erster Start")));
}
