#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <Cli_Ngc27451/entry/Cli_Ngc27451.h>

#include <services/HostServices.h>
#include <services/Routines.h>
#include <services/TMessages.h>
#include <net/CheckResultServ.h>
#include <net/TNetConnection.h>
#include <widgets/TButtonFlat.h>
#include <widgets/TRadioGroup.h>

#include <QCheckBox>
#include <QGroupBox>

namespace Cli_Ngc27451 {

namespace {

// "Lista": the discount goes to the picked values of the dimension.
constexpr int lista = 2;

enum : int { produto, marca, regiao, fornecedor };

} // namespace

// One dimension of the replication: its choice group, search button, list, the list's key field
// (what a pick holds, not always the code shown), the pick, the list's title key and the message
// key of a "Lista" without a pick.
struct TfrmInfoPlanNeg::Dimensao {
    ngc::TRadioGroup *TfrmInfoPlanNeg::*grupo;
    ngc::TButtonFlat *TfrmInfoPlanNeg::*botao;
    ngc::TDataSource TfrmInfoPlanNeg::*lista;
    const char *chave;
    QString *selecao;
    const char *titulo;
    const char *mensagem;
};

const TfrmInfoPlanNeg::Dimensao &TfrmInfoPlanNeg::DimensaoReplicacao(int dimensao)
{
    // In the screen's order: product, brand, region, supplier.
    static const Dimensao dimensoes[] = {
        {&TfrmInfoPlanNeg::rdgProduto, &TfrmInfoPlanNeg::sbtPesqProduto,
         &TfrmInfoPlanNeg::dtsPesqProd, "CDPRODUTO", &stPesqProduto, "Pesq_Produto", "Prod_N_Info"},
        {&TfrmInfoPlanNeg::rdgMarca, &TfrmInfoPlanNeg::sbtPesqMarca,
         &TfrmInfoPlanNeg::dtsPesqMarcaDesc, "CDMARCA", &stPesqMarca, "Pesq_Marca", "Marca_N_Info"},
        {&TfrmInfoPlanNeg::rdgRegiao, &TfrmInfoPlanNeg::sbtPesqRegiao, &TfrmInfoPlanNeg::dtsPesqReg,
         "CDREGIAO", &stPesqRegiao, "Pesq_Regiao", "Reg_N_Info"},
        {&TfrmInfoPlanNeg::rdgFornecedor, &TfrmInfoPlanNeg::sbtPesqFornecedor,
         &TfrmInfoPlanNeg::dtsPesqForn, "CDFORNECED", &stPesqForn, "Pesq_Forn", "Forn_N_Info"},
    };
    return dimensoes[dimensao];
}

// The lists are read anew at every switch to on; a failed read leaves the box checked, the group
// open and the lists as they were.
void TfrmInfoPlanNeg::chkDescontoClick()
{
    if (chkDesconto->isChecked()) {
        ngc::SetChildEnabled(grbDesconto, true);
        for (int dimensao : {produto, regiao, fornecedor, marca})
            (this->*DimensaoReplicacao(dimensao).botao)->setEnabled(false);
        ngc::ProgressGuard progress(this, 6);
        const ngc::RemoteData listas =
            ngc::CheckResultServ(netInfoPlanNeg->Call(QStringLiteral("GetDescPesq"),
                                                      {ngc::RemoteArg::stringRef(&stCdFilial),
                                                       ngc::RemoteArg::stringRef(&stNrColePreco)}),
                                 true, 0);
        const ngc::DataPacket produtos = ngc::packetAt(listas, 0);
        const ngc::DataPacket regioes = ngc::packetAt(listas, 1);
        const ngc::DataPacket fornecedores = ngc::packetAt(listas, 2);
        const ngc::DataPacket marcas = ngc::packetAt(listas, 3);
        cdsPesqProd.SetData(produtos);
        cdsPesqReg.SetData(regioes);
        cdsPesqForn.SetData(fornecedores);
        cdsPesqMarcaDesc.SetData(marcas);
        return;
    }
    ngc::SetChildEnabled(grbDesconto, false);
    for (int dimensao : {produto, regiao, fornecedor, marca})
        (this->*DimensaoReplicacao(dimensao).grupo)->SetItemIndex(0);
}

// A pick made earlier survives a return to "Lista" only if the group never left it.
void TfrmInfoPlanNeg::EscolhaReplicacao(int dimensao)
{
    const Dimensao &d = DimensaoReplicacao(dimensao);
    const bool naLista = (this->*d.grupo)->ItemIndex() == lista;
    (this->*d.botao)->setEnabled(naLista);
    if (!naLista)
        d.selecao->clear();
}

void TfrmInfoPlanNeg::PesquisaReplicacao(int dimensao)
{
    const Dimensao &d = DimensaoReplicacao(dimensao);
    ngc::PesquisaLista(this->*d.lista, QLatin1String(d.chave),
                       msgPadrao->Msg(QLatin1String(d.titulo)), false, *d.selecao);
}

void TfrmInfoPlanNeg::VerificaReplicacao(int dimensao)
{
    if (!chkDesconto->isChecked())
        return;
    const Dimensao &d = DimensaoReplicacao(dimensao);
    VerificaDados(this->*d.grupo, [this, &d] {
        if ((this->*d.grupo)->ItemIndex() == lista && ngc::EmptyString(*d.selecao))
            ngc::MensErro(msgPadrao->Msg(QLatin1String(d.mensagem)), true);
    });
}

void TfrmInfoPlanNeg::rdgProdutoClick()
{
    EscolhaReplicacao(produto);
}

void TfrmInfoPlanNeg::rdgMarcaClick()
{
    EscolhaReplicacao(marca);
}

void TfrmInfoPlanNeg::rdgRegiaoClick()
{
    EscolhaReplicacao(regiao);
}

void TfrmInfoPlanNeg::rdgFornecedorClick()
{
    EscolhaReplicacao(fornecedor);
}

void TfrmInfoPlanNeg::sbtPesqProdutoClick()
{
    PesquisaReplicacao(produto);
}

void TfrmInfoPlanNeg::sbtPesqMarcaClick()
{
    PesquisaReplicacao(marca);
}

void TfrmInfoPlanNeg::sbtPesqRegiaoClick()
{
    PesquisaReplicacao(regiao);
}

void TfrmInfoPlanNeg::sbtPesqFornecedorClick()
{
    PesquisaReplicacao(fornecedor);
}

void TfrmInfoPlanNeg::Vd_PesqProd()
{
    VerificaReplicacao(produto);
}

void TfrmInfoPlanNeg::Vd_PesqMarca()
{
    VerificaReplicacao(marca);
}

void TfrmInfoPlanNeg::Vd_PesqRegiao()
{
    VerificaReplicacao(regiao);
}

void TfrmInfoPlanNeg::Vd_PesqForn()
{
    VerificaReplicacao(fornecedor);
}

// The registration number is stored bare; it is shown laid into the mask of its person type.
void TfrmInfoPlanNeg::cdsPesqFornNRINSJURFORNGetText(ngc::TField &sender, QString &text, bool)
{
    const QString personType =
        sender.DataSet().FieldByName(QStringLiteral("IDTPIJURFORN")).AsString();
    text = ngc::FormatMaskText(ngc::PictPess(personType), sender.AsString());
}

} // namespace Cli_Ngc27451
