// Rules behind the main window and its customer and article tabs.

#include "data/CompanySettings.h"
#include "data/Decimal.h"
#include "platform/SettingsStore.h"
#include "support/QtPrinters.h"
#include "workspace/CustomersArticles.h"
#include "workspace/GridColumns.h"
#include "workspace/LetterheadPreview.h"
#include "workspace/MainWindowRules.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

using namespace quittora;
using namespace quittora::mainwindow;

namespace {

QHash<QString, QString> previewOf(const CompanySettings& s)
{
    QHash<QString, QString> h;
    for (const auto& [label, text] : letterheadPreviewTexts(s))
        h.insert(label, text);
    return h;
}

TEST(MainWindowRules, ScreenWindowPlacementAndStoredChoices)
{
    EXPECT_FALSE(screenWideEnough(799));
    EXPECT_TRUE(screenWideEnough(800));
    EXPECT_EQ(centredTopLeft(QRect(0, 0, 1920, 1080), QSize(1000, 760)), QPoint(460, 160));
    EXPECT_EQ(centredTopLeft(QRect(100, 30, 1024, 738), QSize(1024, 800)), QPoint(100, 30));
    const QSize design(1000, 715);
    EXPECT_EQ(startClientSize(design, QRect(0, 0, 1920, 1050), QSize(16, 40)), design);
    EXPECT_EQ(startClientSize(design, QRect(0, 0, 1024, 740), QSize(16, 40)), QSize(1000, 700));
    EXPECT_EQ(startClientSize(design, QRect(0, 0, 800, 560), QSize(16, 40)), QSize(784, 520));

    QTemporaryDir dir;
    auto settings = makeQtSettingsStore(dir.filePath(QStringLiteral("s.ini")));
    EXPECT_EQ(readWindowState(*settings), WindowState::Normal);
    writeWindowState(*settings, WindowState::Maximised);
    EXPECT_EQ(settings->value(QStringLiteral("Fenster")), QStringLiteral("2"));
    settings->setValue(QStringLiteral("Fenster"), QStringLiteral("1")); // minimised is never restored
    EXPECT_EQ(readWindowState(*settings), WindowState::Normal);

    EXPECT_FALSE(articleSortByNumber(*settings));
    const char* values[] = {"Wahr", "True", "-1", "wahr", /* the rest is false */ "Falsch", "False", "0", "", "ja"};
    for (int i = 0; i < 9; ++i) {
        settings->setValue(kArticleSortKey, QString::fromLatin1(values[i]));
        EXPECT_EQ(articleSortByNumber(*settings), i < 4) << values[i];
    }

    CompanySettings s;
    s.setValue(QStringLiteral("MWSt"), QStringLiteral("19"));
    s.setValue(QStringLiteral("frei9"), QStringLiteral("7"));
    EXPECT_EQ(vatChoices(s), (QStringList{QStringLiteral("19"), QStringLiteral("7"), QStringLiteral("0")}));
}

TEST(LetterheadPreview, TextsComeFromTheSettings)
{
    CompanySettings s;
    for (const char* pair : {"Titel=Bäckerei Korn", "frei4=Meisterbetrieb", "frei2=Mühlweg 3", "frei3=12345 Feld",
                             "Tel=0123 456", "Fax=", "Einst26=Bank:", "Bank=Sparkasse", "Memo1=oben 1", "Memo3=unten"})
        s.setValue(QString::fromUtf8(pair).section(QLatin1Char('='), 0, 0), QString::fromUtf8(pair).section(QLatin1Char('='), 1));
    // No fax number, no caption; a blank between caption and value.
    const char* expected[] = {"Label13=Bäckerei Korn", "Label15=Meisterbetrieb", "Label22=Telefon  0123 456", "Label26=",
                              "Label16=Bank: Sparkasse", "Label18=Bäckerei Korn * Mühlweg 3 * 12345 Feld",
                              "Label34=oben 1", "Label36=unten"};
    const auto t = previewOf(s);
    for (const char* e : expected)
        EXPECT_EQ(t.value(QString::fromUtf8(e).section(QLatin1Char('='), 0, 0)), QString::fromUtf8(e).section(QLatin1Char('='), 1)) << e;
    s.setValue(QStringLiteral("Bank"), QString());
    EXPECT_EQ(previewOf(s).value(QStringLiteral("Label16")), QStringLiteral("Bank:"));
}

TEST(GridColumns, SpreadWithDBGrid1AndAmountsTakeRoomFromTheWidestTextColumn)
{
    using namespace gridcolumns;
    EXPECT_DOUBLE_EQ(spreadFactor(dbGrid1DesignWidthPixels() * 2), 2.0);
    EXPECT_DOUBLE_EQ(spreadFactor(0), 1.0);
    const Grid g5 = grid(QStringLiteral("DBGrid5"));
    EXPECT_EQ(columnWidthPixels(g5.columns.at(0), 1.0), -1); // hidden, the design sets no width
    EXPECT_EQ(columnWidthPixels(g5.columns.at(3), 2.0), 483); // 3620 twips, doubled
    // Design: hidden ID, 36, 55, 241, 40, 48, 48 pixels.
    EXPECT_EQ(columnWidthsPixels(g5, 1.0, 60), (QList<int>{-1, 36, 55, 241 - 24, 40, 60, 60}));
    EXPECT_EQ(columnWidthsPixels(g5, 2.0, 60).at(5), 96); // wide enough already
    // A text column keeps half its width in a very small window.
    const Grid g4 = grid(QStringLiteral("DBGrid4"));
    const QList<int> small = columnWidthsPixels(g4, 0.2, 200);
    EXPECT_EQ(small.at(4), 200);
    EXPECT_EQ(small.at(2), columnWidthPixels(g4.columns.at(2), 0.2) / 2);
}

TEST(CustomerAddress, ClipboardTextAndTheExchangeFile)
{
    customers::Address a{QStringLiteral("Frau"), QStringLiteral("Schmidt"), QStringLiteral("Eva"),
                         QStringLiteral("Bäckerei"), QStringLiteral("Weg 2"), QStringLiteral("80331 München"),
                         QStringLiteral("089 1"), QStringLiteral("089 2"), QStringLiteral("Notiz, mit Komma")};
    customers::Address c = a;
    c.salutation.clear();
    EXPECT_EQ(customers::clipboardText(c), QStringLiteral("Eva Schmidt\r\nBäckerei\r\nWeg 2\r\n\r\n80331 München"));
    c.firstName.clear();
    c.addition.clear();
    EXPECT_EQ(customers::clipboardText(c), QStringLiteral("Schmidt\r\nWeg 2\r\n\r\n80331 München"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Faktu_50.tmp"));
    a.addition.clear();
    ASSERT_TRUE(customers::writeExchangeFile(path, a));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("\"Frau\"\r\n\"Schmidt\"\r\n\"Eva\"\r\n\"Weg 2\"\r\n"));
    const auto back = customers::readExchangeFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ((QStringList{back->salutation, back->name, back->firstName, back->street, back->place, back->phone,
                           back->fax, back->notes}),
              (QStringList{a.salutation, a.name, a.firstName, a.street, a.place, a.phone, a.fax, a.notes}));
    EXPECT_FALSE(customers::readExchangeFile(dir.filePath(QStringLiteral("missing.tmp"))));
    EXPECT_TRUE(customers::defaultExchangeFilePath().endsWith(QStringLiteral("/Quittora pro/Faktu_50.tmp")));

    customers::Address onlySalutation;
    onlySalutation.salutation = QStringLiteral("Herrn");
    onlySalutation.addition = QStringLiteral("z. Hd.");
    EXPECT_TRUE(customers::isEmptyForCopy(onlySalutation));
    onlySalutation.fax = QStringLiteral("1");
    EXPECT_FALSE(customers::isEmptyForCopy(onlySalutation));

    const AllFieldsSearch s = allFieldsSearch({QStringLiteral("a1"), QStringLiteral("n1")}, QStringLiteral("o'k"));
    EXPECT_EQ(s.where, QStringLiteral("WHERE IFNULL(a1, '') LIKE ? OR IFNULL(n1, '') LIKE ?"));
    EXPECT_EQ(s.params, (QVariantList{QStringLiteral("*o'k*"), QStringLiteral("*o'k*")}));
}

TEST(PriceChange, PercentThenAmountInExactCentsAndOnlyOnPricesAboveZero)
{
    const struct {
        const char *price, *percent, *amount;
        char sep;
        const char* changed; // nullptr: stays
    } rows[] = {
        {"20,00", "10", nullptr, ',', "22,00"}, {"20,00", "10", "5", ',', "27,00"}, {"20,00", nullptr, "-2.5", ',', "17,50"},
        {"1,25", "10", nullptr, ',', "1,38"}, // half a cent away from zero, also when lowering
        {"1,25", "-10", nullptr, ',', "1,13"}, {"20.00", "10", nullptr, '.', "22.00"},
        {"0,50", "10", nullptr, ',', "0,55"},   {"0,50", nullptr, "1", ',', "1,50"},   {"0.50", "10", "5", '.', "5.55"},
        {"0,00", "10", "1", ',', nullptr},      {"0", "10", "1", ',', nullptr},        {"", "10", "1", ',', nullptr},
        {"abc", "10", nullptr, ',', nullptr},   {"-3,00", "10", nullptr, ',', nullptr},
    };
    auto num = [](const char* text) { return text ? Decimal::fromString(QString::fromLatin1(text)) : std::optional<Decimal>(); };
    for (const auto& r : rows) {
        const auto changed = articles::changedPrice(QString::fromUtf8(r.price), num(r.percent), num(r.amount),
                                                    QLatin1Char(r.sep));
        EXPECT_EQ(changed, r.changed ? std::optional<QString>(QString::fromUtf8(r.changed)) : std::nullopt)
            << r.price << " " << (r.percent ? r.percent : "-") << " " << (r.amount ? r.amount : "-");
    }
}

} // namespace
