// Cell values of a worksheet, one or a block at a time, and the formatting
// read back (the tests of the cell maps, and checks).

#include "excel/lo_worksheet.h"

#include "excel/units.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>

#include <algorithm>

namespace kpv::excel {

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

} // namespace kpv::excel
