#include "data/JetLike.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quittora;

namespace {

bool like(const char* text, const char* pattern)
{
    return jetLike(QString::fromUtf8(text), QString::fromUtf8(pattern));
}

} // namespace

TEST(JetLike, WildcardsStarQuestionAndDigit)
{
    EXPECT_TRUE(like("Müller", "M*"));
    EXPECT_TRUE(like("M", "M*"));
    EXPECT_FALSE(like("Amüller", "M*"));
    EXPECT_TRUE(like("Hans Müller", "*Mü*"));
    EXPECT_TRUE(like("", "*"));
    EXPECT_FALSE(like("", "?"));
    EXPECT_TRUE(like("Meier", "M??er"));
    EXPECT_FALSE(like("Meyer2", "M??er"));
    EXPECT_TRUE(like("R-2024-07", "R-####-##"));
    EXPECT_FALSE(like("R-2024-0x", "R-####-##"));
    EXPECT_TRUE(like("abcabcabd", "*abd"));
    EXPECT_TRUE(like("aXbXc", "a*b*c"));
    EXPECT_FALSE(like("aXbX", "a*b*c"));
    EXPECT_TRUE(like("exact", "exact"));
    EXPECT_FALSE(like("exactly", "exact"));
}

TEST(JetLike, IgnoresCaseUmlautsIncluded)
{
    EXPECT_TRUE(like("MÜLLER", "mül*"));
    EXPECT_TRUE(like("müller", "MÜL*"));
    EXPECT_TRUE(like("Ärger", "ä*"));
    EXPECT_TRUE(like("ärger", "Ä*"));
    EXPECT_TRUE(like("Öl", "*ö*"));
    EXPECT_TRUE(like("Straße", "*STRAßE"));
    EXPECT_FALSE(like("Mueller", "Mü*"));
    EXPECT_FALSE(like("Muller", "Mü*"));
}

TEST(JetLike, BracketGroupsRangesAndNegation)
{
    EXPECT_TRUE(like("Bauer", "[abc]*"));
    EXPECT_TRUE(like("bauer", "[ABC]*"));
    EXPECT_FALSE(like("Dauer", "[abc]*"));
    EXPECT_TRUE(like("Dauer", "[a-f]auer"));
    EXPECT_TRUE(like("dauer", "[A-F]auer"));
    EXPECT_FALSE(like("Gauer", "[a-f]auer"));
    EXPECT_TRUE(like("Gauer", "[!a-f]auer"));
    EXPECT_FALSE(like("Bauer", "[!abc]*"));
    EXPECT_TRUE(like("Xaver", "[!abc]*"));
    EXPECT_TRUE(like("Ärger", "[a-z]*"));
    EXPECT_TRUE(like("ärger", "[ä]*"));
    EXPECT_TRUE(like("ärger", "[Ä]rger"));
    EXPECT_TRUE(like("x-y", "x[-]y"));
    EXPECT_TRUE(like("a*b", "a[*]b"));
    EXPECT_FALSE(like("aXb", "a[*]b"));
    EXPECT_TRUE(like("a?b", "a[?]b"));
    EXPECT_TRUE(like("a#b", "a[#]b"));
    EXPECT_FALSE(like("a1b", "a[#]b"));
    // Empty brackets stand for nothing.
    EXPECT_TRUE(like("ab", "a[]b"));
}

TEST(JetLike, TypedTextNeverBreaksThePattern)
{
    EXPECT_TRUE(like("[Firma", "[Firma"));
    EXPECT_TRUE(like("Firma [alt", "*[alt*"));
    EXPECT_FALSE(like("Firma alt", "*[alt*"));
    EXPECT_TRUE(like("50%", "50%"));
    EXPECT_FALSE(like("500", "50%"));
    EXPECT_TRUE(like("a_b", "a_b"));
    EXPECT_FALSE(like("axb", "a_b"));
    EXPECT_TRUE(like("O'Brien", "O'B*"));
}

TEST(JetLike, BuildsSearchPatternsFromTypedText)
{
    EXPECT_EQ(likePattern(QStringLiteral("Mü"), LikeMode::StartsWith), QStringLiteral("Mü*"));
    EXPECT_EQ(likePattern(QStringLiteral("Mü"), LikeMode::Contains), QStringLiteral("*Mü*"));
    EXPECT_TRUE(jetLike(u"Hans Müller", likePattern(QStringLiteral("mü"), LikeMode::Contains)));
    EXPECT_FALSE(jetLike(u"Hans Müller", likePattern(QStringLiteral("mü"), LikeMode::StartsWith)));
}
