#include "safety/widgets/BackupWindow.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "support/TestDatabaseFile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
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
        statusSeen << status->text();
        return freeAnswers.isEmpty() ? FileOps::freeBytes(folder) : freeAnswers.takeFirst();
    }
};

class BackupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("daten")) && QDir(dir.path()).mkpath(s("usb")));
        ASSERT_TRUE(testfiles::makeNamesDatabase(database, {s("Müller"), s("Schmidt")}));
        t.state.databasePath = database;
        t.state.backupPath = target;
        window = std::make_unique<BackupWindow>(t.ctx, nullptr, ops);
        ops.status = child<QLabel>("Label2");
        window->show();
    }
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* box() const { return child<QLineEdit>("Text1"); }
    void click(const char* name) { child<QPushButton>(name)->click(); }
    QString status() const { return child<QLabel>("Label2")->text(); }
    void expectLast(const char* title, const QString& text, std::optional<Prompts::Icon> icon = {}) const
    {
        const FakePrompts::Shown last = t.prompts.shown(Kind::Message).value(t.prompts.shown(Kind::Message).size() - 1);
        EXPECT_EQ(last.title, s(title));
        EXPECT_EQ(last.text, text);
        if (icon)
            EXPECT_EQ(last.icon, *icon);
    }

    QTemporaryDir dir;
    const QString database = dir.filePath(s("daten/Quittora.qtb"));
    const QString target = dir.filePath(s("usb/Quittora.qtb"));
    TestContext t;
    WatchingFileOps ops;
    std::unique_ptr<BackupWindow> window;
};

} // namespace

TEST_F(BackupWindowTest, ThePathIsChosenTypedAndStoredOnlyWhenTheUserSaysSo)
{
    EXPECT_EQ(child<QLabel>("Label1")->text(), database);
    EXPECT_EQ(box()->text(), target);
    EXPECT_EQ(status(), s("System bereit ..."));
    EXPECT_EQ(t.state.backupFlag, 1);
    EXPECT_EQ(t.prompts.count(), 0);

    const QString other = dir.filePath(s("usb/neu/Quittora.qtb"));
    for (const Prompts::Button answer : {Prompts::No, Prompts::Yes}) {
        t.prompts.answerSaveFile(other);
        t.prompts.answerMessage(answer);
        click("Command1");
        EXPECT_TRUE(t.prompts.shown(Kind::SaveFile).last().defaultText.endsWith(s("/usb/Quittora.qtb")));
        expectLast("Achtung !", s("Sicherungspfad wurde geändert - Pfad speichern ?"), Prompts::Icon::Question);
        const QString expected = answer == Prompts::Yes ? other : target;
        EXPECT_EQ(box()->text() + t.state.backupPath, expected + expected);
        EXPECT_EQ(t.settings.contains(s("Sicherung")), answer == Prompts::Yes);
        EXPECT_FALSE(window->pathChanged());
    }
    t.prompts.clear();
    t.prompts.answerSaveFile(s("/media/usb/Daten.txt"));
    click("Command1");
    expectLast("Fehler", s("/media/usb/Daten.txt   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"), Prompts::Icon::Critical);
    t.prompts.clear();
    t.prompts.answerSaveFile(std::nullopt);
    click("Command1");
    EXPECT_EQ(t.prompts.shown(Kind::Message).size(), 0);
    EXPECT_EQ(box()->text(), other);

    // "Sicherungspfad speichern" completes what was typed.
    box()->setText(s("E"));
    EXPECT_TRUE(window->pathChanged());
    click("Command2");
    EXPECT_EQ(box()->text() + t.state.backupPath + t.settings.value(s("Sicherung")), s("E:\\Quittora.qtbE:\\Quittora.qtbE:\\Quittora.qtb"));
    EXPECT_FALSE(window->pathChanged());
    // Tabbing into the box opens the file dialog, coming back to the window does not.
    const int dialogs = t.prompts.shown(Kind::SaveFile).size();
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(box(), &focus);
    QTRY_COMPARE(t.prompts.shown(Kind::SaveFile).size(), dialogs + 1);
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box(), &back);
    QTest::qWait(20);
    EXPECT_EQ(t.prompts.shown(Kind::SaveFile).size(), dialogs + 1);
}

TEST_F(BackupWindowTest, BackupAsksCopiesRetriesOnAFullMediumAndResetsTheStatusLater)
{
    t.prompts.answerMessage(Prompts::No);
    click("Command3");
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(status(), s("System bereit ..."));

    ops.freeAnswers = {1};
    t.prompts.answerMessage(Prompts::Yes);
    t.prompts.answerMessage(Prompts::Ok);
    click("Command3");
    EXPECT_EQ(t.prompts.messageTexts().mid(1), (QStringList{s("Daten jetzt im Pfad  ") + target + s("  sichern ?"),
                                                            s("Diskette voll - wechseln oder abbrechen")}));
    EXPECT_EQ(t.prompts.shown(Kind::Message).at(1).title, s("Datensicherung !"));
    EXPECT_EQ(ops.statusSeen.value(0), s("Datensicherung: kopiere Quittora.qtb nach  ") + target);
    EXPECT_EQ(testfiles::namesIn(target), (QStringList{s("Müller"), s("Schmidt")}));
    EXPECT_EQ(status(), s("Daten gesichert !"));
    auto* timer = child<QTimer>("Timer1");
    EXPECT_EQ(timer->interval(), 4000);
    ASSERT_TRUE(timer->isActive());
    timer->setInterval(10);
    QTRY_COMPARE(status(), s("System bereit ..."));
    EXPECT_FALSE(timer->isActive());

    // A changed box is offered for saving first.
    const QString other = dir.filePath(s("usb/zweite.qtb"));
    box()->setText(other);
    t.prompts.clear();
    t.prompts.answerMessage(Prompts::Yes);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command3");
    EXPECT_EQ(t.prompts.messageTexts(), (QStringList{s("Sicherungspfad wurde geändert - Pfad speichern ?"),
                                                     s("Daten jetzt im Pfad  ") + other + s("  sichern ?")}));
    EXPECT_TRUE(QFileInfo::exists(other));
}

