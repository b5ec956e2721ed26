#include "TaxMath.h"

#include <cmath>

namespace ngc {

QVariant TaxMath::amount(const QVariant &unitPrice, const QVariant &quantity,
                         const QVariant &discountPercent, const QVariant &ratePercent)
{
    if (unitPrice.isNull() || quantity.isNull() || ratePercent.isNull())
        return {};
    const long double discount = discountPercent.isNull() ? 0.0L : discountPercent.toDouble();
    const long double net = static_cast<long double>(unitPrice.toDouble()) * quantity.toDouble() *
                            (100.0L - discount) / 100.0L;
    const long double tax = net * ratePercent.toDouble() / 100.0L;
    return static_cast<double>(std::llround(tax * 100.0L)) / 100.0;
}

qint64 TaxMath::toCents(double value)
{
    return std::llround(static_cast<long double>(value) * 100.0L);
}

double TaxMath::fromCents(qint64 cents)
{
    return static_cast<double>(cents) / 100.0;
}

} // namespace ngc
