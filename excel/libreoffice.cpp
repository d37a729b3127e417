#include "excel/libreoffice.h"

#include "excel/file_ops.h"
#include "excel/soffice_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>
#include <map>
#include <memory>

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace kpv::excel {

namespace {

OUString ou(const QString &s)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(s.utf16()), sal_Int32(s.size()));
}

QString qs(const OUString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getStr()), s.getLength());
}

css::beans::PropertyValue prop(const char *name, const Any &value)
{
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

template <class T>
Any any(const T &v)
{
    return Any(v);
}

OUString name(const char *ascii)
{
    return OUString::createFromAscii(ascii);
}

// Excel's automation colour (0x00BBGGRR) and UNO's (0x00RRGGBB) swap red and blue.
sal_Int32 toUnoColor(int excel)
{
    const int r = excel & 0xFF, g = (excel >> 8) & 0xFF, b = (excel >> 16) & 0xFF;
    return sal_Int32((r << 16) | (g << 8) | b);
}

int toExcelColor(sal_Int32 uno)
{
    const int r = (uno >> 16) & 0xFF, g = (uno >> 8) & 0xFF, b = uno & 0xFF;
    return r | (g << 8) | (b << 16);
}

// Column widths: LibreOffice's .xls export writes Excel width units at 111
// twips per character and leaves out Excel's 5-pixel padding. For Excel to
// show w characters (maximum digit width 7 px), the stored units are
// floor((7w + 5) / 7 * 256).
sal_Int32 charactersToMm100(double characters)
{
    const double units = std::floor((characters * 7.0 + 5.0) / 7.0 * 256.0);
    const double twips = units / 256.0 * 111.0;
    return sal_Int32(std::lround(twips * 2540.0 / 1440.0));
}

double mm100ToCharacters(sal_Int32 mm100)
{
    // Back to whole width units as the file stores them, then as Excel shows them.
    const double twips = mm100 * 1440.0 / 2540.0;
    const double units = std::round(twips / 111.0 * 256.0);
    const double chars = (units / 256.0 * 7.0 - 5.0) / 7.0;
    return std::trunc(chars * 100.0 + 0.5) / 100.0;
}

sal_Int32 pointsToMm100(double points)
{
    return sal_Int32(std::lround(points * 2540.0 / 72.0));
}

QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    const QString c = info.canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : c;
}

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

} // namespace

// ---------------------------------------------------------------------------
// One connection to one soffice. Workbooks keep it alive; when soffice goes
// away the connection is marked dead and every later call on it fails.
struct Session {
    Reference<css::uno::XComponentContext> context;
    Reference<css::frame::XDesktop2> desktop;
    bool dead = false;
};

namespace {

// Runs one UNO operation and turns every exception into a failure value. A
// disposed bridge marks the session dead so that the next bind starts anew.
template <class F>
Status guarded(Session *session, const char *what, F &&f)
{
    try {
        if (!session || session->dead)
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("the office is gone"));
        f();
        return {};
    } catch (const css::lang::DisposedException &e) {
        if (session) session->dead = true;
        return Status::fail(FailureKind::ApplicationFailed, QString::fromUtf8(what) + QStringLiteral(": ") + qs(e.Message));
    } catch (const css::lang::IllegalArgumentException &e) {
        return Status::fail(FailureKind::Other, QString::fromUtf8(what) + QStringLiteral(": ") + qs(e.Message));
    } catch (const css::lang::IndexOutOfBoundsException &e) {
        return Status::fail(FailureKind::Other, QString::fromUtf8(what) + QStringLiteral(": ") + qs(e.Message));
    } catch (const css::io::IOException &e) {
        return Status::fail(FailureKind::InUse, QString::fromUtf8(what) + QStringLiteral(": ") + qs(e.Message));
    } catch (const css::uno::RuntimeException &e) {
        // A broken connection also shows as a plain RuntimeException.
        if (session) {
            try {
                session->desktop->getCurrentFrame();
            } catch (...) {
                session->dead = true;
            }
        }
        return Status::fail(FailureKind::ApplicationFailed, QString::fromUtf8(what) + QStringLiteral(": ") + qs(e.Message));
    } catch (const css::uno::Exception &e) {
        return Status::fail(FailureKind::Other, QString::fromUtf8(what) + QStringLiteral(": ") + qs(e.Message));
    } catch (const std::exception &e) {
        return Status::fail(FailureKind::Other, QString::fromUtf8(what) + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return Status::fail(FailureKind::Other, QString::fromUtf8(what));
    }
}

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

// Line widths in 1/100 mm that Calc's .xls filter writes as the Excel weights
// and reads back (hair 1 twip, thin 15, medium 35, thick 50 twips), and back.
sal_Int16 lineWidth(LineWeight w)
{
    switch (w) {
    case LineWeight::Hairline: return 2;
    case LineWeight::Thin: return 26;
    case LineWeight::Medium: return 62;
    case LineWeight::Thick: return 89;
    }
    return 26;
}

LineWeight weightOf(sal_Int32 width)
{
    if (width >= 80) return LineWeight::Thick;
    if (width >= 50) return LineWeight::Medium;
    if (width >= 15) return LineWeight::Thin;
    return LineWeight::Hairline;
}

class LoWorksheet : public Worksheet {
public:
    LoWorksheet(std::shared_ptr<Session> session, Reference<css::frame::XModel> model, int index = 0)
        : m_session(std::move(session)), m_model(std::move(model)), m_index(index)
    {
    }

