#include "tools/Manual.h"

#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace quittora;

TEST(ManualPath, IsAnleitungPdfInTheProgramFolder)
{
    FakeSpecialFolders folders;
    for (const char* folder : {"/opt/quittora", "/opt/quittora/"}) {
        folders.setProgramFolder(QString::fromLatin1(folder));
        EXPECT_EQ(manualPath(folders), QStringLiteral("/opt/quittora/Anleitung.pdf")) << folder;
    }
    folders.setProgramFolder(QString());
    EXPECT_EQ(manualPath(folders), QString());
}

TEST(OpenManual, HandsThePdfToTheViewerOrExplainsWhyNot)
{
    enum class Setup { Pdf, Missing, FolderOfThatName, NoProgramFolder, NoViewer };
    struct Row {
        Setup setup;
        bool opened;          // handed to the viewer and true returned
        const char* message;  // start of the message shown, nullptr for none
    };
    const Row table[] = {
        {Setup::Pdf, true, nullptr},
        {Setup::Missing, false, "Die Anleitung \"Anleitung.pdf\" wurde nicht gefunden."},
        {Setup::FolderOfThatName, false, "Die Anleitung \"Anleitung.pdf\" wurde nicht gefunden."},
        {Setup::NoProgramFolder, false, "Die Anleitung \"Anleitung.pdf\" wurde nicht gefunden."},
        {Setup::NoViewer, false, "Die Anleitung konnte nicht geöffnet werden."},
    };
    for (const Row& row : table) {
        TestContext t;
        const QString folder = t.folders.programFolder();
        const QString pdf = QDir(folder).filePath(QStringLiteral("Anleitung.pdf"));
        if (row.setup == Setup::Pdf || row.setup == Setup::NoViewer) {
            QFile f(pdf);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("%PDF-1.4\n") == 9);
        }
        if (row.setup == Setup::FolderOfThatName)
            ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("Anleitung.pdf")));
        if (row.setup == Setup::NoProgramFolder)
            t.folders.setProgramFolder(QString());
        t.shell.setResult(row.setup != Setup::NoViewer);

        const int label = static_cast<int>(row.setup);
        EXPECT_EQ(openManual(t.folders, t.shell, t.prompts), row.opened) << label;
        const bool viewerAsked = row.setup == Setup::Pdf || row.setup == Setup::NoViewer;
        EXPECT_EQ(t.shell.opened(), viewerAsked ? QStringList{QFileInfo(pdf).absoluteFilePath()} : QStringList())
            << label;
        EXPECT_TRUE(t.shell.started().isEmpty()) << label;
        if (!row.message) {
            EXPECT_EQ(t.prompts.count(), 0) << label;
            continue;
        }
        ASSERT_EQ(t.prompts.count(), 1) << label;
        const FakePrompts::Shown shown = t.prompts.last();
        EXPECT_EQ(shown.title, QStringLiteral("Hinweis !")) << label;
        EXPECT_EQ(shown.icon, Prompts::Icon::Exclamation) << label;
        EXPECT_TRUE(shown.text.startsWith(QString::fromUtf8(row.message))) << qPrintable(shown.text);
        // The user is told where the manual was looked for.
        const QString where = row.setup == Setup::NoProgramFolder ? QStringLiteral("(unbekannt)")
                                                                  : QDir::toNativeSeparators(folder);
        if (row.setup != Setup::NoViewer)
            EXPECT_TRUE(shown.text.contains(where)) << qPrintable(shown.text);
    }
}

// The manual built beside the program is real text (searchable, copyable)
// with every chapter in the contents, on the page the contents name.
TEST(ManualPdf, IsBuiltBesideTheProgramWithAllChapters)
{
    const QString pdf = QStringLiteral(QUITTORA_MANUAL_PDF);
    ASSERT_TRUE(QFileInfo(pdf).isFile()) << qPrintable(pdf);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext fehlt";
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Quittora pro")) && pages[0].contains(QStringLiteral("Version 3.08")));
    const QString contents = pages[1].simplified();
    EXPECT_TRUE(contents.contains(QStringLiteral("Inhalt")));

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
        EXPECT_TRUE(contents.contains(QStringLiteral("%1 %2").arg(heading).arg(startPage)))
            << qPrintable(heading) << " beginnt auf Seite " << startPage;
    }
    // Every page after the title carries its number; no line is written
    // twice across a page break.
    for (int page = 1; page < pages.size(); ++page) {
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Seite %1 von %2").arg(page + 1).arg(pages.size())))
            << "Seite " << page + 1;
        if (page < 2 || page + 1 >= pages.size())
            continue;
        const QStringList next = pages[page + 1].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : pages[page].split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (line.size() > 30 && !line.contains(QStringLiteral("Anleitung")))
                EXPECT_FALSE(next.contains(line)) << "Seite " << page + 2 << " wiederholt: " << qPrintable(line);
    }
}
