#include "tools/BackgroundColour.h"

#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace quittora;

TEST(BackgroundColourNumbers, AreRedPlusGreenTimes256PlusBlueTimes65536)
{
    EXPECT_EQ(bgrNumber(QColor(255, 0, 0)), QStringLiteral("255"));
    EXPECT_EQ(bgrNumber(QColor(0, 255, 0)), QStringLiteral("65280"));
    EXPECT_EQ(bgrNumber(QColor(0, 0, 255)), QStringLiteral("16711680"));
    EXPECT_EQ(bgrNumber(QColor(255, 255, 0)), QStringLiteral("65535")); // the marking yellow
    EXPECT_EQ(bgrNumber(QColor(255, 255, 255)), QStringLiteral("16777215"));
    EXPECT_EQ(bgrNumber(QColor(0, 0, 0)), QStringLiteral("0"));
    EXPECT_EQ(bgrNumber(QColor(0x12, 0x34, 0x56)), QStringLiteral("5649426")); // 0x563412
}

TEST(BackgroundColourNumbers, ReadBackToTheSameColour)
{
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("255")), QColor(255, 0, 0));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("16711680")), QColor(0, 0, 255));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("5649426")), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral(" 65535 ")), QColor(255, 255, 0));
    for (const QColor c : {QColor(1, 2, 3), QColor(200, 100, 50), QColor(0xBF, 0xBF, 0xBF)})
        EXPECT_EQ(colourFromBgrNumber(bgrNumber(c)), c) << qPrintable(c.name());
}

TEST(BackgroundColourNumbers, TheFreshInstallationsGreyIsBFBFBF)
{
    EXPECT_EQ(defaultBackgroundColourText(), QStringLiteral("12566463"));
    EXPECT_EQ(colourFromBgrNumber(defaultBackgroundColourText()).name(), QStringLiteral("#bfbfbf"));
    EXPECT_EQ(bgrNumber(QColor(QStringLiteral("#BFBFBF"))), QStringLiteral("12566463"));
    EXPECT_EQ(defaultBackgroundColour(), QColor(0xBF, 0xBF, 0xBF));
    // The program state starts with the same number.
    EXPECT_EQ(ProgramState().backgroundColour, defaultBackgroundColourText());
}

TEST(BackgroundColourNumbers, TextThatIsNoColourGivesTheFallback)
{
    const QColor fallback(10, 20, 30);
    for (const char* text : {"", "abc", "12ab", "-2147483633", "-1", "16777216", "1.5", "99999999999999999999"})
        EXPECT_EQ(colourFromBgrNumber(QString::fromLatin1(text), fallback), fallback) << text;
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("kaputt")), defaultBackgroundColour());
}

TEST(BackgroundColourNumbers, AlphaIsNotStored)
{
    EXPECT_EQ(bgrNumber(QColor(255, 0, 0, 10)), QStringLiteral("255"));
}

class ChooseBackgroundColour : public ::testing::Test {
protected:
    TestContext t;
};

TEST_F(ChooseBackgroundColour, OpensTheDialogOnTheCurrentColour)
{
    t.state.backgroundColour = QStringLiteral("65280");
    t.prompts.answerColour(std::nullopt);
    chooseBackgroundColour(t.ctx);
    ASSERT_EQ(t.prompts.shown(FakePrompts::Kind::Colour).size(), 1);
    EXPECT_EQ(t.prompts.last().initialColour, QColor(0, 255, 0));
}

TEST_F(ChooseBackgroundColour, StoresAChosenColourAsItsNumber)
{
    t.prompts.answerColour(QColor(255, 0, 0));
    const BackgroundChoice red = chooseBackgroundColour(t.ctx);
    EXPECT_TRUE(red.changed);
    EXPECT_EQ(red.colour, QColor(255, 0, 0));
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("255"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("255"));

    t.prompts.answerColour(QColor(0, 0, 255));
    const BackgroundChoice blue = chooseBackgroundColour(t.ctx);
    EXPECT_EQ(blue.colour, QColor(0, 0, 255));
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("16711680"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("16711680"));
    EXPECT_EQ(t.prompts.last().initialColour, QColor(255, 0, 0)); // started on the red chosen before
}

TEST_F(ChooseBackgroundColour, CancellingKeepsTheColourAndStoresNothing)
{
    t.state.backgroundColour = QStringLiteral("65535");
    t.prompts.answerColour(std::nullopt);
    const BackgroundChoice choice = chooseBackgroundColour(t.ctx);
    EXPECT_FALSE(choice.changed);
    EXPECT_EQ(choice.colour, QColor(255, 255, 0));
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("65535"));
    EXPECT_FALSE(t.settings.contains(QStringLiteral("Hintergrundfarbe")));
}

TEST_F(ChooseBackgroundColour, BlackIsRefusedAndTheOldColourStays)
{
    t.settings.setValue(QStringLiteral("Hintergrundfarbe"), QStringLiteral("12566463"));
    t.prompts.answerColour(QColor(0, 0, 0));
    const BackgroundChoice choice = chooseBackgroundColour(t.ctx);
    EXPECT_FALSE(choice.changed);
    EXPECT_EQ(choice.colour, QColor(0xBF, 0xBF, 0xBF));
    EXPECT_EQ(t.state.backgroundColour, QStringLiteral("12566463"));
    EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("12566463"));
}

TEST_F(ChooseBackgroundColour, AlmostBlackIsAColourLikeAnyOther)
{
    t.prompts.answerColour(QColor(1, 0, 0));
    EXPECT_TRUE(chooseBackgroundColour(t.ctx).changed);
    EXPECT_EQ(t.settings.value(QStringLiteral("Hintergrundfarbe")), QStringLiteral("1"));
}

TEST_F(ChooseBackgroundColour, AStoredNumberThatIsNoColourShowsAndKeepsTheGrey)
{
    t.state.backgroundColour = QStringLiteral("grün");
    t.prompts.answerColour(std::nullopt);
    const BackgroundChoice choice = chooseBackgroundColour(t.ctx);
    EXPECT_EQ(t.prompts.last().initialColour, defaultBackgroundColour());
    EXPECT_EQ(choice.colour, defaultBackgroundColour());
}
