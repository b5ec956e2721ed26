#include "Methods.h"

#include "ItemWriter.h"
#include "Layouts.h"
#include <server/storage/PacketWriter.h>
#include <server/storage/RequestError.h>
#include <server/storage/Sql.h>
#include "TaxMath.h"

#include <data/DataPacket.h>

#include <QDate>

namespace ngc {

namespace {

// A packet of rows a method worked out itself.
QByteArray packetOf(const QList<FieldDef> &layout, QList<QVariantList> rows)
{
    RowList list(static_cast<int>(layout.size()), std::move(rows));
    return PacketWriter::write(layout, list);
}

// A health check for monitors and a baseline for measurements: it touches neither the
// database nor the arguments.
QByteArray ping(Call &)
{
    return Methods::noData();
}

QString text(const Call &call, int index)
{
    return call.args.at(index).toString();
}

QByteArray getParaSupri(Call &call)
{
    auto rows = Sql::rows(
        call.session().db(),
        QStringLiteral("SELECT IDPROSEMMAR, IDREPLICADESCONTO, IDCONSDESTITEMCOL FROM PARASUPRI "
                       "WHERE CDFILIAL = ?"),
        {text(call, 0)});
    if (rows.isEmpty()) {
        // A branch without parameters of its own: brands looked up per product, no replication,
        // taxes as one list.
        rows.append({QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("N")});
    }
    return packetOf(Layouts::paraSupri(), std::move(rows));
}

QByteArray getItemCole(Call &call)
{
    static const QString sql =
        QStringLiteral(
            "SELECT I.CDFILIAL, I.NRCOLEPRECO, I.CDPRODUTO, P.CDARVPROD, I.CDMARCA, I.CDFORNECED, "
            "I.CDREGIAO, I.CDTIPCOB, T.NMTIPOCOBR, I.VRPRECUNIITM, I.VRPRECECOITM, I.VRPERDESITM, "
            "I.QTACMPITMCOL, I.CDFORMPGTO, F.NMFORMPGTO, I.IDTPFOPGTCOL, I.NRPARCPGTCOL, "
            "I.NRDIAPGFXCOL, I.IDUTDIAPGCOL, I.IDTIPFREITM, I.NRPZOENTCOL, I.DTINIVALITM, "
            "I.DTFINVALITM, I.CDSEGMARCCOL, M.NMMARCA, I.VRFRETEFORN "
            "FROM ITEMCOLE I "
            "LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
            "LEFT JOIN TIPOCOBR T ON T.CDTIPCOB = I.CDTIPCOB "
            "LEFT JOIN FORMPGTO F ON F.CDFORMPGTO = I.CDFORMPGTO "
            "LEFT JOIN MARCA M ON M.CDMARCA = I.CDSEGMARCCOL WHERE ") +
        Layouts::itemKeyFilter(u"I");
    return Sql::packetJson(call.session().db(), Layouts::itemCole(), sql, call.itemKeys(0));
}

QByteArray getPzoPgtItmCol(Call &call)
{
    static const QString sql =
        QStringLiteral("SELECT Z.CDFILIAL, Z.NRCOLEPRECO, Z.CDFORNECED, Z.CDPRODUTO, P.CDARVPROD, "
                       "Z.CDMARCA, Z.CDREGIAO, Z.NRDIASPGTCOL, Z.VRPERCPGTCOL "
                       "FROM PZOPGTITMCOL Z LEFT JOIN PRODUTO P ON P.CDPRODUTO = Z.CDPRODUTO "
                       "WHERE ") +
        Layouts::itemKeyFilter(u"Z") + QStringLiteral(" ORDER BY Z.NRDIASPGTCOL");
    return Sql::packetJson(call.session().db(), Layouts::pzoPgtItmCol(), sql, call.itemKeys(0));
}

// Tax amounts are not stored: they follow from the item's price, quantity and discount at the
// moment they are read, so a changed discount (also one replicated from another item) is
// reflected without a second pass over the taxes.
QByteArray getImpColet(Call &call)
{
    const QList<FieldDef> &layout = Layouts::impColet();
    static const QString sql =
        QStringLiteral(
            "SELECT X.CDIMPOSTO, T.NMIMPOSTO, X.VRALIQIMPCOL, CAST(NULL AS DOUBLE PRECISION), "
            "X.IDIMPDIGCOL, X.CDFILIAL, X.NRCOLEPRECO, X.CDFORNECED, X.CDPRODUTO, P.CDARVPROD, "
            "X.CDMARCA, X.CDREGIAO, T.IDTRATIMPO, X.VRADIMPCOL, "
            "I.VRPRECUNIITM, I.QTACMPITMCOL, I.VRPERDESITM "
            "FROM IMPCOLET X "
            "JOIN ITEMCOLE I ON I.CDFILIAL = X.CDFILIAL AND I.NRCOLEPRECO = X.NRCOLEPRECO "
            "AND I.CDPRODUTO = X.CDPRODUTO AND I.CDMARCA = X.CDMARCA "
            "AND I.CDFORNECED = X.CDFORNECED AND I.CDREGIAO = X.CDREGIAO "
            "JOIN IMPOSTO T ON T.CDIMPOSTO = X.CDIMPOSTO "
            "LEFT JOIN PRODUTO P ON P.CDPRODUTO = X.CDPRODUTO WHERE ") +
        Layouts::itemKeyFilter(u"X") + QStringLiteral(" ORDER BY X.CDIMPOSTO");
    auto rows = Sql::rows(call.session().db(), sql, call.itemKeys(0));
    // The statement's last three columns are the item's price, quantity and discount.
    const int amount = Layouts::indexOf(layout, QStringLiteral("VRIMPCOLETA"));
    const int rate = Layouts::indexOf(layout, QStringLiteral("VRALIQIMPCOL"));
    const auto base = layout.size();
    for (QVariantList &row : rows) {
        row[amount] = TaxMath::amount(row[base], row[base + 1], row[base + 2], row[rate]);
        row.resize(base);
    }
    return packetOf(layout, std::move(rows));
}

// The complementary key names, within the buying branch, the collection and brand the item is
// negotiated under and the delivery branches it is distributed to; each branch has its own tax
// rates.
QByteArray getImpFilial(Call &call)
{
    QSqlDatabase &db = call.session().db();
    const QString branch = text(call, 0);
    const QString key = text(call, 1);
    const QByteArray branches = Sql::packetJson(
        db, Layouts::filialImp(),
        QStringLiteral("SELECT F.CDFILIAL, F.NMFILIAL FROM CHAVECOMPLFIL C "
                       "JOIN FILIAL F ON F.CDFILIAL = C.CDFILIAP "
                       "WHERE C.CDFILIAL = ? AND C.CDCHAVECOMPL = ? ORDER BY F.CDFILIAL"),
        {branch, key});
    const auto item = Sql::rows(
        db,
        QStringLiteral("SELECT I.VRPRECUNIITM, I.QTACMPITMCOL, I.VRPERDESITM FROM CHAVECOMPL K "
                       "JOIN ITEMCOLE I ON I.CDFILIAL = K.CDFILIAL "
                       "AND I.NRCOLEPRECO = K.NRCOLEPRECO AND I.CDMARCA = K.CDMARCA "
                       "WHERE K.CDFILIAL = ? AND K.CDCHAVECOMPL = ? AND I.CDREGIAO = ? "
                       "AND I.CDFORNECED = ? AND I.CDPRODUTO = ?"),
        {branch, key, text(call, 2), text(call, 3), text(call, 4)});
    auto taxes =
        Sql::rows(db,
                  QStringLiteral("SELECT T.CDIMPOSTO, T.NMIMPOSTO, T.SGIMPOSTO, R.CDFILIAL, "
                                 "R.VRPERCALIQUOTA FROM CHAVECOMPLFIL C "
                                 "JOIN IMPFILIAL R ON R.CDFILIAL = C.CDFILIAP "
                                 "JOIN IMPOSTO T ON T.CDIMPOSTO = R.CDIMPOSTO "
                                 "WHERE C.CDFILIAL = ? AND C.CDCHAVECOMPL = ? "
                                 "ORDER BY R.CDFILIAL, T.CDIMPOSTO"),
                  {branch, key});
    for (QVariantList &row : taxes) {
        row.append(item.isEmpty() ? QVariant()
                                  : TaxMath::amount(item[0][0], item[0][1], item[0][2], row[4]));
    }
    return PacketWriter::list({branches, packetOf(Layouts::descImp(), std::move(taxes))});
}

QByteArray getVerifColeApr(Call &call)
{
    return Sql::packetJson(
        call.session().db(), Layouts::verifColeApr(),
        QStringLiteral("SELECT CDFILIAL, NRCOLEPRECO, IDSITCOLE FROM COLEPRECO "
                       "WHERE CDFILIAL = ? AND NRCOLEPRECO = ? AND IDSITCOLE = 'A'"),
        {text(call, 0), text(call, 1)});
}

// Summed in whole hundredths, so three instalments of 33.33 give 99.99 and 33.33 + 33.33 + 33.34
// gives exactly 100, which the client compares without tolerance.
QByteArray getSomaPerc(Call &call)
{
    static const QString sql =
        QStringLiteral("SELECT VRPERCPGTCOL FROM PZOPGTITMCOL WHERE ") + Layouts::itemKeyFilter();
    const auto rows = Sql::rows(call.session().db(), sql, call.itemKeys(0));
    qint64 cents = 0;
    for (const QVariantList &row : rows)
        cents += TaxMath::toCents(row[0].toDouble());
    return packetOf(Layouts::somaPerc(), {{TaxMath::fromCents(cents)}});
}

QByteArray getVerifPzoPgtItmCol(Call &call)
{
    const int days = ItemWriter::parseTerm(text(call, 0));
    QVariantList binds = call.itemKeys(1);
    binds.append(days);
    static const QString sql =
        QStringLiteral("SELECT NRDIASPGTCOL, VRPERCPGTCOL FROM PZOPGTITMCOL WHERE ") +
        Layouts::itemKeyFilter() + QStringLiteral(" AND NRDIASPGTCOL = ?");
    return Sql::packetJson(call.session().db(), Layouts::verifPzoPgtItmCol(), sql, binds);
}

QByteArray getTipoCobr(Call &call)
{
    return Sql::packetJson(call.session().db(), Layouts::tipoCobr(),
                           QStringLiteral("SELECT CDTIPCOB, NMTIPOCOBR FROM TIPOCOBR "
                                          "WHERE (CDTIPCOB = ? OR ? = 'T') ORDER BY CDTIPCOB"),
                           {text(call, 0), text(call, 1)});
}

QByteArray getPesqMarca(Call &call)
{
    return Sql::packetJson(call.session().db(), Layouts::pesqMarca(),
                           QStringLiteral("SELECT M.CDMARCA, M.NMMARCA FROM CHAVEMARCA K "
                                          "JOIN MARCA M ON M.CDMARCA = K.CDMARCA "
                                          "WHERE K.CDCHAVEMARCA = ? AND (M.CDMARCA = ? OR ? = 'T') "
                                          "ORDER BY M.CDMARCA"),
                           {text(call, 0), text(call, 1), text(call, 2)});
}

// An approval is valid through the day stored in DTVALAUTORIZ; a brand without any approval
// record for the product at the branch is not restricted.
QByteArray getMarcaAutoriz(Call &call)
{
    const QString today = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral("T00:00:00");
    return Sql::packetJson(
        call.session().db(), Layouts::marcaAutoriz(),
        QStringLiteral("SELECT CDMARCA, IDSITAUTORIZ, DTVALAUTORIZ FROM MARCAAUTORIZ "
                       "WHERE CDFILIAL = ? AND CDPRODUTO = ? AND CDMARCA = ? "
                       "AND (IDSITAUTORIZ = 'R' OR DTVALAUTORIZ < ?)"),
        {text(call, 0), text(call, 1), text(call, 2), today});
}

QByteArray getDescPesq(Call &call)
{
    QSqlDatabase &db = call.session().db();
    const QVariantList keys{text(call, 0), text(call, 1)};
    const QString where = QStringLiteral(" WHERE I.CDFILIAL = ? AND I.NRCOLEPRECO = ? ");
    const QString mark = QStringLiteral("SELECT DISTINCT CAST(NULL AS VARCHAR(1)), I.CDFILIAL, "
                                        "I.NRCOLEPRECO, ");
    const QByteArray products =
        Sql::packetJson(db, Layouts::pesqProd(),
                        mark +
                            QStringLiteral("I.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO FROM ITEMCOLE I "
                                           "JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO") +
                            where + QStringLiteral("ORDER BY I.CDPRODUTO"),
                        keys);
    const QByteArray regions =
        Sql::packetJson(db, Layouts::pesqReg(),
                        mark +
                            QStringLiteral("I.CDREGIAO, R.NMREGIAO FROM ITEMCOLE I "
                                           "JOIN REGIAO R ON R.CDREGIAO = I.CDREGIAO") +
                            where + QStringLiteral("ORDER BY I.CDREGIAO"),
                        keys);
    const QByteArray suppliers = Sql::packetJson(
        db, Layouts::pesqForn(),
        mark +
            QStringLiteral("I.CDFORNECED, F.NMFANTFORN, F.IDTPIJURFORN, F.NRINSJURFORN "
                           "FROM ITEMCOLE I JOIN FORNECED F ON F.CDFORNECED = I.CDFORNECED") +
            where + QStringLiteral("ORDER BY I.CDFORNECED"),
        keys);
    const QByteArray brands =
        Sql::packetJson(db, Layouts::pesqMarcaDesc(),
                        mark +
                            QStringLiteral("I.CDMARCA, M.NMMARCA FROM ITEMCOLE I "
                                           "JOIN MARCA M ON M.CDMARCA = I.CDMARCA") +
                            where + QStringLiteral("ORDER BY I.CDMARCA"),
                        keys);
    return PacketWriter::list({products, regions, suppliers, brands});
}

ArgSpec str(ArgKind kind, const char *name, int maxLength)
{
    return {kind, QString::fromLatin1(name), maxLength};
}

QList<ArgSpec> keyArgs()
{
    return {
        str(ArgKind::StringRef, "stCdFilial", 4),    str(ArgKind::StringRef, "stNrColePreco", 10),
        str(ArgKind::StringRef, "stCdProduto", 10),  str(ArgKind::StringRef, "stCdMarca", 5),
        str(ArgKind::StringRef, "stCdForneced", 21), str(ArgKind::StringRef, "stCdRegiao", 3)};
}

} // namespace

const QString &Methods::infoPlanNegObject()
{
    static const QString name = QStringLiteral("Ngc27451.rdmInfoPlanNeg");
    return name;
}

const QString &Methods::suprimentosObject()
{
    static const QString name = QStringLiteral("Ngc.rdmSuprimentos");
    return name;
}

const QList<MethodSpec> &Methods::all()
{
    static const QList<MethodSpec> methods = [] {
        const QString &own = infoPlanNegObject();
        const ArgSpec filial = str(ArgKind::StringRef, "stCdFilial", 4);
        const ArgSpec colePreco = str(ArgKind::StringRef, "stNrColePreco", 10);
        QList<ArgSpec> verifPzo{str(ArgKind::StringValue, "NRDIASPGTCOL", 10)};
        verifPzo.append(keyArgs());
        QList<MethodSpec> list{
            {suprimentosObject(), QStringLiteral("Ping"), {}, ping},
            {own, QStringLiteral("Ping"), {}, ping},
            {suprimentosObject(), QStringLiteral("GetParaSupri"), {filial}, getParaSupri},
            {own, QStringLiteral("GetItemCole"), keyArgs(), getItemCole},
            {own, QStringLiteral("GetPzoPgtItmCol"), keyArgs(), getPzoPgtItmCol},
            {own, QStringLiteral("GetImpColet"), keyArgs(), getImpColet},
            {own,
             QStringLiteral("GetImpFilial"),
             {filial, str(ArgKind::StringRef, "stChaveComplementar", 10),
              str(ArgKind::StringRef, "stCdRegiao", 3), str(ArgKind::StringRef, "stCdForneced", 21),
              str(ArgKind::StringRef, "stCdProduto", 10)},
             getImpFilial},
            {own, QStringLiteral("GetVerif_ColeApr"), {filial, colePreco}, getVerifColeApr},
            {own, QStringLiteral("GetSomaPerc"), keyArgs(), getSomaPerc},
            {own, QStringLiteral("GetVerif_PzoPgtItmCol"), verifPzo, getVerifPzoPgtItmCol},
            {own,
             QStringLiteral("GetTipoCobr"),
             {str(ArgKind::StringValue, "CDTIPCOB", 2), str(ArgKind::StringValue, "marker", 1)},
             getTipoCobr},
            {own,
             QStringLiteral("GetPesqMarca"),
             {str(ArgKind::StringRef, "stChaveMarca", 10), str(ArgKind::StringValue, "CDMARCA", 5),
              str(ArgKind::StringValue, "marker", 1)},
             getPesqMarca},
            {own,
             QStringLiteral("GetMarcaAutoriz"),
             {filial, str(ArgKind::StringRef, "stCdProduto", 10),
              str(ArgKind::StringValue, "CDSEGMARCCOL", 5)},
             getMarcaAutoriz},
            {own, QStringLiteral("GetDescPesq"), {filial, colePreco}, getDescPesq},
            {own,
             QStringLiteral("SetItemCole"),
             {str(ArgKind::VariantValue, "delta", 0), str(ArgKind::VariantRef, "vaCamposNulos", 0),
              str(ArgKind::Boolean, "boValidade", 0),
              str(ArgKind::StringRef, "stChaveComplementar", 10),
              str(ArgKind::Integer, "rdgProduto", 0), str(ArgKind::Integer, "rdgRegiao", 0),
              str(ArgKind::Integer, "rdgFornecedor", 0), str(ArgKind::Integer, "rdgMarca", 0),
              str(ArgKind::StringRef, "stPesqProduto", 0),
              str(ArgKind::StringRef, "stPesqRegiao", 0), str(ArgKind::StringRef, "stPesqForn", 0),
              str(ArgKind::StringRef, "stPesqMarca", 0)},
             ItemWriter::setItemCole},
            {own, QStringLiteral("DeletaPrazoPg"), keyArgs(), ItemWriter::deletaPrazoPg},
            {own,
             QStringLiteral("SetPzoPgtItmCol"),
             {str(ArgKind::VariantValue, "delta", 0)},
             ItemWriter::setPzoPgtItmCol},
        };
        return list;
    }();
    return methods;
}

QByteArray Methods::noData()
{
    return QByteArrayLiteral("null");
}

bool Methods::hasObject(const QString &object)
{
    return object == infoPlanNegObject() || object == suprimentosObject();
}

const MethodSpec *Methods::find(const QString &object, const QString &method)
{
    for (const MethodSpec &spec : all()) {
        if (spec.object == object && spec.name == method)
            return &spec;
    }
    return nullptr;
}

} // namespace ngc
