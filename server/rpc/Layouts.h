#pragma once

#include <data/DataPacket.h>

#include <QList>
#include <QStringList>

namespace ngc {

// The field lists of the packets the server returns and accepts. The client loads them into
// datasets with persistent fields and refuses any other name, type or size, so these are the one
// place where they are written down.
class Layouts final {
public:
    Layouts() = delete;

    static const QList<FieldDef> &itemCole();
    static const QList<FieldDef> &pzoPgtItmCol();
    static const QList<FieldDef> &impColet();
    static const QList<FieldDef> &filialImp();
    static const QList<FieldDef> &descImp();
    static const QList<FieldDef> &paraSupri();
    static const QList<FieldDef> &tipoCobr();
    static const QList<FieldDef> &pesqMarca();
    static const QList<FieldDef> &somaPerc();
    static const QList<FieldDef> &pesqProd();
    static const QList<FieldDef> &pesqReg();
    static const QList<FieldDef> &pesqForn();
    static const QList<FieldDef> &pesqMarcaDesc();
    static const QList<FieldDef> &verifColeApr();
    static const QList<FieldDef> &verifPzoPgtItmCol();
    static const QList<FieldDef> &marcaAutoriz();

    // The item's key fields in the order every method takes them: branch, collection, product,
    // brand, supplier, region.
    static const QStringList &itemKeys();
    // "CDFILIAL = ? AND ... AND CDREGIAO = ?": an item picked by its keys, bound in that order;
    // with an alias, each key is qualified by it ("I.CDFILIAL = ? AND ...").
    static QString itemKeyFilter(QStringView alias = {});

    // Index of a field by name, -1 when absent.
    static int indexOf(const QList<FieldDef> &layout, const QString &name);
};

} // namespace ngc
