#include "ledger/start_of_use.h"

namespace kpv::ledger {

QStringList startOfUseEntries(int currentYear)
{
    QStringList out;
    out.reserve(144);
    for (int year = currentYear - 10; year <= currentYear + 1; ++year)
        for (int month = 1; month <= 12; ++month)
            out << QString::number(year) + QLatin1Char('/') + QString::number(month).rightJustified(2, u'0');
    return out;
}

} // namespace kpv::ledger
