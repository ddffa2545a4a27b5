#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "data/widgets/RecordsetGrid.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QTest>

using namespace quittora;

namespace {

class RecordsetGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.isValid());
        for (const char* n : {"1001", "1002", "1003", "1004"})
            ids << db.addDocument(QString::fromLatin1(n), QStringLiteral("01.03.2024"));
        ASSERT_TRUE(rs.refresh());
        grid.resize(400, 200);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    int selectedRow() const
    {
        const auto rows = grid.selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }

    test::TempDatabase db;
    QList<qint64> ids;
    Recordset rs{db.db(), QStringLiteral("Rechnungen")};
    RecordsetGrid grid{rs, {QStringLiteral("a7"), QStringLiteral("a2")}, {QStringLiteral("Nr."), QStringLiteral("Name")}};
    QAbstractItemModelTester tester{grid.model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(RecordsetGridTest, TheCurrentRecordIsTheSelectedRow)
{
    EXPECT_EQ(selectedRow(), 0);
    rs.moveLast();
    EXPECT_EQ(selectedRow(), 3);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    rs.movePrevious();
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nr."));
}

TEST_F(RecordsetGridTest, PickingARowMovesTheRecordsetAndStoresTheEditLeft)
{
    rs.setValue(QStringLiteral("a2"), QStringLiteral("Geändert"));
    const QModelIndex third = grid.model()->index(2, 0);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(third).center());
    EXPECT_EQ(rs.currentId(), ids.at(2));
    EXPECT_EQ(db.field(QStringLiteral("Rechnungen"), ids.at(0), QStringLiteral("a2")).toString(),
              QStringLiteral("Geändert"));
    // The row of the stored record shows the new value.
    EXPECT_EQ(grid.model()->index(0, 1).data().toString(), QStringLiteral("Geändert"));

    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rs.currentId(), ids.at(3));
}

TEST_F(RecordsetGridTest, AReReadSetSelectsItsFirstRecordAgain)
{
    rs.moveLast();
    db.addDocument(QStringLiteral("0999"), QStringLiteral("02.03.2024"));
    rs.setRecordSource(QStringLiteral("SELECT * FROM Rechnungen ORDER BY a7"));
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), QStringLiteral("0999"));

    rs.setRecordSource(QStringLiteral("SELECT * FROM Rechnungen WHERE a7 = ?"), {QStringLiteral("nix")});
    ASSERT_TRUE(rs.refresh());
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(selectedRow(), -1);
}

} // namespace

TEST_F(RecordsetGridTest, TheCurrentRowStaysInViewWhenTheGridShrinks)
{
    for (int i = 0; i < 40; ++i)
        db.addDocument(QString::number(2000 + i), QStringLiteral("02.03.2024"));
    ASSERT_TRUE(rs.refresh());
    grid.resize(400, 900);
    ASSERT_TRUE(rs.moveTo(30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.height() == 900; }, 1000));
    grid.resize(400, 150);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.height() == 150; }, 1000));
    QApplication::processEvents();
    const QRect row = grid.visualRect(grid.model()->index(30, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(row)) << row.y() << " in " << grid.viewport()->height();
}
