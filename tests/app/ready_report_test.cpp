#include "app/Application.h"
#include "app/ReadyReport.h"
#include "data/Recordset.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "tools/UpdateCheck.h"
#include "workspace/DataSources.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QTimer>

#include <vector>

using namespace quittora;

namespace {

const bool kNoUpdateServer = qputenv(update::kUrlVariable, QByteArray());

TEST(ReadyReport, ComesOnceWhenTheLastDocumentIsLoadedAndSynced)
{
    ASSERT_TRUE(kNoUpdateServer);
    TestContext t;
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    test::TempDatabase other;
    test::SampleDocuments sample(other);
    t.prompts.answerOpenFile(other.path());
    window->findChild<QAction*>(QStringLiteral("mnuOeffnen"))->trigger();
    ASSERT_EQ(window->sources().documents().recordCount(), 4);

    int calls = 0;
    qint64 currentThen = -1;
    int linesThen = -1;
    QString lineOwnerThen;
    bool timersIdle = false;
    ready::whenReady(*window, [&] {
        ++calls;
        currentThen = window->sources().documents().currentId();
        Recordset& lines = window->sources().lines();
        linesThen = lines.recordCount();
        lineOwnerThen = lines.text(QStringLiteral("a1"));
        timersIdle = !window->navigator().loadTimer()->isActive() && !window->navigator().syncTimer()->isActive();
    });
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 2000));
    EXPECT_EQ(currentThen, sample.doc4);
    EXPECT_TRUE(timersIdle);
    // The lines had been re-read for that document (it has one).
    EXPECT_EQ(linesThen, 1);
    EXPECT_EQ(lineOwnerThen, QString::number(sample.doc4));
    // Paging afterwards is the user's doing and reports nothing more.
    window->navigator().previous();
    QTest::qWait(50);
    EXPECT_EQ(calls, 1);
}

TEST(ReadyReport, AWindowWithNothingToLoadIsReadyAtOnce)
{
    ASSERT_TRUE(kNoUpdateServer);
    TestContext t;
    Application app(t.ctx);
    RechnungWindow* window = app.start();
    ASSERT_NE(window, nullptr);
    // Let the start's own loading finish first.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !window->navigator().loadTimer()->isActive() && !window->navigator().syncTimer()->isActive();
    }, 2000));
    int calls = 0;
    ready::whenReady(*window, [&] { ++calls; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000));
}

TEST(ReadyReport, ReadsItsOwnMemoryAndWritesOneLine)
{
    const qint64 now = ready::statusKib("VmRSS");
    EXPECT_GT(ready::statusKib("VmHWM"), 0);
    EXPECT_GT(now, 0);
    // Memory taken and touched now shows in the peak from here on.
    std::vector<char> block(64 * 1024 * 1024, 1);
    EXPECT_GE(ready::peakResidentKib(), now + 60 * 1024);
    EXPECT_EQ(block[12345], 1);
    EXPECT_EQ(ready::statusKib("KeinSolchesFeld"), -1);
    EXPECT_EQ(ready::reportLine(523, 84512, 80000, 50000),
              QStringLiteral("QUITTORA_READY ms=523 peak_kib=84512 rss_kib=80000 documents=50000"));
}

} // namespace
