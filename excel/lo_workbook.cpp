#include "excel/lo_workbook.h"

#include "excel/file_ops.h"
#include "excel/units.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include <QFileInfo>
#include <QDir>

namespace kpv::excel {

OpenDoc::~OpenDoc()
{
    if (!closeAtRelease || shown || closed) return;
    guarded(
        session.get(), "release",
        [&] {
            Reference<css::util::XModifiable> modifiable(model, UNO_QUERY);
            if (modifiable.is() && modifiable->isModified()) return;
            Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
        },
        CallKind::Release);
}

LoWorkbook::~LoWorkbook()
{
    // Releasing a book in the middle of a write must not leave the
    // document locked.
    if (!m_screenUpdating) setScreenUpdating(true);
}

Status LoWorkbook::setScreenUpdating(bool on)
{
    if (on == m_screenUpdating) return {};
    // Turning it back on releases the document's controllers: also after a cancel.
    const CallKind kind = on ? CallKind::Release : CallKind::Work;
    return guarded(m_session.get(), "setScreenUpdating", [&] {
        Reference<css::beans::XPropertySet> doc(m_model, UNO_QUERY_THROW);
        if (!on) {
            m_model->lockControllers();
            bool adjust = false;
            doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
            m_loweredAdjust = adjust;
            if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));
            // Nobody undoes a program's writes, and keeping every step for
            // undo makes formatting many ranges slow.
            bool undo = false;
            doc->getPropertyValue(name("IsUndoEnabled")) >>= undo;
            m_loweredUndo = undo;
            if (undo) doc->setPropertyValue(name("IsUndoEnabled"), any(false));
        } else {
            if (m_loweredUndo) doc->setPropertyValue(name("IsUndoEnabled"), any(true));
            m_loweredUndo = false;
            if (m_loweredAdjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
            m_loweredAdjust = false;
            if (m_model->hasControllersLocked()) m_model->unlockControllers();
        }
        m_screenUpdating = on;
    }, kind);
}

Status LoWorkbook::setEnableEvents(bool on)
{
    // Books are opened with macro execution switched off, so writes never
    // run a macro; the setting is kept for the callers' symmetry.
    m_events = on;
    return guarded(m_session.get(), "setEnableEvents", [&] { m_model->getURL(); });
}

Result<int> LoWorkbook::sheetCount()
{
    sal_Int32 n = 0;
    Status s = guarded(m_session.get(), "sheetCount", [&] {
        Reference<css::sheet::XSpreadsheetDocument> doc(m_model, UNO_QUERY_THROW);
        n = Reference<css::container::XIndexAccess>(doc->getSheets(), UNO_QUERY_THROW)->getCount();
    });
    if (!s) return s.failure();
    return int(n);
}

Result<Worksheet *> LoWorkbook::sheet(int n)
{
    if (n == 1) return static_cast<Worksheet *>(&m_sheet);
    Result<int> count = sheetCount();
    if (!count.ok()) return count.failure();
    if (n < 1 || n > count.value()) return Failure{FailureKind::OutsideSheet, QStringLiteral("no worksheet %1").arg(n)};
    auto &slot = m_others[n];
    if (!slot) slot = std::make_unique<LoWorksheet>(m_session, m_model, n - 1);
    return static_cast<Worksheet *>(slot.get());
}

Status LoWorkbook::insertSheet(int n, const QString &sheetName)
{
    Status s = guarded(m_session.get(), "insertSheet", [&] {
        Reference<css::sheet::XSpreadsheetDocument> doc(m_model, UNO_QUERY_THROW);
        doc->getSheets()->insertNewByName(ou(sheetName), sal_Int16(n - 1));
    });
    m_others.clear(); // positions moved
    return s;
}

Status LoWorkbook::activateFirstSheet()
{
    return guarded(m_session.get(), "activateFirstSheet", [&] {
        Reference<css::sheet::XSpreadsheetView> view(m_model->getCurrentController(), UNO_QUERY);
        if (view.is()) view->setActiveSheet(m_sheet.sheet());
    });
}

Result<QString> LoWorkbook::fileFormat()
{
    QString filter;
    Status s = guarded(m_session.get(), "fileFormat", [&] {
        const Sequence<css::beans::PropertyValue> args = m_model->getArgs();
        for (const css::beans::PropertyValue &p : args) {
            OUString value;
            if (p.Name == "FilterName" && (p.Value >>= value)) filter = qs(value);
        }
    });
    if (!s) return s.failure();
    return filter;
}

Status LoWorkbook::storeAsXls(const QString &path)
{
    return storeInFormat(path, QStringLiteral("MS Excel 97"));
}

Status LoWorkbook::storeInFormat(const QString &path, const QString &filterName)
{
    if (!QFileInfo(path).absoluteDir().exists())
        return Status::fail(FailureKind::FolderMissing, QStringLiteral("folder missing: ") + path);
    // A file that cannot be written is the in-use case; a store that fails
    // after that is a failed write (a full disk, an I/O error).
    if (Status w = CheckWritable(path); !w) return w;
    // The book stored before is kept beside until the office has stored the
    // new one: a store that fails or is broken off (中止, a killed office)
    // puts it back, so the file is the old book or the new one, never half.
    BookBackup backup(path);
    if (!backup.ok()) return Status::fail(FailureKind::WriteFailed, QStringLiteral("no room to keep the old book: ") + path);
    Status s = guarded(m_session.get(), "storeAsXls", [&] {
        Reference<css::frame::XStorable> store(m_model, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args(2);
        args.getArray()[0] = prop("FilterName", any(ou(filterName)));
        args.getArray()[1] = prop("Overwrite", any(true));
        store->storeAsURL(ou(units::fileUrl(path)), args);
    });
    if (s) {
        backup.discard();
        m_path = units::canonicalPath(path);
        return s;
    }
    backup.restore();
    if (s.kind() == FailureKind::InUse) return Status::fail(FailureKind::WriteFailed, s.failure().detail);
    return s;
}

Status LoWorkbook::close()
{
    if (!m_screenUpdating) setScreenUpdating(true);
    return guarded(
        m_session.get(), "close",
        [&] {
            Reference<css::util::XCloseable> c(m_model, UNO_QUERY_THROW);
            c->close(true);
            m_doc->closed = true;
        },
        CallKind::Release);
}

Status LoWorkbook::showWindow(bool visible, const char *what)
{
    return guarded(m_session.get(), what, [&] {
        m_doc->shown = visible;
        if (visible) m_session->handedToUser(); // from now on the office may hold the user's books
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
    if (current != asian) {
        // Without this, the change refits every row of a large book (seconds
        // for a full ledger); the heights stored in the book stay as they are.
        Reference<css::beans::XPropertySet> doc(model, UNO_QUERY_THROW);
        bool adjust = false;
        doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
        if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));
        try {
            def->setPropertyValue(name("CharFontNameAsian"), any(asian));
        } catch (...) {
            if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
            throw;
        }
        if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
    }
    if (newBook) {
        def->setPropertyValue(name("CharFontName"), any(name("Arial")));
        def->setPropertyValue(name("CharHeight"), any(11.0f));
        def->setPropertyValue(name("CharHeightAsian"), any(11.0f));
    }
}

} // namespace kpv::excel