    Result<CellValue> cell(int row, int col) override
    {
        Result<Block> b = readBlock(Range::cell(row, col));
        if (!b) return b.failure();
        return b->at(0, 0);
    }

    Status setCell(int row, int col, const CellValue &value) override
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

    Status setFormula(int row, int col, const QString &formula) override
    {
        if (Status c = checkRange(Range::cell(row, col)); !c) return c;
        return guarded(m_session.get(), "setFormula",
                       [&] { sheet()->getCellByPosition(col - 1, row - 1)->setFormula(ou(formula)); });
    }

    Result<QString> formula(int row, int col) override
    {
        QString out;
        if (Status c = checkRange(Range::cell(row, col)); !c) return c.failure();
        Status s = guarded(m_session.get(), "formula",
                           [&] { out = qs(sheet()->getCellByPosition(col - 1, row - 1)->getFormula()); });
        if (!s) return s.failure();
        return out;
    }

    Result<Block> readBlock(const Range &r) override
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
            // Dates and times come as serial numbers: take what the cell shows.
            Reference<css::sheet::XCellRangesQuery> query(range(r), UNO_QUERY_THROW);
            Reference<css::sheet::XSheetCellRanges> dates = query->queryContentCells(css::sheet::CellFlags::DATETIME);
            const Sequence<css::table::CellRangeAddress> found = dates->getRangeAddresses();

