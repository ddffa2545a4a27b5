#include "safety/widgets/BackupWindow.h"

#include "support/QtPrinters.h"
#include "support/TestDatabaseFile.h"
#include "support/ToolsDialogs.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace quittora;
using Kind = FakePrompts::Kind;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

class BackupWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(s("daten")) && QDir(dir.path()).mkpath(s("usb")));
        ASSERT_TRUE(testfiles::makeNamesDatabase(database, names));
        t.state.databasePath = database;
        t.state.backupPath = target;
        window = std::make_unique<BackupWindow>(t.ctx);
        window->show();
    }
    template <typename T>
    T* child(const char* name) const { return test::child<T>(*window, name); }
    QLineEdit* box() const { return child<QLineEdit>("Text1"); }
    void click(const char* name) { child<QPushButton>(name)->click(); }
    QString status() const { return child<QLabel>("Label2")->text(); }
    int shown(Kind kind) const { return t.prompts.shown(kind).size(); }
    // Title and text of the last message, "title|text", and its icon if given.
    QString last(std::optional<Prompts::Icon> icon = {}) const
    {
        const FakePrompts::Shown m = t.prompts.shown(Kind::Message).value(shown(Kind::Message) - 1);
        return m.title + s("|") + m.text + (icon && m.icon != *icon ? s(" (other icon)") : QString());
    }

    QTemporaryDir dir;
    const QString database = dir.filePath(s("daten/Quittora.qtb"));
    const QString target = dir.filePath(s("usb/Quittora.qtb"));
    const QStringList names{s("Müller"), s("Schmidt")};
    TestContext t;
    std::unique_ptr<BackupWindow> window;
};

} // namespace

TEST_F(BackupWindowTest, ThePathIsChosenTypedAndStoredOnlyWhenTheUserSaysSo)
{
    EXPECT_EQ(child<QLabel>("Label1")->text() + box()->text() + status(), database + target + s("System bereit ..."));
    const QString other = dir.filePath(s("usb/neu/Quittora.qtb"));
    for (const Prompts::Button answer : {Prompts::No, Prompts::Yes}) {
        t.prompts.answerSaveFile(other);
        t.prompts.answerMessage(answer);
        click("Command1");
        EXPECT_EQ(last(Prompts::Icon::Question), s("Achtung !|Sicherungspfad wurde geändert - Pfad speichern ?"));
        const QString expected = answer == Prompts::Yes ? other : target;
        EXPECT_EQ(box()->text() + t.state.backupPath, expected + expected);
        EXPECT_TRUE(t.settings.contains(s("Sicherung")) == (answer == Prompts::Yes) && !window->pathChanged());
    }
    // Another file name is refused; a cancelled dialog changes nothing.
    t.prompts.answerSaveFile(s("/media/usb/Daten.txt"));
    t.prompts.answerSaveFile(std::nullopt);
    click("Command1");
    click("Command1");
    EXPECT_EQ(shown(Kind::Message), 3);
    EXPECT_EQ(last(Prompts::Icon::Critical), s("Fehler|/media/usb/Daten.txt   ist die falsche Datei, bitte suchen Sie  Quittora.qtb"));
    EXPECT_EQ(box()->text(), other);

    // "Sicherungspfad speichern" completes what was typed.
    box()->setText(s("E"));
    EXPECT_TRUE(window->pathChanged());
    click("Command2");
    EXPECT_EQ(box()->text() + t.state.backupPath + t.settings.value(s("Sicherung")), s("E:\\Quittora.qtbE:\\Quittora.qtbE:\\Quittora.qtb"));
    EXPECT_FALSE(window->pathChanged());
}

// The copying itself, its refusals and the full medium: the backup tests.
TEST_F(BackupWindowTest, BackupAsksAndCopies)
{
    t.prompts.answerMessage(Prompts::No);
    click("Command3");
    EXPECT_FALSE(QFileInfo::exists(target));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command3");
    EXPECT_EQ(t.prompts.messageTexts().value(1), s("Daten jetzt im Pfad  ") + target + s("  sichern ?"));
    EXPECT_EQ(testfiles::namesIn(target), names);
    EXPECT_EQ(status(), s("Daten gesichert !"));
}

