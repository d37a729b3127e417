#include "excel/import_book.h"

#include "excel/failure.h"
#include "excel/xls_file_check.h"
#include "excel/import_books.h"
#include "storage/messages.h"

#include <algorithm>

namespace kpv::import {

QString columnLetters(int col)
{
    QString s;
    while (col > 0) {
        const int r = (col - 1) % 26;
        s.prepend(QChar(u'A' + r));
        col = (col - 1) / 26;
    }
    return s;
}

QString refusalText(const QString &path, const QString &reason)
{
    return path + QLatin1Char('\r') + QStringLiteral("　") + reason + QLatin1Char('\r')
         + QStringLiteral("　このExcelは取り込めません。何も変更していません。");
}

void tellRefusal(Messages &messages, const QString &path, const QString &reason)
{
    messages.tell(QStringLiteral("インポート確認"), refusalText(path, reason));
}

QString rangeName(const excel::Range &r)
{
    const QString first = columnLetters(r.col1) + QString::number(r.row1);
    if (r.rows() == 1 && r.columns() == 1) return first;
    return first + QLatin1Char(':') + columnLetters(r.col2) + QString::number(r.row2);
}

std::optional<excel::Range> mergeHidingRead(const std::vector<excel::Range> &merged, const excel::Range &bounds,
                                            const std::function<bool(int, int)> &isRead)
{
    for (const excel::Range &m : merged) {
        const int r1 = std::max(m.row1, bounds.row1), r2 = std::min(m.row2, bounds.row2);
        const int c1 = std::max(m.col1, bounds.col1), c2 = std::min(m.col2, bounds.col2);
        for (int r = r1; r <= r2; ++r)
            for (int c = c1; c <= c2; ++c)
                if (!(r == m.row1 && c == m.col1) && isRead(r, c)) return m;
    }
    return std::nullopt;
}

QString mergedReason(const excel::Range &area)
{
    return QStringLiteral("取り込むセルが結合されています（%1）。セルの結合を解除してください。").arg(rangeName(area));
}

ImportBook::Opened ImportBook::open(const QString &path)
{
    finish();
    m_path = path;
    m_merged.clear();
    const excel::XlsFileCheck check = excel::CheckXlsFile(path);
    if (!check.ok()) {
        qWarning("import book %s: %s", qPrintable(path), qPrintable(check.detail));
        tellRefusal(m_messages, path, check.reason());
        return Opened::Refused;
    }
    auto book = m_office.bind(path, excel::Spreadsheet::Access::Read);
    if (!book.ok()) {
        if (book.kind() == excel::FailureKind::WorkbookNotFound) {
            qWarning("import book %s: %s", qPrintable(path), qPrintable(book.failure().detail));
            tellRefusal(m_messages, path, QStringLiteral("Excel 97-2003 ブック（.xls）として開けません。"));
            return Opened::Refused;
        }
        report(book.failure());
        return Opened::Failed;
    }
    m_book = std::move(book.value());
    // The office must have read it as a workbook, not guessed another format.
    auto format = m_book->fileFormat();
    if (!format.ok()) {
        m_book.reset();
        report(format.failure());
        return Opened::Failed;
    }
    if (!excel::IsXlsFilter(format.value())) {
        qWarning("import book %s: read as %s", qPrintable(path), qPrintable(format.value()));
        m_book.reset();
        tellRefusal(m_messages, path, excel::XlsFileCheck{excel::XlsFileCheck::Verdict::NotWorkbook, {}, {}, {}}.reason());
        return Opened::Refused;
    }
    m_merged = check.merged;
    // Not being able to stop repainting does not stop the reading.
    (void)m_book->setScreenUpdating(false);
    return Opened::Yes;
}

void ImportBook::report(const excel::Failure &failure)
{
    qWarning("import book: %s", qPrintable(failure.detail));
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
