#include "excel/shipped_books.h"

#include "excel/import_books.h"

#include <QStringList>

namespace kpv::excel {

namespace {

constexpr int kHeadingColor = 16777164; // light cyan (red CC, green FF, blue FF)
constexpr int kInputColor = 10092543;   // light yellow (red FF, green FF, blue 99)

// Chains operations and stops at the first failure.
class Steps {
public:
    Steps &operator<<(const Status &s)
    {
        if (m_status.ok() && !s.ok()) m_status = s;
        return *this;
    }
    Status status() const { return m_status; }

private:
    Status m_status;
};

Block rowOf(const QStringList &texts)
{
    Block b(1, int(texts.size()));
    for (int i = 0; i < texts.size(); ++i) b.at(0, i) = CellValue(texts.at(i));
    return b;
}

void grid(Steps &steps, Worksheet &sheet, const Range &r)
{
    for (Border b : {Border::Left, Border::Top, Border::Bottom, Border::Right, Border::InsideVertical,
                     Border::InsideHorizontal})
        steps << sheet.setBorder(r, b);
}

} // namespace

Status WriteTemplateBook(Worksheet &sheet)
{
    // Blank on purpose: every output starts from it and writes its own cells.
    return sheet.cell(1, 1).status();
}

Status WriteLedgerImportBook(Worksheet &sheet)
{
    using namespace ledger_columns;
    Steps steps;
    steps << sheet.setTextFormatAllCells();
    steps << sheet.writeBlock(1, 2, rowOf({QStringLiteral("在庫品台帳　インポート用Excel（Mb在庫品INP.xls）")}));
    steps << sheet.writeBlock(
        2, 2,
        rowOf({QStringLiteral("5行目から1品目を2行で記入します（上の行：入庫の行と品目の項目、下の行：出庫の行）。"
                              "品名（D列）が空の行で読み取りを終えます。")}));
    steps << sheet.writeBlock(
        3, 2,
        rowOf({QStringLiteral("O4に管理開始年月（例 2025/04）、P～AA列に開始月から12か月の入庫数・出庫数、"
                              "N列に入出庫計、AB列に予定数量を記入します。")}));
    steps << sheet.setCell(3, StartMonthCol, QStringLiteral("管理開始年月"));
    QStringList headings{QStringLiteral("区分"),     QStringLiteral("在庫品番号"), QStringLiteral("品名"),
                         QStringLiteral("仕様"),     QStringLiteral("メーカー"),   QStringLiteral("保管場所"),
                         QStringLiteral("単価"),     QStringLiteral("在庫金額"),   QStringLiteral("単位"),
                         QStringLiteral("前年在庫"), QStringLiteral("適正在庫"),   QStringLiteral("在庫数量"),
                         QStringLiteral("入出庫計")};
    steps << sheet.writeBlock(4, 2, rowOf(headings)); // B4..N4
    QStringList months;
    for (int m = 1; m <= 12; ++m) months << QStringLiteral("%1月目").arg(m);
    months << QStringLiteral("予定数量") << QStringLiteral("達成率（％）") << QStringLiteral("使用開始");
    steps << sheet.writeBlock(4, FirstMonth, rowOf(months)); // P4..AD4
    steps << sheet.setFontSize(Range::cell(1, 2), 14) << sheet.setBold(Range::cell(1, 2), true);
    steps << sheet.setInteriorColor(Range::of(4, 2, 4, Total), kHeadingColor)
          << sheet.setInteriorColor(Range::of(4, FirstMonth, 4, StartOfUse), kHeadingColor)
          << sheet.setInteriorColor(Range::cell(StartMonthRow, StartMonthCol), kInputColor)
          << sheet.setCentred(Range::of(3, 2, 4, StartOfUse));
    grid(steps, sheet, Range::of(4, 2, 4, StartOfUse));
    const double widths[] = {2, 6, 12, 20, 20, 14, 14, 9, 10, 6, 9, 9, 9, 9, 12};
    for (int c = 1; c <= 15; ++c) steps << sheet.setColumnWidth(c, widths[c - 1]);
    for (int c = FirstMonth; c <= FirstMonth + 11; ++c) steps << sheet.setColumnWidth(c, 7);
    steps << sheet.setColumnWidth(Planned, 9) << sheet.setColumnWidth(Rate, 12) << sheet.setColumnWidth(StartOfUse, 10);
    steps << sheet.setRowHeight(Range::of(1, 1, 4, 1), 18);
    return steps.status();
}

Status WriteWordListImportBook(Worksheet &sheet)
{
    Steps steps;
    steps << sheet.setTextFormatAllCells();
    steps << sheet.writeBlock(1, 2, rowOf({QStringLiteral("在庫品リストBox項目　インポート用Excel（Mb在庫品項目INP.xls）")}));
    steps << sheet.writeBlock(
        2, 2,
        rowOf({QStringLiteral("各列の5行目から下へ詰めて1語ずつ記入します。空のセルでその列の読み取りを終えます"
                              "（1列2000語まで）。")}));
    steps << sheet.writeBlock(3, 2, rowOf({QStringLiteral("在庫品リストBox項目")}));
    steps << sheet.writeBlock(4, 2,
                              rowOf({QStringLiteral("品名"), QStringLiteral("仕様"), QStringLiteral("メーカー"),
                                     QStringLiteral("保管場所"), QStringLiteral("単位")}));
    steps << sheet.setFontSize(Range::cell(1, 2), 14) << sheet.setBold(Range::cell(1, 2), true);
    steps << sheet.setColumnWidth(1, 4);
    for (int c = 2; c <= 6; ++c) steps << sheet.setColumnWidth(c, 20);
    steps << sheet.setInteriorColor(Range::of(4, 2, 4, 6), kHeadingColor);
    grid(steps, sheet, Range::of(4, 2, 4, 6));
    return steps.status();
}

Status WriteDailyBook(Worksheet &sheet)
{
    using namespace daily_columns;
    const int lastDay = FirstDay + 30;
    const int lastRow = FirstRow + 2 * Pairs - 1;
    Steps steps;
    steps << sheet.writeBlock(1, 2, rowOf({QStringLiteral("日毎入出庫月報")}));
    steps << sheet.writeBlock(
        2, 2,
        rowOf({QStringLiteral("1品目1か月を2行で記入します。上の行のB列に年月（例 2025/04）、C列に在庫品番号、"
                              "H～AL列に日毎の入庫数（上の行）と出庫数（下の行）。G列が月合計です。"
                              "編集後は上書き保存してください。")}));
    QStringList headings{QStringLiteral("年月"), QStringLiteral("在庫品番号"), QStringLiteral("品名"),
                         QStringLiteral("仕様"), QStringLiteral("区分"),       QStringLiteral("月合計")};
    for (int day = 1; day <= 31; ++day) headings << QStringLiteral("%1日").arg(day);
    steps << sheet.writeBlock(3, Month, rowOf(headings));

    // Month and item number stay text whatever the user types ("2025/04"
    // must not become a date, "0089" must keep its zeros).
    steps << sheet.setTextFormat(Range::of(FirstRow, Month, lastRow, ItemNumber));
    Block kinds(2 * Pairs, 1);
    for (int i = 0; i < Pairs; ++i) {
        kinds.at(2 * i, 0) = CellValue(QStringLiteral("入庫"));
        kinds.at(2 * i + 1, 0) = CellValue(QStringLiteral("出庫"));
    }
    steps << sheet.writeBlock(FirstRow, Total - 1, kinds);
    const QString first = import::columnLetters(FirstDay), last = import::columnLetters(lastDay);
    for (int r = FirstRow; r <= lastRow && steps.status().ok(); ++r)
        steps << sheet.setFormula(r, Total, QStringLiteral("=SUM(%1%3:%2%3)").arg(first, last).arg(r));

    steps << sheet.setFontSize(Range::cell(1, 2), 14) << sheet.setBold(Range::cell(1, 2), true);
    steps << sheet.setInteriorColor(Range::of(3, Month, 3, lastDay), kHeadingColor)
          << sheet.setInteriorColor(Range::of(FirstRow, Total, lastRow, Total), kInputColor)
          << sheet.setCentred(Range::of(3, Month, 3, lastDay))
          << sheet.setCentred(Range::of(FirstRow, Total - 1, lastRow, Total - 1));
    grid(steps, sheet, Range::of(3, Month, lastRow, lastDay));
    steps << sheet.setColumnWidth(1, 2) << sheet.setColumnWidth(Month, 9) << sheet.setColumnWidth(ItemNumber, 12)
          << sheet.setColumnWidth(4, 20) << sheet.setColumnWidth(5, 16) << sheet.setColumnWidth(6, 6)
          << sheet.setColumnWidth(Total, 8);
    for (int c = FirstDay; c <= lastDay; ++c) steps << sheet.setColumnWidth(c, 5);
    return steps.status();
}

} // namespace kpv::excel
