#include "settings/pick_list_workbook.h"

#include "excel/create_from_template.h"
#include "settings/settings_slot_names.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/text.h"

#include <algorithm>

namespace kpv::settings {

namespace {
constexpr int kTitleRow = 3;
constexpr int kHeadRow = 4;
constexpr int kFirstCol = 2; // B

int labelPosition(int list)
{
    return list == 6 ? 9 : list + 1;
}

int wordsOf(const Dolvb &d, int list)
{
    int j = 0;
    while (j < PickLists::kMaxEntries && !cleanText(d.pickListTable.word(j + 1, list)).isEmpty()) ++j;
    return j;
}
} // namespace

QString pickListBookPath(const QString &dataFolder, const QDate &today)
{
    return dataFolder + names::ledgerBooksFolder() + QLatin1Char('/') + QStringLiteral("在庫品項目")
        + today.toString(QStringLiteral("yyyy年MM月")) + QStringLiteral(".xls");
}

int largestCount(const Dolvb &d)
{
    int n = 0;
    for (int list = kFirstList; list <= kLastList; ++list)
        n = std::max(n, int(d.sharedSettings.number(list + 1)));
    return n;
}

excel::Block pickListCells(const Dolvb &d)
{
    int longest = 0;
    for (int list = kFirstList; list <= kLastList; ++list) longest = std::max(longest, wordsOf(d, list));
    excel::Block b(2 + longest, 5);
    b.at(0, 0) = excel::CellValue(QStringLiteral("在庫品リストBox項目"));
    for (int list = kFirstList; list <= kLastList; ++list) {
        const int c = list - kFirstList;
        b.at(1, c) = excel::CellValue(d.itemLabels[size_t(labelPosition(list))]);
        const int words = wordsOf(d, list);
        for (int j = 1; j <= words; ++j) b.at(1 + j, c) = excel::CellValue(cleanText(d.pickListTable.word(j, list)));
    }
    return b;
}

excel::Status writePickListWorkbook(excel::Spreadsheet &app, const Dolvb &d, const QDate &today)
{
    auto book = excel::CreateFromTemplate(app, d.clientFolder, pickListBookPath(d.dataFolder, today), excel::TemplateUse::Replace);
    if (!book.ok()) return book.status();
    excel::Workbook &wb = *book.value();
    excel::Worksheet &sheet = wb.firstSheet();
    const int lastCol = kFirstCol + 4; // F
    const int lastRow = kHeadRow + largestCount(d);
    const excel::Range lined = excel::Range::of(kHeadRow, kFirstCol, lastRow, lastCol);
    const excel::Status steps[] = {
        wb.setScreenUpdating(false),
        sheet.setTextFormatAllCells(),
        sheet.setColumnWidth(1, 4),
        sheet.setColumnWidth(2, 20),
        sheet.setColumnWidth(3, 20),
        sheet.setColumnWidth(4, 20),
        sheet.setColumnWidth(5, 20),
        sheet.writeBlock(kTitleRow, kFirstCol, pickListCells(d)),
        sheet.setInteriorColor(excel::Range::of(kHeadRow, kFirstCol, kHeadRow, lastCol), kPickBookFill),
    };
    for (const auto &s : steps)
        if (!s.ok()) return s;
    for (excel::Border b : {excel::Border::Left, excel::Border::Top, excel::Border::Bottom, excel::Border::Right,
                            excel::Border::InsideVertical, excel::Border::InsideHorizontal}) {
        // A single row has no inner horizontal lines to draw.
        if (b == excel::Border::InsideHorizontal && lined.rows() < 2) continue;
        if (auto s = sheet.setBorder(lined, b); !s.ok()) return s;
    }
    const excel::Status shown[] = {wb.setScreenUpdating(true), wb.setApplicationVisible(true), wb.activateFirstSheet(),
                                   wb.setWindowVisible(true)};
    for (const auto &s : shown)
        if (!s.ok()) return s;
    return {};
}

} // namespace kpv::settings
