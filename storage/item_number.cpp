#include "storage/item_number.h"

namespace kpv {

std::optional<QString> itemNumberProblem(const QString &number)
{
    if (number.isEmpty()) return std::nullopt;
    for (const QChar c : number) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("在庫品番号に制御文字（改行など）があります。ファイル名にできません。　");
        if (QStringLiteral("\\/:*?\"<>|").contains(c))
            return QStringLiteral("在庫品番号の文字「%1」はファイル名に使えません。　").arg(c);
    }
    if (number.contains(QStringLiteral("..")) || number == QStringLiteral("."))
        return QStringLiteral("在庫品番号「%1」はファイル名にできません。　").arg(number);
    if (number.endsWith(QLatin1Char('.')) || number.endsWith(QLatin1Char(' ')))
        return QStringLiteral("在庫品番号「%1」はファイル名にできません（末尾の「.」や空白）。　").arg(number);
    return std::nullopt;
}

} // namespace kpv
