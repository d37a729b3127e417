#include "settings/pick_list_workbook.h"

#include "excel/create_from_template.h"
#include "excel/failure.h"
#include "settings/settings_slot_names.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/text.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <vector>

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

excel::Status writePickListWorkbook(excel::Spreadsheet &app, const Dolvb &d, const QDate &today, bool show)
{
    const QString path = pickListBookPath(d.dataFolder, today);
    if (excel::Status s = excel::CheckReplaceable(app, path); !s.ok()) return s;
    // The book is made in a working copy; the month's book is replaced only
    // by the finished one.
    QTemporaryDir work;
    if (!work.isValid()) return excel::Status::fail(excel::FailureKind::Other, QStringLiteral("no temporary folder"));
    auto book = excel::CreateFromTemplate(app, d.clientFolder, work.filePath(QStringLiteral("book.xls")),
                                          excel::TemplateUse::Replace);
    if (!book.ok()) return book.status();
    excel::Workbook &wb = *book.value();
    excel::Worksheet &sheet = wb.firstSheet();
    const int lastCol = kFirstCol + 4; // F
    const int lastRow = kHeadRow + largestCount(d);
    const excel::Range lined = excel::Range::of(kHeadRow, kFirstCol, lastRow, lastCol);
    std::vector<std::function<excel::Status()>> steps = {
        [&] { return wb.setScreenUpdating(false); },
        [&] { return sheet.setTextFormatAllCells(); },
        [&] { return sheet.setColumnWidth(1, 4); },
        [&] { return sheet.setColumnWidths(2, 5, 20); },
        [&] { return sheet.writeBlock(kTitleRow, kFirstCol, pickListCells(d)); },
        [&] { return sheet.setInteriorColor(excel::Range::of(kHeadRow, kFirstCol, kHeadRow, lastCol), kPickBookFill); },
    };
    for (excel::Border b : {excel::Border::Left, excel::Border::Top, excel::Border::Bottom, excel::Border::Right,
                            excel::Border::InsideVertical, excel::Border::InsideHorizontal}) {
        // A single row has no inner horizontal lines to draw.
        if (b == excel::Border::InsideHorizontal && lined.rows() < 2) continue;
        steps.push_back([&sheet, lined, b] { return sheet.setBorder(lined, b); });
    }
    steps.push_back([&] { return wb.setScreenUpdating(true); });
    steps.push_back([&] { return wb.storeAsXls(path); });
    if (show) {
        steps.push_back([&] { return wb.setApplicationVisible(true); });
        steps.push_back([&] { return wb.activateFirstSheet(); });
        steps.push_back([&] { return wb.setWindowVisible(true); });
    }
    for (const auto &step : steps) {
        const excel::Status s = step();
        if (!s.ok()) {
            (void)wb.close();
            return s;
        }
    }
    if (!show) (void)wb.close();
    return {};
}

PickBookOutcome outputPickListWorkbook(excel::Spreadsheet *app, Dolvb &d, const QDate &today, bool show)
{
    const QString path = pickListBookPath(d.dataFolder, today);
    if (QFileInfo::exists(path)
        && !d.messages().ask(QStringLiteral("登録確認"), path + QLatin1Char('\r') + QStringLiteral("　この月の項目Excelが既にあります。")
                                                          + QLatin1Char('\r') + QStringLiteral("　置き換えますか？（いいえ：出力しません）")))
        return PickBookOutcome::Cancelled;
    BusyGuard busy(d.pointer());
    const excel::Status s = app ? writePickListWorkbook(*app, d, today, show)
                                : excel::Status::fail(excel::FailureKind::ApplicationFailed, QStringLiteral("no spreadsheet application"));
    if (!s.ok()) {
        excel::ReportExcelFailure(d.messages(), s);
        return PickBookOutcome::Failed;
    }
    return PickBookOutcome::Written;
}

} // namespace kpv::settings
