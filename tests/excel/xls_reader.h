#pragma once
// An independent reader of stored .xls files (FreeXL), to check what the
// office wrote without asking the office.

#include <QFile>
#include <QString>

#include <freexl.h>

#include <map>
#include <utility>

namespace kpv::testing {

class XlsReader {
public:
    explicit XlsReader(const QString &path)
    {
        if (freexl_open(QFile::encodeName(path).constData(), &m_handle) != FREEXL_OK) {
            m_handle = nullptr;
            return;
        }
        unsigned int info = 0;
        if (freexl_get_info(m_handle, FREEXL_BIFF_VERSION, &info) == FREEXL_OK) m_biff = int(info);
        freexl_select_active_worksheet(m_handle, 0);
        freexl_worksheet_dimensions(m_handle, &m_rows, &m_columns);
    }
    ~XlsReader()
    {
        if (m_handle) freexl_close(m_handle);
    }
    XlsReader(const XlsReader &) = delete;
    XlsReader &operator=(const XlsReader &) = delete;

    bool ok() const { return m_handle != nullptr; }
    int biffVersion() const { return m_biff; }
    unsigned rows() const { return m_rows; }
    unsigned columns() const { return m_columns; }

    // The cell (1-based) as text; numbers in their shortest form.
    QString text(int row, int col) const
    {
        if (!m_handle || row < 1 || col < 1 || unsigned(row) > m_rows || unsigned(col) > m_columns) return {};
        FreeXL_CellValue v;
        if (freexl_get_cell_value(m_handle, unsigned(row - 1), static_cast<unsigned short>(col - 1), &v) != FREEXL_OK)
            return {};
        switch (v.type) {
        case FREEXL_CELL_INT: return QString::number(v.value.int_value);
        case FREEXL_CELL_DOUBLE: return QString::number(v.value.double_value, 'g', 15);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: return QString::fromUtf8(v.value.text_value);
        default: return {};
        }
    }
    bool isNumber(int row, int col) const
    {
        FreeXL_CellValue v;
        if (!m_handle || freexl_get_cell_value(m_handle, unsigned(row - 1), static_cast<unsigned short>(col - 1), &v) != FREEXL_OK)
            return false;
        return v.type == FREEXL_CELL_INT || v.type == FREEXL_CELL_DOUBLE;
    }

private:
    const void *m_handle = nullptr;
    int m_biff = 0;
    unsigned m_rows = 0;
    unsigned short m_columns = 0;
};

} // namespace kpv::testing
