#include "support/FakePrompts.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <QDir>
#include <QFileInfo>

using namespace quittora;

// The doubles every window test relies on: an unscripted prompt answers as if
// closed, scripted answers are used in order per kind, and an answer the box
// does not offer fails the test.
TEST(FakePrompts, AnswerAsScriptedOrAsIfClosedAndRecordEverything)
{
    FakePrompts p;
    const std::pair<int, Prompts::Button> closed[] = {{Prompts::Yes | Prompts::No, Prompts::No},
                                                      {Prompts::Ok | Prompts::Cancel, Prompts::Cancel},
                                                      {Prompts::Yes | Prompts::No | Prompts::Cancel, Prompts::Cancel},
                                                      {Prompts::Ok, Prompts::Ok}};
    for (const auto& [buttons, answer] : closed)
        EXPECT_EQ(p.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::None, buttons), answer) << buttons;
    EXPECT_EQ(p.input(QStringLiteral("T"), QStringLiteral("x")), std::nullopt);
    EXPECT_EQ(p.openFile(QStringLiteral("T"), {}, {}), std::nullopt);
    EXPECT_EQ(p.chooseColor(Qt::red), std::nullopt);
    EXPECT_EQ(p.count(), 7);
    EXPECT_FALSE(p.last().scripted);

    p.clear();
    p.answerMessage(Prompts::Yes);
    p.answerMessage(Prompts::No);
    p.answerInput(QStringLiteral("4711"));
    p.answerOpenFile(QStringLiteral("/d/Quittora.qtb"));
    EXPECT_EQ(p.pendingAnswers(), 4);
    EXPECT_EQ(p.input(QStringLiteral("Suche"), QStringLiteral("Nummer:"), QStringLiteral("1")), QStringLiteral("4711"));
    EXPECT_TRUE(p.question(QStringLiteral("Achtung !"), QStringLiteral("Wirklich löschen ?")));
    EXPECT_EQ(p.message(QStringLiteral("Hinweis !"), QStringLiteral("b"), Prompts::Icon::Exclamation, Prompts::Yes | Prompts::No),
              Prompts::No);
    EXPECT_EQ(p.openFile(QStringLiteral("Datenbank"), QStringLiteral("/d"), QStringLiteral("*.qtb")),
              QStringLiteral("/d/Quittora.qtb"));
    EXPECT_EQ(p.pendingAnswers(), 0);
    ASSERT_EQ(p.count(), 4);
    EXPECT_EQ(p.shown().at(0).defaultText, QStringLiteral("1"));
    EXPECT_EQ(p.shown().at(1).icon, Prompts::Icon::Question);
    EXPECT_EQ(p.shown().at(1).buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(p.shown().at(1).scripted);
    EXPECT_EQ(p.messageTexts(), (QStringList{QStringLiteral("Wirklich löschen ?"), QStringLiteral("b")}));
    EXPECT_EQ(p.shown(FakePrompts::Kind::OpenFile).at(0).filter, QStringLiteral("*.qtb"));

    EXPECT_NONFATAL_FAILURE(
        {
            FakePrompts q;
            q.answerMessage(Prompts::Yes);
            q.information(QStringLiteral("Information"), QStringLiteral("gespeichert"));
        },
        "not offered");
}

TEST(TestContext, StartsWithTheChosenSeparatorAndAPrivateTempFolder)
{
    TestContext t(QLatin1Char('.'));
    EXPECT_EQ(t.ctx.state.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(t.ctx.locale.decimalSeparator(), QLatin1Char('.'));
    EXPECT_EQ(t.ctx.state.tempFolder, t.folders.privateTemp());
    EXPECT_TRUE(QFileInfo(t.folders.documents()).isDir());
    EXPECT_EQ(QFileInfo(QDir::cleanPath(t.folders.privateTemp())).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    t.setDecimalSeparator(QLatin1Char(','));
    EXPECT_EQ(t.ctx.state.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(t.ctx.locale.decimalSeparator(), QLatin1Char(','));
}
