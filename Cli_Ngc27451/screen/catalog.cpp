#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <services/TMessages.h>

namespace Cli_Ngc27451 {

// Every text the screen shows in a message box, a progress window or an empty lookup list, in
// the catalog's order. Callers fetch by key at the moment the text is shown.
void TfrmInfoPlanNeg::fillCatalog()
{
    static const char16_t *const lines[] = {
        u"Excl|Confirma exclusão?",
        u"Verif_dados|Verificando dados no servidor...",
        u"Cob_N_Cad|Tipo de cobrança não cadastrada.",
        u"FormPgto_N_Inf|Forma de pagamento deve ser informada.",
        u"FormPgto_N_Cad|Forma de pagamento não cadastrada.",
        u"Praz_N_Inf|Prazo(dias) deve ser informado.",
        u"Perc_N_Inf|Percentual deve ser informado.",
        u"PrzPgto_N_Inf|Prazo(s) de pagamento deve(m) ser informado(s).",
        u"Soma_Perc|Soma do(s) percentual(is) do(s) prazo(s) de pagamento deve totalizar 100%.",
        u"Praz_Acim_Lim|Prazo(dias) deve estar entre 0 e 999.",
        u"Praz_J_Cad|Prazo(dias)  já cadastrado.",
        u"Marc_N_Cad|Marca não cadastrada.",
        u"Marc_N_Cad_Prod|Marca não cadastrada para o produto.",
        u"Marc_Difer|Marca e 2ª marca devem ser diferentes.",
        u"Marc_Repr|Marca reprovada ou com validade vencida.",
        u"Erro_InfPlanilha|Ocorreu um erro durante a confirmação das informações na planilha.",
        u"Perc_Desc_Exced|Desconto deve estar entre 0 e 100%.",
        u"Perc_Inv|Percentual deve estar entre 0 e 100%.",
        u"Valor_Perc_Desc_Exced|Valor do desconto deve ser menor ou igual ao preço unitário.",
        u"MarNoFound|Não há marca cadastrada.",
        u"MarProdNoFound|Não há marca cadastrada para o produto.",
        u"Display_Com|Comercial",
        u"Display_Bon|Bonificação",
        u"prazo_inv|Prazo de entrega deve estar entre 0 e 99.",
        u"DtIni_N_Inf|Data de validade inicial deve ser informada.",
        u"DtFin_N_Inf|Data de validade final deve ser informada.",
        u"DtIniFin_Inv|Data de validade inicial deve ser menor ou igual a data de validade final.",
        u"Atual_dados|Atualizando dados no servidor...",
        u"Forn_N_Info|Fornecedor deve ser informado.",
        u"Marca_N_Info|Marca deve ser informada.",
        u"Prod_N_Info|Produto deve ser informado.",
        u"Reg_N_Info|Região deve ser informada.",
    };
    for (const char16_t *line : lines)
        msgPadrao->Add(QString::fromUtf16(line));
}

} // namespace Cli_Ngc27451
