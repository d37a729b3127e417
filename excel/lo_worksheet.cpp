#include "excel/lo_worksheet.h"

#include "excel/units.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace kpv::excel {

Status checkRange(const Range &r)
{
    if (r.valid()) return {};
    return Status::fail(FailureKind::OutsideSheet, QStringLiteral("range R%1C%2:R%3C%4 is not within the %5 x %6 sheet")
                                                       .arg(r.row1)
                                                       .arg(r.col1)
                                                       .arg(r.row2)
                                                       .arg(r.col2)
                                                       .arg(kMaxRows)
                                                       .arg(kMaxColumns));
}

Result<CellValue> LoWorksheet::cell(int row, int col)
{
    Result<Block> b = readBlock(Range::cell(row, col));
    if (!b) return b.failure();
    return b->at(0, 0);
}

Status LoWorksheet::setCell(int row, int col, const CellValue &value)
{
    if (Status c = checkRange(Range::cell(row, col)); !c) return c;
    return guarded(m_session.get(), "setCell", [&] {
        Reference<css::table::XCell> c = sheet()->getCellByPosition(col - 1, row - 1);
        switch (value.kind()) {
        case CellValue::Kind::Empty:
            c->setFormula(OUString());
            break;
        case CellValue::Kind::Number:
            c->setValue(value.numberValue());
            break;
        case CellValue::Kind::Text:
            // setString keeps the text as typed ("00456" stays text);
            // setFormula would turn it into a number.
            Reference<css::text::XText>(c, UNO_QUERY_THROW)->setString(ou(value.text()));
            break;
        }
    });
}

Status LoWorksheet::setFormula(int row, int col, const QString &formula)
{
    if (Status c = checkRange(Range::cell(row, col)); !c) return c;
    return guarded(m_session.get(), "setFormula",
                   [&] { sheet()->getCellByPosition(col - 1, row - 1)->setFormula(ou(formula)); });
}

Result<QString> LoWorksheet::formula(int row, int col)
{
    QString out;
    if (Status c = checkRange(Range::cell(row, col)); !c) return c.failure();
    Status s = guarded(m_session.get(), "formula",
                       [&] { out = qs(sheet()->getCellByPosition(col - 1, row - 1)->getFormula()); });
    if (!s) return s.failure();
    return out;
}

Result<Block> LoWorksheet::readBlockShown(const Range &r, const std::vector<int> &shownColumns)
{
    if (Status c = checkRange(r); !c) return c.failure();
    Block block(r.rows(), r.columns());
    Status s = guarded(m_session.get(), "readBlock", [&] {
        Reference<css::sheet::XCellRangeData> data(range(r), UNO_QUERY_THROW);
        const Sequence<Sequence<Any>> rows = data->getDataArray();
        for (sal_Int32 i = 0; i < rows.getLength() && i < block.rows(); ++i) {
            const Sequence<Any> &line = rows[i];
            for (sal_Int32 j = 0; j < line.getLength() && j < block.columns(); ++j) {
                const Any &a = line[j];
                double d = 0;
                OUString text;
                if (a >>= d)
                    block.at(i, j) = CellValue::number(d);
                else if (a >>= text)
                    block.at(i, j) = CellValue(qs(text));
            }
        }
        auto shown = [&](sal_Int32 row, sal_Int32 col) {
            const int i = int(row) - (r.row1 - 1), j = int(col) - (r.col1 - 1);
            if (i < 0 || j < 0 || i >= block.rows() || j >= block.columns()) return;
            Reference<css::text::XText> cellText(sheet()->getCellByPosition(col, row), UNO_QUERY_THROW);
            block.at(i, j) = CellValue(qs(cellText->getString()));
        };
        // Dates and times come as serial numbers: take what the cell shows.
        Reference<css::sheet::XCellRangesQuery> query(range(r), UNO_QUERY_THROW);
        Reference<css::sheet::XSheetCellRanges> dates = query->queryContentCells(css::sheet::CellFlags::DATETIME);
        for (const css::table::CellRangeAddress &a : dates->getRangeAddresses())
            for (sal_Int32 row = a.StartRow; row <= a.EndRow; ++row)
                for (sal_Int32 col = a.StartColumn; col <= a.EndColumn; ++col) shown(row, col);
        // In the text columns every number (a formula's included) is taken
        // as shown; only those cells are asked for one by one.
        for (int j : shownColumns) {
            if (j < 0 || j >= block.columns()) continue;
            for (int i = 0; i < block.rows(); ++i)
                if (block.at(i, j).isNumber()) shown(sal_Int32(r.row1 - 1 + i), sal_Int32(r.col1 - 1 + j));
        }
    });
    if (!s) return s.failure();
    return block;
}

