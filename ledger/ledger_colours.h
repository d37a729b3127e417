#pragma once
// The colours of the ledger screen's grids and indicators.

#include "storage/list_format.h"

#include <QColor>

namespace kpv::ledger::colours {

inline QColor header() { return QColor(173, 216, 230); }
inline QColor pink() { return QColor(255, 192, 203); }
inline QColor lightBlue() { return QColor(204, 204, 255); }
inline QColor window() { return QColor(255, 255, 255); }
inline QColor totals() { return QColor(255, 240, 245); }
inline QColor indicator() { return QColor(255, 192, 192); }
inline QColor backupDone() { return QColor(255, 128, 128); }

inline QColor of(StockShade s)
{
    switch (s) {
    case StockShade::Pink: return pink();
    case StockShade::LightBlue: return lightBlue();
    case StockShade::Window: break;
    }
    return window();
}

} // namespace kpv::ledger::colours
