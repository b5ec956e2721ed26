#include "support/ScreenFixture.h"

#include <services/TMessages.h>

#include <QByteArray>

using screentest::ScreenFixture;

namespace {

struct Entry {
    const char *key;
    const char *utf8; // the text as the bytes the user must see
};

// The catalog as the bytes a user sees, accents spelled out, so an editor's re-encoding of the
// source or a dropped blank shows up here.
const Entry expected[] = {
    {"Excl", "Confirma exclus\xc3\xa3o?"},
    {"Verif_dados", "Verificando dados no servidor..."},
    {"Cob_N_Cad", "Tipo de cobran\xc3\xa7"
                  "a n\xc3\xa3o cadastrada."},
    {"FormPgto_N_Inf", "Forma de pagamento deve ser informada."},
    {"FormPgto_N_Cad", "Forma de pagamento n\xc3\xa3o cadastrada."},
    {"Praz_N_Inf", "Prazo(dias) deve ser informado."},
    {"Perc_N_Inf", "Percentual deve ser informado."},
    {"PrzPgto_N_Inf", "Prazo(s) de pagamento deve(m) ser informado(s)."},
    {"Soma_Perc", "Soma do(s) percentual(is) do(s) prazo(s) de pagamento deve totalizar 100%."},
    {"Praz_Acim_Lim", "Prazo(dias) deve estar entre 0 e 999."},
    {"Praz_J_Cad", "Prazo(dias)  j\xc3\xa1 cadastrado."},
    {"Marc_N_Cad", "Marca n\xc3\xa3o cadastrada."},
    {"Marc_N_Cad_Prod", "Marca n\xc3\xa3o cadastrada para o produto."},
    {"Marc_Difer", "Marca e 2\xc2\xaa marca devem ser diferentes."},
    {"Marc_Repr", "Marca reprovada ou com validade vencida."},
    {"Erro_InfPlanilha",
     "Ocorreu um erro durante a confirma\xc3\xa7\xc3\xa3o das informa\xc3\xa7\xc3\xb5"
     "es na "
     "planilha."},
    {"Perc_Desc_Exced", "Desconto deve estar entre 0 e 100%."},
    {"Perc_Inv", "Percentual deve estar entre 0 e 100%."},
    {"Valor_Perc_Desc_Exced",
     "Valor do desconto deve ser menor ou igual ao pre\xc3\xa7o unit\xc3\xa1rio."},
    {"MarNoFound", "N\xc3\xa3o h\xc3\xa1 marca cadastrada."},
    {"MarProdNoFound", "N\xc3\xa3o h\xc3\xa1 marca cadastrada para o produto."},
    {"Display_Com", "Comercial"},
    {"Display_Bon", "Bonifica\xc3\xa7\xc3\xa3o"},
    {"prazo_inv", "Prazo de entrega deve estar entre 0 e 99."},
    {"DtIni_N_Inf", "Data de validade inicial deve ser informada."},
    {"DtFin_N_Inf", "Data de validade final deve ser informada."},
    {"DtIniFin_Inv", "Data de validade inicial deve ser menor ou igual a data de validade final."},
    {"Atual_dados", "Atualizando dados no servidor..."},
    {"Forn_N_Info", "Fornecedor deve ser informado."},
    {"Marca_N_Info", "Marca deve ser informada."},
    {"Prod_N_Info", "Produto deve ser informado."},
    {"Reg_N_Info", "Regi\xc3\xa3o deve ser informada."},
};

using CatalogTest = ScreenFixture;

TEST_F(CatalogTest, HoldsEveryEntryInOrderWithExactBytes)
{
    const ngc::TMessages &catalog = *screen->msgPadrao;
    ASSERT_EQ(catalog.Count(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < catalog.Count(); ++i) {
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(catalog.Key(i), QLatin1String(expected[i].key));
        EXPECT_EQ(catalog.Text(i).toUtf8(), QByteArray(expected[i].utf8));
        EXPECT_EQ(catalog.Msg(QLatin1String(expected[i].key)).toUtf8(),
                  QByteArray(expected[i].utf8));
    }
}

// The selection dialogs of the discount replication ask for titles the catalog does not hold;
// the keys are case-sensitive, so the lower-case entry is not found under another spelling.
TEST_F(CatalogTest, KnowsOnlyItsOwnKeys)
{
    const ngc::TMessages &catalog = *screen->msgPadrao;
    for (const char *key :
         {"Pesq_Produto", "Pesq_Marca", "Pesq_Regiao", "Pesq_Forn", "Canc", "Prazo_inv", "excl"}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(catalog.Contains(QLatin1String(key)));
        EXPECT_TRUE(catalog.Msg(QLatin1String(key)).isEmpty());
    }
}

} // namespace
