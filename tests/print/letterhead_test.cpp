#include "print/Letterhead.h"

#include "data/CompanySettings.h"
#include "platform/SettingsStore.h"
#include "print/PrintCursor.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::literals;

namespace {

CompanySettings company()
{
    CompanySettings s;
    const std::pair<const char*, const char*> values[] = {
        {"Titel", "Muster GmbH"},       {"frei4", "Malerei und Trockenbau"},
        {"frei2", "Hauptstraße 5"},     {"frei3", "12345 Musterstadt"},
        {"Tel", "0123 4567"},           {"Fax", "0123 4568"},
        {"Einst15", "0170 1234567"},    {"Einst1", "info@muster.de"},
        {"Einst2", "www.muster.de"},    {"Memo10", ""},
        {"Einst3", "150"},              {"Einst4", "10"},
        {"Einst5", "20"},
    };
    for (const auto& [field, value] : values)
        s.setValue(QString::fromLatin1(field), QString::fromUtf8(value));
    return s;
}

const TextItem& textAt(const Page& page, double x, double y)
{
    for (const TextItem* t : page.texts()) {
        if (qAbs(t->x.value() - x) < 1e-9 && qAbs(t->y.value() - y) < 1e-9)
            return *t;
    }
    static const TextItem none{Millimetres(-1), Millimetres(-1), QStringLiteral("<nichts>"), {}, {}};
    return none;
}

bool anythingAt(const Page& page, double y)
{
    for (const TextItem* t : page.texts()) {
        if (qAbs(t->y.value() - y) < 1e-9)
            return true;
    }
    return false;
}

} // namespace

TEST(Kopf_drucken, PrintsTitleAddressAndContactBlockAtTheirPlaces)
{
    PrintCursor p;
    Kopf_drucken(p, company(), QColor(0, 0, 128), QLatin1Char(','));
    const Page& page = p.document().page(0);

    const TextItem& title = textAt(page, 20, 15);
    EXPECT_EQ(title.text, QStringLiteral("Muster GmbH"));
    EXPECT_EQ(title.style, (TextStyle{QStringLiteral("Andy"), 18, true, false, QColor(0, 0, 128)}));

    // The bold flag of the title is still on for the line below it.
    const TextItem& zusatz = textAt(page, 20, 25);
    EXPECT_EQ(zusatz.text, QStringLiteral("Malerei und Trockenbau"));
    EXPECT_EQ(zusatz.style, (TextStyle{QStringLiteral("Arial"), 10.5, true, false, QColor(Qt::black)}));

    EXPECT_EQ(textAt(page, 135, 20).text, QStringLiteral("Hauptstraße 5"));
    EXPECT_FALSE(textAt(page, 135, 20).style.bold);
    EXPECT_EQ(textAt(page, 135, 25).text, QStringLiteral("12345 Musterstadt"));
    EXPECT_EQ(textAt(page, 135, 34).text, QStringLiteral("Telefon   0123 4567"));
    EXPECT_EQ(textAt(page, 135, 37.5).text, QStringLiteral("Telefax   0123 4568"));
    EXPECT_EQ(textAt(page, 135, 41).text, QStringLiteral("Mobil  0170 1234567"));
    EXPECT_EQ(textAt(page, 135, 46.5).text, QStringLiteral("info@muster.de"));
    EXPECT_EQ(textAt(page, 135, 50).text, QStringLiteral("www.muster.de"));
    EXPECT_DOUBLE_EQ(textAt(page, 135, 50).style.sizePt, 7.5);

    const TextItem& sender = textAt(page, 23, 49);
    EXPECT_EQ(sender.text, QStringLiteral("Muster GmbH * Hauptstraße 5 * 12345 Musterstadt"));
    EXPECT_TRUE(sender.style.underline);
    EXPECT_DOUBLE_EQ(sender.style.sizePt, 7.5);
    EXPECT_FALSE(sender.style.bold);
    EXPECT_EQ(sender.style.colour, QColor(Qt::black));

    // Only the sender line is underlined, and nothing else is on the page.
    for (const TextItem* t : page.texts())
        EXPECT_EQ(t->style.underline, t == &sender) << t->text.toStdString();
    EXPECT_EQ(page.texts().size(), 10u);
    EXPECT_TRUE(page.images().empty());

    // What the letterhead leaves behind for the rest of the document.
    EXPECT_EQ(p.FontName, QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(p.FontSize, 7.5);
    EXPECT_FALSE(p.FontBold);
    EXPECT_FALSE(p.FontUnderline);
    EXPECT_EQ(p.ForeColor, QColor(Qt::black));
}

TEST(Kopf_drucken, SkipsMissingPhoneFaxAndMobileLinesWithoutClosingUp)
{
    CompanySettings s = company();
    s.setValue(QStringLiteral("Tel"), QString());
    s.setValue(QStringLiteral("Einst15"), QString());
    PrintCursor p;
    Kopf_drucken(p, s, QColor(Qt::black), QLatin1Char(','));
    const Page& page = p.document().page(0);
    EXPECT_FALSE(anythingAt(page, 34));
    EXPECT_EQ(textAt(page, 135, 37.5).text, QStringLiteral("Telefax   0123 4568"));
    EXPECT_FALSE(anythingAt(page, 41));
    EXPECT_EQ(textAt(page, 135, 46.5).text, QStringLiteral("info@muster.de"));
}

TEST(Kopf_drucken, AWhiteTitleIsStillSentInWhite)
{
    PrintCursor p;
    Kopf_drucken(p, company(), colourFromBgrNumber(QStringLiteral("16777215")), QLatin1Char(','));
    const Page& page = p.document().page(0);
    EXPECT_EQ(textAt(page, 20, 15).style.colour, QColor(Qt::white));
    EXPECT_EQ(textAt(page, 20, 25).style.colour, QColor(Qt::black));
}

TEST(Kopf_drucken, DrawsTheLogoAtItsPlaceWithProportionalWidth)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logo.png"));
    QImage logo(300, 150, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(file));

    CompanySettings s = company();
    s.setValue(QStringLiteral("Memo10"), file);
    s.setValue(QStringLiteral("Einst3"), QStringLiteral("150,5"));
    PrintCursor p;
    Kopf_drucken(p, s, QColor(Qt::black), QLatin1Char(','));
    const auto images = p.document().page(0).images();
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0]->x.value(), 150.5);
    EXPECT_DOUBLE_EQ(images[0]->y.value(), 10.0);
    EXPECT_DOUBLE_EQ(images[0]->height.value(), 20.0);
    EXPECT_DOUBLE_EQ(images[0]->width.value(), 40.0);
    EXPECT_EQ(images[0]->image.size(), QSize(300, 150));
}

