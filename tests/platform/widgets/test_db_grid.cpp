#include <widgets/TDBGrid.h>

#include "WidgetTestSupport.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>

using namespace ngc;
using namespace ngc::test;

namespace {

// The instalment list: a hidden key and two number columns, three rows.
void defineInstalments(TClientDataSet &ds)
{
    ds.AddField({QStringLiteral("CDFILIAL"), FieldType::String, 4});
    ds.AddField({QStringLiteral("NRDIASPGTCOL"), FieldType::Float});
    ds.AddField({QStringLiteral("VRPERCPGTCOL"), FieldType::Float});
    ds.FieldByName(QStringLiteral("CDFILIAL")).Visible = false;
    ds.FieldByName(QStringLiteral("NRDIASPGTCOL")).DisplayLabel = QStringLiteral("Prazo(Dias)");
    ds.FieldByName(QStringLiteral("VRPERCPGTCOL")).DisplayLabel = QStringLiteral("Percentual");
    ds.FieldByName(QStringLiteral("VRPERCPGTCOL")).DisplayFormat = QStringLiteral("##0.00%");
    loadRows(ds, {Row{QStringLiteral("0001"), 30.0, 50.0}, Row{QStringLiteral("0001"), 60.0, 25.0},
                  Row{QStringLiteral("0001"), 90.0, 25.0}});
}

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defineInstalments(ds);
        guard.install(ds);
        auto *layout = new QVBoxLayout(&window);
        grid = new TDBGrid(&window, QStringLiteral("dbgPzoPgtItmCol"));
        other = new QLineEdit(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->SetDataSource(&source);
        window.activate();
        grid->setFocus();
        QApplication::processEvents();
    }
    double value(const char *name) const
    {
        return ds.FieldByName(QString::fromLatin1(name)).AsFloat();
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
        QTest::keyClick(target, k, m);
    }
    void type(const QString &text)
    {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }

    ScopedHostUi host;
    TClientDataSet ds{QStringLiteral("cdsPzoPgtItmCol")};
    TDataSource source{QStringLiteral("dtsPzoPgtItmCol"), &ds};
    EditGuard guard;
    Window window;
    TDBGrid *grid = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace

TEST(DataSetSnapshotModel, FollowsEveryChangeOfTheDataSetConsistently)
{
    TClientDataSet ds(QStringLiteral("cdsPzoPgtItmCol"));
    defineInstalments(ds);
    TDataSource source(QStringLiteral("dts"), &ds);
    LiveDataSetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetDataSource(&source);
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 2) << "the hidden key is never shown";
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Prazo(Dias)"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("50.00%"));
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("60"));

    ds.Append();
    EXPECT_EQ(model.rowCount(), 4);
    // Only a field a column shows changes cells.
    QSignalSpy cellsChanged(&model, &QAbstractItemModel::dataChanged);
    ds.FieldByName(QStringLiteral("CDFILIAL")).SetAsString(QStringLiteral("0001"));
    EXPECT_EQ(cellsChanged.count(), 0);
    ds.FieldByName(QStringLiteral("NRDIASPGTCOL")).SetAsFloat(120);
    EXPECT_EQ(cellsChanged.count(), 1);
    ds.Post();
    EXPECT_EQ(model.data(model.index(3, 0)).toString(), QStringLiteral("120"));
    ds.First();
    ds.Delete();
    EXPECT_EQ(model.rowCount(), 3);
    ds.Insert();
    ds.Cancel();
    EXPECT_EQ(model.rowCount(), 3);
    ds.FieldByName(QStringLiteral("VRPERCPGTCOL")).Visible = false;
    model.SetColumns({});
    EXPECT_EQ(model.columnCount(), 1);
    loadRows(ds, {});
    EXPECT_EQ(model.rowCount(), 0);
    ds.Close();
    EXPECT_EQ(model.columnCount(), 0);
    source.SetDataSet(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(GridTest, DeclaredColumnsGiveTitlesWidthsAndAlignment)
{
    TColumn percent;
    percent.FieldName = QStringLiteral("VRPERCPGTCOL");
    percent.TitleAlignment = Qt::AlignRight | Qt::AlignVCenter;
    percent.Width = 77;
    TColumn days;
    days.FieldName = QStringLiteral("NRDIASPGTCOL");
    days.Title = QStringLiteral("Dias");
    TColumn hidden;
    hidden.FieldName = QStringLiteral("CDFILIAL");
    grid->SetColumns({days, percent, hidden});
    ASSERT_EQ(grid->ColumnCount(), 2);
    EXPECT_EQ(grid->Model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Dias"));
    EXPECT_EQ(grid->Model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Percentual"));
    EXPECT_EQ(
        grid->Model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
        Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(grid->columnWidth(1), 77);
    EXPECT_EQ(IndiceCol(grid, QStringLiteral("VRPERCPGTCOL")), 1);
    EXPECT_EQ(IndiceCol(grid, QStringLiteral("CDFILIAL")), -1);
    EXPECT_EQ(IndiceCol(nullptr, QStringLiteral("VRPERCPGTCOL")), -1);
}

TEST_F(GridTest, TheCurrentRowFollowsTheDataSetAndMovesIt)
{
    ds.Last();
    EXPECT_EQ(grid->currentIndex().row(), 2);
    key(Qt::Key_Up);
    EXPECT_EQ(ds.RecNo(), 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->Model()->index(0, 1)).center());
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("VRPERCPGTCOL"));
    grid->SetSelectedField(QStringLiteral("NRDIASPGTCOL"));
    EXPECT_EQ(grid->SelectedIndex(), 0);
}

TEST_F(GridTest, TypingInACellEditsTheRecordAndLeavingTheRowPostsIt)
{
    type(QStringLiteral("45"));
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    ASSERT_TRUE(grid->EditorMode());
    // The cell editor is the window's focused control: an unnamed control inside the grid.
    QWidget *focused = window.focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_TRUE(focused->objectName().isEmpty());
    EXPECT_TRUE(grid->isAncestorOf(focused));
    EXPECT_TRUE(IsFocusedControl(grid));
    key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecNo(), 2);
    ds.First();
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 45.0) << "the typed text replaces the cell";
}

