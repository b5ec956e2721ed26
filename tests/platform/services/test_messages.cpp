#include <services/HostUi.h>
#include <services/ScriptedHostUi.h>
#include <services/TMessages.h>

#include "printers.h"

#include <gtest/gtest.h>

using namespace ngc;

TEST(TMessages, KeyIsEverythingBeforeTheFirstBar)
{
    const TMessages catalog(QStringList{
        QStringLiteral("Excl|Confirma exclusão?"),
        QStringLiteral("Pipe|a|b||c"),
        QStringLiteral("Soma_Perc|Soma deve totalizar 100%."),
        QStringLiteral("Praz_J_Cad|Prazo(dias)  já cadastrado."),
        QStringLiteral("Empty|"),
        QStringLiteral("NoBar"),
        QStringLiteral("|keyless"),
    });
    struct Case {
        const char *key;
        const char *text;
    };
    const Case cases[] = {
        {"Excl", "Confirma exclusão?"},
        {"Pipe", "a|b||c"},
        {"Soma_Perc", "Soma deve totalizar 100%."},
        {"Praz_J_Cad", "Prazo(dias)  já cadastrado."},
        {"Empty", ""},
        {"NoBar", ""},
        {"", "keyless"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(catalog.Msg(QString::fromUtf8(c.key)), QString::fromUtf8(c.text)) << c.key;
    EXPECT_TRUE(catalog.Contains(QStringLiteral("NoBar")));
}

TEST(TMessages, MissingKeysGiveEmptyTextAndCaseMatters)
{
    const TMessages catalog(
        QStringList{QStringLiteral("prazo_inv|lower"), QStringLiteral("Prazo_Inv|upper")});
    EXPECT_EQ(catalog.Msg(QStringLiteral("prazo_inv")), QStringLiteral("lower"));
    EXPECT_EQ(catalog.Msg(QStringLiteral("Prazo_Inv")), QStringLiteral("upper"));
    EXPECT_EQ(catalog.Msg(QStringLiteral("PRAZO_INV")), QString());
    EXPECT_EQ(catalog.Msg(QStringLiteral("Pesq_Produto")), QString());
    EXPECT_FALSE(catalog.Contains(QStringLiteral("Pesq_Produto")));
    EXPECT_EQ(catalog.Msg(QStringLiteral("prazo_inv ")), QString());
}

TEST(TMessages, KeepsOrderAndTheFirstOfDuplicateKeys)
{
    TMessages catalog;
    catalog.Add(QStringLiteral("B|second letter"));
    catalog.Add(QStringLiteral("A|first letter"));
    catalog.Add(QStringLiteral("B|shadowed"));
    ASSERT_EQ(catalog.Count(), 3);
    EXPECT_EQ(catalog.Key(0), QStringLiteral("B"));
    EXPECT_EQ(catalog.Key(1), QStringLiteral("A"));
    EXPECT_EQ(catalog.Text(2), QStringLiteral("shadowed"));
    EXPECT_EQ(catalog.Msg(QStringLiteral("B")), QStringLiteral("second letter"));
}

TEST(TMessages, ShowMsgAsksTheHostAndReturnsTheButton)
{
    ScriptedHostUi ui;
    setHostUi(&ui);
    const TMessages &general = TMessages::General();
    EXPECT_EQ(general.Msg(QStringLiteral("Excl")), QStringLiteral("Confirma exclusão?"));
    EXPECT_EQ(general.Msg(QStringLiteral("Canc")), QStringLiteral("Confirma cancelamento?"));

    ui.answerButton(MsgButton::No);
    EXPECT_EQ(general.ShowMsg(QStringLiteral("Excl"), MsgKind::Confirmation,
                              {MsgButton::Yes, MsgButton::No}),
              MsgButton::No);
    ui.answerButton(MsgButton::Yes);
    EXPECT_EQ(general.ShowMsg(QStringLiteral("Canc"), MsgKind::Confirmation,
                              {MsgButton::Yes, MsgButton::No}, 12),
              MsgButton::Yes);
    setHostUi(nullptr);

    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(ui.messages().at(0).text, QStringLiteral("Confirma exclusão?"));
    EXPECT_EQ(ui.messages().at(0).kind, MsgKind::Confirmation);
    EXPECT_EQ(ui.messages().at(1).text, QStringLiteral("Confirma cancelamento?"));
    EXPECT_EQ(ui.messages().at(1).buttons, (MsgButtons{MsgButton::Yes, MsgButton::No}));
}