TEST(Kopf_drucken, ALogoThatCannotBeUsedIsLeftOutSilently)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("kaputt.jpg"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kein Bild");
    }
    for (const QString& path : {dir.filePath(QStringLiteral("fehlt.bmp")), broken}) {
        CompanySettings s = company();
        s.setValue(QStringLiteral("Memo10"), path);
        PrintCursor p;
        Kopf_drucken(p, s, QColor(Qt::black), QLatin1Char(','));
        EXPECT_TRUE(p.document().page(0).images().empty());
        EXPECT_EQ(p.document().page(0).texts().size(), 10u);
    }
    // A height that is no number: no logo either.
    QImage logo(10, 10, QImage::Format_RGB32);
    logo.fill(Qt::red);
    const QString good = dir.filePath(QStringLiteral("gut.png"));
    ASSERT_TRUE(logo.save(good));
    CompanySettings s = company();
    s.setValue(QStringLiteral("Memo10"), good);
    s.setValue(QStringLiteral("Einst5"), QString());
    PrintCursor p;
    EXPECT_FALSE(Logo_drucken(p, s, QLatin1Char(',')));
}

TEST(TitleColour, ReadsTheBgrColourNumberOfTheSettings)
{
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("255")), QColor(255, 0, 0));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("65280")), QColor(0, 255, 0));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("16711680")), QColor(0, 0, 255));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("rot")), QColor(Qt::black));
    EXPECT_EQ(colourFromBgrNumber(QStringLiteral("-1")), QColor(Qt::black));
    EXPECT_EQ(bgrNumberText(QColor(0x12, 0x34, 0x56)), QStringLiteral("5649426"));

    QTemporaryDir dir;
    auto store = makeQtSettingsStore(dir.filePath(QStringLiteral("s.ini")));
    EXPECT_EQ(titleColour(*store), QColor(Qt::black));
    store->setValue(QStringLiteral("Schriftfarbe Titel"), QStringLiteral("128"));
    EXPECT_EQ(titleColour(*store), QColor(128, 0, 0));
}