TEST_F(GridTest, AFailedPostKeepsTheRow)
{
    ds.BeforePost = [](TClientDataSet &) { throw SilentAbort(); };
    type(QStringLiteral("7"));
    key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 7.0) << "the cell was written, the row not posted";

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->Model()->index(2, 0)).center());
    QApplication::processEvents();
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(GridTest, TypingIntoAnEmptyGridStartsItsFirstRecord)
{
    loadRows(ds, {});
    type(QStringLiteral("30"));
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    key(Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 30.0);
    EXPECT_EQ(grid->SelectedIndex(), 1);
}

TEST_F(GridTest, ARefusedEditSwallowsTheKeyTypedInACell)
{
    guard.refuse = true;
    type(QStringLiteral("5"));
    EXPECT_EQ(guard.asked, 1);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 30.0);
}

TEST_F(GridTest, DownOnTheLastRowAppendsOnceAndEscapeCancels)
{
    ds.Last();
    key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(grid->currentIndex().row(), 3);
    key(Qt::Key_Down);
    EXPECT_EQ(ds.RecordCount(), 4) << "an empty new row is not followed by another";

    type(QStringLiteral("120"));
    key(Qt::Key_Down);
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    EXPECT_EQ(ds.RecordCount(), 5) << "the typed row was posted and another appended";

    key(Qt::Key_Escape);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 120.0);

    type(QStringLiteral("9"));
    key(Qt::Key_Escape);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 120.0);
}

TEST_F(GridTest, LeavingANewRowNothingWasTypedIntoDropsIt)
{
    ds.BeforePost = [](TClientDataSet &) { throw SilentAbort(); };
    ds.Last();
    key(Qt::Key_Down);
    ASSERT_EQ(ds.RecordCount(), 4);
    key(Qt::Key_Up);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RecNo(), 3);

    // A row inserted in the middle: going down lands on the row that was below it.
    ds.SetRecNo(2);
    ds.Insert();
    key(Qt::Key_Down);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 60.0);
    EXPECT_EQ(grid->currentIndex().row(), ds.RecNo() - 1);
}