            for (const css::table::CellRangeAddress &a : found) {
                for (sal_Int32 row = a.StartRow; row <= a.EndRow; ++row)
                    for (sal_Int32 col = a.StartColumn; col <= a.EndColumn; ++col) {
                        const int i = int(row) - (r.row1 - 1), j = int(col) - (r.col1 - 1);
                        if (i < 0 || j < 0 || i >= block.rows() || j >= block.columns()) continue;
                        Reference<css::text::XText> cellText(sheet()->getCellByPosition(col, row), UNO_QUERY_THROW);
                        block.at(i, j) = CellValue(qs(cellText->getString()));
                    }
            }
        });
        if (!s) return s.failure();
        return block;
    }

    Status writeBlock(int row, int col, const Block &block) override
    {
        if (block.rows() == 0 || block.columns() == 0) return {};
        if (Status c = checkRange(Range::of(row, col, row + block.rows() - 1, col + block.columns() - 1)); !c)
            return c;
        return guarded(m_session.get(), "writeBlock", [&] {
            Sequence<Sequence<Any>> rows(block.rows());
            Sequence<Any> *out = rows.getArray();
            for (int i = 0; i < block.rows(); ++i) {
                Sequence<Any> line(block.columns());
                Any *cells = line.getArray();
                for (int j = 0; j < block.columns(); ++j) {
                    const CellValue &v = block.at(i, j);
                    if (v.isNumber())
                        cells[j] <<= v.numberValue();
                    else
                        cells[j] <<= ou(v.text());
                }
                out[i] = line;
            }
            // Fitting the row height after every Japanese cell is what makes a
            // block write slow; the counter is only lowered when it is up.
            Reference<css::beans::XPropertySet> doc(m_model, UNO_QUERY_THROW);
            bool adjust = false;
            doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
            if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));
            try {
                Reference<css::sheet::XCellRangeData> data(
                    range(Range::of(row, col, row + block.rows() - 1, col + block.columns() - 1)), UNO_QUERY_THROW);
                data->setDataArray(rows);
            } catch (...) {
                if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
                throw;
            }
            if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
        });
    }

    Status setTextFormatAllCells() override
    {
        return guarded(m_session.get(), "setTextFormatAllCells", [&] {
            Reference<css::beans::XPropertySet>(sheet(), UNO_QUERY_THROW)
                ->setPropertyValue(name("NumberFormat"), any(textFormatKey()));
        });
    }

    Status setNumberFormat(const Range &r, const QString &code) override
    {
        if (Status c = checkRange(r); !c) return c;
        return guarded(m_session.get(), "setNumberFormat",
                       [&] { props(r)->setPropertyValue(name("NumberFormat"), any(formatKey(ou(code)))); });
    }

    Status setTextFormat(const Range &r) override
    {
        if (Status c = checkRange(r); !c) return c;
        return guarded(m_session.get(), "setTextFormat",
                       [&] { props(r)->setPropertyValue(name("NumberFormat"), any(textFormatKey())); });
    }

    Status setBorder(const Range &r, Border index, int lineStyle) override
    {
        if (Status c = checkRange(r); !c) return c;
        css::table::BorderLine2 line;
        if (lineStyle == kLineContinuous) {
            line.LineStyle = css::table::BorderLineStyle::SOLID;
            line.OuterLineWidth = lineWidth(LineWeight::Thin);
            line.LineWidth = lineWidth(LineWeight::Thin);
        } else {
            line.LineStyle = css::table::BorderLineStyle::NONE;
        }
        return applyBorder(r, index, line, "setBorder");
    }

    Status setInteriorColor(const Range &r, int color) override
    {
        if (Status c = checkRange(r); !c) return c;
        return guarded(m_session.get(), "setInteriorColor", [&] {
            Reference<css::beans::XPropertySet> p = props(r);
            p->setPropertyValue(name("IsCellBackgroundTransparent"), any(false));
            p->setPropertyValue(name("CellBackColor"), any(toUnoColor(color)));
        });
    }

    Status setCentred(const Range &r) override
    {
        if (Status c = checkRange(r); !c) return c;
        return guarded(m_session.get(), "setCentred", [&] {
            props(r)->setPropertyValue(name("HoriJustify"), any(css::table::CellHoriJustify_CENTER));
        });
    }

    Status setRowHeight(const Range &r, double points) override
    {
        if (Status c = checkRange(r); !c) return c;
        return guarded(m_session.get(), "setRowHeight", [&] {
            Reference<css::table::XColumnRowRange> cr(range(r), UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet>(cr->getRows(), UNO_QUERY_THROW)
                ->setPropertyValue(name("Height"), any(pointsToMm100(points)));
        });
    }

    Status setColumnWidth(int col, double characters) override
    {
        if (Status c = checkRange(Range::cell(1, col)); !c) return c;
        return guarded(m_session.get(), "setColumnWidth", [&] {
            Reference<css::table::XColumnRowRange> cr(range(Range::cell(1, col)), UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet>(cr->getColumns(), UNO_QUERY_THROW)
                ->setPropertyValue(name("Width"), any(charactersToMm100(characters)));
        });
    }

    Status setFontSize(const Range &r, double points) override
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

    Status setBold(const Range &r, bool bold) override
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

    Status setFontColor(const Range &r, int color) override
    {
        if (Status c = checkRange(r); !c) return c;
        return guarded(m_session.get(), "setFontColor",
                       [&] { props(r)->setPropertyValue(name("CharColor"), any(toUnoColor(color))); });
    }

    Result<int> lastUsedRow() override
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

    Status setBorderLine(const Range &r, Border index, LineWeight weight, int color) override
    {
        if (Status c = checkRange(r); !c) return c;
        css::table::BorderLine2 line;
        line.LineStyle = css::table::BorderLineStyle::SOLID;
        line.OuterLineWidth = lineWidth(weight);
        line.LineWidth = lineWidth(weight);
        line.Color = toUnoColor(color);
        return applyBorder(r, index, line, "setBorderLine");
    }

    Status setPattern(const Range &r, Pattern pattern, int color) override
    {
        return setInteriorColor(r, PatternFillColor(pattern, color));
    }

    Status autoFitRows(const Range &r) override
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

    Result<BorderLine> borderLine(const Range &r, Border index) override
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
                out.weight = weightOf(width);
                out.color = toExcelColor(l.Color);
            }
        });
        if (!s) return s.failure();
        return out;
    }

    Result<CellFormat> format(int row, int col) override
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
            f.interiorColor = (transparent || back < 0) ? -1 : toExcelColor(back);
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
            f.fontColor = color < 0 ? 0 : toExcelColor(color);
        });
        if (!s) return s.failure();
        return f;
    }

    Result<bool> hasBorder(const Range &r, Border index) override
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

    Result<double> rowHeight(int row) override
    {
        sal_Int32 h = 0;
        if (Status c = checkRange(Range::cell(row, 1)); !c) return c.failure();
        Status s = guarded(m_session.get(), "rowHeight", [&] {
            Reference<css::table::XColumnRowRange> cr(range(Range::cell(row, 1)), UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet>(cr->getRows(), UNO_QUERY_THROW)->getPropertyValue(name("Height")) >>= h;
        });
        if (!s) return s.failure();
        return std::round(h * 72.0 / 2540.0 * 100.0) / 100.0;
    }

    Result<double> columnWidth(int col) override
    {
        sal_Int32 w = 0;
        if (Status c = checkRange(Range::cell(1, col)); !c) return c.failure();
        Status s = guarded(m_session.get(), "columnWidth", [&] {
            Reference<css::table::XColumnRowRange> cr(range(Range::cell(1, col)), UNO_QUERY_THROW);
            Reference<css::beans::XPropertySet>(cr->getColumns(), UNO_QUERY_THROW)->getPropertyValue(name("Width")) >>= w;
        });
        if (!s) return s.failure();
        return mm100ToCharacters(w);
    }

    Reference<css::sheet::XSpreadsheet> sheet()
    {
        if (!m_sheet.is()) {
            Reference<css::sheet::XSpreadsheetDocument> doc(m_model, UNO_QUERY_THROW);
            Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
            m_sheet.set(sheets->getByIndex(m_index), UNO_QUERY_THROW);
        }
        return m_sheet;
    }

private:
    Status applyBorder(const Range &r, Border index, const css::table::BorderLine2 &line, const char *what)
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

    Reference<css::table::XCellRange> range(const Range &r)
    {
        return sheet()->getCellRangeByPosition(r.col1 - 1, r.row1 - 1, r.col2 - 1, r.row2 - 1);
    }
    Reference<css::beans::XPropertySet> props(const Range &r)
    {
        return Reference<css::beans::XPropertySet>(range(r), UNO_QUERY_THROW);
    }
    sal_Int32 textFormatKey()
    {
        if (m_textKey < 0) m_textKey = formatKey(name(kTextFormat));
        return m_textKey;
    }
    sal_Int32 formatKey(const OUString &code)
    {
        Reference<css::util::XNumberFormatsSupplier> s(m_model, UNO_QUERY_THROW);
        Reference<css::util::XNumberFormats> formats = s->getNumberFormats();
        const css::lang::Locale locale;
        sal_Int32 key = formats->queryKey(code, locale, false);
        if (key < 0) key = formats->addNew(code, locale);
        return key;
    }

    std::shared_ptr<Session> m_session;
    Reference<css::frame::XModel> m_model;
    Reference<css::sheet::XSpreadsheet> m_sheet;
    sal_Int32 m_textKey = -1;
    int m_index = 0; // position among the sheets, from 0
};