namespace {

// A large block goes to the office in pieces of about this many cells: while
// the office stores one piece, the next ones (up to kAhead) are made here,
// and the pieces stay small enough for both processes to reuse their memory.
constexpr int kCellsPerPiece = 16384;
constexpr int kAhead = 2;

void toOffice(const Block &block, int first, int rows, Sequence<Sequence<Any>> &out)
{
    out.realloc(rows);
    Sequence<Any> *lines = out.getArray();
    for (int i = 0; i < rows; ++i) {
        Sequence<Any> line(block.columns());
        Any *cells = line.getArray();
        for (int j = 0; j < block.columns(); ++j) {
            const CellValue &v = block.at(first + i, j);
            if (v.isNumber())
                cells[j] <<= v.numberValue();
            else
                cells[j] <<= ou(v.text());
        }
        lines[i] = std::move(line);
    }
}

} // namespace

Status LoWorksheet::writeBlock(int row, int col, const Block &block)
{
    if (block.rows() == 0 || block.columns() == 0) return {};
    if (Status c = checkRange(Range::of(row, col, row + block.rows() - 1, col + block.columns() - 1)); !c)
        return c;
    return writePieces("writeBlock", row, col, block.rows(), block.columns(),
                       [&](int first, int rows, Sequence<Sequence<Any>> &out) { toOffice(block, first, rows, out); });
}

Status LoWorksheet::writeRows(int row, int col, int rows, int columns, const RowFill &fill)
{
    if (rows <= 0 || columns <= 0) return {};
    if (Status c = checkRange(Range::of(row, col, row + rows - 1, col + columns - 1)); !c) return c;
    return writePieces("writeRows", row, col, rows, columns, [&](int first, int count, Sequence<Sequence<Any>> &out) {
        Block piece(count, columns);
        fill(first, piece);
        toOffice(piece, 0, count, out);
    });
}

Status LoWorksheet::writePieces(const char *what, int row, int col, int rows, int columns, const Piece &piece)
{
    return guarded(m_session.get(), what, [&] {
        // Fitting the row height after every Japanese cell is what makes a
        // block write slow; the counter is only lowered when it is up.
        Reference<css::beans::XPropertySet> doc(m_model, UNO_QUERY_THROW);
        bool adjust = false;
        doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
        if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));

        const Reference<css::sheet::XSpreadsheet> target = sheet();
        const int pieceRows = std::max(1, kCellsPerPiece / columns);
        const int pieces = (rows + pieceRows - 1) / pieceRows;
        // A helper thread makes the pieces, up to kAhead ahead; this thread
        // alone talks to the office and sends them in order.
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Sequence<Sequence<Any>>> made;
        bool stop = false;
        std::exception_ptr makeFailure;
        std::thread maker;
        if (pieces > 1)
            maker = std::thread([&] {
                try {
                    for (int k = 0; k < pieces; ++k) {
                        {
                            std::unique_lock<std::mutex> lock(mutex);
                            changed.wait(lock, [&] { return stop || int(made.size()) < kAhead; });
                            if (stop) return;
                        }
                        Sequence<Sequence<Any>> data;
                        piece(k * pieceRows, std::min(pieceRows, rows - k * pieceRows), data);
                        std::lock_guard<std::mutex> lock(mutex);
                        made.push_back(std::move(data));
                        changed.notify_all();
                    }
                } catch (...) {
                    std::lock_guard<std::mutex> lock(mutex);
                    makeFailure = std::current_exception();
                    changed.notify_all();
                }
            });
        struct Joined {
            std::thread &t;
            std::mutex &m;
            std::condition_variable &c;
            bool &stop;
            ~Joined()
            {
                {
                    std::lock_guard<std::mutex> lock(m);
                    stop = true;
                }
                c.notify_all();
                if (t.joinable()) t.join();
            }
        } joined{maker, mutex, changed, stop};
        try {
            for (int k = 0; k < pieces; ++k) {
                Sequence<Sequence<Any>> data;
                if (pieces == 1) {
                    piece(0, rows, data);
                } else {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait(lock, [&] { return !made.empty() || makeFailure; });
                    if (made.empty()) std::rethrow_exception(makeFailure);
                    data = made.front();
                    made.pop_front();
                    changed.notify_all();
                }
                const int first = k * pieceRows;
                const int count = std::min(pieceRows, rows - first);
                Reference<css::sheet::XCellRangeData> range(
                    target->getCellRangeByPosition(col - 1, row - 1 + first, col + columns - 2, row + first + count - 2),
                    UNO_QUERY_THROW);
                range->setDataArray(data);
            }
        } catch (...) {
            if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
            throw;
        }
        if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
    });
}

