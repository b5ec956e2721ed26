#include "Cli_Ngc27451/screen/TfrmInfoPlanNeg.h"

#include <widgets/TADOIBQuery.h>

#include <QHash>
#include <QStringList>

namespace Cli_Ngc27451 {

namespace {

using ngc::FieldType;
using ngc::TClientDataSet;
using ngc::TField;

TField &addString(TClientDataSet &dataSet, const QString &name, int size)
{
    return dataSet.AddField({name, FieldType::String, size});
}

TField &addFloat(TClientDataSet &dataSet, const QString &name)
{
    return dataSet.AddField({name, FieldType::Float, 0});
}

TField &addDateTime(TClientDataSet &dataSet, const QString &name)
{
    return dataSet.AddField({name, FieldType::DateTime, 0});
}

TField &hidden(TField &field)
{
    field.Visible = false;
    return field;
}

TField &labelled(TField &field, const QString &label)
{
    field.DisplayLabel = label;
    return field;
}

// Display and edit format are always the same picture on this screen.
TField &formatted(TField &field, const QString &picture)
{
    field.DisplayFormat = picture;
    field.EditFormat = picture;
    return field;
}

TField &masked(TField &field, const QString &mask)
{
    field.EditMask = mask;
    return field;
}

// Keys of the collection item repeated by the instalment and selection lists.
void addHiddenKeys(TClientDataSet &dataSet, const QStringList &names)
{
    static const QHash<QString, int> sizes{
        {QStringLiteral("CDFILIAL"), 4},    {QStringLiteral("NRCOLEPRECO"), 10},
        {QStringLiteral("CDFORNECED"), 21}, {QStringLiteral("CDPRODUTO"), 10},
        {QStringLiteral("CDARVPROD"), 20},  {QStringLiteral("CDMARCA"), 5},
        {QStringLiteral("CDREGIAO"), 3}};
    for (const QString &name : names)
        hidden(addString(dataSet, name, sizes.value(name)));
}

const QString codigo = QStringLiteral("Código");
const QString nome = QStringLiteral("Nome");
const QString descricao = QStringLiteral("Descrição");
const QString valorImposto = QStringLiteral("Valor Imposto");

void defineItemCole(TClientDataSet &ds)
{
    addString(ds, QStringLiteral("CDFILIAL"), 4);
    addString(ds, QStringLiteral("NRCOLEPRECO"), 10);
    addString(ds, QStringLiteral("CDPRODUTO"), 10);
    addString(ds, QStringLiteral("CDARVPROD"), 20);
    addString(ds, QStringLiteral("CDMARCA"), 5);
    addString(ds, QStringLiteral("CDFORNECED"), 21);
    addString(ds, QStringLiteral("CDREGIAO"), 3);
    masked(addString(ds, QStringLiteral("CDTIPCOB"), 2), QStringLiteral("99;0; "));
    addString(ds, QStringLiteral("NMTIPOCOBR"), 20);
    formatted(
        labelled(addFloat(ds, QStringLiteral("VRPRECUNIITM")), QStringLiteral("Preço Unitário")),
        QStringLiteral("##0.00000"));
    formatted(
        labelled(addFloat(ds, QStringLiteral("VRPRECECOITM")), QStringLiteral("Preço Econômico")),
        QStringLiteral("##0.00000"));
    formatted(addFloat(ds, QStringLiteral("VRPERDESITM")), QStringLiteral("#0.00"));
    formatted(labelled(addFloat(ds, QStringLiteral("QTACMPITMCOL")), QStringLiteral("Quantidade")),
              QStringLiteral("##0.00"));
    masked(addString(ds, QStringLiteral("CDFORMPGTO"), 2), QStringLiteral("99;0; "));
    addString(ds, QStringLiteral("NMFORMPGTO"), 30);
    addString(ds, QStringLiteral("IDTPFOPGTCOL"), 1);
    addFloat(ds, QStringLiteral("NRPARCPGTCOL"));
    addFloat(ds, QStringLiteral("NRDIAPGFXCOL"));
    addString(ds, QStringLiteral("IDUTDIAPGCOL"), 1);
    addString(ds, QStringLiteral("IDTIPFREITM"), 1);
    addString(ds, QStringLiteral("NRPZOENTCOL"), 3);
    addDateTime(ds, QStringLiteral("DTINIVALITM"));
    addDateTime(ds, QStringLiteral("DTFINVALITM"));
    masked(labelled(addString(ds, QStringLiteral("CDSEGMARCCOL"), 5), QStringLiteral("2ª marca")),
           QStringLiteral("99999;0; "));
    addString(ds, QStringLiteral("NMMARCA"), 20);
    addFloat(ds, QStringLiteral("VRFRETEFORN")).DisplayFormat = QStringLiteral("#,##0.00");
}

void definePzoPgtItmCol(TClientDataSet &ds)
{
    addHiddenKeys(ds, {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"),
                       QStringLiteral("CDFORNECED"), QStringLiteral("CDPRODUTO"),
                       QStringLiteral("CDARVPROD"), QStringLiteral("CDMARCA"),
                       QStringLiteral("CDREGIAO")});
    labelled(addFloat(ds, QStringLiteral("NRDIASPGTCOL")), QStringLiteral("Prazo(Dias)"));
    formatted(labelled(addFloat(ds, QStringLiteral("VRPERCPGTCOL")), QStringLiteral("Percentual")),
              QStringLiteral("##0.00%"));
}

void defineImpColet(TClientDataSet &ds)
{
    hidden(addString(ds, QStringLiteral("CDIMPOSTO"), 2));
    labelled(addString(ds, QStringLiteral("NMIMPOSTO"), 30), descricao);
    formatted(
        labelled(addFloat(ds, QStringLiteral("VRALIQIMPCOL")), QStringLiteral("Valor Alíquota")),
        QStringLiteral("##0.00"));
    formatted(labelled(addFloat(ds, QStringLiteral("VRIMPCOLETA")), valorImposto),
              QStringLiteral("##0.00"));
    hidden(addString(ds, QStringLiteral("IDIMPDIGCOL"), 1));
    addHiddenKeys(ds, {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO"),
                       QStringLiteral("CDFORNECED")});
    addString(ds, QStringLiteral("CDPRODUTO"), 10);
    addString(ds, QStringLiteral("CDARVPROD"), 20);
    addHiddenKeys(ds, {QStringLiteral("CDMARCA"), QStringLiteral("CDREGIAO")});
    hidden(addString(ds, QStringLiteral("IDTRATIMPO"), 1));
    hidden(addFloat(ds, QStringLiteral("VRADIMPCOL")));
}

void defineFilialImp(TClientDataSet &ds)
{
    labelled(addString(ds, QStringLiteral("CDFILIAL"), 4), QStringLiteral("Filial"));
    labelled(addString(ds, QStringLiteral("NMFILIAL"), 30), nome);
}

void defineDescImp(TClientDataSet &ds)
{
    hidden(addString(ds, QStringLiteral("CDIMPOSTO"), 2));
    labelled(addString(ds, QStringLiteral("NMIMPOSTO"), 30), descricao);
    hidden(addString(ds, QStringLiteral("SGIMPOSTO"), 10));
    hidden(addString(ds, QStringLiteral("CDFILIAP"), 4));
    formatted(
        labelled(addFloat(ds, QStringLiteral("VRPERCALIQUOTA")), QStringLiteral("Valor Aliquota")),
        QStringLiteral("#,##0.00"));
    formatted(labelled(addFloat(ds, QStringLiteral("VRIMPOSTO")), valorImposto),
              QStringLiteral("#,##0.00"));
}

void defineParaSupri(TClientDataSet &ds)
{
    addString(ds, QStringLiteral("IDPROSEMMAR"), 1);
    addString(ds, QStringLiteral("IDREPLICADESCONTO"), 1);
    addString(ds, QStringLiteral("IDCONSDESTITEMCOL"), 1);
}

void defineCodeName(TClientDataSet &ds, const QString &code, int codeSize, const QString &name,
                    int nameSize)
{
    labelled(addString(ds, code, codeSize), codigo);
    labelled(addString(ds, name, nameSize), nome);
}

void defineSelectionHead(TClientDataSet &ds)
{
    addString(ds, QStringLiteral("IDMARCADO"), 1);
    addHiddenKeys(ds, {QStringLiteral("CDFILIAL"), QStringLiteral("NRCOLEPRECO")});
}

void definePesqProd(TClientDataSet &ds)
{
    defineSelectionHead(ds);
    addHiddenKeys(ds, {QStringLiteral("CDPRODUTO")});
    defineCodeName(ds, QStringLiteral("CDARVPROD"), 20, QStringLiteral("NMPRODUTO"), 50);
}

void definePesqForn(TClientDataSet &ds)
{
    defineSelectionHead(ds);
    addHiddenKeys(ds, {QStringLiteral("CDFORNECED")});
    labelled(addString(ds, QStringLiteral("NMFANTFORN"), 40), nome);
    hidden(addString(ds, QStringLiteral("IDTPIJURFORN"), 1));
    labelled(addString(ds, QStringLiteral("NRINSJURFORN"), 20), QStringLiteral("Inscrição"));
}

void defineQueries(ngc::TADOIBQuery &marca, ngc::TADOIBQuery &formPgto)
{
    marca.SetSQL({
        QStringLiteral("SELECT"),
        QStringLiteral("   MARCA.CDMARCA,"),
        QStringLiteral("   MARCA.NMMARCA"),
        QStringLiteral("FROM"),
        QStringLiteral("   MARCA"),
        QStringLiteral("WHERE"),
        QStringLiteral("   (MARCA.CDMARCA = :P_CDMARCA OR :P_TCDMARCA = 'T')"),
    });
    defineCodeName(marca.DataSet(), QStringLiteral("CDMARCA"), 5, QStringLiteral("NMMARCA"), 20);

    formPgto.SetSQL({
        QStringLiteral("SELECT"),
        QStringLiteral("   CDFORMPGTO,"),
        QStringLiteral("   NMFORMPGTO,"),
        QStringLiteral("   IDTIPODTPGTO"),
        QStringLiteral("FROM"),
        QStringLiteral("   FORMPGTO"),
        QStringLiteral("WHERE"),
        QStringLiteral("  (CDFORMPGTO = :P_CDFORMPGTO OR :P_TFORMPGTO = 'T')"),
    });
    TClientDataSet &rows = formPgto.DataSet();
    defineCodeName(rows, QStringLiteral("CDFORMPGTO"), 2, QStringLiteral("NMFORMPGTO"), 30);
    hidden(labelled(addString(rows, QStringLiteral("IDTIPODTPGTO"), 4),
                    QStringLiteral("Tipo da Forma de Pagamento")));
}

} // namespace

void TfrmInfoPlanNeg::createDataSets()
{
    defineItemCole(cdsItemCole);
    definePzoPgtItmCol(cdsPzoPgtItmCol);
    defineImpColet(cdsImpColet);
    defineFilialImp(cdsFilialImp);
    defineDescImp(cdsDescImp);
    defineParaSupri(cdsParaSupri);
    defineCodeName(cdsTipoCobr, QStringLiteral("CDTIPCOB"), 2, QStringLiteral("NMTIPOCOBR"), 20);
    defineCodeName(cdsPesqMarca, QStringLiteral("CDMARCA"), 5, QStringLiteral("NMMARCA"), 20);
    addFloat(cdsSomaPerc, QStringLiteral("SOMAPERC"));
    definePesqProd(cdsPesqProd);
    defineSelectionHead(cdsPesqMarcaDesc);
    defineCodeName(cdsPesqMarcaDesc, QStringLiteral("CDMARCA"), 5, QStringLiteral("NMMARCA"), 20);
    defineSelectionHead(cdsPesqReg);
    defineCodeName(cdsPesqReg, QStringLiteral("CDREGIAO"), 3, QStringLiteral("NMREGIAO"), 30);
    definePesqForn(cdsPesqForn);
    defineQueries(qryMarca, qryPesqFormPgto);

    dtsPadrao->SetDataSet(&cdsItemCole);

    dtsPzoPgtItmCol.SetDataSet(&cdsPzoPgtItmCol);
    dtsImpColet.SetDataSet(&cdsImpColet);
    dtsTipoCobr.SetDataSet(&cdsTipoCobr);
    dtsPesqMarca.SetDataSet(&cdsPesqMarca);
    dtsPesqFormPgto.SetDataSet(&qryPesqFormPgto.DataSet());
    dtsPesqProd.SetDataSet(&cdsPesqProd);
    dtsPesqMarcaDesc.SetDataSet(&cdsPesqMarcaDesc);
    dtsPesqReg.SetDataSet(&cdsPesqReg);
    dtsPesqForn.SetDataSet(&cdsPesqForn);
    dtsFilialImp.SetDataSet(&cdsFilialImp);
    dtsDescImp.SetDataSet(&cdsDescImp);
}

} // namespace Cli_Ngc27451
