#include "Seed.h"

#include "Sql.h"
#include "Transaction.h"

#include <QStringList>

namespace ngc {

namespace {

struct Table {
    const char *insert;
    QList<QVariantList> rows;
};

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

const QStringList kProducts{QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003")};
const QStringList kBrands{QStringLiteral("00001"), QStringLiteral("00002")};
const QStringList kSuppliers{QStringLiteral("1001"), QStringLiteral("1002"),
                             QStringLiteral("1003")};
const QStringList kRegions{QStringLiteral("001"), QStringLiteral("002")};
const QString kBranch = QStringLiteral("0001");
const QString kOpen = QStringLiteral("2026000001");
const QString kClosed = QStringLiteral("2026000002");

QList<Table> masterData()
{
    return {
        {"INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES (?, ?)",
         {{kBranch, s("Matriz São Paulo")},
          {s("0002"), s("Filial Porto Alegre")},
          {s("0003"), s("Filial Curitiba")}}},
        {"INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO) VALUES (?, ?, ?)",
         {{s("1001"), s("0101001"), s("Arroz tipo 1 5 kg")},
          {s("1002"), s("0101002"), s("Feijão carioca 1 kg")},
          {s("1003"), s("0102001"), s("Óleo de soja 900 ml")},
          {s("1004"), s("0102002"), s("Açúcar refinado 1 kg")}}},
        {"INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (?, ?)",
         {{s("00001"), s("Boa Safra")},
          {s("00002"), s("Campo Verde")},
          {s("00003"), s("Sabor do Sul")},
          {s("00004"), s("Grão Nobre")},
          {s("00005"), s("Vale Dourado")},
          {s("00006"), s("Dona Clara")}}},
        {"INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (?, ?)",
         {{s("001"), s("Sul")}, {s("002"), s("Sudeste")}, {s("003"), s("Centro-Oeste")}}},
        {"INSERT INTO FORNECED (CDFORNECED, NMFANTFORN, IDTPIJURFORN, NRINSJURFORN) "
         "VALUES (?, ?, ?, ?)",
         {{s("1001"), s("Distribuidora Alfa"), s("J"), s("12345678000195")},
          {s("1002"), s("José da Silva Cereais"), s("F"), s("12345678909")},
          {s("1003"), s("Atacado Beta"), s("J"), s("98765432000110")}}},
        {"INSERT INTO TIPOCOBR (CDTIPCOB, NMTIPOCOBR) VALUES (?, ?)",
         {{s("01"), s("Boleto bancário")},
          {s("02"), s("Depósito em conta")},
          {s("03"), s("Carteira")}}},
        {"INSERT INTO FORMPGTO (CDFORMPGTO, NMFORMPGTO, IDTIPODTPGTO) VALUES (?, ?, ?)",
         {{s("01"), s("30/60 dias"), s("DDL")},
          {s("02"), s("À vista"), s("AVI")},
          {s("03"), s("28 dias fora a semana"), s("DFS")}}},
        {"INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, SGIMPOSTO, IDTRATIMPO) VALUES (?, ?, ?, ?)",
         {{s("01"), s("Imposto sobre circulação"), s("ICMS"), s("I")},
          {s("02"), s("Imposto sobre produtos ind."), s("IPI"), s("A")},
          {s("03"), s("Programa de integração social"), s("PIS"), s("I")},
          {s("04"), s("Contribuição seguridade"), s("COFINS"), s("I")}}},
        {"INSERT INTO PARASUPRI (CDFILIAL, IDPROSEMMAR, IDREPLICADESCONTO, IDCONSDESTITEMCOL) "
         "VALUES (?, ?, ?, ?)",
         {{kBranch, s("N"), s("S"), s("S")}, {s("0002"), s("S"), s("S"), s("N")}}},
        {"INSERT INTO COLEPRECO (CDFILIAL, NRCOLEPRECO, DSCOLEPRECO, IDSITCOLE) VALUES (?, ?, ?, "
         "?)",
         {{kBranch, kOpen, s("Coleta de dezembro"), s("A")},
          {kBranch, kClosed, s("Coleta de novembro"), s("E")}}},
        {"INSERT INTO IMPFILIAL (CDFILIAL, CDIMPOSTO, VRPERCALIQUOTA) VALUES (?, ?, ?)",
         {{kBranch, s("01"), 18.0},
          {kBranch, s("03"), 1.65},
          {kBranch, s("04"), 7.6},
          {s("0002"), s("01"), 17.0},
          {s("0002"), s("03"), 1.65},
          {s("0002"), s("04"), 7.6},
          {s("0003"), s("01"), 19.5},
          {s("0003"), s("02"), 5.0}}},
        {"INSERT INTO CHAVECOMPL (CDFILIAL, CDCHAVECOMPL, NRCOLEPRECO, CDMARCA) VALUES (?, ?, ?, "
         "?)",
         {{kBranch, s("CC01"), kOpen, s("00001")}}},
        {"INSERT INTO CHAVECOMPLFIL (CDFILIAL, CDCHAVECOMPL, CDFILIAP) VALUES (?, ?, ?)",
         {{kBranch, s("CC01"), kBranch},
          {kBranch, s("CC01"), s("0002")},
          {kBranch, s("CC01"), s("0003")}}},
        {"INSERT INTO CHAVEMARCA (CDCHAVEMARCA, CDMARCA) VALUES (?, ?)",
         {{s("CM01"), s("00002")},
          {s("CM01"), s("00003")},
          {s("CM01"), s("00004")},
          {s("CM01"), s("00005")}}},
        {"INSERT INTO MARCAAUTORIZ (CDFILIAL, CDPRODUTO, CDMARCA, IDSITAUTORIZ, DTVALAUTORIZ) "
         "VALUES (?, ?, ?, ?, ?)",
         {{kBranch, s("1001"), s("00002"), s("A"), s("2099-12-31T00:00:00")},
          {kBranch, s("1001"), s("00004"), s("R"), QVariant()},
          {kBranch, s("1001"), s("00005"), s("A"), s("2025-06-30T00:00:00")}}},
    };
}

const char *const kInsertItem =
    "INSERT INTO ITEMCOLE (CDFILIAL, NRCOLEPRECO, CDPRODUTO, CDMARCA, CDFORNECED, CDREGIAO, "
    "CDTIPCOB, VRPRECUNIITM, VRPRECECOITM, VRPERDESITM, QTACMPITMCOL, CDFORMPGTO, IDTPFOPGTCOL, "
    "NRPARCPGTCOL, NRDIAPGFXCOL, IDUTDIAPGCOL, IDTIPFREITM, NRPZOENTCOL, DTINIVALITM, DTFINVALITM, "
    "CDSEGMARCCOL, VRFRETEFORN) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
    "?, ?, ?)";

// Item rows of a collection: every product, brand, supplier and region combination, with prices
// that differ between them so replicated discounts and taxes are told apart.
QList<QVariantList> items(const QString &collection)
{
    QList<QVariantList> rows;
    for (int p = 0; p < kProducts.size(); ++p) {
        for (int b = 0; b < kBrands.size(); ++b) {
            for (int f = 0; f < kSuppliers.size(); ++f) {
                for (int r = 0; r < kRegions.size(); ++r) {
                    const bool demoItem = p == 0 && b == 0 && f == 0 && r == 0;
                    const double price = 20.0 + 5.5 * p + 1.25 * b + 0.5 * f + 0.2 * r;
                    const bool fixedDay = !demoItem && (p + f) % 2 == 0;
                    rows.append(QVariantList{kBranch,
                                             collection,
                                             kProducts[p],
                                             kBrands[b],
                                             kSuppliers[f],
                                             kRegions[r],
                                             s("01"),
                                             price,
                                             price - 1.0,
                                             demoItem ? QVariant(5.0) : QVariant(),
                                             120.0 + 10.0 * f,
                                             demoItem ? QVariant(s("01")) : QVariant(),
                                             demoItem ? s("V") : (fixedDay ? s("F") : QString()),
                                             fixedDay ? QVariant(3.0) : QVariant(),
                                             fixedDay ? QVariant(10.0) : QVariant(),
                                             fixedDay ? QVariant(s("E")) : QVariant(),
                                             QVariant(),
                                             s("15"),
                                             s("2026-12-01T00:00:00"),
                                             s("2026-12-31T00:00:00"),
                                             demoItem ? QVariant(s("00002")) : QVariant(),
                                             demoItem ? QVariant(150.0) : QVariant()});
                }
            }
        }
    }
    return rows;
}

} // namespace

bool Seed::demo(Database::Session &session)
{
    QSqlDatabase &db = session.db();
    const Database::SetupLock setup(session);
    Transaction transaction(session);
    if (Sql::exists(
            db, QStringLiteral("SELECT 1 FROM COLEPRECO WHERE CDFILIAL = ? AND NRCOLEPRECO = ?"),
            {kBranch, kOpen}))
        return false;
    for (const Table &table : masterData()) {
        for (const QVariantList &row : table.rows)
            Sql::exec(db, QString::fromLatin1(table.insert), row);
    }
    for (const QString &collection : {kOpen, kClosed}) {
        for (const QVariantList &row : items(collection))
            Sql::exec(db, QString::fromLatin1(kInsertItem), row);
    }
    // Every item of both collections carries the same four taxes.
    const QList<QVariantList> taxes{{s("01"), 18.0, s("N"), 0.0},
                                    {s("02"), 5.0, s("N"), 0.0},
                                    {s("03"), 1.65, s("N"), 0.0},
                                    {s("04"), 7.6, s("S"), 0.0}};
    for (const QVariantList &tax : taxes) {
        Sql::exec(db,
                  QStringLiteral(
                      "INSERT INTO IMPCOLET (CDFILIAL, NRCOLEPRECO, CDPRODUTO, CDMARCA, "
                      "CDFORNECED, CDREGIAO, CDIMPOSTO, VRALIQIMPCOL, IDIMPDIGCOL, "
                      "VRADIMPCOL) SELECT CDFILIAL, NRCOLEPRECO, CDPRODUTO, CDMARCA, "
                      "CDFORNECED, CDREGIAO, CAST(? AS VARCHAR(2)), CAST(? AS DOUBLE PRECISION), "
                      "CAST(? AS VARCHAR(1)), CAST(? AS DOUBLE PRECISION) FROM ITEMCOLE"),
                  tax);
    }
    const QVariantList demoKeys{kBranch, kOpen, s("1001"), s("00001"), s("1001"), s("001")};
    for (const QVariantList &term : QList<QVariantList>{{30, 50.0}, {60, 50.0}}) {
        Sql::exec(db,
                  QStringLiteral("INSERT INTO PZOPGTITMCOL (CDFILIAL, NRCOLEPRECO, CDPRODUTO, "
                                 "CDMARCA, CDFORNECED, CDREGIAO, NRDIASPGTCOL, VRPERCPGTCOL) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                  demoKeys + term);
    }
    transaction.commit();
    return true;
}

} // namespace ngc