Status LoWorksheet::setTextFormatAllCells()
{
    return guarded(m_session.get(), "setTextFormatAllCells", [&] {
        Reference<css::beans::XPropertySet>(sheet(), UNO_QUERY_THROW)
            ->setPropertyValue(name("NumberFormat"), any(textFormatKey()));
    });
}

Status LoWorksheet::setNumberFormat(const Range &r, const QString &code)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setNumberFormat",
                   [&] { props(r)->setPropertyValue(name("NumberFormat"), any(formatKey(ou(code)))); });
}

Status LoWorksheet::setTextFormat(const Range &r)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setTextFormat",
                   [&] { props(r)->setPropertyValue(name("NumberFormat"), any(textFormatKey())); });
}

Status LoWorksheet::setBorder(const Range &r, Border index, int lineStyle)
{
    if (Status c = checkRange(r); !c) return c;
    css::table::BorderLine2 line;
    if (lineStyle == kLineContinuous) {
        line.LineStyle = css::table::BorderLineStyle::SOLID;
        line.OuterLineWidth = sal_Int16(units::lineWidthMm100(LineWeight::Thin));
        line.LineWidth = sal_Int16(units::lineWidthMm100(LineWeight::Thin));
    } else {
        line.LineStyle = css::table::BorderLineStyle::NONE;
    }
    return applyBorder(r, index, line, "setBorder");
}

Status LoWorksheet::setInteriorColor(const Range &r, int color)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setInteriorColor", [&] {
        Reference<css::beans::XPropertySet> p = props(r);
        p->setPropertyValue(name("IsCellBackgroundTransparent"), any(false));
        p->setPropertyValue(name("CellBackColor"), any(units::toOfficeColor(color)));
    });
}

Status LoWorksheet::setCentred(const Range &r)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setCentred", [&] {
        props(r)->setPropertyValue(name("HoriJustify"), any(css::table::CellHoriJustify_CENTER));
    });
}

Status LoWorksheet::setRowHeight(const Range &r, double points)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setRowHeight", [&] {
        Reference<css::table::XColumnRowRange> cr(range(r), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(cr->getRows(), UNO_QUERY_THROW)
            ->setPropertyValue(name("Height"), any(sal_Int32(units::pointsToMm100(points))));
    });
}

Status LoWorksheet::setColumnWidths(int col1, int col2, double characters)
{
    const Range columns = Range::of(1, col1, 1, col2);
    if (Status c = checkRange(columns); !c) return c;
    return guarded(m_session.get(), "setColumnWidths", [&] {
        Reference<css::table::XColumnRowRange> cr(range(columns), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(cr->getColumns(), UNO_QUERY_THROW)
            ->setPropertyValue(name("Width"), any(sal_Int32(units::charactersToMm100(characters))));
    });
}

Status LoWorksheet::setFontSize(const Range &r, double points)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setFontSize", [&] {
        Reference<css::beans::XPropertySet> p = props(r);
        const float h = float(points);
        p->setPropertyValue(name("CharHeight"), any(h));
        p->setPropertyValue(name("CharHeightAsian"), any(h));
        p->setPropertyValue(name("CharHeightComplex"), any(h));
    });
}

Status LoWorksheet::setBold(const Range &r, bool bold)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setBold", [&] {
        Reference<css::beans::XPropertySet> p = props(r);
        const float w = bold ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL;
        p->setPropertyValue(name("CharWeight"), any(w));
        p->setPropertyValue(name("CharWeightAsian"), any(w));
        p->setPropertyValue(name("CharWeightComplex"), any(w));
    });
}

