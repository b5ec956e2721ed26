#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <services/SilentAbort.h>

#include <gtest/gtest.h>

#include <QStringList>

using namespace ngc;

namespace {

// Instalment-like layout: a code and a percentage.
DataPacket instalments(std::initializer_list<std::pair<const char *, double>> rows)
{
    DataPacket packet;
    packet.fields = {{"NRDIAS", FieldType::String, 3}, {"VRPERC", FieldType::Float, 0}};
    for (const auto &[days, percent] : rows)
        packet.rows.append(Row{QString(days), percent});
    return packet;
}

QStringList column(TClientDataSet &ds, const char *name = "NRDIAS")
{
    QStringList values;
    for (int recNo = 1; recNo <= ds.RecordCount(); ++recNo)
        values << ds.ValueAt(recNo, ds.FieldByName(name).Index()).toString();
    return values;
}

// Records every event by name, in order.
struct Spy {
    QStringList log;
    void attach(TClientDataSet &ds)
    {
        const std::pair<TClientDataSet::Event *, const char *> events[] = {
            {&ds.BeforeInsert, "BeforeInsert"}, {&ds.AfterInsert, "AfterInsert"},
            {&ds.BeforeEdit, "BeforeEdit"},     {&ds.AfterEdit, "AfterEdit"},
            {&ds.BeforePost, "BeforePost"},     {&ds.AfterPost, "AfterPost"},
            {&ds.BeforeCancel, "BeforeCancel"}, {&ds.AfterCancel, "AfterCancel"},
            {&ds.BeforeDelete, "BeforeDelete"}, {&ds.AfterDelete, "AfterDelete"},
            {&ds.AfterScroll, "AfterScroll"}};
        for (const auto &[event, name] : events)
            *event = [this, name = QString(name)](TClientDataSet &) { log << name; };
    }
    QStringList take() { return std::exchange(log, {}); }
};

// What must not change when an operation is refused.
struct Snapshot {
    DataSetState state;
    int recNo;
    DataPacket data;
    DeltaPacket delta;
    explicit Snapshot(const TClientDataSet &ds)
        : state(ds.State()), recNo(ds.RecNo()), data(ds.Data()), delta(ds.Delta())
    {
    }
    bool operator==(const Snapshot &) const = default;
};

void setDays(TClientDataSet &ds, const char *value)
{
    ds.FieldByName("NRDIAS").SetValue(QString(value));
}

} // namespace

TEST(DataSet, EventsRunInOrder)
{
    TClientDataSet ds("cds");
    ds.SetData(instalments({{"30", 50}, {"60", 50}}));
    Spy spy;
    spy.attach(ds);

    ds.Edit();
    EXPECT_EQ(spy.take(), QStringList({"BeforeEdit", "AfterEdit"}));
    setDays(ds, "31");
    ds.Post();
    EXPECT_EQ(spy.take(), QStringList({"BeforePost", "AfterPost"}));
    ds.Insert();
    EXPECT_EQ(spy.take(), QStringList({"BeforeInsert", "AfterInsert", "AfterScroll"}));
    ds.Cancel();
    EXPECT_EQ(spy.take(), QStringList({"BeforeCancel", "AfterCancel", "AfterScroll"}));
    ds.Edit();
    ds.Cancel();
    EXPECT_EQ(spy.take(), QStringList({"BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel"}));
    ds.Delete();
    EXPECT_EQ(spy.take(), QStringList({"BeforeDelete", "AfterDelete", "AfterScroll"}));
    ds.Next();
    ds.Prior();
    EXPECT_TRUE(spy.take().isEmpty()) << "one record left: nowhere to scroll";

    // Post and Cancel while browsing do nothing at all.
    ds.Post();
    ds.Cancel();
    EXPECT_TRUE(spy.take().isEmpty());
    EXPECT_EQ(ds.State(), DataSetState::Browse);
}

