#include "safety/widgets/BackupWindow.h"

#include "support/TestContext.h"
#include "support/QtPrinters.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

using namespace quittora;
using Kind = FakePrompts::Kind;



namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

// Reports the free room the test wants and what the status line said while
// the file work ran.
class WatchingFileOps final : public safety::FileOps {
public:
    QList<qint64> freeAnswers;
    QLabel* status = nullptr;
    QStringList statusSeen;
    qint64 freeBytes(const QString& folder) override
    {
        if (status)
            statusSeen << status->text();
        if (!freeAnswers.isEmpty())
            return freeAnswers.takeFirst();
        return FileOps::freeBytes(folder);
    }
};

class BackupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("daten")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("usb")));
        database = dir.filePath(s("daten/Quittora.qtb"));
        target = dir.filePath(s("usb/Quittora.qtb"));
        ASSERT_TRUE(testfiles::makeNamesDatabase(database, {s("Müller"), s("Schmidt")}));
        t.state.databasePath = database;
        t.state.backupPath = target;
        window = std::make_unique<BackupWindow>(t.ctx, nullptr, ops);
        ops.status = label("Label2");
        window->show();
    }

    template<typename T = QWidget>
    T* child(const char* name) const
    {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLabel* label(const char* name) const { return child<QLabel>(name); }
    QLineEdit* box() const { return child<QLineEdit>("Text1"); }
    void click(const char* name) { child<QPushButton>(name)->click(); }
    QString status() const { return label("Label2")->text(); }

    QTemporaryDir dir;
    QString database;
    QString target;
    TestContext t;
    WatchingFileOps ops;
    std::unique_ptr<BackupWindow> window;
};

} // namespace