TEST_F(GridTest, CtrlDeleteAsksAndDeletesOnlyOnYes)
{
    // The window's shortcut on the same keys waits until the grid is read-only.
    QAction windowDelete(QStringLiteral("Excluir"));
    windowDelete.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    window.addAction(&windowDelete);
    int windowDeletes = 0;
    QObject::connect(&windowDelete, &QAction::triggered, [&] { ++windowDeletes; });

    host.ui.answerButton(MsgButton::No);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds.RecordCount(), 3);
    host.ui.answerButton(MsgButton::Yes);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds.RecordCount(), 2);
    ASSERT_EQ(host.ui.messages().size(), 2);
    EXPECT_EQ(host.ui.messages().at(0).text, QStringLiteral("Excluir registro?"));
    EXPECT_EQ(host.ui.messages().at(0).kind, MsgKind::Confirmation);

    // A key handler may keep the grid's own delete from happening.
    grid->OnKeyDown = [](int &k, Qt::KeyboardModifiers m) {
        if (k == Qt::Key_Delete && (m & Qt::ControlModifier))
            k = 0;
    };
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(host.ui.messages().size(), 2);
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(windowDeletes, 0);

    grid->SetReadOnly(true);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(windowDeletes, 1);
}

TEST_F(GridTest, TabMovesBetweenCellsAndAFailedColumnExitKeepsTheCell)
{
    QStringList exits;
    grid->OnColExit = [&] { exits << grid->SelectedField()->FieldName(); };
    type(QStringLiteral("15"));
    key(Qt::Key_Tab);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_EQ(exits, QStringList{QStringLiteral("NRDIASPGTCOL")});
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 15.0) << "written before the column exit ran";

    grid->OnColExit = [&] { throw SilentAbort(); };
    key(Qt::Key_Backtab);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    key(Qt::Key_Left);
    EXPECT_EQ(grid->SelectedIndex(), 1);

    grid->OnColExit = nullptr;
    key(Qt::Key_Tab);
    EXPECT_EQ(ds.RecNo(), 2) << "Tab on the last column goes to the next row";
    EXPECT_EQ(grid->SelectedIndex(), 0);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
}

TEST_F(GridTest, KeyPressHandlersAndTheFieldTypeFilterCharacters)
{
    grid->OnKeyPress = [](QChar &c) {
        if (c == QLatin1Char('-'))
            c = QLatin1Char(' ');
    };
    type(QStringLiteral("-"));
    EXPECT_EQ(ds.State(), DataSetState::Browse) << "a blank is no character of a number";
    type(QStringLiteral("1x-2"));
    ASSERT_TRUE(grid->EditorMode());
    grid->UpdateData();
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 12.0);
}

TEST_F(GridTest, LeavingTheGridCancelsAnUntouchedInsertWhenAsked)
{
    grid->SetCancelOnExit(true);
    int exits = 0;
    grid->OnExit = [&] { ++exits; };
    ds.Last();
    key(Qt::Key_Down);
    ASSERT_EQ(ds.State(), DataSetState::Insert);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(exits, 1);

    grid->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Down);
    type(QStringLiteral("5"));
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ds.State(), DataSetState::Insert) << "a typed row stays";
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 5.0) << "the cell was written on leaving the grid";
}

TEST_F(GridTest, AReadOnlyGridOnlyBrowses)
{
    grid->SetReadOnly(true);
    ds.Last();
    type(QStringLiteral("5"));
    key(Qt::Key_Down);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(guard.asked, 0);
    key(Qt::Key_Up);
    EXPECT_EQ(ds.RecNo(), 2);
}

TEST_F(GridTest, APostFromOutsideWritesTheOpenCellFirst)
{
    type(QStringLiteral("33"));
    ASSERT_TRUE(grid->EditorMode());
    ds.Post();
    EXPECT_DOUBLE_EQ(value("NRDIASPGTCOL"), 33.0);
    EXPECT_FALSE(grid->EditorMode());
}

// A grid on a page in the back follows the record without scrolling; shown, it brings the
// current row into view, and a visible grid keeps doing so at once.
TEST_F(GridTest, AHiddenGridScrollsToTheCurrentRowWhenShown)
{
    QList<Row> rows;
    for (int i = 1; i <= 200; ++i)
        rows.append(Row{QStringLiteral("0001"), double(i), 1.0});
    loadRows(ds, rows);
    const auto rowShown = [this](int row) {
        return grid->viewport()->rect().contains(
            grid->visualRect(grid->Model()->index(row, 0)).center());
    };
    grid->hide();
    ds.Last();
    EXPECT_EQ(grid->currentIndex().row(), 199);
    grid->show();
    QApplication::processEvents();
    EXPECT_TRUE(rowShown(199));
    EXPECT_FALSE(rowShown(0));
    ds.First();
    EXPECT_TRUE(rowShown(0));
    EXPECT_FALSE(rowShown(199));
}
