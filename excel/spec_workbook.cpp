#include "excel/spec_workbook.h"

#include "excel/create_from_template.h"
#include "excel/failure.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/item_number.h"
#include "storage/messages.h"
#include "storage/text.h"

#include <vector>

namespace kpv::workbooks {

using excel::Border;
using excel::CellValue;
using excel::Range;
using excel::Status;

namespace {
constexpr int kPale = 16777184; // pale yellow
constexpr int kFirstTableRow = 6;
constexpr int kLastTableRow = 36;
} // namespace

std::optional<QString> itemNumberFileProblem(const QString &itemNumber)
{
    if (itemNumber.isEmpty()) return QStringLiteral("在庫品番号がありません。　");
    return itemNumberProblem(itemNumber);
}

QString specWorkbookPath(const QString &dataFolder, const QString &itemNumber)
{
    return dataFolder + names::materialsFolder() + QStringLiteral("/在庫品仕様") + itemNumber + QStringLiteral(".xls");
}

Status writeSpecSheet(excel::Worksheet &sheet, const SpecCard &card)
{
    // Only the cells of the map are written: B2, B4:C4, B6, D6:E6 and B7:C11.
    auto one = [](const QString &text) {
        excel::Block b(1, 1);
        b.at(0, 0) = CellValue(text);
        return b;
    };
    excel::Block number(1, 2), heading(1, 2), fields(5, 2);
    number.at(0, 0) = CellValue(QStringLiteral("在庫品番号"));
    number.at(0, 1) = CellValue(trimSpaces(card.itemNumber));
    heading.at(0, 0) = CellValue(QStringLiteral("　　在庫品仕様項目"));
    heading.at(0, 1) = CellValue(QStringLiteral("　　在庫品仕様内容"));
    for (int i = 0; i < 5; ++i) {
        fields.at(i, 0) = CellValue(trimSpaces(card.headings[size_t(i)]));
        fields.at(i, 1) = CellValue(trimSpaces(card.values[size_t(i)]));
    }

    std::vector<std::function<Status()>> steps = {
        [&] { return sheet.setTextFormat(Range::of(4, 3, 4, 3)); },
        [&] { return sheet.setTextFormat(Range::of(7, 3, 11, 3)); },
        [&] { return sheet.writeBlock(2, 2, one(QStringLiteral("在庫品仕様"))); },
        [&] { return sheet.writeBlock(4, 2, number); },
        [&] { return sheet.writeBlock(6, 2, one(QStringLiteral("　　在庫品台帳項目"))); },
        [&] { return sheet.writeBlock(6, 4, heading); },
        [&] { return sheet.writeBlock(7, 2, fields); },
        [&] { return sheet.setColumnWidth(1, 4); },
        [&] { return sheet.setColumnWidth(2, 20); },
        [&] { return sheet.setColumnWidth(3, 30); },
        [&] { return sheet.setColumnWidth(4, 30); },
        [&] { return sheet.setColumnWidth(5, 40); },
        [&] { return sheet.setFontSize(Range::cell(2, 2), 16); },
        [&] { return sheet.setBold(Range::cell(2, 2), true); },
        [&] { return sheet.setFontSize(Range::of(4, 2, 4, 3), 12); },
        [&] { return sheet.setBold(Range::of(4, 2, 4, 3), true); },
        // The horizontal rules: the top of each row's B:E from row 6 to 37,
        // drawn as the top edge and the inner lines of B6:E37 in one go.
        [&] { return sheet.setBorder(Range::of(kFirstTableRow, 2, kLastTableRow + 1, 5), Border::Top); },
        [&] { return sheet.setBorder(Range::of(kFirstTableRow, 2, kLastTableRow + 1, 5), Border::InsideHorizontal); },
        [&] { return sheet.setBorder(Range::of(4, 2, 4, 3), Border::Top); },
        [&] { return sheet.setBorder(Range::of(4, 2, 4, 3), Border::Bottom); },
        [&] { return sheet.setBorder(Range::cell(4, 2), Border::Left); },
        [&] { return sheet.setBorder(Range::cell(4, 3), Border::Left); },
        [&] { return sheet.setBorder(Range::cell(4, 4), Border::Left); },
        [&] { return sheet.setInteriorColor(Range::cell(4, 2), kPale); },
        [&] { return sheet.setInteriorColor(Range::of(6, 2, 6, 5), kPale); },
        [&] { return sheet.setInteriorColor(Range::of(6, 2, kLastTableRow, 2), kPale); },
        [&] { return sheet.setInteriorColor(Range::of(6, 4, kLastTableRow, 4), kPale); },
        [&] { return sheet.setBorder(Range::of(6, 2, kLastTableRow, 2), Border::Left); },
        [&] { return sheet.setBorder(Range::of(7, 3, kLastTableRow, 3), Border::Left); },
        [&] { return sheet.setBorder(Range::of(6, 4, kLastTableRow, 4), Border::Left); },
        [&] { return sheet.setBorder(Range::of(6, 5, kLastTableRow, 5), Border::Left); },
        [&] { return sheet.setBorder(Range::of(6, 6, kLastTableRow, 6), Border::Left); },
        [&] { return sheet.setRowHeight(Range::of(kFirstTableRow, 2, kLastTableRow, 6), 20); },
    };
    for (const auto &step : steps)
        if (Status s = step(); !s) return s;
    return {};
}

SpecWorkbook::Outcome SpecWorkbook::run(int currentRecordNo, const SpecCard &card)
{
    m_path.clear();
    BusyGuard busy(m_d.pointer());
    if (currentRecordNo < 1 || currentRecordNo > m_d.recordCount) {
        m_d.messages().tell(spec_text::notRegisteredTitle(), spec_text::notRegistered());
        return Outcome::NotRegistered;
    }
    const QString itemNumber = cleanText(card.itemNumber);
    if (auto problem = itemNumberFileProblem(itemNumber)) {
        m_d.messages().tell(spec_text::badNameTitle(), *problem);
        return Outcome::Refused;
    }
    m_progress->step(spec_text::writingStep());
    const QString path = specWorkbookPath(m_d.dataFolder, itemNumber);
    auto book = excel::CreateFromTemplate(m_office, m_d.clientFolder, path, excel::TemplateUse::ReuseExisting);
    if (!book.ok()) {
        excel::ReportExcelFailure(m_d.messages(), book.failure());
        return Outcome::Failed;
    }
    m_path = path;
    excel::Workbook &wb = *book.value();
    Status s = wb.setScreenUpdating(false);
    if (s) s = wb.setEnableEvents(false);
    if (s) s = writeSpecSheet(wb.firstSheet(), card);
    Status on = wb.setScreenUpdating(true);
    wb.setEnableEvents(true);
    if (s) s = on;
    if (s) {
        m_progress->step(spec_text::storingStep());
        s = wb.storeAsXls(path);
    }
    if (s && m_show) {
        m_progress->step(spec_text::showingStep());
        s = wb.setApplicationVisible(true);
        if (s) s = wb.activateFirstSheet();
        if (s) s = wb.setWindowVisible(true);
    }
    if (!s) {
        excel::ReportExcelFailure(m_d.messages(), s);
        return Outcome::Failed;
    }
    return Outcome::Written;
}

} // namespace kpv::workbooks
