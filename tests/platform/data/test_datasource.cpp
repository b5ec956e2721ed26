#include <data/TDataSource.h>
#include <services/SilentAbort.h>

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

using namespace ngc;

namespace {

DataPacket twoRows()
{
    DataPacket packet;
    packet.fields = {{"CDTIPCOB", FieldType::String, 2}};
    packet.rows = {Row{QString("01")}, Row{QString("02")}};
    return packet;
}

// A bound control that records what it hears and can write a pending text on updateData.
struct RecordingLink : DataLink {
    QStringList *log;
    QString name;
    QString pending;
    RecordingLink(QStringList *target, QString linkName) : log(target), name(std::move(linkName)) {}
    void stateChanged() override { *log << name + ":state"; }
    void dataChanged(TField *field) override
    {
        *log << name + ":data(" + (field ? field->FieldName() : QString("*")) + ")";
    }
    void updateData() override
    {
        *log << name + ":update";
        if (!pending.isEmpty()) {
            TField &field = linkedSource()->DataSet()->Fields(0);
            if (pending == "!")
                throw SilentAbort();
            field.SetText(pending);
        }
    }
};

} // namespace

TEST(DataSource, TellsEveryLinkAboutStateAndData)
{
    TClientDataSet ds("cds");
    ds.SetData(twoRows());
    TDataSource first("dts1", &ds);
    TDataSource second("dts2", &ds);
    QStringList log;
    RecordingLink a(&log, "a");
    RecordingLink b(&log, "b");
    first.AddLink(&a);
    second.AddLink(&b);
    first.OnStateChange = [&](TDataSource &source) { log << source.Name() + ":OnStateChange"; };
    first.OnDataChange = [&](TDataSource &, TField *) { log << "dts1:OnDataChange"; };

    ds.Edit();
    EXPECT_EQ(log, QStringList({"a:state", "dts1:OnStateChange", "b:state"}));
    log.clear();
    ds.Fields(0).SetValue(QString("03"));
    EXPECT_EQ(log, QStringList({"a:data(CDTIPCOB)", "dts1:OnDataChange", "b:data(CDTIPCOB)"}));
    log.clear();
    ds.Next(); // posts, then scrolls
    EXPECT_TRUE(log.contains("a:update"));
    EXPECT_TRUE(log.contains("b:state"));
    EXPECT_EQ(log.last(), "b:data(*)");
    EXPECT_EQ(first.State(), DataSetState::Browse);
}

TEST(DataSource, PendingTextIsWrittenBeforeBeforePost)
{
    TClientDataSet ds;
    ds.SetData(twoRows());
    TDataSource source("dts", &ds);
    QStringList log;
    RecordingLink edit(&log, "edit");
    source.AddLink(&edit);
    QString seenByBeforePost;
    ds.BeforePost = [&](TClientDataSet &self) { seenByBeforePost = self.Fields(0).AsString(); };

    ds.Edit();
    edit.pending = "77";
    ds.Post();
    EXPECT_EQ(seenByBeforePost, "77");
    EXPECT_EQ(ds.Fields(0).AsString(), "77");

    // A control that refuses its text stops the post before BeforePost.
    ds.Edit();
    edit.pending = "!";
    seenByBeforePost.clear();
    EXPECT_THROW(ds.Post(), SilentAbort);
    EXPECT_TRUE(seenByBeforePost.isEmpty());
    EXPECT_EQ(ds.State(), DataSetState::Edit);
}

TEST(DataSource, DataSetCanBeSwitchedAtRunTime)
{
    TClientDataSet products("cdsPesqMarca");
    products.SetData(twoRows());
    TClientDataSet all("qryMarca");
    TDataSource source("dtsPesqMarca", &products);
    QStringList log;
    RecordingLink grid(&log, "grid");
    source.AddLink(&grid);

    source.SetDataSet(&all);
    EXPECT_EQ(log, QStringList({"grid:state", "grid:data(*)"}));
    EXPECT_EQ(source.State(), DataSetState::Inactive);
    log.clear();
    products.Next();
    EXPECT_TRUE(log.isEmpty()) << "the old dataset no longer reaches the link";
    all.SetData(twoRows());
    EXPECT_FALSE(log.isEmpty());
}

TEST(DataSource, EitherSideMayBeDestroyedFirst)
{
    QStringList log;
    {
        auto ds = std::make_unique<TClientDataSet>();
        ds->SetData(twoRows());
        TDataSource source("dts", ds.get());
        RecordingLink link(&log, "l");
        source.AddLink(&link);
        ds.reset();
        EXPECT_EQ(source.DataSet(), nullptr);
        EXPECT_EQ(source.State(), DataSetState::Inactive);
    }
    {
        TClientDataSet ds;
        ds.SetData(twoRows());
        auto source = std::make_unique<TDataSource>("dts", &ds);
        RecordingLink link(&log, "l");
        source->AddLink(&link);
        source.reset();
        EXPECT_EQ(link.linkedSource(), nullptr);
        ds.Next(); // nobody left to tell
    }
    {
        TClientDataSet ds;
        ds.SetData(twoRows());
        TDataSource source("dts", &ds);
        auto link = std::make_unique<RecordingLink>(&log, "l");
        source.AddLink(link.get());
        link.reset();
        ds.Next();
    }
}

TEST(DataSource, ALinkMayLeaveWhileBeingNotified)
{
    TClientDataSet ds;
    ds.SetData(twoRows());
    TDataSource source("dts", &ds);
    QStringList log;
    auto second = std::make_unique<RecordingLink>(&log, "second");
    struct Leaver : RecordingLink {
        std::unique_ptr<RecordingLink> *victim;
        Leaver(QStringList *target, std::unique_ptr<RecordingLink> *other)
            : RecordingLink(target, "first"), victim(other)
        {
        }
        void dataChanged(TField *) override { victim->reset(); }
    } first(&log, &second);
    source.AddLink(&first);
    source.AddLink(second.get());
    ds.Next();
    EXPECT_EQ(second, nullptr);
    EXPECT_TRUE(log.isEmpty());
}

TEST(DataSource, ALinkBelongsToOneSource)
{
    TClientDataSet ds;
    TDataSource one("one", &ds);
    TDataSource two("two", &ds);
    QStringList log;
    RecordingLink link(&log, "l");
    one.AddLink(&link);
    two.AddLink(&link);
    EXPECT_EQ(link.linkedSource(), &two);
    ds.AddField({"A", FieldType::String, 1});
    ds.Open();
    EXPECT_EQ(log.count("l:state"), 1);
}