// One document as the workbook objects bound to it share it. A book that a
// read bind loaded itself is closed when the last of them goes, unless it was
// shown or changed meanwhile (then it is the user's).
struct OpenDoc {
    std::shared_ptr<Session> session;
    Reference<css::frame::XModel> model;
    bool closeAtRelease = false;
    bool shown = false;
    bool closed = false;

    ~OpenDoc()
    {
        if (!closeAtRelease || shown || closed) return;
        guarded(session.get(), "release", [&] {
            Reference<css::util::XModifiable> modifiable(model, UNO_QUERY);
            if (modifiable.is() && modifiable->isModified()) return;
            Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
        });
    }
};

class LoWorkbook : public Workbook {
public:
    LoWorkbook(std::shared_ptr<OpenDoc> doc, QString path)
        : m_doc(doc), m_session(doc->session), m_model(doc->model), m_path(std::move(path)),
          m_sheet(doc->session, doc->model)
    {
    }
    ~LoWorkbook() override
    {
        // Releasing a book in the middle of a write must not leave the
        // document locked.
        if (!m_screenUpdating) setScreenUpdating(true);
    }

    QString path() const override { return m_path; }
    Worksheet &firstSheet() override { return m_sheet; }

    Result<int> sheetCount() override
    {
        sal_Int32 n = 0;
        Status s = guarded(m_session.get(), "sheetCount", [&] {
            Reference<css::sheet::XSpreadsheetDocument> doc(m_model, UNO_QUERY_THROW);
            n = Reference<css::container::XIndexAccess>(doc->getSheets(), UNO_QUERY_THROW)->getCount();
        });
        if (!s) return s.failure();
        return int(n);
    }

    Result<Worksheet *> sheet(int n) override
    {
        if (n == 1) return static_cast<Worksheet *>(&m_sheet);
        Result<int> count = sheetCount();
        if (!count.ok()) return count.failure();
        if (n < 1 || n > count.value())
            return Failure{FailureKind::OutsideSheet, QStringLiteral("no worksheet %1").arg(n)};
        auto &slot = m_others[n];
        if (!slot) slot = std::make_unique<LoWorksheet>(m_session, m_model, n - 1);
        return static_cast<Worksheet *>(slot.get());
    }

