#include "ItemWriter.h"

#include "Layouts.h"
#include <server/storage/RequestError.h>
#include <server/storage/Sql.h>
#include <server/storage/Transaction.h>

#include <data/DataPacket.h>

#include <json/JsonTokenizer.h>
#include <json/JsonWriter.h>

#include <QJsonArray>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace ngc {

namespace {

const QString kLostUpdate =
    QStringLiteral("O item foi alterado por outro usuário. Verifique os dados e tente novamente.");
const QString kItemMissing = QStringLiteral(
    "O item não foi encontrado na coleta. Ele pode ter sido excluído por outro usuário.");
const QString kTermLostUpdate = QStringLiteral(
    "O prazo de pagamento foi alterado por outro usuário. Verifique os dados e tente novamente.");

const QString kItemWhere = QStringLiteral(" WHERE ") + Layouts::itemKeyFilter();

// Columns the item packet carries for display only; they live in other tables.
const QSet<QString> kJoinedItemFields{QStringLiteral("CDARVPROD"), QStringLiteral("NMTIPOCOBR"),
                                      QStringLiteral("NMFORMPGTO"), QStringLiteral("NMMARCA")};

struct Reference {
    QString column;
    QString sql;
    QString message;
};

// Codes an item refers to, checked before writing so that a wrong code gets a message the user
// understands rather than a constraint error.
const QList<Reference> &itemReferences()
{
    static const QList<Reference> refs{
        {QStringLiteral("CDPRODUTO"), QStringLiteral("SELECT 1 FROM PRODUTO WHERE CDPRODUTO = ?"),
         QStringLiteral("Produto não cadastrado.")},
        {QStringLiteral("CDMARCA"), QStringLiteral("SELECT 1 FROM MARCA WHERE CDMARCA = ?"),
         QStringLiteral("Marca não cadastrada.")},
        {QStringLiteral("CDFORNECED"),
         QStringLiteral("SELECT 1 FROM FORNECED WHERE CDFORNECED = ?"),
         QStringLiteral("Fornecedor não cadastrado.")},
        {QStringLiteral("CDREGIAO"), QStringLiteral("SELECT 1 FROM REGIAO WHERE CDREGIAO = ?"),
         QStringLiteral("Região não cadastrada.")},
        {QStringLiteral("CDTIPCOB"), QStringLiteral("SELECT 1 FROM TIPOCOBR WHERE CDTIPCOB = ?"),
         QStringLiteral("Tipo de cobrança não cadastrada.")},
        {QStringLiteral("CDFORMPGTO"),
         QStringLiteral("SELECT 1 FROM FORMPGTO WHERE CDFORMPGTO = ?"),
         QStringLiteral("Forma de pagamento não cadastrada.")},
        {QStringLiteral("CDSEGMARCCOL"), QStringLiteral("SELECT 1 FROM MARCA WHERE CDMARCA = ?"),
         QStringLiteral("Marca não cadastrada.")},
    };
    return refs;
}

QVariant storedValue(const QList<FieldDef> &layout, const Row &row, const QString &name)
{
    const int index = Layouts::indexOf(layout, name);
    return Sql::toStored(row.value(index), layout[index].type);
}

FieldType typeOf(const QList<FieldDef> &layout, const QString &name)
{
    return layout[Layouts::indexOf(layout, name)].type;
}

QVariantList keyValues(const QList<FieldDef> &layout, const Row &row)
{
    QVariantList keys;
    for (const QString &key : Layouts::itemKeys())
        keys.append(storedValue(layout, row, key));
    return keys;
}

DeltaPacket decodeDeltaArgument(const QJsonValue &value, const QList<FieldDef> &layout)
{
    if (value.isNull())
        return {};
    DeltaPacket delta;
    try {
        delta = decodeDelta(value);
    } catch (const PacketError &error) {
        throw InvalidParams(QStringLiteral("argument 1 (delta): ") +
                            QString::fromStdString(error.what()));
    }
    if (delta.fields != layout) {
        throw InvalidParams(QStringLiteral(
            "argument 1 (delta): the fields do not match the layout the server sends"));
    }
    for (const DeltaChange &change : delta.changes) {
        const Row &row = change.op == DeltaChange::Op::Delete ? change.oldRow : change.newRow;
        for (const QString &key : Layouts::itemKeys()) {
            if (storedValue(layout, row, key).isNull())
                throw InvalidParams(
                    QStringLiteral("argument 1 (delta): key field %1 is empty").arg(key));
        }
        if (change.op == DeltaChange::Op::Update &&
            keyValues(layout, change.oldRow) != keyValues(layout, change.newRow)) {
            throw InvalidParams(
                QStringLiteral("argument 1 (delta): an update cannot change the item's keys"));
        }
    }
    return delta;
}

void ensureCollectionOpen(QSqlDatabase &db, const QVariant &branch, const QVariant &collection)
{
    const auto rows = Sql::rows(
        db,
        QStringLiteral("SELECT IDSITCOLE FROM COLEPRECO WHERE CDFILIAL = ? AND NRCOLEPRECO = ?"),
        {branch, collection});
    if (rows.isEmpty()) {
        throw BusinessFailure(QStringLiteral("Coleta de preços %1 não cadastrada para a filial %2.")
                                  .arg(collection.toString(), branch.toString()));
    }
    if (rows.first().first().toString() != QLatin1String("A")) {
        throw BusinessFailure(
            QStringLiteral("A coleta de preços %1 está encerrada e não aceita alterações.")
                .arg(collection.toString()));
    }
}

void checkReferences(QSqlDatabase &db, const QStringList &columns, const QList<FieldDef> &layout,
                     const Row &row)
{
    for (const Reference &ref : itemReferences()) {
        if (!columns.contains(ref.column))
            continue;
        const QVariant value = storedValue(layout, row, ref.column);
        if (!value.isNull() && !Sql::exists(db, ref.sql, {value}))
            throw BusinessFailure(ref.message);
    }
}

QStringList storedItemColumns()
{
    QStringList columns;
    for (const FieldDef &field : Layouts::itemCole()) {
        if (!kJoinedItemFields.contains(field.name))
            columns.append(field.name);
    }
    return columns;
}

QStringList parseNullFields(const QJsonValue &value)
{
    QStringList names;
    if (value.isNull())
        return names;
    const QList<FieldDef> &layout = Layouts::itemCole();
    for (const QJsonValue &entry : value.toArray()) {
        const QString name = entry.toString();
        if (Layouts::indexOf(layout, name) < 0)
            throw InvalidParams(
                QStringLiteral("argument 2 (vaCamposNulos): unknown field \"%1\"").arg(name));
        if (Layouts::itemKeys().contains(name))
            throw InvalidParams(
                QStringLiteral("argument 2 (vaCamposNulos): key field %1 cannot be null")
                    .arg(name));
        if (!kJoinedItemFields.contains(name) && !names.contains(name))
            names.append(name);
    }
    return names;
}

// Applies one item change; returns the item's keys.
QVariantList applyItemChange(Database::Session &session, const DeltaChange &change)
{
    QSqlDatabase &db = session.db();
    const QList<FieldDef> &layout = Layouts::itemCole();
    const QStringList columns = storedItemColumns();
    const QVariantList keys = keyValues(layout, change.newRow);
    ensureCollectionOpen(db, keys[0], keys[1]);

    if (change.op == DeltaChange::Op::Insert) {
        if (Sql::exists(db, QStringLiteral("SELECT 1 FROM ITEMCOLE") + kItemWhere, keys))
            throw BusinessFailure(QStringLiteral("O item já está cadastrado na coleta."));
        checkReferences(db, columns, layout, change.newRow);
        QVariantList values;
        for (const QString &column : columns)
            values.append(storedValue(layout, change.newRow, column));
        QString marks = QStringLiteral("?");
        for (int i = 1; i < columns.size(); ++i)
            marks += QStringLiteral(", ?");
        Sql::exec(db,
                  QStringLiteral("INSERT INTO ITEMCOLE (%1) VALUES (%2)")
                      .arg(columns.join(QStringLiteral(", ")), marks),
                  values);
        return keys;
    }

    const QString lock = session.isPostgres() ? QStringLiteral(" FOR UPDATE") : QString();
    const auto current = Sql::rows(
        db,
        QStringLiteral("SELECT %1 FROM ITEMCOLE").arg(columns.join(QStringLiteral(", "))) +
            kItemWhere + lock,
        keys);
    if (current.isEmpty())
        throw BusinessFailure(kItemMissing);
    QStringList changed;
    QVariantList values;
    for (int i = 0; i < columns.size(); ++i) {
        const QString &column = columns[i];
        const FieldType type = typeOf(layout, column);
        const QVariant oldValue = storedValue(layout, change.oldRow, column);
        const QVariant newValue = storedValue(layout, change.newRow, column);
        if (Sql::sameStored(oldValue, newValue, type))
            continue;
        // Someone else saved this field since the client read it: writing over it would lose
        // their change.
        if (!Sql::sameStored(current.first()[i], oldValue, type))
            throw BusinessFailure(kLostUpdate);
        changed.append(column);
        values.append(newValue);
    }
    checkReferences(db, changed, layout, change.newRow);
    if (!changed.isEmpty()) {
        QStringList sets;
        for (const QString &column : changed)
            sets.append(column + QStringLiteral(" = ?"));
        values.append(keys);
        Sql::exec(db,
                  QStringLiteral("UPDATE ITEMCOLE SET ") + sets.join(QStringLiteral(", ")) +
                      kItemWhere,
                  values);
    }
    return keys;
}

void applyNullFields(Database::Session &session, const QStringList &names, const QVariantList &keys,
                     const DeltaChange &lastChange)
{
    if (names.isEmpty())
        return;
    QSqlDatabase &db = session.db();
    const QList<FieldDef> &layout = Layouts::itemCole();
    if (lastChange.op == DeltaChange::Op::Update) {
        // A field the client saw as empty and did not touch may have been filled by another
        // user meanwhile; clearing it now would lose that change.
        const auto current = Sql::rows(
            db,
            QStringLiteral("SELECT %1 FROM ITEMCOLE").arg(names.join(QStringLiteral(", "))) +
                kItemWhere,
            keys);
        for (int i = 0; i < names.size(); ++i) {
            const FieldType type = typeOf(layout, names[i]);
            const QVariant oldValue = storedValue(layout, lastChange.oldRow, names[i]);
            const QVariant newValue = storedValue(layout, lastChange.newRow, names[i]);
            if (Sql::sameStored(oldValue, newValue, type) &&
                !Sql::sameStored(current.first()[i], oldValue, type))
                throw BusinessFailure(kLostUpdate);
        }
    }
    QStringList sets;
    for (const QString &name : names)
        sets.append(name + QStringLiteral(" = NULL"));
    Sql::exec(db,
              QStringLiteral("UPDATE ITEMCOLE SET ") + sets.join(QStringLiteral(", ")) + kItemWhere,
              keys);
}

// Rules on the item as it stands after the change, before anything is committed.
QVariant checkSavedItem(QSqlDatabase &db, const QVariantList &keys, bool validityRequired)
{
    const auto rows = Sql::rows(db,
                                QStringLiteral("SELECT VRPERDESITM, CDSEGMARCCOL, CDMARCA, "
                                               "DTINIVALITM, DTFINVALITM FROM ITEMCOLE") +
                                    kItemWhere,
                                keys);
    const QVariantList &item = rows.first();
    const QVariant discount = item[0];
    if (!discount.isNull() && (discount.toDouble() < 0.0 || discount.toDouble() > 100.0))
        throw BusinessFailure(QStringLiteral("Desconto deve estar entre 0 e 100%."));
    if (!item[1].isNull() && item[1].toString() == item[2].toString())
        throw BusinessFailure(QStringLiteral("Marca e 2ª marca devem ser diferentes."));
    if (validityRequired) {
        if (item[3].isNull() || item[4].isNull())
            throw BusinessFailure(QStringLiteral("Início e fim da validade devem ser informados."));
        if (item[4].toString() < item[3].toString())
            throw BusinessFailure(
                QStringLiteral("O fim da validade não pode ser anterior ao início."));
    }
    return discount.isNull() ? QVariant() : QVariant(discount.toDouble());
}

const std::array<int, 4> kDimensionSizes{10, 3, 21, 5};
const std::array<const char *, 4> kSelectionArgs{"stPesqProduto", "stPesqRegiao", "stPesqForn",
                                                 "stPesqMarca"};

int termOf(const QVariant &value)
{
    if (value.isNull())
        throw BusinessFailure(QStringLiteral("Prazo(dias) deve ser informado."));
    const double days = value.toDouble();
    if (days < 0.0 || days > 999.0 || std::floor(days) != days)
        throw BusinessFailure(QStringLiteral("Prazo(dias) deve estar entre 0 e 999."));
    return static_cast<int>(days);
}

double percentOf(const QVariant &value)
{
    if (value.isNull())
        throw BusinessFailure(QStringLiteral("Percentual deve ser informado."));
    const double percent = value.toDouble();
    if (!(percent >= 0.0 && percent <= 100.0))
        throw BusinessFailure(QStringLiteral("Percentual deve estar entre 0 e 100%."));
    return percent;
}

void applyTermChange(QSqlDatabase &db, const DeltaChange &change)
{
    const QList<FieldDef> &layout = Layouts::pzoPgtItmCol();
    const Row &reference = change.op == DeltaChange::Op::Delete ? change.oldRow : change.newRow;
    const QVariantList keys = keyValues(layout, reference);
    ensureCollectionOpen(db, keys[0], keys[1]);
    const QString termWhere = kItemWhere + QStringLiteral(" AND NRDIASPGTCOL = ?");
    const QString duplicate = QStringLiteral("Prazo(dias) já cadastrado para o item.");

    if (change.op == DeltaChange::Op::Insert) {
        const int term = termOf(storedValue(layout, change.newRow, QStringLiteral("NRDIASPGTCOL")));
        const double percent =
            percentOf(storedValue(layout, change.newRow, QStringLiteral("VRPERCPGTCOL")));
        if (!Sql::exists(db, QStringLiteral("SELECT 1 FROM ITEMCOLE") + kItemWhere, keys))
            throw BusinessFailure(kItemMissing);
        if (Sql::exists(db, QStringLiteral("SELECT 1 FROM PZOPGTITMCOL") + termWhere,
                        keys + QVariantList{term}))
            throw BusinessFailure(duplicate);
        Sql::exec(db,
                  QStringLiteral("INSERT INTO PZOPGTITMCOL (CDFILIAL, NRCOLEPRECO, CDPRODUTO, "
                                 "CDMARCA, CDFORNECED, CDREGIAO, NRDIASPGTCOL, VRPERCPGTCOL) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                  keys + QVariantList{term, percent});
        return;
    }

    const QVariant oldTermValue =
        storedValue(layout, change.oldRow, QStringLiteral("NRDIASPGTCOL"));
    if (oldTermValue.isNull())
        throw InvalidParams(QStringLiteral("argument 1 (delta): the old row has no term"));
    const int oldTerm = static_cast<int>(oldTermValue.toDouble());
    const QVariant oldPercent = storedValue(layout, change.oldRow, QStringLiteral("VRPERCPGTCOL"));
    const auto current =
        Sql::rows(db, QStringLiteral("SELECT VRPERCPGTCOL FROM PZOPGTITMCOL") + termWhere,
                  keys + QVariantList{oldTerm});
    if (current.isEmpty() ||
        !Sql::sameStored(current.first().first(), oldPercent, FieldType::Float))
        throw BusinessFailure(kTermLostUpdate);

    if (change.op == DeltaChange::Op::Delete) {
        Sql::exec(db, QStringLiteral("DELETE FROM PZOPGTITMCOL") + termWhere,
                  keys + QVariantList{oldTerm});
        return;
    }
    const int term = termOf(storedValue(layout, change.newRow, QStringLiteral("NRDIASPGTCOL")));
    const double percent =
        percentOf(storedValue(layout, change.newRow, QStringLiteral("VRPERCPGTCOL")));
    if (term != oldTerm && Sql::exists(db, QStringLiteral("SELECT 1 FROM PZOPGTITMCOL") + termWhere,
                                       keys + QVariantList{term}))
        throw BusinessFailure(duplicate);
    Sql::exec(db,
              QStringLiteral("UPDATE PZOPGTITMCOL SET NRDIASPGTCOL = ?, VRPERCPGTCOL = ?") +
                  termWhere,
              QVariantList{term, percent} + keys + QVariantList{oldTerm});
}

} // namespace

const std::array<const char *, 4> &ItemWriter::dimensionColumns()
{
    static const std::array<const char *, 4> columns{"CDPRODUTO", "CDREGIAO", "CDFORNECED",
                                                     "CDMARCA"};
    return columns;
}

QStringList ItemWriter::parseSelection(const QString &text, int maxLength, const QString &argName)
{
    if (text.trimmed().isEmpty())
        return {};
    const QString malformed =
        QStringLiteral("%1: a selection must be a JSON array of key strings").arg(argName);
    QJsonValue document;
    try {
        document = parseJson(text.toUtf8());
    } catch (const JsonError &) {
        throw InvalidParams(malformed);
    }
    if (!document.isArray())
        throw InvalidParams(malformed);
    QStringList keys;
    for (const QJsonValue &entry : document.toArray()) {
        if (!entry.isString())
            throw InvalidParams(malformed);
        const QString key = entry.toString();
        if (key.size() > maxLength)
            throw InvalidParams(QStringLiteral("%1: key \"%2\" is longer than %3 characters")
                                    .arg(argName, key)
                                    .arg(maxLength));
        keys.append(key);
    }
    return keys;
}

int ItemWriter::parseTerm(const QString &text)
{
    bool ok = false;
    const double days = text.trimmed().toDouble(&ok);
    if (!ok || days < 0.0 || days > 999.0 || std::floor(days) != days)
        throw InvalidParams(
            QStringLiteral("argument 1 (NRDIASPGTCOL): \"%1\" is not a term of 0 to 999 days")
                .arg(text));
    return static_cast<int>(days);
}

int ItemWriter::replicateDiscount(Database::Session &session, const QString &branch,
                                  const QString &collection, const QVariant &discount,
                                  const std::array<ReplicationDimension, 4> &dimensions)
{
    QString sql = QStringLiteral(
        "UPDATE ITEMCOLE SET VRPERDESITM = ? WHERE CDFILIAL = ? AND NRCOLEPRECO = ?");
    QVariantList binds{discount, branch, collection};
    const QString listFilter = session.isPostgres()
                                   ? QStringLiteral(" IN (SELECT json_array_elements_text(CAST(? "
                                                    "AS json)))")
                                   : QStringLiteral(" IN (SELECT value FROM json_each(?))");
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        const QString column = QString::fromLatin1(dimensionColumns()[i]);
        const ReplicationDimension &dimension = dimensions[i];
        if (dimension.choice == ReplicationDimension::Same) {
            sql += QStringLiteral(" AND ") + column + QStringLiteral(" = ?");
            binds.append(dimension.value);
        } else if (dimension.choice == ReplicationDimension::List) {
            sql += QStringLiteral(" AND ") + column + listFilter;
            JsonWriter keys;
            keys.strings(dimension.keys);
            binds.append(QString::fromUtf8(keys.take()));
        }
    }
    return Sql::exec(session.db(), sql, binds);
}

QByteArray ItemWriter::setItemCole(Call &call)
{
    const DeltaPacket delta = decodeDeltaArgument(call.args.at(0), Layouts::itemCole());
    for (const DeltaChange &change : delta.changes) {
        if (change.op == DeltaChange::Op::Delete)
            throw InvalidParams(QStringLiteral("argument 1 (delta): items are not deleted here"));
    }
    const QStringList nullFields = parseNullFields(call.args.at(1));
    const bool validityRequired = call.args.at(2).toBool();
    std::array<ReplicationDimension, 4> dimensions;
    for (int i = 0; i < 4; ++i) {
        const int choice = static_cast<int>(call.args.at(4 + i).toDouble());
        if (choice < ReplicationDimension::Same || choice > ReplicationDimension::List)
            throw InvalidParams(
                QStringLiteral("argument %1: a replication choice is 0, 1 or 2").arg(5 + i));
        dimensions[i].choice = choice;
        dimensions[i].keys = parseSelection(call.args.at(8 + i).toString(), kDimensionSizes[i],
                                            QStringLiteral("argument %1 (%2)")
                                                .arg(9 + i)
                                                .arg(QString::fromLatin1(kSelectionArgs[i])));
    }
    if (delta.isEmpty())
        return Methods::noData();

    Transaction::run(call.session(), [&] {
        QVariantList keys;
        for (const DeltaChange &change : delta.changes)
            keys = applyItemChange(call.session(), change);
        applyNullFields(call.session(), nullFields, keys, delta.changes.last());
        const QVariant discount = checkSavedItem(call.session().db(), keys, validityRequired);

        // Keys order: branch, collection, product, brand, supplier, region.
        dimensions[0].value = keys[2].toString();
        dimensions[1].value = keys[5].toString();
        dimensions[2].value = keys[4].toString();
        dimensions[3].value = keys[3].toString();
        const bool replicate = std::any_of(dimensions.begin(), dimensions.end(), [](const auto &d) {
            return d.choice != ReplicationDimension::Same;
        });
        if (replicate)
            replicateDiscount(call.session(), keys[0].toString(), keys[1].toString(), discount,
                              dimensions);
    });
    return Methods::noData();
}

QByteArray ItemWriter::setPzoPgtItmCol(Call &call)
{
    const QList<FieldDef> &layout = Layouts::pzoPgtItmCol();
    const DeltaPacket delta = decodeDeltaArgument(call.args.at(0), layout);
    if (delta.isEmpty())
        return Methods::noData();
    Transaction::run(call.session(), [&] {
        for (const DeltaChange &change : delta.changes)
            applyTermChange(call.session().db(), change);
    });
    return Methods::noData();
}

QByteArray ItemWriter::deletaPrazoPg(Call &call)
{
    const QVariantList keys = call.itemKeys(0);
    Transaction::run(call.session(), [&] {
        ensureCollectionOpen(call.session().db(), keys[0], keys[1]);
        Sql::exec(call.session().db(), QStringLiteral("DELETE FROM PZOPGTITMCOL") + kItemWhere,
                  keys);
    });
    return Methods::noData();
}

} // namespace ngc
