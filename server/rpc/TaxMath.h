#pragma once

#include <QVariant>

namespace ngc {

// Money and percentage arithmetic of the server, in one place so every method rounds alike.
class TaxMath final {
public:
    TaxMath() = delete;

    // Tax amount of an item line: unit price x quantity, less the discount percentage (null: no
    // discount), times the rate in percent, rounded to cents. Null when price, quantity or rate
    // is unknown.
    static QVariant amount(const QVariant &unitPrice, const QVariant &quantity,
                           const QVariant &discountPercent, const QVariant &ratePercent);

    // A percentage or amount in whole hundredths, rounded half away from zero.
    static qint64 toCents(double value);
    static double fromCents(qint64 cents);
};

} // namespace ngc