    Status insertSheet(int n, const QString &sheetName) override
    {
        Status s = guarded(m_session.get(), "insertSheet", [&] {
            Reference<css::sheet::XSpreadsheetDocument> doc(m_model, UNO_QUERY_THROW);
            doc->getSheets()->insertNewByName(ou(sheetName), sal_Int16(n - 1));
        });
        m_others.clear(); // positions moved
        return s;
    }

    Status setScreenUpdating(bool on) override
    {
        if (on == m_screenUpdating) return {};
        return guarded(m_session.get(), "setScreenUpdating", [&] {
            Reference<css::beans::XPropertySet> doc(m_model, UNO_QUERY_THROW);
            if (!on) {
                m_model->lockControllers();
                bool adjust = false;
                doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
                m_loweredAdjust = adjust;
                if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));
            } else {
                if (m_loweredAdjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
                m_loweredAdjust = false;
                if (m_model->hasControllersLocked()) m_model->unlockControllers();
            }
            m_screenUpdating = on;
        });
    }

    Status setEnableEvents(bool on) override
    {
        // Books are opened with macro execution switched off, so writes never
        // run a macro; the setting is kept for the callers' symmetry.
        m_events = on;
        return guarded(m_session.get(), "setEnableEvents", [&] { m_model->getURL(); });
    }

    Status setApplicationVisible(bool visible) override { return showWindow(visible, "setApplicationVisible"); }
    Status setWindowVisible(bool visible) override { return showWindow(visible, "setWindowVisible"); }

    Status activateFirstSheet() override
    {
        return guarded(m_session.get(), "activateFirstSheet", [&] {
            Reference<css::sheet::XSpreadsheetView> view(m_model->getCurrentController(), UNO_QUERY);
            if (view.is()) view->setActiveSheet(m_sheet.sheet());
        });
    }

    Status storeAsXls(const QString &path) override
    {
        if (!QFileInfo(path).absoluteDir().exists())
            return Status::fail(FailureKind::FolderMissing, QStringLiteral("folder missing: ") + path);
        Status s = guarded(m_session.get(), "storeAsXls", [&] {
            Reference<css::frame::XStorable> store(m_model, UNO_QUERY_THROW);
            Sequence<css::beans::PropertyValue> args(2);
            args.getArray()[0] = prop("FilterName", any(name("MS Excel 97")));
            args.getArray()[1] = prop("Overwrite", any(true));
            store->storeAsURL(ou(fileUrl(path)), args);
        });
        if (s) m_path = canonicalPath(path);
        return s;
    }

    Status close() override
    {
        if (!m_screenUpdating) setScreenUpdating(true);
        return guarded(m_session.get(), "close", [&] {
            Reference<css::util::XCloseable> c(m_model, UNO_QUERY_THROW);
            c->close(true);
            m_doc->closed = true;
        });
    }

private:
    Status showWindow(bool visible, const char *what)
    {
        return guarded(m_session.get(), what, [&] {
            m_doc->shown = visible;
            Reference<css::frame::XController> controller = m_model->getCurrentController();
            if (!controller.is()) return;
            Reference<css::frame::XFrame> frame = controller->getFrame();
            if (!frame.is()) return;
            Reference<css::awt::XWindow> window = frame->getContainerWindow();
            if (!window.is()) return;
            window->setVisible(visible);
            if (visible) {
                Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
                if (top.is()) top->toFront();
            }
        });
    }

    std::shared_ptr<OpenDoc> m_doc; // released last
    std::shared_ptr<Session> m_session;
    Reference<css::frame::XModel> m_model;
    QString m_path;
    LoWorksheet m_sheet;
    std::map<int, std::unique_ptr<LoWorksheet>> m_others; // Worksheets(n), n > 1
    bool m_screenUpdating = true;
    bool m_loweredAdjust = false;
    bool m_events = true;
};

