#include <widgets/TDBCheckBox.h>
#include <widgets/TDBComboBox.h>
#include <widgets/TDBRadioGroup.h>
#include <widgets/TRadioGroup.h>

#include "WidgetTestSupport.h"

#include <QRadioButton>
#include <QVBoxLayout>

using namespace ngc;
using namespace ngc::test;

namespace {

// The payment-form record: a type stored as null for "X", a flag "E"/"I" and a freight code
// shown by name.
class ChoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds.AddField({QStringLiteral("IDTPFOPGTCOL"), FieldType::String, 1});
        ds.AddField({QStringLiteral("IDUTDIAPGCOL"), FieldType::String, 1});
        ds.AddField({QStringLiteral("IDTIPFREITM"), FieldType::String, 1});
        TField &type = ds.FieldByName(QStringLiteral("IDTPFOPGTCOL"));
        type.OnGetText = [](TField &f, QString &text, bool) {
            text = f.IsNull() ? QStringLiteral("X") : f.AsString();
        };
        type.OnSetText = [](TField &f, const QString &text) {
            if (text == QStringLiteral("X"))
                f.Clear();
            else
                f.SetAsString(text);
        };
        loadRows(ds, {Row{QVariant(), QStringLiteral("I"), QStringLiteral("C")},
                      Row{QStringLiteral("V"), QStringLiteral("E"), QVariant()}});
        guard.install(ds);
        auto *layout = new QVBoxLayout(&window);
        radio = new TDBRadioGroup(&window, QStringLiteral("drgFormPgto"));
        radio->SetItems({QStringLiteral("Sem Forma de Pagamento"),
                         QStringLiteral("Pagamento Fixo no Dia"),
                         QStringLiteral("Pela Forma de Pagamento")});
        radio->SetValues({QStringLiteral("X"), QStringLiteral("F"), QStringLiteral("V")});
        radio->SetDataSource(&source);
        radio->SetDataField(QStringLiteral("IDTPFOPGTCOL"));
        check = new TDBCheckBox(&window, QStringLiteral("dckIdUtDiaPgCol"));
        check->SetValueChecked(QStringLiteral("E"));
        check->SetValueUnchecked(QStringLiteral("I"));
        check->SetDataSource(&source);
        check->SetDataField(QStringLiteral("IDUTDIAPGCOL"));
        combo = new TDBComboBox(&window, QStringLiteral("dcbFrete"));
        combo->SetItems({QStringLiteral("C"), QStringLiteral("F"), QStringLiteral("T")});
        combo->SetDataSource(&source);
        combo->SetDataField(QStringLiteral("IDTIPFREITM"));
        layout->addWidget(radio);
        layout->addWidget(check);
        layout->addWidget(combo);
        window.activate();
    }
    QString value(const char *name) const
    {
        return ds.FieldByName(QString::fromLatin1(name)).AsString();
    }

    ScopedHostUi host;
    TClientDataSet ds{QStringLiteral("cdsItemCole")};
    TDataSource source{QStringLiteral("dtsPadrao"), &ds};
    EditGuard guard;
    Window window;
    TDBRadioGroup *radio = nullptr;
    TDBCheckBox *check = nullptr;
    TDBComboBox *combo = nullptr;
};

} // namespace

TEST_F(ChoiceTest, ARadioGroupShowsAndWritesThroughTheFieldsTextHandlers)
{
    EXPECT_EQ(radio->ItemIndex(), 0) << "null shows as X";
    int changes = 0;
    radio->OnChange = [&] { ++changes; };

    QTest::mouseClick(radio->Button(2), Qt::LeftButton);
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(value("IDTPFOPGTCOL"), QStringLiteral("V"));
    EXPECT_EQ(radio->ItemIndex(), 2);
    EXPECT_EQ(changes, 1);

    QTest::mouseClick(radio->Button(0), Qt::LeftButton);
    EXPECT_TRUE(ds.FieldByName(QStringLiteral("IDTPFOPGTCOL")).IsNull()) << "X is stored as null";
    EXPECT_EQ(changes, 2);

    // A change of the record (here: scrolling) shows the other value and raises the change.
    ds.Cancel();
    ds.Next();
    EXPECT_EQ(radio->ItemIndex(), 2);
    EXPECT_EQ(changes, 3);
}

TEST_F(ChoiceTest, ARefusedEditLeavesTheRadioGroupAsItWas)
{
    guard.refuse = true;
    int changes = 0;
    radio->OnChange = [&] { ++changes; };
    QTest::mouseClick(radio->Button(1), Qt::LeftButton);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(radio->ItemIndex(), 0);
    EXPECT_TRUE(radio->Button(0)->isChecked());
    EXPECT_FALSE(radio->Button(1)->isChecked());
    EXPECT_EQ(changes, 0);
}

TEST_F(ChoiceTest, ACheckBoxWritesItsTwoValues)
{
    EXPECT_FALSE(check->isChecked());
    int clicks = 0;
    check->OnClick = [&] { ++clicks; };
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(value("IDUTDIAPGCOL"), QStringLiteral("E"));
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    EXPECT_EQ(value("IDUTDIAPGCOL"), QStringLiteral("I"));
    EXPECT_EQ(clicks, 2);

    ds.Cancel();
    guard.refuse = true;
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(value("IDUTDIAPGCOL"), QStringLiteral("I"));
    EXPECT_EQ(clicks, 2);
}

TEST_F(ChoiceTest, AComboBoxOffersOnlyItsItemsAndShowsNoneForOtherValues)
{
    EXPECT_EQ(combo->currentText(), QStringLiteral("C"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    EXPECT_EQ(value("IDTIPFREITM"), QStringLiteral("F"));

    ds.FieldByName(QStringLiteral("IDTIPFREITM")).SetAsString(QStringLiteral("Z"));
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(ChoiceTest, AComboBoxChangeRefusedByItsHandlerPutsBackTheItemShown)
{
    int changes = 0;
    combo->OnChange = [&] {
        ++changes;
        throw SilentAbort();
    };
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("C"));
    EXPECT_EQ(value("IDTIPFREITM"), QStringLiteral("C"));

    combo->OnChange = nullptr;
    ds.Cancel();
    guard.refuse = true;
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentText(), QStringLiteral("C"));
    EXPECT_EQ(ds.State(), DataSetState::Browse);
}

TEST(RadioGroup, EverySelectionChangeRunsClickAndChangeOnce)
{
    TRadioGroup group(nullptr, QStringLiteral("rdgProduto"));
    group.SetItems({QStringLiteral("Mesmo"), QStringLiteral("Todos"), QStringLiteral("Lista")});
    QStringList log;
    group.OnClick = [&] { log << QStringLiteral("click%1").arg(group.ItemIndex()); };
    group.OnChange = [&] { log << QStringLiteral("change%1").arg(group.ItemIndex()); };
    group.SetItemIndex(0);
    group.SetItemIndex(0);
    QTest::mouseClick(group.Button(2), Qt::LeftButton);
    group.SetItemIndex(-1);
    EXPECT_EQ(log, QStringList({QStringLiteral("click0"), QStringLiteral("change0"),
                                QStringLiteral("click2"), QStringLiteral("change2"),
                                QStringLiteral("click-1"), QStringLiteral("change-1")}));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(group.Button(i)->isChecked());
}
