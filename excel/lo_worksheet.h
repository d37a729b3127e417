#pragma once
// The first worksheet of a workbook in the office (private to the layer).
// Every operation checks its cells against the .xls sheet before it calls the
// office, and runs as one guarded call (uno_call.h).

#include "excel/spreadsheet.h"
#include "excel/uno_call.h"

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>

#include <functional>
#include <memory>

namespace kpv::excel {

using namespace uno;

// OutsideSheet unless the range lies within the .xls sheet.
Status checkRange(const Range &range);

class LoWorksheet : public Worksheet {
public:
    // index: the sheet's position, from 0.
    LoWorksheet(std::shared_ptr<Session> session, Reference<css::frame::XModel> model, int index = 0)
        : m_session(std::move(session)), m_model(std::move(model)), m_index(index)
    {
    }

    Result<CellValue> cell(int row, int col) override;
    Status setCell(int row, int col, const CellValue &value) override;
    Status setFormula(int row, int col, const QString &formula) override;
    Result<QString> formula(int row, int col) override;
    Result<Block> readBlock(const Range &r) override { return readBlockShown(r, {}); }
    Result<Block> readBlockShown(const Range &r, const std::vector<int> &shownColumns) override;
    Status writeBlock(int row, int col, const Block &block) override;
    Status writeRows(int row, int col, int rows, int columns, const RowFill &fill) override;
    Status setTextFormatAllCells() override;
    Status setNumberFormat(const Range &r, const QString &code) override;
    Status setTextFormat(const Range &r) override;
    Status setBorder(const Range &r, Border index, int lineStyle) override;
    Status setInteriorColor(const Range &r, int color) override;
    Status setCentred(const Range &r) override;
    Status setRowHeight(const Range &r, double points) override;
    Status setColumnWidth(int col, double characters) override { return setColumnWidths(col, col, characters); }
    Status setColumnWidths(int col1, int col2, double characters) override;
    Status setFontSize(const Range &r, double points) override;
    Status setBold(const Range &r, bool bold) override;
    Status setFontColor(const Range &r, int color) override;
    Result<int> lastUsedRow() override;
    Status setBorderLine(const Range &r, Border index, LineWeight weight, int color) override;
    Status setPattern(const Range &r, Pattern pattern, int color) override;
    Status setPatternOnRanges(const std::vector<Range> &ranges, Pattern pattern, int color) override;
    Status setOutlineOnRanges(const std::vector<Range> &ranges, LineWeight weight, int color) override;
    Status autoFitRows(const Range &r) override;
    Status mergeCells(const Range &r) override;
    Result<BorderLine> borderLine(const Range &r, Border index) override;
    Result<CellFormat> format(int row, int col) override;
    Result<bool> hasBorder(const Range &r, Border index) override;
    Result<double> rowHeight(int row) override;
    Result<double> columnWidth(int col) override;
    Reference<css::sheet::XSpreadsheet> sheet();

private:
    // Rows [first, first + rows) of a block as the office takes them.
    using Piece = std::function<void(int first, int rows, Sequence<Sequence<Any>> &out)>;
    Status writePieces(const char *what, int row, int col, int rows, int columns, const Piece &piece);
    Status applyBorder(const Range &r, Border index, const css::table::BorderLine2 &line, const char *what);
    Reference<css::table::XCellRange> range(const Range &r);
    Reference<css::beans::XPropertySet> props(const Range &r);
    // One property set over all the ranges (each kept apart), or null when
    // the list is empty.
    Reference<css::beans::XPropertySet> rangeList(const std::vector<Range> &ranges);
    sal_Int32 textFormatKey();
    sal_Int32 formatKey(const OUString &code);
    std::shared_ptr<Session> m_session;
    Reference<css::frame::XModel> m_model;
    Reference<css::sheet::XSpreadsheet> m_sheet;
    sal_Int32 m_textKey = -1;
    int m_index = 0;
};

} // namespace kpv::excel