TEST_F(BackupWindowTest, ShowsPathsCaptionsAndAReadyStatus)
{
    EXPECT_EQ(window->objectName(), s("Datensicherung"));
    EXPECT_EQ(label("Label1")->text(), database);
    EXPECT_EQ(box()->text(), target);
    EXPECT_FALSE(window->pathChanged());
    EXPECT_EQ(status(), s("System bereit ..."));
    EXPECT_EQ(child<QGroupBox>("Frame1")->title(), s("Datendatei:"));
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), s("Sicherungsdatei:"));
    const std::pair<const char*, const char*> captions[] = {
        {"Command1", "&Sicherungspfad wählen"}, {"Command2", "Sicherungsp&fad speichern"},
        {"Command3", "Daten  &sichern"},        {"Command4", "Daten  &zurückschreiben"},
        {"Command5", "&Zurück zum Programm"},   {"Command6", "&Programm beenden"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(child<QPushButton>(name)->text(), s(caption)) << name;
    EXPECT_EQ(child<QMenu>("mnuDatei")->title(), s("Datei"));
    EXPECT_EQ(child<QAction>("mnuSenden")->text(), s("Datendatei an Veltrin senden"));
    EXPECT_EQ(child<QTimer>("Timer1")->interval(), 4000);
    EXPECT_FALSE(child<QTimer>("Timer1")->isActive());
    EXPECT_EQ(t.state.backupFlag, 1);
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(BackupWindowTest, ChosenPathIsStoredOnlyWhenTheUserSaysSo)
{
    const QString other = dir.filePath(s("usb/neu/Quittora.qtb"));
    t.prompts.answerSaveFile(other);
    t.prompts.answerMessage(Prompts::No);
    click("Command1");
    ASSERT_EQ(t.prompts.shown(Kind::SaveFile).size(), 1);
    EXPECT_TRUE(t.prompts.shown(Kind::SaveFile)[0].defaultText.endsWith(s("/usb/Quittora.qtb")));
    ASSERT_EQ(t.prompts.shown(Kind::Message).size(), 1);
    EXPECT_EQ(t.prompts.last().title, s("Achtung !"));
    EXPECT_EQ(t.prompts.last().text, s("Sicherungspfad wurde geändert - Pfad speichern ?"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Question);
    EXPECT_EQ(box()->text(), target);
    EXPECT_EQ(t.state.backupPath, target);
    EXPECT_FALSE(t.settings.contains(s("Sicherung")));
    EXPECT_FALSE(window->pathChanged());

    t.prompts.answerSaveFile(other);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command1");
    EXPECT_EQ(box()->text(), other);
    EXPECT_EQ(t.state.backupPath, other);
    EXPECT_EQ(t.settings.value(s("Sicherung")), other);
    EXPECT_FALSE(window->pathChanged());
}

TEST_F(BackupWindowTest, WrongFileNameOrCancelledDialogChangesNothing)
{
    t.prompts.answerSaveFile(s("/media/usb/Daten.txt"));
    click("Command1");
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_EQ(t.prompts.last().text, s("/media/usb/Daten.txt   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_EQ(box()->text(), target);

    t.prompts.clear();
    t.prompts.answerSaveFile(std::nullopt);
    click("Command1");
    EXPECT_EQ(t.prompts.shown(Kind::Message).size(), 0);
    EXPECT_EQ(box()->text(), target);
    EXPECT_FALSE(window->pathChanged());
}

TEST_F(BackupWindowTest, TabbingIntoThePathBoxOpensTheFileDialog)
{
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box(), &focus);
    QTRY_COMPARE(t.prompts.shown(Kind::SaveFile).size(), 1);

    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box(), &back);
    QTest::qWait(20);
    EXPECT_EQ(t.prompts.shown(Kind::SaveFile).size(), 1);
}

TEST_F(BackupWindowTest, SavePathCompletesTheTypedText)
{
    box()->setText(s("E"));
    EXPECT_TRUE(window->pathChanged());
    click("Command2");
    EXPECT_EQ(box()->text(), s("E:\\Quittora.qtb"));
    EXPECT_EQ(t.settings.value(s("Sicherung")), s("E:\\Quittora.qtb"));
    EXPECT_FALSE(window->pathChanged());

    box()->setText(s("/media/usb"));
    click("Command2");
    EXPECT_EQ(t.state.backupPath, s("/media/usb/Quittora.qtb"));

    box()->clear();
    click("Command2");
    EXPECT_EQ(t.state.backupPath, t.folders.documents() + s("/Quittora pro - Sicherung/Quittora.qtb"));
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(BackupWindowTest, BackupAsksThenCopiesAndResetsTheStatusLater)
{
    t.prompts.answerMessage(Prompts::Yes);
    click("Command3");
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(t.prompts.last().title, s("Datensicherung !"));
    EXPECT_EQ(t.prompts.last().text, s("Daten jetzt im Pfad  ") + target + s("  sichern ?"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Question);
    EXPECT_EQ(ops.statusSeen.value(0), s("Datensicherung: kopiere Quittora.qtb nach  ") + target);
    EXPECT_EQ(testfiles::namesIn(target), (QStringList{s("Müller"), s("Schmidt")}));
    EXPECT_EQ(status(), s("Daten gesichert !"));

    auto* timer = child<QTimer>("Timer1");
    EXPECT_TRUE(timer->isActive());
    timer->setInterval(10); // the 4 seconds, shortened
    QTRY_COMPARE(status(), s("System bereit ..."));
    EXPECT_FALSE(timer->isActive());
}

TEST_F(BackupWindowTest, NoToTheBackupQuestionWritesNothing)
{
    t.prompts.answerMessage(Prompts::No);
    click("Command3");
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(status(), s("System bereit ..."));
}

TEST_F(BackupWindowTest, ChangedBoxIsOfferedForSavingBeforeTheBackup)
{
    const QString other = dir.filePath(s("usb/zweite.qtb"));
    box()->setText(other);
    t.prompts.answerMessage(Prompts::Yes); // store the path
    t.prompts.answerMessage(Prompts::Yes); // back up
    click("Command3");
    EXPECT_EQ(t.prompts.messageTexts(),
              (QStringList{s("Sicherungspfad wurde geändert - Pfad speichern ?"), s("Daten jetzt im Pfad  ") + other + s("  sichern ?")}));
    EXPECT_EQ(t.settings.value(s("Sicherung")), other);
    EXPECT_TRUE(QFileInfo::exists(other));
}

TEST_F(BackupWindowTest, BareFileNameIsRefusedAndTheDialogOpens)
{
    box()->setText(s("Quittora.qtb"));
    t.prompts.answerMessage(Prompts::Yes); // store the changed path
    click("Command3");
    ASSERT_EQ(t.prompts.shown(Kind::Message).size(), 2);
    EXPECT_EQ(t.prompts.shown(Kind::Message)[1].title, s("Fehler"));
    EXPECT_EQ(t.prompts.shown(Kind::Message)[1].text, s("Bitte geben Sie ein Laufwerksbuchstaben oder einen Netzwerkpfad vor"));
    EXPECT_EQ(t.prompts.shown(Kind::Message)[1].icon, Prompts::Icon::Critical);
    EXPECT_EQ(t.prompts.shown(Kind::SaveFile).size(), 1);
}

TEST_F(BackupWindowTest, BackupOntoTheDatabaseItselfIsRefusedWhateverTheCase)
{
    const QByteArray before = testfiles::bytesOf(database);
    t.state.backupPath = database.toUpper();
    box()->setText(database.toUpper());
    t.prompts.answerMessage(Prompts::Yes); // store the changed path
    click("Command3");
    EXPECT_EQ(t.prompts.last().title, s("Fehler !"));
    EXPECT_EQ(t.prompts.last().text,
              s(" Sicherungspfad identisch mit Programmpfad !  Bitte wählen Sie einen anderen Pfad als Sicherungspfad."));
    EXPECT_EQ(t.prompts.shown(Kind::Message).size(), 2) << "no backup question";
    EXPECT_EQ(testfiles::bytesOf(database), before);
}

TEST_F(BackupWindowTest, FullMediumAsksAndOkRetries)
{
    ops.freeAnswers = {1};
    t.prompts.answerMessage(Prompts::Yes);
    t.prompts.answerMessage(Prompts::Ok);
    click("Command3");
    EXPECT_EQ(t.prompts.messageTexts().value(1), s("Diskette voll - wechseln oder abbrechen"));
    EXPECT_EQ(status(), s("Daten gesichert !"));
    EXPECT_EQ(safety::inspectDatabaseFile(target), safety::FileState::Sound);
}

TEST_F(BackupWindowTest, RestoreAsksWithBothPathsAndBringsTheBackupBack)
{
    ASSERT_TRUE(safety::backupDatabase(database, target).ok());
    ASSERT_TRUE(testfiles::execOn(database, "DELETE FROM Kunden"));

    t.prompts.answerMessage(Prompts::No);
    click("Command4");
    EXPECT_EQ(t.prompts.last().title, s("Daten zurückschreiben !"));
    EXPECT_EQ(t.prompts.last().text, s("Die Datei \r\r") + database + s("\r\r überschreiben mit \r\r") + target);
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(t.prompts.last().buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(testfiles::namesIn(database).isEmpty());

    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    EXPECT_EQ(ops.statusSeen.last(), s("Daten zurückschreiben:  Quittora.qtb wird kopiert"));
    EXPECT_EQ(testfiles::namesIn(database), (QStringList{s("Müller"), s("Schmidt")}));
    EXPECT_EQ(status(), s("Zurückschreiben abgeschlossen !"));
    EXPECT_TRUE(child<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(s("daten/Quittora vor Zurückschreiben 2024-03-01 10-30-00.qtb"))));
}

TEST_F(BackupWindowTest, RestoreFromAMissingBackupLeavesTheDatabase)
{
    const QByteArray before = testfiles::bytesOf(database);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    EXPECT_EQ(t.prompts.last().text,
              s("Datei nicht gefunden !\nbitte wählen Sie den korrekten Sicherungspfad und versuchen Sie es erneut"));
    EXPECT_EQ(t.prompts.last().title, s("Fehler !"));
    EXPECT_EQ(testfiles::bytesOf(database), before);
    EXPECT_EQ(status(), s("System bereit ..."));
}

TEST_F(BackupWindowTest, DatabaseInUseEndsTheProgramAfterTheMessage)
{
    ASSERT_TRUE(safety::backupDatabase(database, target).ok());
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QSignalSpy end(window.get(), &BackupWindow::endProgram);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(t.prompts.last().text,
              s("Bitte brechen Sie ab, und starten Sie dieses Programm erneut, dann Datensicherung anklicken !"));
    EXPECT_EQ(end.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(BackupWindowTest, BackToTheProgramLetsTheCallerReopenBeforeTheFlagDrops)
{
    QSignalSpy end(window.get(), &BackupWindow::endProgram);
    int flagWhenSignalled = -1;
    QObject::connect(window.get(), &BackupWindow::backToProgram, window.get(), [&] { flagWhenSignalled = t.state.backupFlag; });
    click("Command5");
    EXPECT_EQ(flagWhenSignalled, 1);
    EXPECT_EQ(t.state.backupFlag, 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(end.count(), 0);
}

TEST_F(BackupWindowTest, EndButtonAndCloseBoxEndTheProgramButEscapeDoesNot)
{
    QSignalSpy end(window.get(), &BackupWindow::endProgram);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(end.count(), 0);

    window->close();
    EXPECT_EQ(end.count(), 1);

    BackupWindow second(t.ctx, nullptr, ops);
    second.show();
    QSignalSpy end2(&second, &BackupWindow::endProgram);
    second.findChild<QPushButton*>(s("Command6"))->click();
    EXPECT_EQ(end2.count(), 1);
    EXPECT_FALSE(second.isVisible());
}

TEST_F(BackupWindowTest, SendingTheDataFileComposesAMailOnlyAfterYes)
{
    auto* send = child<QAction>("mnuSenden");
    t.prompts.answerMessage(Prompts::No);
    send->trigger();
    EXPECT_EQ(t.prompts.last().title, s("Achtung !"));
    EXPECT_EQ(t.prompts.last().text, s("Möchten Sie Ihre Quittora_pro Datendatei jetzt per E-Mail an Veltrin senden"));
    EXPECT_TRUE(t.shell.started().isEmpty());

    t.prompts.answerMessage(Prompts::Yes);
    send->trigger();
    ASSERT_EQ(t.shell.started().size(), 1);
    const auto& mail = t.shell.started()[0];
    EXPECT_EQ(mail.program, s("xdg-email"));
    const int attach = mail.arguments.indexOf(s("--attach"));
    ASSERT_GE(attach, 0);
    // A checked copy of the data file in the private temporary folder.
    const QString attached = mail.arguments.value(attach + 1);
    EXPECT_EQ(attached, QDir(t.state.tempFolder).filePath(s("Quittora.qtb")));
    EXPECT_EQ(safety::inspectDatabaseFile(attached), safety::FileState::Sound);
    EXPECT_EQ(testfiles::namesIn(attached), (QStringList{s("Müller"), s("Schmidt")}));
    EXPECT_EQ(mail.arguments.value(mail.arguments.indexOf(s("--subject")) + 1), s("Quittora - Daten"));
    EXPECT_EQ(mail.arguments.last(), safety::supportAddress());

    t.shell.setResult(false);
    t.prompts.answerMessage(Prompts::Yes);
    send->trigger();
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_TRUE(t.prompts.last().text.startsWith(s("Das E-Mail-Programm konnte nicht gestartet werden.")));
}
