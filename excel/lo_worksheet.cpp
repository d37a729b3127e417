// The formatting calls of a worksheet (text format, borders, fills, fonts,
// heights and widths), one guarded call each, and the helpers the other parts
// of the worksheet share. Values are written by the block writer
// (lo_block_writer.cpp) and read in lo_worksheet_read.cpp.

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
