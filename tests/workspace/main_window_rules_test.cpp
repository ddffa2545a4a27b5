#include "data/CompanySettings.h"
#include "platform/SettingsStore.h"
#include "support/TempDatabase.h"
#include "workspace/GridColumns.h"
#include "workspace/LetterheadPreview.h"
#include "workspace/MainWindowRules.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::mainwindow;

namespace {

QHash<QString, QString> asHash(const QList<QPair<QString, QString>>& pairs)
{
    QHash<QString, QString> h;
    for (const auto& [k, v] : pairs)
        h.insert(k, v);
    return h;
}

TEST(MainWindowRules, ScreenMustBeAtLeast800PixelsWide)
{
    EXPECT_FALSE(screenWideEnough(799));
    EXPECT_TRUE(screenWideEnough(800));
    EXPECT_EQ(kScreenTooSmallText, QStringLiteral("Auflösung 600 x 800 für dieses Programm erforderlich"));
}

TEST(MainWindowRules, WindowIsCentredAndFitsTheScreen)
{
    EXPECT_EQ(centredTopLeft(QRect(0, 0, 1920, 1080), QSize(1000, 760)), QPoint(460, 160));
    EXPECT_EQ(centredTopLeft(QRect(100, 30, 1024, 738), QSize(1024, 800)), QPoint(100, 30));

    const QSize design(1000, 715);
    EXPECT_EQ(startClientSize(design, QRect(0, 0, 1920, 1050), QSize(16, 40)), design);
    EXPECT_EQ(startClientSize(design, QRect(0, 0, 1024, 740), QSize(16, 40)), QSize(1000, 700));
    EXPECT_EQ(startClientSize(design, QRect(0, 0, 800, 560), QSize(16, 40)), QSize(784, 520));
}

TEST(MainWindowRules, WindowStateSettingIsNormalOrMaximised)
{
    QTemporaryDir dir;
    auto settings = makeQtSettingsStore(dir.filePath(QStringLiteral("s.ini")));
    EXPECT_EQ(readWindowState(*settings), WindowState::Normal);
    writeWindowState(*settings, WindowState::Maximised);
    EXPECT_EQ(settings->value(QStringLiteral("Fenster")), QStringLiteral("2"));
    EXPECT_EQ(readWindowState(*settings), WindowState::Maximised);
    settings->setValue(QStringLiteral("Fenster"), QStringLiteral("1")); // minimised is never restored
    EXPECT_EQ(readWindowState(*settings), WindowState::Normal);
    writeWindowState(*settings, WindowState::Normal);
    EXPECT_EQ(settings->value(QStringLiteral("Fenster")), QStringLiteral("0"));
}

TEST(MainWindowRules, ArticleSortSettingOnlyTrueSortsByNumber)
{
    QTemporaryDir dir;
    auto settings = makeQtSettingsStore(dir.filePath(QStringLiteral("s.ini")));
    EXPECT_FALSE(articleSortByNumber(*settings));
    for (const char* yes : {"Wahr", "True", "-1", "wahr"}) {
        settings->setValue(kArticleSortKey, QString::fromLatin1(yes));
        EXPECT_TRUE(articleSortByNumber(*settings)) << yes;
    }
    for (const char* no : {"Falsch", "False", "0", "", "ja"}) {
        settings->setValue(kArticleSortKey, QString::fromLatin1(no));
        EXPECT_FALSE(articleSortByNumber(*settings)) << no;
    }
    writeArticleSortByNumber(*settings, true);
    EXPECT_TRUE(articleSortByNumber(*settings));
    EXPECT_EQ(articleSource(true), QStringLiteral("Select * from Artikel Order by a2;"));
    EXPECT_EQ(articleSource(false), QStringLiteral("Select * from Artikel Order by a3;"));
}

TEST(MainWindowRules, VatChoicesAndCounts)
{
    CompanySettings s;
    s.setValue(QStringLiteral("MWSt"), QStringLiteral("19"));
    s.setValue(QStringLiteral("frei9"), QStringLiteral("7"));
    EXPECT_EQ(vatChoices(s), (QStringList{QStringLiteral("19"), QStringLiteral("7"), QStringLiteral("0")}));
    EXPECT_EQ(articleCountText(12), QStringLiteral("12 Artikel"));
    EXPECT_EQ(customerCountText(0), QStringLiteral("0 Kunden"));
}

TEST(LetterheadPreview, TextsComeFromTheSettings)
{
    CompanySettings s;
    const QHash<QString, QString> values{
        {QStringLiteral("Titel"), QStringLiteral("Bäckerei Korn")}, {QStringLiteral("frei4"), QStringLiteral("Meisterbetrieb")},
        {QStringLiteral("frei2"), QStringLiteral("Mühlweg 3")},     {QStringLiteral("frei3"), QStringLiteral("12345 Feld")},
        {QStringLiteral("Tel"), QStringLiteral("0123 456")},        {QStringLiteral("Fax"), QString()},
        {QStringLiteral("Einst1"), QStringLiteral("info@korn.de")}, {QStringLiteral("Einst2"), QStringLiteral("www.korn.de")},
        {QStringLiteral("Einst26"), QStringLiteral("Bank: ")},      {QStringLiteral("Bank"), QStringLiteral("Sparkasse")},
        {QStringLiteral("Memo1"), QStringLiteral("oben 1")},        {QStringLiteral("Memo2"), QStringLiteral("oben 2")},
        {QStringLiteral("Memo3"), QStringLiteral("unten")},
    };
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        s.setValue(it.key(), it.value());

    const auto texts = letterheadPreviewTexts(s);
    const auto t = asHash(texts);
    EXPECT_EQ(texts.size(), 13);
    EXPECT_EQ(t.value(QStringLiteral("Label13")), QStringLiteral("Bäckerei Korn"));
    EXPECT_EQ(t.value(QStringLiteral("Label15")), QStringLiteral("Meisterbetrieb"));
    EXPECT_EQ(t.value(QStringLiteral("Label22")), QStringLiteral("Telefon  0123 456"));
    EXPECT_EQ(t.value(QStringLiteral("Label26")), QString()); // no fax number, no caption
    EXPECT_EQ(t.value(QStringLiteral("Label16")), QStringLiteral("Bank: Sparkasse"));
    EXPECT_EQ(t.value(QStringLiteral("Label18")), QStringLiteral("Bäckerei Korn * Mühlweg 3 * 12345 Feld"));
    EXPECT_EQ(t.value(QStringLiteral("Label34")), QStringLiteral("oben 1"));
    EXPECT_EQ(t.value(QStringLiteral("Label36")), QStringLiteral("unten"));
}

TEST(LetterheadPreview, BankLineGetsABlankBetweenCaptionAndValue)
{
    CompanySettings s;
    s.setValue(QStringLiteral("Einst26"), QStringLiteral("Bankverbindung"));
    s.setValue(QStringLiteral("Bank"), QStringLiteral("Musterbank"));
    EXPECT_EQ(asHash(letterheadPreviewTexts(s)).value(QStringLiteral("Label16")), QStringLiteral("Bankverbindung Musterbank"));
    s.setValue(QStringLiteral("Bank"), QString());
    EXPECT_EQ(asHash(letterheadPreviewTexts(s)).value(QStringLiteral("Label16")), QStringLiteral("Bankverbindung"));
}

TEST(LetterheadPreview, TemplateDatabaseSettingsFillEveryLabel)
{
    test::TempDatabase db;
    CompanySettings s;
    ASSERT_TRUE(s.load(db.db()));
    const auto t = asHash(letterheadPreviewTexts(s));
    EXPECT_EQ(t.value(QStringLiteral("Label13")), db.setting(QStringLiteral("Titel")).toString());
}

TEST(GridColumns, DesignWidthsAndSpread)
{
    using namespace gridcolumns;
    EXPECT_EQ(dbGrid1DesignWidthPixels(), 423);
    EXPECT_DOUBLE_EQ(spreadFactor(423), 1.0);
    EXPECT_DOUBLE_EQ(spreadFactor(846), 2.0);
    EXPECT_DOUBLE_EQ(spreadFactor(0), 1.0);

    const Grid g1 = grid(QStringLiteral("DBGrid1"));
    ASSERT_EQ(g1.columns.size(), 4);
    EXPECT_EQ(g1.source, QStringLiteral("Data2"));
    EXPECT_EQ(g1.captions(), (QStringList{QStringLiteral("Ein Art-Nr."), QStringLiteral("   Bezeichnung"),
                                          QStringLiteral("MwSt."), QStringLiteral("Preis")}));
    EXPECT_EQ(grid(QStringLiteral("DBGrid3")).captions().at(2), QStringLiteral("MwSt,"));
    EXPECT_EQ(columnWidthPixels(g1.columns.at(0), 1.0), 63);  // 945 twips
    EXPECT_EQ(columnWidthPixels(g1.columns.at(1), 2.0), 406); // 3044 twips, doubled

    const Grid g5 = grid(QStringLiteral("DBGrid5"));
    ASSERT_EQ(g5.columns.size(), 7);
    EXPECT_TRUE(g5.columns.at(0).hidden);
    EXPECT_EQ(columnWidthPixels(g5.columns.at(0), 1.0), -1); // the design sets no width
    EXPECT_EQ(columnWidthPixels(g5.columns.at(3), 1.0), 241); // 3620 twips
    EXPECT_EQ(grid(QStringLiteral("DBGrid4")).columns.size(), 5);
    EXPECT_EQ(grid(QStringLiteral("DBGrid2")).source, QStringLiteral("Data1"));
    EXPECT_TRUE(grid(QStringLiteral("DBGrid9")).columns.isEmpty());
}

} // namespace