Status LoWorksheet::setFontColor(const Range &r, int color)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setFontColor",
                   [&] { props(r)->setPropertyValue(name("CharColor"), any(units::toOfficeColor(color))); });
}

Result<int> LoWorksheet::lastUsedRow()
{
    int last = 0;
    Status s = guarded(m_session.get(), "lastUsedRow", [&] {
        using namespace css::sheet::CellFlags;
        Reference<css::sheet::XCellRangesQuery> query(sheet(), UNO_QUERY_THROW);
        const Sequence<css::table::CellRangeAddress> found =
            query->queryContentCells(VALUE | DATETIME | STRING | FORMULA)->getRangeAddresses();
        for (const css::table::CellRangeAddress &a : found) last = std::max(last, int(a.EndRow) + 1);
    });
    if (!s) return s.failure();
    return last;
}

Status LoWorksheet::setBorderLine(const Range &r, Border index, LineWeight weight, int color)
{
    if (Status c = checkRange(r); !c) return c;
    css::table::BorderLine2 line;
    line.LineStyle = css::table::BorderLineStyle::SOLID;
    line.OuterLineWidth = sal_Int16(units::lineWidthMm100(weight));
    line.LineWidth = sal_Int16(units::lineWidthMm100(weight));
    line.Color = units::toOfficeColor(color);
    return applyBorder(r, index, line, "setBorderLine");
}

Status LoWorksheet::setPattern(const Range &r, Pattern pattern, int color)
{
    return setInteriorColor(r, PatternFillColor(pattern, color));
}

Status LoWorksheet::setPatternOnRanges(const std::vector<Range> &ranges, Pattern pattern, int color)
{
    for (const Range &r : ranges)
        if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setPatternOnRanges", [&] {
        Reference<css::beans::XPropertySet> p = rangeList(ranges);
        if (!p.is()) return;
        p->setPropertyValue(name("IsCellBackgroundTransparent"), any(false));
        p->setPropertyValue(name("CellBackColor"), any(units::toOfficeColor(PatternFillColor(pattern, color))));
    });
}

Status LoWorksheet::setOutlineOnRanges(const std::vector<Range> &ranges, LineWeight weight, int color)
{
    for (const Range &r : ranges)
        if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "setOutlineOnRanges", [&] {
        Reference<css::beans::XPropertySet> p = rangeList(ranges);
        if (!p.is()) return;
        css::table::BorderLine2 line;
        line.LineStyle = css::table::BorderLineStyle::SOLID;
        line.OuterLineWidth = sal_Int16(units::lineWidthMm100(weight));
        line.LineWidth = sal_Int16(units::lineWidthMm100(weight));
        line.Color = units::toOfficeColor(color);
        css::table::TableBorder2 border; // the inner lines stay unchanged
        border.LeftLine = border.TopLine = border.BottomLine = border.RightLine = line;
        border.IsLeftLineValid = border.IsTopLineValid = border.IsBottomLineValid = border.IsRightLineValid = true;
        p->setPropertyValue(name("TableBorder2"), any(border));
    });
}

Status LoWorksheet::autoFitRows(const Range &r)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "autoFitRows", [&] {
        // Fitting is off while the document's automatic fitting is held
        // down (screen updating off, block writes): lift it for the call.
        Reference<css::beans::XPropertySet> doc(m_model, UNO_QUERY_THROW);
        bool adjust = true;
        doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
        if (!adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
        try {
            Reference<css::table::XColumnRowRange> cr(range(r), UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet>(cr->getRows(), UNO_QUERY_THROW)
                ->setPropertyValue(name("OptimalHeight"), any(true));
        } catch (...) {
            if (!adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));
            throw;
        }
        if (!adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));
    });
}

