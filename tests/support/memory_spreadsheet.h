#pragma once
// A spreadsheet held in memory, for tests that run an import without an
// office (the crash and shared-folder clients): books are sheets of cells
// registered by path (the file there must still be a workbook, for the
// import's check of its bytes); reading cells works, everything else fails.

#include "excel/spreadsheet.h"

#include <map>
#include <memory>
#include <utility>

namespace kpv::testing {

class MemorySheet : public excel::Worksheet {
public:
    std::map<std::pair<int, int>, excel::CellValue> cells;

    void set(int row, int col, const QString &text) { cells[{row, col}] = excel::CellValue(text); }

    excel::Result<excel::CellValue> cell(int row, int col) override
    {
        const auto it = cells.find({row, col});
        return it == cells.end() ? excel::CellValue() : it->second;
    }
    excel::Result<excel::Block> readBlock(const excel::Range &r) override
    {
        if (!r.valid()) return excel::Failure{excel::FailureKind::OutsideSheet, QStringLiteral("range")};
        excel::Block b(r.rows(), r.columns());
        for (auto it = cells.lower_bound({r.row1, 0}); it != cells.end() && it->first.first <= r.row2; ++it)
            if (it->first.second >= r.col1 && it->first.second <= r.col2) b.at(it->first.first - r.row1, it->first.second - r.col1) = it->second;
        return b;
    }
    // The cells hold their text already.
    excel::Result<excel::Block> readBlockShown(const excel::Range &r, const std::vector<int> &) override { return readBlock(r); }
    excel::Result<int> lastUsedRow() override { return cells.empty() ? 0 : cells.rbegin()->first.first; }

    excel::Status setCell(int, int, const excel::CellValue &) override { return no(); }
    excel::Status setFormula(int, int, const QString &) override { return no(); }
    excel::Result<QString> formula(int, int) override { return no(); }
    excel::Status writeBlock(int, int, const excel::Block &) override { return no(); }
    excel::Status writeRows(int, int, int, int, const RowFill &) override { return no(); }
    excel::Status setTextFormatAllCells() override { return no(); }
    excel::Status setTextFormat(const excel::Range &) override { return no(); }
    excel::Status setNumberFormat(const excel::Range &, const QString &) override { return no(); }
    excel::Status setBorder(const excel::Range &, excel::Border, int) override { return no(); }
    excel::Status setBorderLine(const excel::Range &, excel::Border, excel::LineWeight, int) override { return no(); }
    excel::Status setPattern(const excel::Range &, excel::Pattern, int) override { return no(); }
    excel::Status setInteriorColor(const excel::Range &, int) override { return no(); }
    excel::Status setCentred(const excel::Range &) override { return no(); }
    excel::Status setRowHeight(const excel::Range &, double) override { return no(); }
    excel::Status autoFitRows(const excel::Range &) override { return no(); }
    excel::Status setColumnWidth(int, double) override { return no(); }
    excel::Status setColumnWidths(int, int, double) override { return no(); }
    excel::Status setFontSize(const excel::Range &, double) override { return no(); }
    excel::Status setBold(const excel::Range &, bool) override { return no(); }
    excel::Status setFontColor(const excel::Range &, int) override { return no(); }
    excel::Status setPatternOnRanges(const std::vector<excel::Range> &, excel::Pattern, int) override { return no(); }
    excel::Status setOutlineOnRanges(const std::vector<excel::Range> &, excel::LineWeight, int) override { return no(); }
    excel::Status mergeCells(const excel::Range &) override { return no(); }
    excel::Result<excel::CellFormat> format(int, int) override { return no(); }
    excel::Result<bool> hasBorder(const excel::Range &, excel::Border) override { return no(); }
    excel::Result<excel::BorderLine> borderLine(const excel::Range &, excel::Border) override { return no(); }
    excel::Result<double> rowHeight(int) override { return no(); }
    excel::Result<double> columnWidth(int) override { return no(); }

private:
    static excel::Failure no() { return excel::Failure{excel::FailureKind::Other, QStringLiteral("not in memory")}; }
};

class MemoryBook : public excel::Workbook {
public:
    MemoryBook(QString path, MemorySheet &sheet) : m_path(std::move(path)), m_sheet(sheet) {}
    QString path() const override { return m_path; }
    excel::Result<QString> fileFormat() override { return QStringLiteral("MS Excel 97"); }
    excel::Worksheet &firstSheet() override { return m_sheet; }
    excel::Result<int> sheetCount() override { return 1; }
    excel::Result<excel::Worksheet *> sheet(int n) override
    {
        if (n != 1) return excel::Failure{excel::FailureKind::OutsideSheet, QStringLiteral("sheet")};
        return static_cast<excel::Worksheet *>(&m_sheet);
    }
    excel::Status insertSheet(int, const QString &) override { return excel::Status::fail(excel::FailureKind::Other); }
    excel::Status setScreenUpdating(bool) override { return {}; }
    excel::Status setEnableEvents(bool) override { return {}; }
    excel::Status setApplicationVisible(bool) override { return {}; }
    excel::Status setWindowVisible(bool) override { return {}; }
    excel::Status activateFirstSheet() override { return {}; }
    excel::Status storeAsXls(const QString &) override { return excel::Status::fail(excel::FailureKind::Other); }
    excel::Status storeInFormat(const QString &, const QString &) override { return excel::Status::fail(excel::FailureKind::Other); }
    excel::Status close() override { return {}; }

private:
    QString m_path;
    MemorySheet &m_sheet;
};

class MemorySpreadsheet : public excel::Spreadsheet {
public:
    std::map<QString, MemorySheet> books; // by path

    excel::Result<std::unique_ptr<excel::Workbook>> bind(const QString &path, Access) override
    {
        const auto it = books.find(path);
        if (it == books.end()) return excel::Failure{excel::FailureKind::WorkbookNotFound, path};
        return std::unique_ptr<excel::Workbook>(std::make_unique<MemoryBook>(path, it->second));
    }
    bool isOpen(const QString &) override { return false; }
    excel::Result<std::unique_ptr<excel::Workbook>> createNew() override { return excel::Failure{excel::FailureKind::Other, {}}; }
};

} // namespace kpv::testing
