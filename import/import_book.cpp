#include "import/import_book.h"

#include "excel/failure.h"

#include <QFileInfo>

namespace kpv::import {

bool ImportBook::open(const QString &path)
{
    finish();
    if (!QFileInfo(path).isFile()) {
        report({excel::FailureKind::WorkbookNotFound, path});
        return false;
    }
    auto book = m_office.bind(path, excel::Spreadsheet::Access::Read);
    if (!book.ok()) {
        report(book.failure());
        return false;
    }
    m_book = std::move(book.value());
    // Not being able to stop repainting does not stop the reading.
    (void)m_book->setScreenUpdating(false);
    return true;
}

void ImportBook::report(const excel::Failure &failure)
{
    excel::ReportExcelFailure(m_messages, failure);
}

void ImportBook::finish()
{
    if (!m_book) return;
    (void)m_book->setScreenUpdating(true);
    (void)m_book->setApplicationVisible(false);
    (void)m_book->activateFirstSheet();
    (void)m_book->setWindowVisible(false);
    m_book.reset();
}

} // namespace kpv::import