TEST(GridColumns, AmountColumnsTakeTheirMinimumFromTheWidestTextColumn)
{
    using namespace gridcolumns;
    const Grid g5 = grid(QStringLiteral("DBGrid5"));
    // Design: hidden ID, 36, 55, 241, 40, 48, 48 pixels.
    QList<int> w = columnWidthsPixels(g5, 1.0, 60);
    ASSERT_EQ(w.size(), 7);
    EXPECT_EQ(w.at(0), -1);
    EXPECT_EQ(w.at(5), 60);
    EXPECT_EQ(w.at(6), 60);
    EXPECT_EQ(w.at(3), 241 - 24); // the designation gives what the amounts need
    EXPECT_EQ(w.at(1), 36);
    EXPECT_EQ(w.at(4), 40); // the VAT rate is no amount

    // Wide enough already: the design widths stand.
    w = columnWidthsPixels(g5, 2.0, 60);
    EXPECT_EQ(w.at(5), 96);
    EXPECT_EQ(w.at(3), 483);

    // A text column keeps half its width in a very small window.
    w = columnWidthsPixels(grid(QStringLiteral("DBGrid4")), 0.2, 200);
    EXPECT_EQ(w.at(4), 200);
    EXPECT_EQ(w.at(2), columnWidthPixels(grid(QStringLiteral("DBGrid4")).columns.at(2), 0.2) / 2);
}
