#pragma once
// What a file offered as a workbook to read really is, told from its bytes
// before the office opens it. The office opens nearly anything (a text or
// HTML file as a one-column sheet, a renamed .xlsx, a truncated book as far as
// it goes), so the imports look first: an Excel 97-2003 workbook is an OLE2
// compound file whose "Workbook" stream begins with a BIFF8 workbook BOF
// record and whose every sector is there.
//
// For a good workbook the check also gives the merged areas of the first
// sheet (the MERGEDCELLS records of its substream), which the imports
// refuse where they would hide a cell they read.

#include "excel/spreadsheet.h"

#include <QString>

#include <string_view>
#include <vector>

namespace kpv::excel {

struct XlsFileCheck {
    enum class Verdict {
        Workbook,    // an Excel 97-2003 workbook
        Missing,     // no such file
        Unreadable,  // the file cannot be read
        Empty,       // 0 bytes
        NotWorkbook, // text, HTML, random bytes, another program's file
        NewerFormat, // a zip package (.xlsx, .ods) named as a workbook
        OlderFormat, // Excel 5.0/95 or older
        Damaged,     // a compound file with sectors missing (truncated) or broken records
        Encrypted,   // protected by a password to open
    };
    Verdict verdict = Verdict::Unreadable;
    QString detail;            // one line for the log (English)
    std::vector<Range> merged; // merged areas of the first sheet, rows and columns from 1
    QString firstSheetName;

    bool ok() const { return verdict == Verdict::Workbook; }
    // What is wrong, as the user is told (one sentence, Japanese); empty for a workbook.
    QString reason() const;
};

XlsFileCheck CheckXlsFile(const QString &path);
// The same on bytes held in memory.
XlsFileCheck CheckXlsBytes(std::string_view bytes);

// Whether the office read the file with one of its Excel 97-2003 filters
// (the filter name Workbook::fileFormat() gives).
bool IsXlsFilter(const QString &filterName);

} // namespace kpv::excel
