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
#include <QSqlQuery>
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
        EXPECT_FALSE(window->isVisible());
        // Closing the backup window would end the program; this goes back.
        if (auto* backup = qobject_cast<BackupWindow*>(w))
            backup->backToMain();
    });
    ASSERT_TRUE(window->toolbar().backup()->isEnabled());
    action("mnuDatensicherung")->trigger();

    EXPECT_TRUE(databaseWasClosed);
    EXPECT_TRUE(app.database().isOpen());
    EXPECT_TRUE(window->isVisible());
    QSqlQuery q(app.database().connection());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM Kunden WHERE a2 = 'Vor der Sicherung'")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
}

} // namespace
