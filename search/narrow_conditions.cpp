#include "search/narrow_conditions.h"

#include "storage/numbers.h"
#include "storage/text.h"

#include <algorithm>
#include <cmath>

namespace kpv::search {

bool isConditionColumn(int listColumn)
{
    return (listColumn >= 1 && listColumn <= 5) || listColumn == 8;
}

bool Conditions::usable() const
{
    for (int k = 0; k < 3; ++k)
        if (columns[size_t(k)] != 0 && !words[size_t(k)].isEmpty()) return true;
    return false;
}

Conditions orderConditions(ConditionRows &rows)
{
    struct Entry {
        int column;
        QString heading;
        QString word;
    };
    std::array<Entry, 3> entries;
    for (size_t r = 0; r < 3; ++r) {
        ConditionRow &row = rows[r];
        const double value = leadingNumber(row.column);
        // Column cells only ever hold small whole numbers; anything else is
        // no column at all.
        const int column = (std::isfinite(value) && value >= 1 && value <= 99) ? int(value) : 0;
        if (column == 0) {
            row = ConditionRow{};
            entries[r] = Entry{99, {}, {}};
        } else {
            row.column = QString::number(column);
            entries[r] = Entry{column, trimSpaces(row.heading), trimSpaces(row.word)};
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.column < b.column; });

    Conditions c;
    for (size_t k = 0; k < 3; ++k) {
        const Entry &e = entries[k];
        if (e.column == 99) {
            rows[k] = ConditionRow{};
            continue;
        }
        c.columns[k] = e.column;
        c.words[k] = e.word;
        rows[k] = ConditionRow{QString::number(e.column), e.heading, e.word};
    }
    return c;
}

QString notFoundText(const Conditions &conditions, bool again)
{
    const QString space = QStringLiteral("　");
    return conditions.words[0] + space + conditions.words[1] + space + conditions.words[2] + space + QLatin1Char('\r')
           + (again ? QStringLiteral("　のデータ再絞り込みで対象データが見つかりません。")
                    : QStringLiteral("　のデータ絞込みで対象データが見つかりません。"));
}

namespace texts {
QString helpTitle() { return QStringLiteral("登録確認"); }
QString help()
{
    const QChar cr(u'\r');
    return QStringLiteral("　絞り込み　在庫品リストから対象品を抽出") + cr + QStringLiteral("　絞り込み対象項目は1項目から3項目設定可能") + cr
           + QStringLiteral("　例　・品名のみ ・品名 AND 仕様等　・品名 AND 仕様 AND メーカー名 等") + cr
           + QStringLiteral("　順序はどこに設定しても可能") + cr + QStringLiteral("　項目設定は設定枠が表示されるので、設定枠をクリック") + cr
           + QStringLiteral("　検索項目はリストの列をクリックで設定されます") + cr
           + QStringLiteral("　検索項目の名称は手入力でも可能で、語句中文字検索もできます。");
}
QString notAConditionColumn() { return QStringLiteral("  絞り込み枠ではありません。　"); }
QString outsideConditionColumns() { return QStringLiteral("絞り込み位置が枠外です。　　　　"); }
QString listTitle() { return QStringLiteral("在庫品リスト"); }
QString noColumnForWord() { return QStringLiteral("検索列枠が設定されていません。　"); }
QString noConditions(bool again)
{
    return again ? QStringLiteral("再絞込の条件が設定されてません。　") : QStringLiteral("絞込の条件が設定されてません。　");
}
QString notFoundTitle() { return QStringLiteral("在庫品台帳確認"); }
} // namespace texts

} // namespace kpv::search
