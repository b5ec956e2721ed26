#pragma once

#include <server/storage/Database.h>
#include "Methods.h"

#include <QJsonValue>
#include <QStringList>
#include <QVariant>

#include <array>

namespace ngc {

// One dimension of a discount replication: 0 the item's own value, 1 every value, 2 the listed
// keys.
struct ReplicationDimension {
    enum Choice { Same = 0, All = 1, List = 2 };
    int choice = Same;
    QString value;    // the item's own key, for Same
    QStringList keys; // for List
};

// The write methods. Each runs in one transaction, checks before it changes anything and leaves
// the database untouched when it refuses.
class ItemWriter final {
public:
    ItemWriter() = delete;

    static QByteArray setItemCole(Call &call);
    static QByteArray setPzoPgtItmCol(Call &call);
    static QByteArray deletaPrazoPg(Call &call);

    // The columns of ITEMCOLE a replication dimension filters, in the order the client sends the
    // dimensions: product, region, supplier, brand.
    static const std::array<const char *, 4> &dimensionColumns();

    // Sets the discount of every item of the collection that the four dimensions select, in one
    // statement; returns the number of items updated. Runs inside the caller's transaction.
    static int replicateDiscount(Database::Session &session, const QString &branch,
                                 const QString &collection, const QVariant &discount,
                                 const std::array<ReplicationDimension, 4> &dimensions);

    // A selection as the list routine leaves it: "" (nothing picked) or a JSON array of key
    // strings, each at most maxLength characters. InvalidParams otherwise.
    static QStringList parseSelection(const QString &text, int maxLength, const QString &argName);

    // An instalment term given as text: a whole number of days from 0 to 999.
    static int parseTerm(const QString &text);
};

} // namespace ngc
