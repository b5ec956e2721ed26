#include <services/DataSetSnapshotModel.h>

#include <data/TClientDataSet.h>
#include <data/TField.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "printers.h"

#include <gtest/gtest.h>

using namespace ngc;

namespace {

void load(TClientDataSet &ds)
{
    ds.AddField({QStringLiteral("CDMARCA"), FieldType::String, 5});
    ds.AddField({QStringLiteral("NMMARCA"), FieldType::String, 30});
    ds.AddField({QStringLiteral("VRPRECO"), FieldType::Float});
    DataPacket packet;
    packet.fields = ds.FieldDefs();
    packet.rows.append(Row{QStringLiteral("00001"), QStringLiteral("Alfa"), 1.5});
    packet.rows.append(Row{QStringLiteral("00002"), QStringLiteral("Beta"), QVariant()});
    ds.SetData(packet);
}

} // namespace

TEST(DataSetSnapshotModel, ShowsVisibleFieldsWithTheirLabelsAndTexts)
{
    TClientDataSet ds(QStringLiteral("cdsMarca"));
    load(ds);
    ds.FieldByName(QStringLiteral("CDMARCA")).Visible = false;
    ds.FieldByName(QStringLiteral("NMMARCA")).DisplayLabel = QStringLiteral("Marca");
    ds.FieldByName(QStringLiteral("VRPRECO")).DisplayFormat = QStringLiteral("#,##0.00");

    DataSetSnapshotModel model(&ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Marca"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("VRPRECO"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Alfa"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("1.50"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QString());
    EXPECT_EQ(model.fieldIndex(0), 1);
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::CheckStateRole).isValid());
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsUserCheckable));
}

TEST(DataSetSnapshotModel, CheckableModelKeepsAMarkPerRow)
{
    TClientDataSet ds(QStringLiteral("cdsMarca"));
    load(ds);
    DataSetSnapshotModel model(&ds, true);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    EXPECT_TRUE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_FALSE(model.flags(model.index(0, 1)).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.isChecked(1));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    model.toggle(0);
    model.toggle(7);
    EXPECT_TRUE(model.isChecked(0));
    model.setAllChecked(false);
    EXPECT_FALSE(model.isChecked(0) || model.isChecked(1));
    EXPECT_EQ(changed.count(), 4);
}

TEST(DataSetSnapshotModel, InactiveOrMissingDataSetIsEmpty)
{
    TClientDataSet ds(QStringLiteral("cdsMarca"));
    ds.AddField({QStringLiteral("CDMARCA"), FieldType::String, 5});
    DataSetSnapshotModel closed(&ds);
    EXPECT_EQ(closed.rowCount(), 0);
    DataSetSnapshotModel none(nullptr, true);
    QAbstractItemModelTester tester(&none, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(none.rowCount(), 0);
    EXPECT_EQ(none.columnCount(), 0);
}
