#include "tools/Manual.h"

#include "support/TestContext.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace quittora;

TEST(OpenManual, HandsThePdfInTheProgramFolderToTheViewerOrExplainsWhyNot)
{
    FakeSpecialFolders folders;
    folders.setProgramFolder(QStringLiteral("/opt/quittora/"));
    EXPECT_EQ(manualPath(folders), QStringLiteral("/opt/quittora/Anleitung.pdf"));

    enum class Setup { Pdf, Missing, FolderOfThatName, NoProgramFolder, NoViewer };
    const QString notFound = QStringLiteral("Die Anleitung \"Anleitung.pdf\" wurde nicht gefunden.");
    const std::pair<Setup, QString> table[] = {{Setup::Pdf, QString()}, {Setup::Missing, notFound},
        {Setup::FolderOfThatName, notFound}, {Setup::NoProgramFolder, notFound},
        {Setup::NoViewer, QStringLiteral("Die Anleitung konnte nicht geöffnet werden.")}};
    for (const auto& [setup, message] : table) {
        TestContext t;
        const QString folder = t.folders.programFolder();
        const QString pdf = QDir(folder).filePath(QStringLiteral("Anleitung.pdf"));
        const bool exists = setup == Setup::Pdf || setup == Setup::NoViewer;
        ASSERT_TRUE(!exists || testfiles::writeBytes(pdf, "%PDF-1.4\n"));
        ASSERT_TRUE(setup != Setup::FolderOfThatName || QDir(folder).mkdir(QStringLiteral("Anleitung.pdf")));
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

// The manual built beside the program is real text with every chapter in
// the contents, on the page the contents name.
TEST(ManualPdf, IsBuiltBesideTheProgramWithAllChapters)
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
    const QString contents = pages[1].simplified();
    const char* chapters[] = {"Erster Start", "Eine Rechnung vom Anlegen bis zum Druck", "Kunden", "Artikel",
                              "Einstellungen", "Druckerränder", "Umsatzübersicht", "E-Mail",
                              "Datensicherung und Wiederherstellung", "Postleitzahlen", "Kommandozeile"};
    int number = 0;
    for (const char* chapter : chapters) {
        const QString heading = QStringLiteral("%1 %2").arg(++number).arg(QString::fromUtf8(chapter));
        int startPage = -1;
        for (int page = 2; page < pages.size() && startPage < 0; ++page)
            if (pages[page].trimmed().startsWith(heading))
                startPage = page + 1;
        ASSERT_GT(startPage, 0) << "kein Kapitel " << qPrintable(heading);
        EXPECT_TRUE(contents.contains(QStringLiteral("%1 %2").arg(heading).arg(startPage))) << qPrintable(heading);
    }
}