// The book's default font. Japanese text takes the Asian face, which the .xls
// file then names: name the one Japanese Excel users have (a substitute
// renders it here). LibreOffice reads a stored book back with its own default
// Asian face, so books bound for writing get the name again. A new book also
// gets Arial for the rest (metric-compatible Liberation Sans renders it, so
// widths in characters come out right).
void setDefaultFonts(const Reference<css::frame::XModel> &model, bool newBook)
{
    Reference<css::style::XStyleFamiliesSupplier> families(model, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> cellStyles(families->getStyleFamilies()->getByName(name("CellStyles")),
                                                      UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> def(cellStyles->getByName(name("Default")), UNO_QUERY_THROW);
    const OUString asian = ou(QStringLiteral("ＭＳ Ｐゴシック"));
    OUString current;
    def->getPropertyValue(name("CharFontNameAsian")) >>= current;
    if (current != asian) def->setPropertyValue(name("CharFontNameAsian"), any(asian));
    if (newBook) {
        def->setPropertyValue(name("CharFontName"), any(name("Arial")));
        def->setPropertyValue(name("CharHeight"), any(11.0f));
        def->setPropertyValue(name("CharHeightAsian"), any(11.0f));
    }
}

} // namespace

// ---------------------------------------------------------------------------

LibreOfficeOptions LibreOfficeOptions::fromEnvironment()
{
    LibreOfficeOptions o;
    const QString program = qEnvironmentVariable("KPV_SOFFICE");
    if (!program.isEmpty()) o.program = program;
    const QString pipe = qEnvironmentVariable("KPV_SOFFICE_PIPE");
    if (!pipe.isEmpty()) {
        o.pipeName = pipe;
        o.external = true;
    }
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    o.headless = qEnvironmentVariable("KPV_SOFFICE_HEADLESS") == QLatin1String("1") || noDisplay
                 || qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
    return o;
}

struct LibreOffice::Impl {
    LibreOfficeOptions options;
    Reference<css::uno::XComponentContext> local;
    std::shared_ptr<Session> session;
    SofficeProcess process;
    std::unique_ptr<QTemporaryDir> temp;
    QString workFolder;
    QString pipe;
    QString profileUrl;
    int starts = 0;
    bool detached = false;
    std::vector<std::weak_ptr<OpenDoc>> docs;

    // The shared handle of a document (a new one when no workbook object holds it).
    std::shared_ptr<OpenDoc> docFor(const Reference<css::frame::XModel> &model, bool loadedForRead)
    {
        std::shared_ptr<OpenDoc> found;
        for (auto it = docs.begin(); it != docs.end();) {
            std::shared_ptr<OpenDoc> d = it->lock();
            if (!d) {
                it = docs.erase(it);
                continue;
            }
            if (d->session == session && d->model == model) found = d;
            ++it;
        }
        if (found) return found;
        found = std::make_shared<OpenDoc>();
        found->session = session;
        found->model = model;
        found->closeAtRelease = loadedForRead;
        docs.push_back(found);
        return found;
    }

    // Closes a document this bind loaded and will not hand out.
    void discard(const Reference<css::frame::XModel> &model)
    {
        guarded(session.get(), "discard",
                [&] { Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true); });
    }

    Status localContext()
    {
        if (local.is()) return {};
        // The client side of UNO needs to find the office's type libraries.
        if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
            qputenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:/usr/lib/libreoffice/program/fundamentalrc");
        try {
            local = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception &e) {
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("UNO bootstrap: ") + qs(e.Message));
        } catch (...) {
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("UNO bootstrap failed"));
        }
        return {};
    }

    // Connects to the pipe until the deadline; gives up early when the
    // process started here has gone.
    Status connect(const QString &pipeName, int timeoutMs, bool watchProcess)
    {
        if (Status s = localContext(); !s) return s;
        const OUString url = ou(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        QString last;
        for (;;) {
            try {
                Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(local);
                Reference<css::uno::XComponentContext> remote(resolver->resolve(url), UNO_QUERY_THROW);
                auto s = std::make_shared<Session>();
                s->context = remote;
                s->desktop = css::frame::Desktop::create(remote);
                session = s;
                return {};
            } catch (const css::connection::NoConnectException &e) {
                last = qs(e.Message);
            } catch (const css::uno::Exception &e) {
                last = qs(e.Message);
            } catch (...) {
                last = QStringLiteral("connect failed");
            }
            if (watchProcess && !process.running())
                return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("soffice ended during start: ") + last);
            if (std::chrono::steady_clock::now() >= deadline)
                return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("no connection: ") + last);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    Status startOwn()
    {
        if (workFolder.isEmpty()) {
            if (!options.workFolder.isEmpty()) {
                workFolder = options.workFolder;
            } else {
                temp = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kpv-soffice-XXXXXX"));
                if (!temp->isValid())
                    return Status::fail(FailureKind::Other, QStringLiteral("no temporary folder"));
                workFolder = temp->path();
            }
            QDir().mkpath(workFolder);
        }
        ++starts;
        pipe = options.pipeName.isEmpty() || starts > 1
                   ? QStringLiteral("kpv-%1-%2").arg(QCoreApplication::applicationPid()).arg(
                         QUuid::createUuid().toString(QUuid::Id128))
                   : options.pipeName;
        // A fresh profile per start: a crashed office may leave its profile locked.
        const QString profile = workFolder + QStringLiteral("/profile-%1").arg(starts);
        profileUrl = QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded);
        QStringList args{QStringLiteral("--invisible"), QStringLiteral("--nologo"), QStringLiteral("--norestore"),
                         QStringLiteral("--nofirststartwizard"), QStringLiteral("--nodefault"),
                         QStringLiteral("--nolockcheck"),
                         QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe),
                         QStringLiteral("-env:UserInstallation=") + profileUrl};
        if (options.headless) args.prepend(QStringLiteral("--headless"));
        QString error;
        if (!process.start(options.program, args, workFolder + QStringLiteral("/soffice.log"), &error))
            return Status::fail(FailureKind::ApplicationFailed, error);
        Status s = connect(pipe, options.startTimeoutMs, true);
        if (!s) process.killGroup();
        return s;
    }

    Status ensure()
    {
        if (session && !session->dead) {
            try {
                session->desktop->getCurrentFrame();
                return {};
            } catch (...) {
                session->dead = true;
            }
        }
        if (session) {
            session.reset();
            if (!options.external) {
                process.waitForExit(500);
                process.killGroup();
            }
        }
        if (options.external) return connect(options.pipeName, options.connectTimeoutMs, false);
        return startOwn();
    }

    // The open document of the file, if any.
    Reference<css::frame::XModel> findOpen(const QString &canonical)
    {
        Reference<css::container::XEnumerationAccess> access(session->desktop->getComponents(), UNO_QUERY_THROW);
        Reference<css::container::XEnumeration> e = access->createEnumeration();
        while (e->hasMoreElements()) {
            Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
            if (!model.is()) continue;
            const QString url = qs(model->getURL());
            if (url.isEmpty()) continue; // a new, never stored book
            const QString local = QUrl::fromEncoded(url.toUtf8()).toLocalFile();
            if (!local.isEmpty() && canonicalPath(local) == canonical) return model;
        }
        return {};
    }

    bool showsWindows()
    {
        if (options.headless || !session || session->dead) return false;
        bool shown = false;
        guarded(session.get(), "showsWindows", [&] {
            Reference<css::container::XEnumerationAccess> access(session->desktop->getComponents(), UNO_QUERY_THROW);
            Reference<css::container::XEnumeration> e = access->createEnumeration();
            while (e->hasMoreElements()) {
                Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
                if (!model.is() || !model->getCurrentController().is()) continue;
                Reference<css::frame::XFrame> frame = model->getCurrentController()->getFrame();
                if (!frame.is()) continue;
                Reference<css::awt::XWindow2> window(frame->getContainerWindow(), UNO_QUERY);
                if (window.is() && window->isVisible()) shown = true;
            }
        });
        return shown;
    }
};