Result<BorderLine> LoWorksheet::borderLine(const Range &r, Border index)
{
    if (Status c = checkRange(r); !c) return c.failure();
    BorderLine out;
    Status s = guarded(m_session.get(), "borderLine", [&] {
        css::table::TableBorder2 b;
        props(r)->getPropertyValue(name("TableBorder2")) >>= b;
        bool valid = false;
        css::table::BorderLine2 l;
        switch (index) {
        case Border::Left: valid = b.IsLeftLineValid; l = b.LeftLine; break;
        case Border::Top: valid = b.IsTopLineValid; l = b.TopLine; break;
        case Border::Bottom: valid = b.IsBottomLineValid; l = b.BottomLine; break;
        case Border::Right: valid = b.IsRightLineValid; l = b.RightLine; break;
        case Border::InsideVertical: valid = b.IsVerticalLineValid; l = b.VerticalLine; break;
        case Border::InsideHorizontal: valid = b.IsHorizontalLineValid; l = b.HorizontalLine; break;
        }
        const sal_Int32 width = std::max<sal_Int32>(l.LineWidth, l.OuterLineWidth);

        out.drawn = valid && l.LineStyle != css::table::BorderLineStyle::NONE && width > 0;
        if (out.drawn) {
            out.weight = units::weightOfWidth(width);
            out.color = units::toAutomationColor(l.Color);
        }
    });
    if (!s) return s.failure();
    return out;
}

Result<CellFormat> LoWorksheet::format(int row, int col)
{
    if (Status c = checkRange(Range::cell(row, col)); !c) return c.failure();
    CellFormat f;
    Status s = guarded(m_session.get(), "format", [&] {
        Reference<css::beans::XPropertySet> p = props(Range::cell(row, col));
        sal_Int32 key = 0;
        p->getPropertyValue(name("NumberFormat")) >>= key;
        f.textFormat = (key == textFormatKey());
        bool transparent = true;
        p->getPropertyValue(name("IsCellBackgroundTransparent")) >>= transparent;
        sal_Int32 back = -1;
        p->getPropertyValue(name("CellBackColor")) >>= back;
        f.interiorColor = (transparent || back < 0) ? -1 : units::toAutomationColor(back);
        css::table::CellHoriJustify justify = css::table::CellHoriJustify_STANDARD;
        p->getPropertyValue(name("HoriJustify")) >>= justify;
        f.centred = justify == css::table::CellHoriJustify_CENTER;
        float height = 0, weight = 0;
        p->getPropertyValue(name("CharHeight")) >>= height;
        p->getPropertyValue(name("CharWeight")) >>= weight;
        f.fontSize = height;
        f.bold = weight >= css::awt::FontWeight::SEMIBOLD;
        OUString font, asian;
        p->getPropertyValue(name("CharFontName")) >>= font;
        p->getPropertyValue(name("CharFontNameAsian")) >>= asian;
        f.fontName = qs(font);
        f.asianFontName = qs(asian);
        sal_Int32 color = 0;
        p->getPropertyValue(name("CharColor")) >>= color;
        f.fontColor = color < 0 ? 0 : units::toAutomationColor(color);
    });
    if (!s) return s.failure();
    return f;
}

Result<bool> LoWorksheet::hasBorder(const Range &r, Border index)
{
    if (Status c = checkRange(r); !c) return c.failure();
    bool has = false;
    Status s = guarded(m_session.get(), "hasBorder", [&] {
        css::table::TableBorder2 b;
        props(r)->getPropertyValue(name("TableBorder2")) >>= b;
        auto drawn = [](bool valid, const css::table::BorderLine2 &l) {
            return valid && l.LineStyle != css::table::BorderLineStyle::NONE
                   && (l.OuterLineWidth > 0 || l.InnerLineWidth > 0 || l.LineWidth > 0);
        };
        switch (index) {
        case Border::Left: has = drawn(b.IsLeftLineValid, b.LeftLine); break;
        case Border::Top: has = drawn(b.IsTopLineValid, b.TopLine); break;
        case Border::Bottom: has = drawn(b.IsBottomLineValid, b.BottomLine); break;
        case Border::Right: has = drawn(b.IsRightLineValid, b.RightLine); break;
        case Border::InsideVertical: has = drawn(b.IsVerticalLineValid, b.VerticalLine); break;
        case Border::InsideHorizontal: has = drawn(b.IsHorizontalLineValid, b.HorizontalLine); break;
        }
    });
    if (!s) return s.failure();
    return has;
}