TEST(DataSet, AbortInABeforeEventLeavesEverythingAsItWas)
{
    using Setup = std::function<void(TClientDataSet &)>;
    const struct {
        const char *name;
        TClientDataSet::Event TClientDataSet::*event;
        Setup setup;
        Setup action;
    } cases[] = {
        {"insert", &TClientDataSet::BeforeInsert, {}, [](TClientDataSet &ds) { ds.Insert(); }},
        {"append", &TClientDataSet::BeforeInsert, {}, [](TClientDataSet &ds) { ds.Append(); }},
        {"edit", &TClientDataSet::BeforeEdit, {}, [](TClientDataSet &ds) { ds.Edit(); }},
        {"post edit", &TClientDataSet::BeforePost,
         [](TClientDataSet &ds) {
             ds.Edit();
             setDays(ds, "99");
         },
         [](TClientDataSet &ds) { ds.Post(); }},
        {"post insert", &TClientDataSet::BeforePost,
         [](TClientDataSet &ds) {
             ds.Insert();
             setDays(ds, "99");
         },
         [](TClientDataSet &ds) { ds.Post(); }},
        {"cancel", &TClientDataSet::BeforeCancel,
         [](TClientDataSet &ds) {
             ds.Edit();
             setDays(ds, "99");
         },
         [](TClientDataSet &ds) { ds.Cancel(); }},
        {"delete", &TClientDataSet::BeforeDelete, {}, [](TClientDataSet &ds) { ds.Delete(); }},
        {"delete while editing", &TClientDataSet::BeforeDelete,
         [](TClientDataSet &ds) {
             ds.Edit();
             setDays(ds, "99");
         },
         [](TClientDataSet &ds) { ds.Delete(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TClientDataSet ds("cds");
        ds.SetData(instalments({{"30", 50}, {"60", 50}}));
        ds.Edit();
        setDays(ds, "45");
        ds.Post(); // one unsent change, so the log is part of what must survive
        ds.Next();
        if (c.setup)
            c.setup(ds);
        Spy spy;
        spy.attach(ds);
        ds.*(c.event) = [](TClientDataSet &) { throw SilentAbort(); };
        const Snapshot before(ds);
        EXPECT_THROW(c.action(ds), SilentAbort);
        EXPECT_TRUE(Snapshot(ds) == before);
        EXPECT_TRUE(spy.log.isEmpty()) << spy.log.join(u',').toStdString();
    }
}

TEST(DataSet, EditingAnEmptyDataSetInsertsARecord)
{
    TClientDataSet ds;
    ds.SetData(instalments({}));
    Spy spy;
    spy.attach(ds);
    ds.Edit();
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    EXPECT_EQ(spy.take(), QStringList({"BeforeInsert", "AfterInsert", "AfterScroll"}));
    setDays(ds, "10");
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST(DataSet, EmptyPacketReadsAsEmptyValues)
{
    TClientDataSet ds;
    ds.SetData(instalments({}));
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_EQ(ds.FieldByName("NRDIAS").AsString(), "");
    EXPECT_EQ(ds.FieldByName("VRPERC").AsFloat(), 0.0);
    EXPECT_TRUE(ds.FieldByName("VRPERC").IsNull());
    EXPECT_THROW(ds.Delete(), DataSetError);
}

TEST(DataSet, NavigationAndLocate)
{
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}, {"60", 20}, {"90", 70}}));
    QStringList seen;
    for (ds.First(); !ds.Eof(); ds.Next())
        seen << ds.FieldByName("NRDIAS").AsString();
    EXPECT_EQ(seen, QStringList({"30", "60", "90"}));
    EXPECT_EQ(ds.RecNo(), 3);

    ds.Last();
    EXPECT_TRUE(ds.Eof());
    ds.Prior();
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 2);
    ds.First();
    EXPECT_TRUE(ds.Bof());
    ds.Prior();
    EXPECT_EQ(ds.RecNo(), 1);

    EXPECT_TRUE(ds.Locate("vrperc", 70)); // names are case-insensitive; 70 is read as a float
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_FALSE(ds.Locate("NRDIAS", "45"));
    EXPECT_EQ(ds.RecNo(), 3) << "a failed search stays put";
    ds.SetRecNo(2);
    EXPECT_EQ(ds.FieldByName("NRDIAS").AsString(), "60");
    ds.SetRecNo(9);
    EXPECT_EQ(ds.RecNo(), 2);

    // A longer text is not cut to the field's size to find a match.
    ds.Edit();
    setDays(ds, "600");
    ds.Post();
    ds.First();
    EXPECT_FALSE(ds.Locate("NRDIAS", "6001"));
    EXPECT_TRUE(ds.Locate("NRDIAS", "600"));
}

TEST(DataSet, LeavingARecordPostsItOnlyWhenChanged)
{
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}, {"60", 20}}));
    Spy spy;
    spy.attach(ds);

    ds.Edit();
    setDays(ds, "31");
    ds.Next();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(column(ds), QStringList({"31", "60"}));
    EXPECT_EQ(spy.take(), QStringList({"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost",
                                       "AfterScroll"}));

    ds.Append(); // untouched new row: passing over it drops it
    ds.First();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_EQ(ds.ChangeCount(), 1);

    // A refused post keeps the record where it is, still being edited.
    ds.Edit();
    setDays(ds, "32");
    ds.BeforePost = [](TClientDataSet &) { throw SilentAbort(); };
    EXPECT_THROW(ds.Next(), SilentAbort);
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(ds.RecNo(), 1);
}

