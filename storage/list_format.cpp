#include "storage/list_format.h"

#include "storage/numbers.h"

namespace kpv::ledger {

namespace {
QString decimalOrEmpty(double v, const QString &pattern)
{
    return v == 0 ? QString() : formatNumber(v, pattern);
}
} // namespace

QString QuantityMode::listStock(double v) const
{
    return decimal ? decimalOrEmpty(v, QStringLiteral("###,###,###.0")) : formatNumber(v, QStringLiteral("###,###,###"));
}

QString QuantityMode::movement(double v) const
{
    return decimal ? decimalOrEmpty(v, QStringLiteral("###,###.0")) : formatNumber(v, QStringLiteral("#,###,###"));
}

QString QuantityMode::cardMoney(double v) const
{
    return decimal ? decimalOrEmpty(v, QStringLiteral("#,###,###.0")) : formatNumber(v, QStringLiteral("###,###,###"));
}

QString QuantityMode::computedStock(double v) const
{
    return decimal ? decimalOrEmpty(v, QStringLiteral("#,###,###.0")) : formatNumber(v, QStringLiteral("##,###,###"));
}

QString QuantityMode::computedValue(double v) const
{
    if (v < 1) return QStringLiteral("0");
    return formatNumber(v, decimal ? QStringLiteral("###,###,###.0") : QStringLiteral("###,###,###"));
}

QString listMoney(double v)
{
    return formatNumber(v, QStringLiteral("###,###,###"));
}

QString rateText(const QString &cleanCell)
{
    if (cleanCell.isEmpty()) return {};
    const double v = leadingNumber(cleanCell);
    return v == 0 ? QString() : formatNumber(v / 10, QStringLiteral("###.0"));
}

StockShade stockShade(const QString &cleanStock, double properStock)
{
    if (cleanStock.isEmpty()) return StockShade::Window;
    const double v = leadingNumber(cleanStock);
    if (v == 0 || v < -1) return StockShade::Pink;
    if (v < properStock) return StockShade::LightBlue;
    return StockShade::Window;
}

QStringList monthHeadings(const QString &startMonth)
{
    int year = int(leadingNumber(startMonth.left(4)));
    int month = int(leadingNumber(startMonth.mid(5, 2)));
    QStringList out;
    for (int i = 0; i < 12; ++i) {
        out << QString::number(year) + (month <= 9 ? QStringLiteral("/0") : QStringLiteral("/")) + QString::number(month)
                   + QStringLiteral("月");
        if (++month == 13) {
            month = 1;
            ++year;
        }
    }
    return out;
}

QString storedRate(double total, double planned)
{
    if (total == 0 || planned == 0) return QString();
    const double rate = floorNumber(1000 * total / planned);
    const QString text = numberText(rate);
    if (text.size() <= 7) return text;
    return rate < 0 ? QStringLiteral("-999999") : QStringLiteral("9999999");
}

} // namespace kpv::ledger
