#include "Layouts.h"

namespace ngc {

namespace {
FieldDef str(const char *name, int size)
{
    return {QString::fromLatin1(name), FieldType::String, size};
}
FieldDef flt(const char *name)
{
    return {QString::fromLatin1(name), FieldType::Float, 0};
}
FieldDef dt(const char *name)
{
    return {QString::fromLatin1(name), FieldType::DateTime, 0};
}
} // namespace

const QList<FieldDef> &Layouts::itemCole()
{
    static const QList<FieldDef> fields{
        str("CDFILIAL", 4),     str("NRCOLEPRECO", 10), str("CDPRODUTO", 10),
        str("CDARVPROD", 20),   str("CDMARCA", 5),      str("CDFORNECED", 21),
        str("CDREGIAO", 3),     str("CDTIPCOB", 2),     str("NMTIPOCOBR", 20),
        flt("VRPRECUNIITM"),    flt("VRPRECECOITM"),    flt("VRPERDESITM"),
        flt("QTACMPITMCOL"),    str("CDFORMPGTO", 2),   str("NMFORMPGTO", 30),
        str("IDTPFOPGTCOL", 1), flt("NRPARCPGTCOL"),    flt("NRDIAPGFXCOL"),
        str("IDUTDIAPGCOL", 1), str("IDTIPFREITM", 1),  str("NRPZOENTCOL", 3),
        dt("DTINIVALITM"),      dt("DTFINVALITM"),      str("CDSEGMARCCOL", 5),
        str("NMMARCA", 20),     flt("VRFRETEFORN")};
    return fields;
}

const QList<FieldDef> &Layouts::pzoPgtItmCol()
{
    static const QList<FieldDef> fields{
        str("CDFILIAL", 4),   str("NRCOLEPRECO", 10), str("CDFORNECED", 21),
        str("CDPRODUTO", 10), str("CDARVPROD", 20),   str("CDMARCA", 5),
        str("CDREGIAO", 3),   flt("NRDIASPGTCOL"),    flt("VRPERCPGTCOL")};
    return fields;
}

const QList<FieldDef> &Layouts::impColet()
{
    static const QList<FieldDef> fields{
        str("CDIMPOSTO", 2),   str("NMIMPOSTO", 30), flt("VRALIQIMPCOL"),    flt("VRIMPCOLETA"),
        str("IDIMPDIGCOL", 1), str("CDFILIAL", 4),   str("NRCOLEPRECO", 10), str("CDFORNECED", 21),
        str("CDPRODUTO", 10),  str("CDARVPROD", 20), str("CDMARCA", 5),      str("CDREGIAO", 3),
        str("IDTRATIMPO", 1),  flt("VRADIMPCOL")};
    return fields;
}

const QList<FieldDef> &Layouts::filialImp()
{
    static const QList<FieldDef> fields{str("CDFILIAL", 4), str("NMFILIAL", 30)};
    return fields;
}

const QList<FieldDef> &Layouts::descImp()
{
    static const QList<FieldDef> fields{str("CDIMPOSTO", 2),   str("NMIMPOSTO", 30),
                                        str("SGIMPOSTO", 10),  str("CDFILIAP", 4),
                                        flt("VRPERCALIQUOTA"), flt("VRIMPOSTO")};
    return fields;
}

const QList<FieldDef> &Layouts::paraSupri()
{
    static const QList<FieldDef> fields{str("IDPROSEMMAR", 1), str("IDREPLICADESCONTO", 1),
                                        str("IDCONSDESTITEMCOL", 1)};
    return fields;
}

const QList<FieldDef> &Layouts::tipoCobr()
{
    static const QList<FieldDef> fields{str("CDTIPCOB", 2), str("NMTIPOCOBR", 20)};
    return fields;
}

const QList<FieldDef> &Layouts::pesqMarca()
{
    static const QList<FieldDef> fields{str("CDMARCA", 5), str("NMMARCA", 20)};
    return fields;
}

const QList<FieldDef> &Layouts::somaPerc()
{
    static const QList<FieldDef> fields{flt("SOMAPERC")};
    return fields;
}

const QList<FieldDef> &Layouts::pesqProd()
{
    static const QList<FieldDef> fields{str("IDMARCADO", 1),    str("CDFILIAL", 4),
                                        str("NRCOLEPRECO", 10), str("CDPRODUTO", 10),
                                        str("CDARVPROD", 20),   str("NMPRODUTO", 50)};
    return fields;
}

const QList<FieldDef> &Layouts::pesqReg()
{
    static const QList<FieldDef> fields{str("IDMARCADO", 1), str("CDFILIAL", 4),
                                        str("NRCOLEPRECO", 10), str("CDREGIAO", 3),
                                        str("NMREGIAO", 30)};
    return fields;
}

const QList<FieldDef> &Layouts::pesqForn()
{
    static const QList<FieldDef> fields{str("IDMARCADO", 1),    str("CDFILIAL", 4),
                                        str("NRCOLEPRECO", 10), str("CDFORNECED", 21),
                                        str("NMFANTFORN", 40),  str("IDTPIJURFORN", 1),
                                        str("NRINSJURFORN", 20)};
    return fields;
}

const QList<FieldDef> &Layouts::pesqMarcaDesc()
{
    static const QList<FieldDef> fields{str("IDMARCADO", 1), str("CDFILIAL", 4),
                                        str("NRCOLEPRECO", 10), str("CDMARCA", 5),
                                        str("NMMARCA", 20)};
    return fields;
}

const QList<FieldDef> &Layouts::verifColeApr()
{
    static const QList<FieldDef> fields{str("CDFILIAL", 4), str("NRCOLEPRECO", 10),
                                        str("IDSITCOLE", 1)};
    return fields;
}

const QList<FieldDef> &Layouts::verifPzoPgtItmCol()
{
    static const QList<FieldDef> fields{flt("NRDIASPGTCOL"), flt("VRPERCPGTCOL")};
    return fields;
}

const QList<FieldDef> &Layouts::marcaAutoriz()
{
    static const QList<FieldDef> fields{str("CDMARCA", 5), str("IDSITAUTORIZ", 1),
                                        dt("DTVALAUTORIZ")};
    return fields;
}

const QStringList &Layouts::itemKeys()
{
    static const QStringList keys{QStringLiteral("CDFILIAL"),   QStringLiteral("NRCOLEPRECO"),
                                  QStringLiteral("CDPRODUTO"),  QStringLiteral("CDMARCA"),
                                  QStringLiteral("CDFORNECED"), QStringLiteral("CDREGIAO")};
    return keys;
}

QString Layouts::itemKeyFilter(QStringView alias)
{
    QStringList terms;
    for (const QString &key : itemKeys())
        terms.append(alias.isEmpty() ? key : alias.toString() + QLatin1Char('.') + key);
    return terms.join(QStringLiteral(" = ? AND ")) + QStringLiteral(" = ?");
}

int Layouts::indexOf(const QList<FieldDef> &layout, const QString &name)
{
    for (int i = 0; i < layout.size(); ++i) {
        if (layout[i].name == name)
            return i;
    }
    return -1;
}

} // namespace ngc