TEST_F(BackupWindowTest, ABareFileNameOrTheDatabaseItselfIsRefused)
{
    box()->setText(s("Quittora.qtb"));
    t.prompts.answerMessage(Prompts::Yes); // store the changed path
    click("Command3");
    ASSERT_EQ(t.prompts.shown(Kind::Message).size(), 2);
    expectLast("Fehler", s("Bitte geben Sie ein Laufwerksbuchstaben oder einen Netzwerkpfad vor"), Prompts::Icon::Critical);
    EXPECT_EQ(t.prompts.shown(Kind::SaveFile).size(), 1) << "the dialog opens";

    const QByteArray before = testfiles::bytesOf(database);
    t.prompts.clear();
    box()->setText(database.toUpper());
    t.prompts.answerMessage(Prompts::Yes);
    click("Command3");
    EXPECT_EQ(t.prompts.last().title, s("Fehler !"));
    EXPECT_EQ(t.prompts.last().text,
              s(" Sicherungspfad identisch mit Programmpfad !  Bitte wählen Sie einen anderen Pfad als Sicherungspfad."));
    EXPECT_EQ(t.prompts.shown(Kind::Message).size(), 2) << "no backup question";
    EXPECT_EQ(testfiles::bytesOf(database), before);
}

TEST_F(BackupWindowTest, RestoreAsksWithBothPathsAndBringsTheBackupBack)
{
    const QByteArray before = testfiles::bytesOf(database);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    expectLast("Fehler !", s("Datei nicht gefunden !\nbitte wählen Sie den korrekten Sicherungspfad und versuchen Sie es erneut"));
    EXPECT_EQ(testfiles::bytesOf(database), before);
    EXPECT_EQ(status(), s("System bereit ..."));

    ASSERT_TRUE(safety::backupDatabase(database, target).ok());
    ASSERT_TRUE(testfiles::execOn(database, "DELETE FROM Kunden"));
    t.prompts.answerMessage(Prompts::No);
    click("Command4");
    expectLast("Daten zurückschreiben !", s("Die Datei \r\r") + database + s("\r\r überschreiben mit \r\r") + target,
               Prompts::Icon::Exclamation);
    EXPECT_EQ(t.prompts.last().buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(testfiles::namesIn(database).isEmpty());

    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    EXPECT_EQ(ops.statusSeen.last(), s("Daten zurückschreiben:  Quittora.qtb wird kopiert"));
    EXPECT_EQ(testfiles::namesIn(database), (QStringList{s("Müller"), s("Schmidt")}));
    EXPECT_EQ(status(), s("Zurückschreiben abgeschlossen !"));
    EXPECT_TRUE(child<QTimer>("Timer1")->isActive());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(s("daten/Quittora vor Zurückschreiben 2024-03-01 10-30-00.qtb"))));

    // A database held open ends the program after the message.
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

TEST_F(BackupWindowTest, BackToTheProgramEndOrEscape)
{
    QSignalSpy end(window.get(), &BackupWindow::endProgram);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible() && end.isEmpty());
    int flagWhenSignalled = -1;
    QObject::connect(window.get(), &BackupWindow::backToProgram, window.get(), [&] { flagWhenSignalled = t.state.backupFlag; });
    click("Command5");
    EXPECT_EQ(flagWhenSignalled, 1) << "the caller reopens before the flag drops";
    EXPECT_EQ(t.state.backupFlag, 0);
    EXPECT_TRUE(!window->isVisible() && end.isEmpty());
    for (const bool closeBox : {true, false}) {
        BackupWindow other(t.ctx, nullptr, ops);
        other.show();
        QSignalSpy otherEnd(&other, &BackupWindow::endProgram);
        if (closeBox)
            other.close();
        else
            other.findChild<QPushButton*>(s("Command6"))->click();
        EXPECT_EQ(otherEnd.count(), 1) << closeBox;
        EXPECT_FALSE(other.isVisible());
    }
}

TEST_F(BackupWindowTest, SendingTheDataFileComposesAMailOnlyAfterYes)
{
    auto* send = child<QAction>("mnuSenden");
    t.prompts.answerMessage(Prompts::No);
    send->trigger();
    expectLast("Achtung !", s("Möchten Sie Ihre Quittora_pro Datendatei jetzt per E-Mail an Veltrin senden"));
    EXPECT_TRUE(t.shell.started().isEmpty());

    t.prompts.answerMessage(Prompts::Yes);
    send->trigger();
    ASSERT_EQ(t.shell.started().size(), 1);
    const auto& mail = t.shell.started()[0];
    EXPECT_EQ(mail.program, s("xdg-email"));
    // A checked copy of the data file in the private temporary folder.
    const QString attached = mail.arguments.value(mail.arguments.indexOf(s("--attach")) + 1);
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
