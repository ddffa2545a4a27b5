#include "app/Application.h"
#include "data/Recordset.h"
#include "safety/widgets/BackupWindow.h"
#include "support/ModalHelper.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/RechnungWindow.h"
#include "workspace/widgets/ToolbarArea.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>

using namespace quittora;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

class MenuWiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kNoUpdateServer);
        window = app.start();
        ASSERT_NE(window, nullptr);
    }
    QAction* action(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }

    TestContext t;
    Application app{t.ctx};
    RechnungWindow* window = nullptr;
};

TEST_F(MenuWiring, BackgroundColourIsStoredAsBgrNumberAndCancelKeepsIt)
{
    ASSERT_TRUE(action("mnuHintergrundfarbe")->isEnabled());
    t.prompts.answerColour(QColor(0, 0, 255));
    action("mnuHintergrundfarbe")->trigger();
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("16711680"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("16711680"));

    t.prompts.answerColour(std::nullopt);
    action("mnuHintergrundfarbe")->trigger();
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("16711680"));
}

TEST_F(MenuWiring, ChosenColourIsShownOnTheWindowItsTabsAndItsPanelAndBlackIsRefused)
{
    const QColor blue(0, 0, 255);
    auto shownColours = [&] {
        QList<QColor> colours;
        for (const char* name : {"RechnungSurface", "SSTab1", "SSPanel3"}) {
            auto* w = window->findChild<QWidget*>(QLatin1String(name));
            EXPECT_NE(w, nullptr) << name;
            colours << (w ? w->palette().color(QPalette::Window) : QColor());
        }
        return colours;
    };
    ASSERT_NE(shownColours().value(0), blue);

    t.prompts.answerColour(blue);
    action("mnuHintergrundfarbe")->trigger();
    EXPECT_EQ(shownColours(), (QList<QColor>{blue, blue, blue}));

    t.prompts.answerColour(QColor(Qt::black));
    action("mnuHintergrundfarbe")->trigger();
    EXPECT_EQ(shownColours(), (QList<QColor>{blue, blue, blue}));
    EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("16711680"));
}

TEST_F(MenuWiring, MissingManualIsToldAndAPresentOneIsOpened)
{
    action("mnuAnleitung")->trigger();
    EXPECT_TRUE(t.shell.opened().isEmpty());
    EXPECT_TRUE(t.prompts.last().text.contains(QStringLiteral("Anleitung.pdf")));

    QFile pdf(t.folders.programFolder() + QStringLiteral("/Anleitung.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    action("mnuAnleitung")->trigger();
    ASSERT_EQ(t.shell.opened().size(), 1);
    EXPECT_TRUE(t.shell.opened().first().endsWith(QStringLiteral("Anleitung.pdf")));
}

TEST_F(MenuWiring, InfoWindowOpensFromTheHelpMenu)
{
    QString shownName;
    whenModalOpens([&](QWidget* w) {
        shownName = w->objectName();
        w->close();
    });
    action("mnuInfo")->trigger();
    EXPECT_EQ(shownName, QStringLiteral("Info"));
}

TEST_F(MenuWiring, BackupClosesTheDatabaseAndTheProgramGoesOnWithIt)
{
    // An edit not yet stored must reach the file before it is backed up.
    Recordset& customers = window->sources().customers();
    ASSERT_TRUE(customers.hasCurrent());
    customers.setValue(QStringLiteral("a2"), QStringLiteral("Vor der Sicherung"));

    bool databaseWasClosed = false;
    whenModalOpens([&](QWidget* w) {
        EXPECT_EQ(w->objectName(), QStringLiteral("Datensicherung"));
        databaseWasClosed = !app.database().isOpen();
        // Nothing of the program holds the file now, so it may be replaced.
        EXPECT_FALSE(safety::isMarkedInUse(t.state.databasePath));
        EXPECT_FALSE(window->isVisible());
        // Closing the backup window would end the program; this goes back.
        if (auto* backup = qobject_cast<BackupWindow*>(w))
            backup->backToMain();
    });
    ASSERT_TRUE(window->toolbar().backup()->isEnabled());
    EXPECT_TRUE(safety::isMarkedInUse(t.state.databasePath));
    action("mnuDatensicherung")->trigger();
    EXPECT_TRUE(safety::isMarkedInUse(t.state.databasePath));

    EXPECT_TRUE(databaseWasClosed);
    // Nothing of the main window reached for the closed database meanwhile.
    EXPECT_EQ(t.prompts.count(), 0) << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));
    EXPECT_TRUE(app.database().isOpen());
    EXPECT_TRUE(window->isVisible());
    QSqlQuery q(app.database().connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM Kunden WHERE a2 = 'Vor der Sicherung'")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
}

// Restoring in the backup window and going back: the main window works on
// the restored data, and the replaced file is kept beside it.
TEST_F(MenuWiring, AfterARestoreTheMainWindowShowsTheRestoredData)
{
    QTemporaryDir usb;
    ASSERT_TRUE(usb.isValid());
    t.state.backupPath = usb.filePath(QStringLiteral("Quittora.qtb"));
    auto nameOfTheCustomer = [&] {
        QSqlQuery q(app.database().connection());
        return q.exec(QStringLiteral("SELECT a2 FROM Kunden")) && q.next() ? q.value(0).toString() : QString();
    };
    auto inBackupWindow = [&](const char* button) {
        whenModalOpens([button](QWidget* w) {
            if (auto* backup = qobject_cast<BackupWindow*>(w)) {
                backup->findChild<QPushButton*>(QLatin1String(button))->click();
                backup->backToMain();
            } else {
                w->close();
            }
        });
        action("mnuDatensicherung")->trigger();
    };

    const QString saved = nameOfTheCustomer();
    ASSERT_FALSE(saved.isEmpty());
    t.prompts.answerMessage(Prompts::Yes); // "Daten jetzt im Pfad ... sichern ?"
    inBackupWindow("Command3");
    ASSERT_TRUE(QFileInfo::exists(t.state.backupPath));

    QSqlQuery(app.database().connection()).exec(QStringLiteral("UPDATE Kunden SET a2 = 'Nach der Sicherung'"));
    window->sources().customers().refresh();
    ASSERT_EQ(window->sources().customers().text(QStringLiteral("a2")), QStringLiteral("Nach der Sicherung"));

    t.prompts.answerMessage(Prompts::Yes); // "Die Datei ... überschreiben mit ..."
    inBackupWindow("Command4");
    ASSERT_TRUE(app.database().isOpen());
    EXPECT_EQ(nameOfTheCustomer(), saved);
    EXPECT_EQ(window->sources().customers().text(QStringLiteral("a2")), saved);
    EXPECT_EQ(t.prompts.count(), 2) << qPrintable(t.prompts.messageTexts().join(QLatin1Char('|')));
    const QStringList kept = QFileInfo(t.state.databasePath).dir().entryList({QStringLiteral("* vor Zurückschreiben *")});
    EXPECT_EQ(kept.size(), 1);
}

} // namespace