LibreOffice::LibreOffice(LibreOfficeOptions options) : d(std::make_unique<Impl>())
{
    d->options = std::move(options);
}

LibreOffice::~LibreOffice()
{
    if (!d->detached) shutdown();
}

Status LibreOffice::start()
{
    return d->ensure();
}

void LibreOffice::detach()
{
    d->detached = true;
    d->process.detach();
    if (d->temp) d->temp->setAutoRemove(false);
}

void LibreOffice::shutdown()
{
    if (d->options.external) {
        d->session.reset();
        return;
    }
    if (d->process.pid() < 2) {
        d->session.reset();
        return;
    }
    if (d->showsWindows()) {
        // The user still has workbooks in front of them: the office is theirs now.
        d->session.reset();
        detach();
        return;
    }
    if (d->session && !d->session->dead) {
        try {
            d->session->desktop->terminate();
        } catch (...) {
            // The connection drops while the office ends.
        }
    }
    d->session.reset();
    if (!d->process.waitForExit(d->options.stopTimeoutMs)) d->process.killGroup();
    d->process.killGroup();
}

Result<std::unique_ptr<Workbook>> LibreOffice::bind(const QString &path, Access access)
{
    if (!QFileInfo(path).isFile())
        return Failure{FailureKind::WorkbookNotFound, QStringLiteral("no such workbook: ") + path};
    if (Status s = d->ensure(); !s) return s.failure();
    const QString canonical = canonicalPath(path);
    Reference<css::frame::XModel> model;
    bool readOnly = false;
    auto isReadOnly = [&] {
        Reference<css::frame::XStorable> store(model, UNO_QUERY);
        readOnly = store.is() && store->isReadonly();
    };
    Status s = guarded(d->session.get(), "bind", [&] {
        model = d->findOpen(canonical);
        if (model.is()) isReadOnly();
    });
    if (!s) return s.failure();
    if (model.is()) {
        // Open read-only (another PC held it when it was opened): nobody can store what we write.
        if (access == Access::Write && readOnly)
            return Failure{FailureKind::InUse, QStringLiteral("open read-only: ") + canonical};
        std::shared_ptr<OpenDoc> doc = d->docFor(model, false);
        if (access == Access::Write) doc->closeAtRelease = false;
        return std::unique_ptr<Workbook>(std::make_unique<LoWorkbook>(doc, canonical));
    }

    if (access == Access::Write) {
        if (Status w = CheckWritable(canonical); !w) return w.failure();
        if (LockedByOther(canonical, d->profileUrl))
            return Failure{FailureKind::InUse, QStringLiteral("open in another session: ") + canonical};
    }
    bool notSpreadsheet = false;
    s = guarded(d->session.get(), "load", [&] {
        Reference<css::frame::XComponentLoader> loader(d->session->desktop, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args(3);
        args.getArray()[0] = prop("Hidden", any(true));
        args.getArray()[1] = prop("MacroExecutionMode", any(css::document::MacroExecMode::NEVER_EXECUTE));
        args.getArray()[2] = prop("UpdateDocMode", any(sal_Int16(0)));
        Reference<css::lang::XComponent> component =
            loader->loadComponentFromURL(ou(fileUrl(canonical)), name("_blank"), 0, args);
        Reference<css::sheet::XSpreadsheetDocument> doc(component, UNO_QUERY);
        if (!doc.is()) {
            notSpreadsheet = true;
            Reference<css::util::XCloseable> c(component, UNO_QUERY);
            if (c.is()) c->close(true);
            return;
        }
        model.set(component, UNO_QUERY_THROW);
        try {
            isReadOnly();
            if (access == Access::Write && !readOnly) setDefaultFonts(model, false);
        } catch (...) {
            // No hidden, locked book stays behind a failed bind.
            Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
            model.clear();
            throw;
        }
    });
    if (!s) {
        if (s.kind() == FailureKind::Other || s.kind() == FailureKind::InUse)
            return Failure{FailureKind::WorkbookNotFound, s.failure().detail};
        return s.failure();
    }
    if (notSpreadsheet) return Failure{FailureKind::WorkbookNotFound, QStringLiteral("not a workbook: ") + canonical};
    if (access == Access::Write && readOnly) {
        d->discard(model);
        return Failure{FailureKind::InUse, QStringLiteral("opened read-only: ") + canonical};
    }
    return std::unique_ptr<Workbook>(std::make_unique<LoWorkbook>(d->docFor(model, access == Access::Read), canonical));
}

Result<std::unique_ptr<Workbook>> LibreOffice::createNew()
{
    if (Status s = d->ensure(); !s) return s.failure();
    Reference<css::frame::XModel> model;
    Status s = guarded(d->session.get(), "createNew", [&] {
        Reference<css::frame::XComponentLoader> loader(d->session->desktop, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args(1);
        args.getArray()[0] = prop("Hidden", any(true));
        model.set(loader->loadComponentFromURL(name("private:factory/scalc"), name("_blank"), 0, args),
                  UNO_QUERY_THROW);
        setDefaultFonts(model, true);
    });
    if (!s) return s.failure();
    return std::unique_ptr<Workbook>(std::make_unique<LoWorkbook>(d->docFor(model, false), QString()));
}

bool LibreOffice::isOpen(const QString &path)
{
    if (!d->session || d->session->dead) return false;
    bool open = false;
    guarded(d->session.get(), "isOpen", [&] { open = d->findOpen(canonicalPath(path)).is(); });
    return open;
}

long long LibreOffice::processId() const
{
    return d->process.pid();
}

QString LibreOffice::pipeName() const
{
    return d->options.external ? d->options.pipeName : d->pipe;
}

QString LibreOffice::profileUrl() const
{
    return d->profileUrl;
}

bool LibreOffice::headless() const
{
    return d->options.headless;
}

bool LibreOffice::stopExternal(const QString &pipeName, long long pid, int timeoutMs)
{
    {
        LibreOfficeOptions o;
        o.pipeName = pipeName;
        o.external = true;
        o.connectTimeoutMs = 2000;
        LibreOffice office(o);
        if (office.start()) {
            try {
                office.d->session->desktop->terminate();
            } catch (...) {
            }
        }
    }
    SofficeProcess p;
    if (pid < 2) return true;
    p.adopt(pid);
    if (p.waitForExit(timeoutMs)) return true;
    p.killGroup();
    return p.waitForExit(2000);
}

} // namespace kpv::excel
