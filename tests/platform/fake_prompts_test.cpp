#include "support/FakePrompts.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <QDir>
#include <QFileInfo>

using namespace quittora;

TEST(FakePrompts, UnscriptedPromptsAnswerAsIfClosed)
{
    FakePrompts p;
    EXPECT_EQ(p.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::Question, Prompts::Yes | Prompts::No),
              Prompts::No);
    EXPECT_EQ(p.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::None, Prompts::Ok | Prompts::Cancel),
              Prompts::Cancel);
    EXPECT_EQ(p.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::None,
                        Prompts::Yes | Prompts::No | Prompts::Cancel),
              Prompts::Cancel);
    EXPECT_EQ(p.message(QStringLiteral("T"), QStringLiteral("x"), Prompts::Icon::None), Prompts::Ok);
    EXPECT_FALSE(p.question(QStringLiteral("T"), QStringLiteral("x")));
    EXPECT_EQ(p.input(QStringLiteral("T"), QStringLiteral("x")), std::nullopt);
    EXPECT_EQ(p.openFile(QStringLiteral("T"), {}, {}), std::nullopt);
    EXPECT_EQ(p.saveFile(QStringLiteral("T"), {}, {}), std::nullopt);
    EXPECT_EQ(p.chooseColor(Qt::red), std::nullopt);
    EXPECT_EQ(p.count(), 9);
    for (const auto& s : p.shown())
        EXPECT_FALSE(s.scripted);
}

TEST(FakePrompts, ScriptedAnswersAreUsedInOrderPerKindAndEverythingIsRecorded)
{
    FakePrompts p;
    p.answerMessage(Prompts::Yes);
    p.answerMessage(Prompts::No);
    p.answerInput(QStringLiteral("4711"));
    p.answerOpenFile(QStringLiteral("/d/Quittora.qtb"));
    p.answerColour(QColor(Qt::blue));
    EXPECT_EQ(p.pendingAnswers(), 5);

    EXPECT_EQ(p.input(QStringLiteral("Suche"), QStringLiteral("Nummer:"), QStringLiteral("1")), QStringLiteral("4711"));
    EXPECT_TRUE(p.question(QStringLiteral("Achtung !"), QStringLiteral("Wirklich löschen ?")));
    EXPECT_EQ(p.message(QStringLiteral("Hinweis !"), QStringLiteral("b"), Prompts::Icon::Exclamation,
                        Prompts::Yes | Prompts::No),
              Prompts::No);
    EXPECT_EQ(p.openFile(QStringLiteral("Datenbank"), QStringLiteral("/d"), QStringLiteral("*.qtb")),
              QStringLiteral("/d/Quittora.qtb"));
    EXPECT_EQ(p.chooseColor(Qt::white), QColor(Qt::blue));
    EXPECT_EQ(p.pendingAnswers(), 0);

    ASSERT_EQ(p.count(), 5);
    const auto input = p.shown().at(0);
    EXPECT_EQ(input.kind, FakePrompts::Kind::Input);
    EXPECT_EQ(input.text, QStringLiteral("Nummer:"));
    EXPECT_EQ(input.defaultText, QStringLiteral("1"));
    const auto question = p.shown().at(1);
    EXPECT_EQ(question.title, QStringLiteral("Achtung !"));
    EXPECT_EQ(question.icon, Prompts::Icon::Question);
    EXPECT_EQ(question.buttons, Prompts::Yes | Prompts::No);
    EXPECT_TRUE(question.scripted);
    EXPECT_EQ(p.messageTexts(), (QStringList{QStringLiteral("Wirklich löschen ?"), QStringLiteral("b")}));
    EXPECT_EQ(p.shown(FakePrompts::Kind::OpenFile).at(0).filter, QStringLiteral("*.qtb"));
    EXPECT_EQ(p.last().initialColour, QColor(Qt::white));
}

TEST(FakePrompts, AnAnswerTheBoxDoesNotOfferFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            FakePrompts p;
            p.answerMessage(Prompts::Yes);
            p.information(QStringLiteral("Information"), QStringLiteral("gespeichert"));
        },
        "not offered");
}

TEST(TestContext, StartsWithTheChosenSeparatorAndAPrivateTempFolder)
{
    TestContext t(QLatin1Char('.'));
    EXPECT_EQ(t.ctx.state.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(t.ctx.locale.decimalSeparator(), QLatin1Char('.'));
    EXPECT_EQ(t.ctx.state.tempFolder, t.folders.privateTemp());
    EXPECT_TRUE(QFileInfo(t.folders.privateTemp()).isDir());
    EXPECT_TRUE(QFileInfo(t.folders.documents()).isDir());
    EXPECT_EQ(QFileInfo(QDir::cleanPath(t.folders.privateTemp())).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    t.setDecimalSeparator(QLatin1Char(','));
    EXPECT_EQ(t.ctx.state.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(t.ctx.locale.decimalSeparator(), QLatin1Char(','));
}
