#include "support/ScreenFixture.h"

#include <data/TClientDataSet.h>
#include <data/TField.h>

using screentest::dataSet;
using screentest::ScreenFixture;

namespace {

// One record in edit state whose field `name` holds `stored` (null for nullptr).
ngc::TField &editedField(ngc::TClientDataSet &dataSet, const char *name, const char *stored)
{
    ngc::DataPacket packet;
    packet.fields = dataSet.FieldDefs();
    ngc::Row row(packet.fields.size());
    ngc::TField &field = dataSet.FieldByName(QLatin1String(name));
    if (stored)
        row[field.Index()] = QString::fromUtf8(stored);
    packet.rows.append(row);
    dataSet.SetData(packet);
    dataSet.Edit();
    return field;
}

struct TextCase {
    const char *stored; // nullptr: null
    const char *text;   // what the field shows, for display and for editing alike
};

struct WriteCase {
    const char *before;
    const char *written;
    const char *after; // nullptr: null
};

void expectTexts(ngc::TClientDataSet &dataSet, const char *fieldName,
                 std::initializer_list<TextCase> cases)
{
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "<null>");
        ngc::TField &field = editedField(dataSet, fieldName, c.stored);
        EXPECT_EQ(field.DisplayText(), QString::fromUtf8(c.text));
        EXPECT_EQ(field.Text(), QString::fromUtf8(c.text));
        dataSet.Cancel();
    }
}

void expectWrites(ngc::TClientDataSet &dataSet, const char *fieldName,
                  std::initializer_list<WriteCase> cases)
{
    for (const WriteCase &c : cases) {
        SCOPED_TRACE(std::string(c.before ? c.before : "<null>") + " <- " + c.written);
        ngc::TField &field = editedField(dataSet, fieldName, c.before);
        field.SetText(QString::fromUtf8(c.written));
        if (c.after) {
            EXPECT_EQ(field.Value().toString(), QString::fromUtf8(c.after));
        } else {
            EXPECT_TRUE(field.IsNull()) << field.AsString().toStdString();
        }
        dataSet.Cancel();
    }
}

using FieldTextTest = ScreenFixture;

// The payment-form type: no payment form is stored as null and shown as "X".
TEST_F(FieldTextTest, PaymentFormType)
{
    expectTexts(dataSet(*screen, "cdsItemCole"), "IDTPFOPGTCOL",
                {{nullptr, "X"}, {"F", "F"}, {"V", "V"}, {"X", ""}, {"f", ""}, {"Z", ""}});
    expectWrites(dataSet(*screen, "cdsItemCole"), "IDTPFOPGTCOL",
                 {{"F", "X", nullptr},
                  {nullptr, "F", "F"},
                  {"F", "V", "V"},
                  {"V", "Z", "V"},
                  {"V", "", "V"},
                  {nullptr, "v", nullptr}});
}

// The freight type is shown by the name of its item in the drop-down list.
TEST_F(FieldTextTest, FreightType)
{
    expectTexts(dataSet(*screen, "cdsItemCole"), "IDTIPFREITM",
                {{"C", "CIF"},
                 {"F", "FOB"},
                 {"T", "FOT"},
                 {"R", "FOR"},
                 {nullptr, "<nenhum>"},
                 {" ", "<nenhum>"},
                 {"c", ""},
                 {"X", ""}});
    expectWrites(dataSet(*screen, "cdsItemCole"), "IDTIPFREITM",
                 {{nullptr, "CIF", "C"},
                  {"C", "FOB", "F"},
                  {"C", "FOT", "T"},
                  {"C", "FOR", "R"},
                  {"C", "<nenhum>", nullptr},
                  {"X", "<nenhum>", nullptr},
                  {"T", "cif", "T"},
                  {"T", "", "T"},
                  {"T", "C", "T"}});
}

// A supplier's registration number is stored bare and shown in the mask of its person type.
TEST_F(FieldTextTest, SupplierRegistrationNumber)
{
    struct Case {
        const char *personType;
        const char *stored;
        const char *shown;
    };
    const Case cases[] = {
        {"J", "12345678000195", "12.345.678/0001-95"},
        {"F", "12345678909", "123.456.789-09"},
        {"E", "ABC123", "ABC123"},
        {nullptr, "998877", "998877"},
    };
    ngc::TClientDataSet &suppliers = dataSet(*screen, "cdsPesqForn");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        ngc::TField &number = editedField(suppliers, "NRINSJURFORN", c.stored);
        if (c.personType)
            suppliers.FieldByName(QStringLiteral("IDTPIJURFORN"))
                .SetAsString(QLatin1String(c.personType));
        EXPECT_EQ(number.DisplayText(), QLatin1String(c.shown));
        EXPECT_EQ(number.Text(), QLatin1String(c.shown));
        EXPECT_EQ(number.AsString(), QLatin1String(c.stored));
        suppliers.Cancel();
    }
}

// A grid shows every row at once: each number takes the mask of its own row's person type.
TEST_F(FieldTextTest, SupplierRegistrationNumberPerGridRow)
{
    ngc::TClientDataSet &suppliers = dataSet(*screen, "cdsPesqForn");
    ngc::DataPacket packet;
    packet.fields = suppliers.FieldDefs();
    const int type = suppliers.FieldByName(QStringLiteral("IDTPIJURFORN")).Index();
    const int number = suppliers.FieldByName(QStringLiteral("NRINSJURFORN")).Index();
    ngc::Row company(packet.fields.size());
    company[type] = QStringLiteral("J");
    company[number] = QStringLiteral("12345678000195");
    ngc::Row person(packet.fields.size());
    person[type] = QStringLiteral("F");
    person[number] = QStringLiteral("12345678909");
    packet.rows = {company, person};
    suppliers.SetData(packet);

    EXPECT_EQ(suppliers.DisplayTextAt(1, number), QLatin1String("12.345.678/0001-95"));
    EXPECT_EQ(suppliers.DisplayTextAt(2, number), QLatin1String("123.456.789-09"));
    EXPECT_EQ(suppliers.RecNo(), 1);
}

} // namespace