TEST(DataSet, InsertPlacesTheRecordBeforeTheCurrentAppendAtTheEnd)
{
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}, {"60", 20}}));
    ds.Last();
    ds.Insert();
    setDays(ds, "45");
    EXPECT_EQ(column(ds), QStringList({"30", "45", "60"})) << "a grid sees the new row at once";
    ds.Post();
    ds.First();
    ds.Append();
    setDays(ds, "99");
    ds.Post();
    EXPECT_EQ(column(ds), QStringList({"30", "45", "60", "99"}));
    EXPECT_EQ(ds.RecNo(), 4);
    ds.Insert();
    ds.Cancel();
    EXPECT_EQ(column(ds), QStringList({"30", "45", "60", "99"}));
    EXPECT_EQ(ds.RecNo(), 4);
}

TEST(DataSet, ChangeLogHoldsTheNetUnsentChanges)
{
    using Op = DeltaChange::Op;
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}, {"60", 20}, {"90", 70}}));

    ds.Edit(); // edit without change: no entry
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 0);

    ds.Edit();
    ds.FieldByName("VRPERC").SetValue(15.0);
    ds.Post();
    ds.Edit();
    ds.FieldByName("VRPERC").SetValue(16.0); // second edit: still one update against the load
    ds.Post();

    ds.Append();
    setDays(ds, "120");
    ds.Post();
    ds.Edit(); // an inserted record edited again stays one insert
    ds.FieldByName("VRPERC").SetValue(5.0);
    ds.Post();

    ds.Append();
    setDays(ds, "150");
    ds.Post();
    ds.Delete(); // inserted then deleted: nothing to send

    ds.Locate("NRDIAS", "60");
    ds.Delete();

    EXPECT_EQ(ds.ChangeCount(), 3);
    const DeltaPacket delta = ds.Delta();
    ASSERT_EQ(delta.changes.size(), 3);
    EXPECT_EQ(delta.fields, ds.FieldDefs());
    EXPECT_EQ(delta.changes[0],
              (DeltaChange{Op::Update, Row{QString("30"), 10.0}, Row{QString("30"), 16.0}}));
    EXPECT_EQ(delta.changes[1], (DeltaChange{Op::Insert, {}, Row{QString("120"), 5.0}}));
    EXPECT_EQ(delta.changes[2], (DeltaChange{Op::Delete, Row{QString("60"), 20.0}, {}}));

    // Edited back to the loaded values: nothing left to send for that record.
    ds.First();
    ds.Edit();
    ds.FieldByName("VRPERC").SetValue(10.0);
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 2);

    // An edit in progress is not part of the delta.
    ds.Last();
    ds.Edit();
    ds.FieldByName("VRPERC").SetValue(1.0);
    EXPECT_EQ(ds.Delta().changes[0].newRow, (Row{QString("120"), 5.0}));
    ds.Cancel();

    ds.MergeChangeLog();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_TRUE(ds.Delta().isEmpty());
    EXPECT_EQ(column(ds), QStringList({"30", "90", "120"}));
}

TEST(DataSet, DeletingAnEditedRecordSendsItsLoadedValues)
{
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}}));
    ds.Edit();
    setDays(ds, "31");
    ds.Post();
    ds.Delete();
    ASSERT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(ds.Delta().changes[0],
              (DeltaChange{DeltaChange::Op::Delete, Row{QString("30"), 10.0}, {}}));
}

TEST(DataSet, CancelUpdatesRestoresTheLoadedRecords)
{
    TClientDataSet ds;
    const DataPacket loaded = instalments({{"30", 10}, {"60", 20}, {"90", 70}});
    ds.SetData(loaded);
    ds.Edit();
    setDays(ds, "31");
    ds.Post();
    ds.Next();
    ds.Delete();
    ds.Append();
    setDays(ds, "99");
    ds.Post();
    ds.Edit();
    setDays(ds, "98"); // pending edit is dropped too
    ds.CancelUpdates();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.Data(), loaded);
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.RecNo(), 1);
}

