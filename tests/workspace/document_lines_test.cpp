#include "workspace/DocumentLines.h"

#include <gtest/gtest.h>

using namespace quittora;
using namespace quittora::documentlines;

TEST(DocumentLines, LineAmountIsExactAndFollowsTheSeparator)
{
    EXPECT_EQ(lineAmount(QStringLiteral("3"), QStringLiteral("0,10"), QLatin1Char(',')), QStringLiteral("0,30"));
    EXPECT_EQ(lineAmount(QStringLiteral("1,5"), QStringLiteral("2,33"), QLatin1Char(',')), QStringLiteral("3,50"));
    EXPECT_EQ(lineAmount(QStringLiteral("2.5"), QStringLiteral("1.01"), QLatin1Char('.')), QStringLiteral("2.53"));
    EXPECT_FALSE(lineAmount(QString(), QStringLiteral("1"), QLatin1Char(',')));
    EXPECT_FALSE(lineAmount(QStringLiteral("x"), QStringLiteral("1"), QLatin1Char(',')));
    EXPECT_TRUE(priceTypingComputes(QStringLiteral("2"), QStringLiteral("1.5")));
    EXPECT_FALSE(priceTypingComputes(QStringLiteral("2"), QStringLiteral("0")));
    EXPECT_EQ(priceText(QStringLiteral("1,5"), QLatin1Char(',')), QStringLiteral("1,50"));
    EXPECT_EQ(priceText(QStringLiteral("abc"), QLatin1Char(',')), QStringLiteral("abc"));
}

TEST(DocumentLines, ChecksComeInTheirOrderAndFallAwayWithoutVat)
{
    const QString date = QStringLiteral("01.03.2024");
    const QString r19 = QStringLiteral("19"), r7 = QStringLiteral("7"), zero = QStringLiteral("0");
    EXPECT_TRUE(checkLine(QString(), zero, zero, {}, {}, {}, {})->text.startsWith(QStringLiteral("Sie müssen")));
    EXPECT_EQ(checkLine(date, r19, r7, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2"), {})->text,
              QStringLiteral("Bitte geben Sie den MwSt.-Satz ein."));
    const auto missing = checkLine(date, r19, r7, {}, QStringLiteral("2"), {}, r19);
    EXPECT_EQ(missing->title, QStringLiteral("Fehler"));
    EXPECT_EQ(missing->text, QStringLiteral("Berechnung fehlgeschlagen. (Menge fehlt)"));
    EXPECT_EQ(checkLine(date, r19, r7, {}, QStringLiteral("2"), {}, {})->text,
              QStringLiteral("Für eine Berechnung fehlt die Menge."));
    EXPECT_FALSE(checkLine(date, zero, zero, {}, QStringLiteral("2"), {}, {}));
    EXPECT_FALSE(checkLine(date, r19, r7, {}, {}, {}, {})); // a text line
    EXPECT_EQ(deleteQuestion(QStringLiteral("1003"), date),
              QStringLiteral("die Rechnung Nr. 1003 vom 01.03.2024 wirklich löschen ?"));
    EXPECT_EQ(recipientName(QString(), QStringLiteral("Abele")), QStringLiteral("Abele"));
    EXPECT_EQ(recipientName(QStringLiteral("Eva"), QStringLiteral("Schmidt")), QStringLiteral("Eva Schmidt"));
}
