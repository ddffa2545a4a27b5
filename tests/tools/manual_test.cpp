#include "tools/Manual.h"

#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace quittora;

namespace {

void writeFile(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4\n");
}

} // namespace

TEST(ManualPath, IsAnleitungPdfInTheProgramFolder)
{
    FakeSpecialFolders folders;
    folders.setProgramFolder(QStringLiteral("/opt/quittora"));
    EXPECT_EQ(manualPath(folders), QStringLiteral("/opt/quittora/Anleitung.pdf"));
    folders.setProgramFolder(QStringLiteral("/opt/quittora/"));
    EXPECT_EQ(manualPath(folders), QStringLiteral("/opt/quittora/Anleitung.pdf"));
    folders.setProgramFolder(QString());
    EXPECT_EQ(manualPath(folders), QString());
}

class OpenManual : public ::testing::Test {
protected:
    TestContext t;
};

TEST_F(OpenManual, HandsThePdfToTheDesktopViewer)
{
    const QString pdf = QDir(t.folders.programFolder()).filePath(QStringLiteral("Anleitung.pdf"));
    writeFile(pdf);
    EXPECT_TRUE(openManual(t.folders, t.shell, t.prompts));
    EXPECT_EQ(t.shell.opened(), QStringList{QFileInfo(pdf).absoluteFilePath()});
    EXPECT_TRUE(t.shell.started().isEmpty());
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(OpenManual, AMissingManualIsExplainedAndNothingIsOpened)
{
    EXPECT_FALSE(openManual(t.folders, t.shell, t.prompts));
    EXPECT_TRUE(t.shell.opened().isEmpty());
    ASSERT_EQ(t.prompts.count(), 1);
    const FakePrompts::Shown shown = t.prompts.last();
    EXPECT_EQ(shown.title, QStringLiteral("Hinweis !"));
    EXPECT_EQ(shown.icon, Prompts::Icon::Exclamation);
    EXPECT_TRUE(shown.text.startsWith(QStringLiteral("Die Anleitung \"Anleitung.pdf\" wurde nicht gefunden.")))
        << qPrintable(shown.text);
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(t.folders.programFolder()))) << qPrintable(shown.text);
}

TEST_F(OpenManual, AFolderNamedLikeTheManualIsNoManual)
{
    ASSERT_TRUE(QDir(t.folders.programFolder()).mkdir(QStringLiteral("Anleitung.pdf")));
    EXPECT_FALSE(openManual(t.folders, t.shell, t.prompts));
    EXPECT_TRUE(t.shell.opened().isEmpty());
    EXPECT_EQ(t.prompts.count(), 1);
}

TEST_F(OpenManual, WithoutAProgramFolderTheMessageSaysSo)
{
    t.folders.setProgramFolder(QString());
    EXPECT_FALSE(openManual(t.folders, t.shell, t.prompts));
    EXPECT_TRUE(t.shell.opened().isEmpty());
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_TRUE(t.prompts.last().text.contains(QStringLiteral("(unbekannt)")));
}

TEST_F(OpenManual, ADesktopWithoutPdfViewerIsTold)
{
    writeFile(QDir(t.folders.programFolder()).filePath(QStringLiteral("Anleitung.pdf")));
    t.shell.setResult(false);
    EXPECT_FALSE(openManual(t.folders, t.shell, t.prompts));
    EXPECT_EQ(t.shell.opened().size(), 1);
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_TRUE(t.prompts.last().text.startsWith(QStringLiteral("Die Anleitung konnte nicht geöffnet werden.")));
}

// The build sets the manual beside the program; its text must be real text
// (searchable, copyable) with every chapter in the contents and in the body.
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
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);

    ASSERT_GE(pages.size(), 3);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Quittora pro")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Version 3.08")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Inhalt")));

    const QStringList chapters = {
        QStringLiteral("Erster Start"),
        QStringLiteral("Eine Rechnung vom Anlegen bis zum Druck"),
        QStringLiteral("Kunden"),
        QStringLiteral("Artikel"),
        QStringLiteral("Einstellungen"),
        QStringLiteral("Druckerränder"),
        QStringLiteral("Umsatzübersicht"),
        QStringLiteral("E-Mail"),
        QStringLiteral("Datensicherung und Wiederherstellung"),
        QStringLiteral("Postleitzahlen"),
        QStringLiteral("Kommandozeile"),
    };
    for (int i = 0; i < chapters.size(); ++i) {
        const QString heading = QStringLiteral("%1 %2").arg(i + 1).arg(chapters[i]);
        EXPECT_TRUE(pages[1].simplified().contains(heading)) << "Inhalt ohne " << qPrintable(heading);
        // The contents name the page the chapter starts on, and it does.
        int startPage = -1;
        for (int page = 2; page < pages.size(); ++page) {
            if (pages[page].trimmed().startsWith(heading)) {
                startPage = page + 1;
                break;
            }
        }
        ASSERT_GT(startPage, 0) << "kein Kapitel " << qPrintable(heading);
        EXPECT_TRUE(pages[1].simplified().contains(QStringLiteral("%1 %2").arg(heading).arg(startPage)))
            << qPrintable(heading) << " beginnt auf Seite " << startPage;
    }

    // Every page after the title carries its number, and no line is written
    // twice across a page break.
    for (int page = 1; page < pages.size(); ++page) {
        EXPECT_TRUE(pages[page].contains(QStringLiteral("Seite %1 von %2").arg(page + 1).arg(pages.size())))
            << "Seite " << page + 1;
    }
    for (int page = 2; page + 1 < pages.size(); ++page) {
        const QStringList lines = pages[page].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList next = pages[page + 1].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            if (line.size() > 30 && !line.contains(QStringLiteral("Anleitung"))) {
                EXPECT_FALSE(next.contains(line)) << "Seite " << page + 2 << " wiederholt: " << qPrintable(line);
            }
        }
    }
}