TEST(DataSet, SetDataReplacesRecordsLogAndPosition)
{
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}, {"60", 20}}));
    ds.Last();
    ds.Edit();
    setDays(ds, "61");
    ds.Post();
    ds.Edit();
    Spy spy;
    spy.attach(ds);
    ds.SetData(instalments({{"10", 100}}));
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(column(ds), QStringList({"10"}));
    EXPECT_EQ(spy.take(), QStringList({"AfterScroll"})) << "the list is positioned anew";
}

TEST(DataSet, PersistentFieldsRefuseAPacketThatDoesNotFit)
{
    TClientDataSet ds;
    ds.AddField({"VRPERC", FieldType::Float, 0});
    ds.AddField({"NRDIAS", FieldType::String, 2});
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.State(), DataSetState::Browse);

    // Matched by name, in the dataset's order; extra columns are ignored.
    DataPacket packet = instalments({{"30", 10}});
    packet.fields.append({"EXTRA", FieldType::Integer, 0});
    packet.rows[0].append(qint64(7));
    ds.SetData(packet);
    EXPECT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.Fields(0).AsFloat(), 10.0);
    EXPECT_EQ(ds.Fields(1).AsString(), "30");
    const DataPacket kept = ds.Data();

    DataPacket missing;
    missing.fields = {{"NRDIAS", FieldType::String, 2}};
    DataPacket wrongType;
    wrongType.fields = {{"NRDIAS", FieldType::String, 2}, {"VRPERC", FieldType::String, 5}};
    const DataPacket tooLong = instalments({{"20", 1}, {"120", 2}});
    DataPacket ragged = instalments({{"20", 1}});
    ragged.rows[0].removeLast();
    DataPacket wrongKind = instalments({{"20", 1}});
    wrongKind.rows[0][1] = QString("ten");

    for (const auto &[packetCase, reason] :
         {std::pair{missing, "packet has no field VRPERC"},
          std::pair{wrongType, "field VRPERC is string in the packet, float in the dataset"},
          std::pair{tooLong, "row 2, field NRDIAS: string of 3 characters exceeds size 2"},
          std::pair{ragged, "row 1 has 1 values for 2 fields"},
          std::pair{wrongKind, "row 1, field VRPERC"}}) {
        try {
            ds.SetData(packetCase);
            ADD_FAILURE() << "accepted: " << reason;
        } catch (const PacketError &error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
        EXPECT_EQ(ds.Data(), kept);
    }
}

TEST(DataSet, FilterShowsOnlyAcceptedRecords)
{
    TClientDataSet ds;
    ds.SetData(instalments({{"30", 10}, {"60", 20}, {"90", 70}, {"95", 0}}));
    ds.Last();
    double limit = 50;
    QStringList filtered;
    ds.OnFilterRecord = [&](TClientDataSet &self) {
        // The row being filtered is what the fields read.
        filtered << self.FieldByName("NRDIAS").AsString();
        return self.FieldByName("VRPERC").AsFloat() < limit;
    };
    EXPECT_TRUE(filtered.isEmpty()) << "the filter runs only once switched on";
    ds.SetFiltered(true);
    EXPECT_EQ(filtered, QStringList({"30", "60", "90", "95"}));
    EXPECT_EQ(column(ds), QStringList({"30", "60", "95"}));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.FieldByName("NRDIAS").AsString(), "30");

    // A posted record the filter no longer accepts leaves the view.
    ds.Edit();
    ds.FieldByName("VRPERC").SetValue(80.0);
    ds.Post();
    EXPECT_EQ(column(ds), QStringList({"60", "95"}));

    limit = 15; // refiltering: off and on again
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 4);
    ds.SetFiltered(true);
    EXPECT_EQ(column(ds), QStringList({"95"}));

    // A filter that fails leaves the filtering, and a load, as they were.
    ds.SetFiltered(false);
    ds.OnFilterRecord = [](TClientDataSet &) -> bool { throw SilentAbort(); };
    EXPECT_THROW(ds.SetFiltered(true), SilentAbort);
    EXPECT_FALSE(ds.Filtered());
    EXPECT_EQ(ds.RecordCount(), 4);

    TClientDataSet other;
    other.SetData(instalments({{"30", 10}}));
    other.SetFiltered(true);
    other.OnFilterRecord = [](TClientDataSet &) -> bool { throw SilentAbort(); };
    DataPacket wider = instalments({{"60", 20}});
    wider.fields.append({"EXTRA", FieldType::Integer, 0});
    wider.rows[0].append(qint64(1));
    EXPECT_THROW(other.SetData(wider), SilentAbort);
    EXPECT_EQ(other.FieldCount(), 2);
    EXPECT_EQ(other.FieldByName("NRDIAS").AsString(), "30");
}

