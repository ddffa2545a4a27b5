#include "app/Application.h"
#include "data/Recordset.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTest>

using namespace quittora;

namespace {

// No update check leaves this machine during the tests.
const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

// Start-up ends in the main window bound to the database, and "öffnen" binds
// it to another one.
TEST(Application, StartsOnTheDefaultDatabaseAndOpensAnotherOne)
{
    ASSERT_TRUE(kNoUpdateServer);
    TestContext t;
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(app.database().isOpen());
    // The fresh database holds the template's customer and article only.
    EXPECT_EQ(window->sources().documents().recordCount(), 0);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label25"))->text(), QStringLiteral("1 Kunden"));

    test::TempDatabase other;
    test::SampleDocuments sample(other);
    t.prompts.answerOpenFile(other.path());
    window->findChild<QAction*>(QStringLiteral("mnuOeffnen"))->trigger();
    EXPECT_EQ(app.database().path(), other.path());
    EXPECT_EQ(t.prompts.last().text, QStringLiteral("4 Rechnungen"));
    EXPECT_EQ(window->sources().documents().recordCount(), 4);
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label25"))->text(), QStringLiteral("4 Kunden"));
    // Shortly after, the last document is current.
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->sources().documents().currentId() == sample.doc4; }, 2000));
}

TEST(Application, CancelledChoiceKeepsTheWindowOnItsDatabase)
{
    ASSERT_TRUE(kNoUpdateServer);
    TestContext t;
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    const QString before = app.database().path();
    t.prompts.answerOpenFile(std::nullopt);
    window->findChild<QAction*>(QStringLiteral("mnuOeffnen"))->trigger();
    EXPECT_EQ(app.database().path(), before);
    EXPECT_EQ(window->sources().customers().recordCount(), 1);
}

} // namespace