Result<double> LoWorksheet::rowHeight(int row)
{
    sal_Int32 h = 0;
    if (Status c = checkRange(Range::cell(row, 1)); !c) return c.failure();
    Status s = guarded(m_session.get(), "rowHeight", [&] {
        Reference<css::table::XColumnRowRange> cr(range(Range::cell(row, 1)), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(cr->getRows(), UNO_QUERY_THROW)->getPropertyValue(name("Height")) >>= h;
    });
    if (!s) return s.failure();
    return units::mm100ToPoints(h);
}

Result<double> LoWorksheet::columnWidth(int col)
{
    sal_Int32 w = 0;
    if (Status c = checkRange(Range::cell(1, col)); !c) return c.failure();
    Status s = guarded(m_session.get(), "columnWidth", [&] {
        Reference<css::table::XColumnRowRange> cr(range(Range::cell(1, col)), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet>(cr->getColumns(), UNO_QUERY_THROW)->getPropertyValue(name("Width")) >>= w;
    });
    if (!s) return s.failure();
    return units::mm100ToCharacters(w);
}

Reference<css::sheet::XSpreadsheet> LoWorksheet::sheet()
{
    if (!m_sheet.is()) {
        Reference<css::sheet::XSpreadsheetDocument> doc(m_model, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        m_sheet.set(sheets->getByIndex(m_index), UNO_QUERY_THROW);
    }
    return m_sheet;
}

Status LoWorksheet::applyBorder(const Range &r, Border index, const css::table::BorderLine2 &line, const char *what)
{
    return guarded(m_session.get(), what, [&] {
        css::table::TableBorder2 border; // every line not named stays unchanged
        switch (index) {
        case Border::Left: border.LeftLine = line; border.IsLeftLineValid = true; break;
        case Border::Top: border.TopLine = line; border.IsTopLineValid = true; break;
        case Border::Bottom: border.BottomLine = line; border.IsBottomLineValid = true; break;
        case Border::Right: border.RightLine = line; border.IsRightLineValid = true; break;
        case Border::InsideVertical: border.VerticalLine = line; border.IsVerticalLineValid = true; break;
        case Border::InsideHorizontal: border.HorizontalLine = line; border.IsHorizontalLineValid = true; break;
        }
        props(r)->setPropertyValue(name("TableBorder2"), any(border));
    });
}

Reference<css::table::XCellRange> LoWorksheet::range(const Range &r)
{
    return sheet()->getCellRangeByPosition(r.col1 - 1, r.row1 - 1, r.col2 - 1, r.row2 - 1);
}

Reference<css::beans::XPropertySet> LoWorksheet::props(const Range &r)
{
    return Reference<css::beans::XPropertySet>(range(r), UNO_QUERY_THROW);
}

Reference<css::beans::XPropertySet> LoWorksheet::rangeList(const std::vector<Range> &ranges)
{
    if (ranges.empty()) return {};
    sheet(); // the sheet must exist
    Sequence<css::table::CellRangeAddress> addresses(sal_Int32(ranges.size()));
    css::table::CellRangeAddress *out = addresses.getArray();
    for (size_t i = 0; i < ranges.size(); ++i) {
        const Range &r = ranges[i];
        out[i] = css::table::CellRangeAddress(sal_Int16(m_index), r.col1 - 1, r.row1 - 1, r.col2 - 1, r.row2 - 1);
    }
    Reference<css::lang::XMultiServiceFactory> factory(m_model, UNO_QUERY_THROW);
    Reference<css::sheet::XSheetCellRangeContainer> list(
        factory->createInstance(name("com.sun.star.sheet.SheetCellRanges")), UNO_QUERY_THROW);
    list->addRangeAddresses(addresses, false); // not merged: each range keeps its own outline
    return Reference<css::beans::XPropertySet>(list, UNO_QUERY_THROW);
}

sal_Int32 LoWorksheet::textFormatKey()
{
    if (m_textKey < 0) m_textKey = formatKey(name(kTextFormat));
    return m_textKey;
}

sal_Int32 LoWorksheet::formatKey(const OUString &code)
{
    Reference<css::util::XNumberFormatsSupplier> s(m_model, UNO_QUERY_THROW);
    Reference<css::util::XNumberFormats> formats = s->getNumberFormats();
    const css::lang::Locale locale;
    sal_Int32 key = formats->queryKey(code, locale, false);
    if (key < 0) key = formats->addNew(code, locale);
    return key;
}

Status LoWorksheet::mergeCells(const Range &r)
{
    if (Status c = checkRange(r); !c) return c;
    return guarded(m_session.get(), "mergeCells",
                   [&] { Reference<css::util::XMergeable>(range(r), UNO_QUERY_THROW)->merge(true); });
}

} // namespace kpv::excel
