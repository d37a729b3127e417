#include "import/cell_check.h"

#include "excel/import_books.h"
#include "storage/codepage.h"
#include "storage/item_number.h"
#include "storage/messages.h"

namespace kpv::import {

bool CellCheck::text(int row, int col, const QString &value, int width)
{
    QByteArray bytes;
    return encode(row, col, value, width, bytes);
}

bool CellCheck::encode(int row, int col, const QString &value, int width, QByteArray &out)
{
    cp932::Refusal refusal;
    if (!cp932::encode(value, out, &refusal)) {
        add(row, col, QStringLiteral("保存できない文字「%1」があります").arg(refusal.character));
        return false;
    }
    const int bytes = int(out.size());
    if (bytes > width) {
        add(row, col, QStringLiteral("長すぎます（%1バイト、%2バイトまで）").arg(bytes).arg(width));
        return false;
    }
    return true;
}

bool CellCheck::itemNumber(int row, int col, const QString &value, int width)
{
    if (!text(row, col, value, width)) return false;
    if (const auto problem = itemNumberProblem(value)) {
        add(row, col, *problem);
        return false;
    }
    return true;
}

bool CellCheck::quotedValue(int row, int col, const QString &value, int width)
{
    if (!text(row, col, value, width)) return false;
    for (const QChar c : value) {
        if (c == u'"' || c == u'\r' || c == u'\n') {
            add(row, col, QStringLiteral("使えない文字「%1」があります").arg(c == u'"' ? QStringLiteral("\"") : QStringLiteral("改行")));
            return false;
        }
    }
    return true;
}

QString CellCheck::messageText() const
{
    QString text = QStringLiteral("Excelの次のセルは取り込めません。");
    const int n = int(m_problems.size());
    for (int i = 0; i < n && i < kListed; ++i) {
        const CellProblem &p = m_problems[size_t(i)];
        text += QLatin1Char('\r') + QStringLiteral("　%1%2：").arg(columnLetters(p.col)).arg(p.row) + p.reason;
    }
    if (n > kListed) text += QLatin1Char('\r') + QStringLiteral("　ほか %1 件").arg(n - kListed);
    text += QLatin1Char('\r') + QStringLiteral("何も取り込んでいません。Excelを直してからインポートしてください。");
    return text;
}

void CellCheck::tell(Messages &messages) const
{
    messages.tell(QStringLiteral("インポート確認"), messageText());
}

} // namespace kpv::import
