#include <data/TClientDataSet.h>

#include <QLocale>

#include <gtest/gtest.h>

using namespace ngc;

namespace {

// A dataset in insert state with one field of each kind.
struct ItemFixture : ::testing::Test {
    TClientDataSet ds{"cdsItemCole"};
    TField &code = ds.AddField({"CDFILIAL", FieldType::String, 4});
    TField &name = ds.AddField({"NMMARCA", FieldType::String, 0});
    TField &price = ds.AddField({"VRPRECUNIITM", FieldType::Float, 0});
    TField &date = ds.AddField({"DTINIVALITM", FieldType::DateTime, 0});
    TField &count = ds.AddField({"NRITENS", FieldType::Integer, 0});
    TField &flag = ds.AddField({"IDATIVO", FieldType::Boolean, 0});

    void SetUp() override
    {
        ds.Open();
        ds.Insert();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST_F(ItemFixture, StringsAreTruncatedAndEmptyIsNull)
{
    code.SetValue(QString("000123"));
    EXPECT_EQ(code.AsString(), "0001");
    EXPECT_EQ(name.Size(), 20) << "a string without a size holds 20";
    name.SetAsString(QString(25, 'x'));
    EXPECT_EQ(name.AsString(), QString(20, 'x'));
    code.SetAsString("");
    EXPECT_TRUE(code.IsNull());
    EXPECT_FALSE(code.Value().isValid());
    name.Clear();
    EXPECT_TRUE(name.IsNull());
}

TEST_F(ItemFixture, TypedAccessConverts)
{
    price.SetAsFloat(12.5);
    EXPECT_EQ(price.AsString(), "12.5");
    EXPECT_EQ(price.AsInteger(), 13);
    count.SetAsString("42");
    EXPECT_EQ(count.AsFloat(), 42.0);
    EXPECT_EQ(count.Value().metaType().id(), QMetaType::LongLong);
    flag.SetAsBoolean(true);
    EXPECT_TRUE(flag.AsBoolean());
    date.SetValue(QDate(2026, 12, 8));
    EXPECT_EQ(date.AsDateTime(), QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    date.SetAsDateTime(QDateTime());
    EXPECT_TRUE(date.IsNull());

    // Nulls read as empty values.
    EXPECT_EQ(code.AsString(), "");
    EXPECT_EQ(code.AsFloat(), 0.0);
    EXPECT_FALSE(date.AsDateTime().isValid());

    EXPECT_THROW(price.SetValue(QString("abc")), DataSetError);
    EXPECT_THROW(count.SetValue(1.5), DataSetError);
}

TEST_F(ItemFixture, WritingNeedsEditOrInsert)
{
    code.SetValue(QString("0001"));
    ds.Post();
    try {
        code.SetValue(QString("0002"));
        ADD_FAILURE();
    } catch (const DataSetError &error) {
        EXPECT_NE(std::string(error.what()).find("cdsItemCole"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("CDFILIAL"), std::string::npos);
    }
    EXPECT_EQ(code.AsString(), "0001");
}

TEST_F(ItemFixture, OldValueIsTheValueWhenTheEditBegan)
{
    price.SetAsFloat(10);
    EXPECT_TRUE(price.OldValue().isNull()) << "a new record has no old value";
    ds.Post();
    ds.MergeChangeLog();
    ds.Edit();
    price.SetAsFloat(20);
    price.SetAsFloat(30);
    EXPECT_EQ(price.OldValue().toDouble(), 10.0);
    ds.Post();
    EXPECT_EQ(price.OldValue().toDouble(), 10.0) << "unsent: the loaded value";
    ds.MergeChangeLog();
    EXPECT_EQ(price.OldValue().toDouble(), 30.0);
}

TEST_F(ItemFixture, TextFollowsFormatsAndLocale)
{
    price.DisplayFormat = "#,##0.00";
    price.SetAsFloat(1234.5);
    EXPECT_EQ(price.DisplayText(), "1,234.50");
    EXPECT_EQ(price.Text(), "1,234.50") << "no edit format: the display format";
    price.EditFormat = "##0.00000";
    EXPECT_EQ(price.Text(), "1234.50000");
    price.DisplayFormat.clear();
    price.EditFormat.clear();
    EXPECT_EQ(price.DisplayText(), "1234.5");

    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    price.SetText("1.234,75");
    EXPECT_EQ(price.AsFloat(), 1234.75);
    EXPECT_EQ(price.DisplayText(), "1234,75");
    EXPECT_THROW(price.SetText("12a"), DataSetError);
    EXPECT_EQ(price.AsFloat(), 1234.75);
    price.SetText("  ");
    EXPECT_TRUE(price.IsNull());

    // What the percent format shows can be typed back.
    price.DisplayFormat = "##0.00%";
    price.SetAsFloat(12.5);
    EXPECT_EQ(price.Text(), "12,50%");
    price.SetText(price.Text());
    EXPECT_EQ(price.AsFloat(), 12.5);

    count.SetText("2026");
    EXPECT_EQ(count.DisplayText(), "2026") << "a whole number is shown without grouping";

    date.SetText("08/12/2026");
    EXPECT_EQ(date.AsDateTime().date(), QDate(2026, 12, 8));
    EXPECT_EQ(date.DisplayText(), "08/12/2026");
}

TEST_F(ItemFixture, EditMaskShapesTheDisplayedText)
{
    code.EditMask = "99;0; ";
    code.SetValue(QString("5"));
    EXPECT_EQ(code.DisplayText(), "5 ");
    EXPECT_EQ(code.Text(), "5") << "editing shows the stored value";
}

TEST_F(ItemFixture, TextHandlersReplaceTheDefaultConversion)
{
    flag.OnGetText = [](TField &sender, QString &text, bool display) {
        text = sender.IsNull() ? QString() : (sender.AsBoolean() ? "Sim" : "Não");
        if (!display)
            text = text.left(1);
    };
    flag.OnSetText = [](TField &sender, const QString &text) {
        sender.SetAsBoolean(text.startsWith('S'));
    };
    flag.SetText("Sim");
    EXPECT_TRUE(flag.AsBoolean());
    EXPECT_EQ(flag.DisplayText(), "Sim");
    EXPECT_EQ(flag.Text(), "S");
    flag.SetAsString("false"); // typed access bypasses the handlers
    EXPECT_EQ(flag.DisplayText(), "Não");
}

TEST_F(ItemFixture, GridReadsAnyRecordThroughTheHandlers)
{
    code.SetValue(QString("0001"));
    ds.Post();
    ds.Append();
    code.SetValue(QString("0002"));
    ds.Post();
    code.OnGetText = [](TField &sender, QString &text, bool) { text = "<" + sender.AsString() + ">"; };
    EXPECT_EQ(ds.DisplayTextAt(1, code.Index()), "<0001>");
    EXPECT_EQ(ds.DisplayTextAt(2, code.Index()), "<0002>");
    EXPECT_EQ(ds.DisplayTextAt(3, code.Index()), "");
    EXPECT_EQ(code.AsString(), "0002") << "the current record is untouched";
}

TEST(Field, PresentationDefaults)
{
    TClientDataSet ds;
    TField &field = ds.AddField({"VRPERCPGTCOL", FieldType::Float, 0});
    EXPECT_EQ(field.DisplayName(), "VRPERCPGTCOL");
    field.DisplayLabel = "Percentual";
    EXPECT_EQ(field.DisplayName(), "Percentual");
    EXPECT_TRUE(field.Visible);
    EXPECT_EQ(field.Index(), 0);
    EXPECT_EQ(&ds.FieldByName("vrpercpgtcol"), &field);
    EXPECT_EQ(ds.FindField("NONE"), nullptr);
    EXPECT_THROW(ds.FieldByName("NONE"), DataSetError);
    EXPECT_TRUE(field.Value().isNull()) << "closed dataset";
}