TEST_F(BackupWindowTest, ABareFileNameOrTheDatabaseItselfIsRefused)
{
    const QByteArray before = testfiles::bytesOf(database);
    const std::pair<QString, QString> cases[] = {
        {s("Quittora.qtb"), s("Fehler|Bitte geben Sie ein Laufwerksbuchstaben oder einen Netzwerkpfad vor")},
        {database.toUpper(), s("Fehler !| Sicherungspfad identisch mit Programmpfad !  Bitte wählen Sie einen anderen Pfad als Sicherungspfad.")},
    };
    for (const auto& [path, refusal] : cases) {
        t.prompts.clear();
        box()->setText(path);
        t.prompts.answerMessage(Prompts::Yes); // store the changed path
        click("Command3");
        EXPECT_EQ(shown(Kind::Message), 2) << "no backup question";
        EXPECT_EQ(last(Prompts::Icon::Critical), refusal);
        EXPECT_EQ(shown(Kind::SaveFile), path == cases[0].first ? 1 : 0) << "the dialog opens for a bare name";
    }
    EXPECT_EQ(testfiles::bytesOf(database), before);
}

TEST_F(BackupWindowTest, RestoreAsksWithBothPathsAndBringsTheBackupBack)
{
    ASSERT_TRUE(safety::backupDatabase(database, target).ok());
    ASSERT_TRUE(testfiles::execOn(database, "DELETE FROM Kunden"));
    t.prompts.answerMessage(Prompts::No);
    click("Command4");
    EXPECT_EQ(last(Prompts::Icon::Exclamation),
              s("Daten zurückschreiben !|Die Datei \r\r") + database + s("\r\r überschreiben mit \r\r") + target);
    EXPECT_EQ(t.prompts.last().buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(testfiles::namesIn(database).isEmpty());

    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    EXPECT_EQ(testfiles::namesIn(database), names);
    EXPECT_EQ(status(), s("Zurückschreiben abgeschlossen !"));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(s("daten/Quittora vor Zurückschreiben 2024-03-01 10-30-00.qtb"))));

    // A database held open ends the program after the message.
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database).constData(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QSignalSpy end(window.get(), &BackupWindow::endProgram);
    t.prompts.answerMessage(Prompts::Yes);
    click("Command4");
    sqlite3_close_v2(holder); // rolls the transaction back
    EXPECT_TRUE(last().startsWith(s("Achtung !|Bitte brechen Sie ab"))) << last().toStdString();
    EXPECT_TRUE(end.count() == 1 && !window->isVisible());
}

// "zurück" goes back to the program; the close box ends it, since the main
// window is hidden and its database closed meanwhile.
TEST_F(BackupWindowTest, BackToTheProgramOrEnd)
{
    QSignalSpy end(window.get(), &BackupWindow::endProgram);
    int flagWhenSignalled = -1;
    QObject::connect(window.get(), &BackupWindow::backToProgram, window.get(), [&] { flagWhenSignalled = t.state.backupFlag; });
    click("Command5");
    EXPECT_EQ(flagWhenSignalled, 1) << "the caller reopens before the flag drops";
    EXPECT_TRUE(t.state.backupFlag == 0 && !window->isVisible() && end.isEmpty());
    BackupWindow other(t.ctx);
    other.show();
    QSignalSpy otherEnd(&other, &BackupWindow::endProgram);
    other.close();
    EXPECT_TRUE(otherEnd.count() == 1 && !other.isVisible());
}

TEST_F(BackupWindowTest, SendingTheDataFileComposesAMailOnlyAfterYes)
{
    auto* send = child<QAction>("mnuSenden");
    for (const Prompts::Button answer : {Prompts::No, Prompts::Yes})
        t.prompts.answerMessage(answer);
    send->trigger();
    EXPECT_EQ(last(), s("Achtung !|Möchten Sie Ihre Quittora_pro Datendatei jetzt per E-Mail an Veltrin senden"));
    EXPECT_TRUE(t.shell.started().isEmpty());
    send->trigger();
    ASSERT_EQ(t.shell.started().size(), 1);
    const auto& mail = t.shell.started()[0];
    const auto after = [&](const char* option) { return mail.arguments.value(mail.arguments.indexOf(s(option)) + 1); };
    // A checked copy of the data file in the private temporary folder.
    EXPECT_EQ(mail.program + after("--subject") + mail.arguments.last(), s("xdg-emailQuittora - Daten") + safety::supportAddress());
    EXPECT_EQ(after("--attach"), QDir(t.state.tempFolder).filePath(s("Quittora.qtb")));
    EXPECT_EQ(testfiles::namesIn(after("--attach")), names);

    t.shell.setResult(false);
    t.prompts.answerMessage(Prompts::Yes);
    send->trigger();
    EXPECT_TRUE(last().startsWith(s("Fehler|Das E-Mail-Programm konnte nicht gestartet werden."))) << last().toStdString();
}
