#include "data/Recordset.h"
#include "data/RecordsetModel.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace quittora;
using quittora::test::TempDatabase;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

struct Documents : ::testing::Test {
    TempDatabase t;
    std::unique_ptr<Recordset> rs;
    std::unique_ptr<RecordsetModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void SetUp() override
    {
        ASSERT_TRUE(t.isValid());
        QSqlDatabase con = t.connection();
        con.transaction();
        // More than two blocks of rows, so that reading in blocks is exercised.
        for (int i = 0; i < 600; ++i)
            t.addDocument(QString::number(1000 + i), s("01.02.2024"), s("Rechnung"), i % 2 == 1,
                          {{s("a2"), s("Kunde %1").arg(i)}});
        con.commit();
        rs = std::make_unique<Recordset>(t.db(), s("Rechnungen"));
        rs->setRecordSource(s("SELECT * FROM Rechnungen ORDER BY a7 DESC"));
        ASSERT_TRUE(rs->refresh());
        model = std::make_unique<RecordsetModel>(*rs, QStringList{s("a7"), s("a2"), s("opt1")},
                                                 QStringList{s("Rechnungs-Nr."), s("Name"), s("bezahlt")});
        tester = std::make_unique<QAbstractItemModelTester>(model.get(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    QString cell(int row, int column) const { return model->index(row, column).data().toString(); }
};

} // namespace

TEST_F(Documents, RowsFollowTheSetAndColumnsTheNamedFields)
{
    EXPECT_EQ(model->rowCount(), 600);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), s("Rechnungs-Nr."));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), s("bezahlt"));
    EXPECT_EQ(cell(0, 0), s("1599"));
    EXPECT_EQ(cell(0, 1), s("Kunde 599"));
    EXPECT_EQ(cell(599, 0), s("1000"));
    EXPECT_EQ(cell(300, 0), s("1299"));
    EXPECT_EQ(cell(0, 2), s("Ja"));
    EXPECT_EQ(cell(1, 2), s("Nein"));
    EXPECT_EQ(model->index(0, 2).data(Qt::EditRole).toInt(), -1);
    EXPECT_EQ(model->index(5, 1).data(RecordsetModel::IdRole).toLongLong(), rs->idAt(5));
    EXPECT_EQ(model->columnOf(s("A2")), 1);
    EXPECT_EQ(model->columnOf(s("a8")), -1);
    EXPECT_FALSE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST_F(Documents, AStoredEditShowsInItsRow)
{
    EXPECT_EQ(cell(0, 1), s("Kunde 599"));
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    rs->setValue(s("a2"), s("Neuer Name"));
    rs->moveNext();
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 0);
    EXPECT_EQ(cell(0, 1), s("Neuer Name"));

    changed.clear();
    rs->setValue(s("opt1"), true);
    ASSERT_TRUE(rs->update());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_EQ(cell(1, 2), s("Ja"));
}

TEST_F(Documents, InsertDeleteAndRefreshResetTheModel)
{
    QSignalSpy reset(model.get(), &QAbstractItemModel::modelReset);
    rs->addNew();
    rs->setValue(s("a7"), s("9999"));
    ASSERT_TRUE(rs->update());
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model->rowCount(), 601);
    EXPECT_EQ(cell(600, 0), s("9999"));

    rs->moveFirst();
    ASSERT_TRUE(rs->deleteCurrent());
    EXPECT_EQ(model->rowCount(), 600);
    EXPECT_EQ(cell(0, 0), s("1598"));

    rs->setRecordSource(s("SELECT * FROM Rechnungen WHERE opt1 = ? ORDER BY a7"), {-1});
    ASSERT_TRUE(rs->refresh());
    EXPECT_EQ(model->rowCount(), 299);
    EXPECT_EQ(cell(0, 0), s("1001"));
    EXPECT_EQ(reset.count(), 3);
}

TEST_F(Documents, AlignmentIsPerColumn)
{
    model->setColumnAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(model->index(3, 0).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_FALSE(model->index(3, 1).data(Qt::TextAlignmentRole).isValid());
}