TEST(DataSet, ClosedDataSetRefusesWork)
{
    TClientDataSet ds("cdsClosed");
    EXPECT_EQ(ds.State(), DataSetState::Inactive);
    EXPECT_THROW(ds.Open(), DataSetError) << "no fields, no data";
    ds.AddField({"A", FieldType::String, 2});
    EXPECT_THROW(ds.AddField({"a", FieldType::Float, 0}), DataSetError);
    try {
        ds.Edit();
        ADD_FAILURE();
    } catch (const DataSetError &error) {
        EXPECT_NE(std::string(error.what()).find("cdsClosed"), std::string::npos);
    }
    EXPECT_THROW(ds.First(), DataSetError);
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.Open();
    EXPECT_THROW(ds.AddField({"B", FieldType::Float, 0}), DataSetError);
    ds.Close();
    EXPECT_EQ(ds.State(), DataSetState::Inactive);
}

// Emptying and closing (then opening again) both drop the records, the change log and the edit
// under way.
TEST(DataSet, EmptyDataSetDropsRecordsAndLog)
{
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "Close" : "EmptyDataSet");
        TClientDataSet ds;
        ds.SetData(instalments({{"30", 10}, {"60", 20}}));
        ds.Delete();
        ds.Edit();
        if (close) {
            ds.Close();
            EXPECT_EQ(ds.State(), DataSetState::Inactive);
            ds.Open();
        } else {
            ds.EmptyDataSet();
        }
        EXPECT_TRUE(ds.IsEmpty());
        EXPECT_EQ(ds.ChangeCount(), 0);
        EXPECT_EQ(ds.State(), DataSetState::Browse);
    }
}

// Refiltering after what the filter compares with changed: the view, the position and the
// events come out as after switching the filter off and on, but the controls hear of it once.
TEST(DataSet, RefilterRunsTheFilterAgainAndTellsOnce)
{
    TClientDataSet ds;
    TDataSource source(QStringLiteral("dts"), &ds);
    ds.SetData(instalments({{"30", 10}, {"60", 20}, {"90", 70}, {"95", 0}}));
    double limit = 50;
    ds.OnFilterRecord = [&](TClientDataSet &self) {
        return self.FieldByName("VRPERC").AsFloat() < limit;
    };
    int scrolls = 0;
    int told = 0;
    ds.AfterScroll = [&](TClientDataSet &) { ++scrolls; };
    source.OnDataChange = [&](TDataSource &, TField *field) { told += field ? 0 : 1; };

    limit = 15;
    ds.Refilter();
    EXPECT_EQ(column(ds), QStringList({"30", "60", "90", "95"})) << "off: nothing happens";
    EXPECT_EQ(scrolls + told, 0);

    ds.SetFiltered(true);
    ds.Last();
    scrolls = told = 0;
    limit = 25;
    ds.Refilter();
    EXPECT_TRUE(ds.Filtered());
    EXPECT_EQ(column(ds), QStringList({"30", "60", "95"}));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.FieldByName("NRDIAS").AsString(), "30");
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(told, 1);

    // A changed record being edited is posted first, and then filtered like the others.
    ds.Edit();
    ds.FieldByName("VRPERC").SetValue(5.0);
    limit = 6;
    ds.Refilter();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(column(ds), QStringList({"30", "95"}));

    // A filter that fails leaves the view as it was.
    ds.Last();
    ds.OnFilterRecord = [](TClientDataSet &) -> bool { throw SilentAbort(); };
    EXPECT_THROW(ds.Refilter(), SilentAbort);
    EXPECT_TRUE(ds.Filtered());
    EXPECT_EQ(column(ds), QStringList({"30", "95"}));
}

TEST(DataSet, FieldsAreFoundByNameInAnyCase)
{
    TClientDataSet ds("cds");
    ds.SetData(instalments({{"30", 50}}));
    const std::pair<const char *, int> cases[] = {
        {"NRDIAS", 0}, {"nrdias", 0},   {"NrDias", 0}, {"vrPERC", 1},
        {"NRDIA", -1}, {"NRDIAS ", -1}, {"", -1},
    };
    for (const auto &[name, index] : cases) {
        SCOPED_TRACE(name);
        const TField *field = ds.FindField(name);
        EXPECT_EQ(field ? field->Index() : -1, index);
    }
    EXPECT_THROW(ds.FieldByName("NRDIA"), std::exception);
}
