#include "tools/About.h"
#include "tools/ProgramPicture.h"
#include "tools/Version.h"

#include <gtest/gtest.h>

using namespace quittora;

TEST(About, LinksOpenTheShownAddresses)
{
    EXPECT_EQ(publisherMailUrl(), QStringLiteral("mailto:") + publisher().email);
    EXPECT_EQ(publisherWebUrl(), QStringLiteral("https://") + publisher().web);
    EXPECT_EQ(publisher().name, QStringLiteral("Veltrin"));
    EXPECT_TRUE(publisher().email.contains(QLatin1Char('@')));
    EXPECT_EQ(publisherAddressLines().size(), 4);
    EXPECT_EQ(publisherAddressLines().first(), QStringLiteral("Veltrin"));
}

TEST(About, VersionAndDate)
{
    EXPECT_EQ(productName(), QStringLiteral("Quittora pro"));
    EXPECT_EQ(installedVersion(), QStringLiteral("Version 3.08"));
    EXPECT_EQ(releaseDate(), QStringLiteral("20.07.2018"));
}

TEST(ProgramPicture, IsASquareOpaqueInsideAndClearAtTheCorners)
{
    for (int size : {16, 64, 256}) {
        const QImage image = programPicture(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;                       // rounded corner
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;       // the sheet
        const QRgb sheet = image.pixel(size * 30 / 100, size * 80 / 100);
        EXPECT_EQ(qAlpha(sheet), 255) << size;
        EXPECT_GE(qGray(sheet), 240) << size; // white paper, give or take smoothing
        EXPECT_LT(qGray(image.pixel(size * 10 / 100, size / 2)), 160) << size; // the dark ground beside it
    }
    EXPECT_EQ(programPicture(0).size(), QSize(1, 1));
}
