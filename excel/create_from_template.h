#pragma once
// Output workbooks start as a copy of the blank template of the client's
// program folder.

#include "excel/spreadsheet.h"

#include <QString>

#include <memory>

namespace kpv::excel {

// The template, relative to the client's program folder.
inline constexpr const char *kExcelTemplate = "原本Excel/在庫出力台帳.xls";

// ClientFolder + kExcelTemplate.
QString ExcelTemplatePath(const QString &clientFolder);

enum class TemplateUse {
    ReuseExisting, // an existing output is kept and written over where new content lands
    Replace,       // the template is copied over the output every time
};

// Creates the output from the template (when it does not exist, or always
// with Replace) and binds to it for writing. A missing template, a missing
// folder, an output that is open elsewhere or read-only fail with their kinds;
// a Replace of a book that is open in the application fails with InUse
// rather than copying over it.
Result<std::unique_ptr<Workbook>> CreateFromTemplate(Spreadsheet &app, const QString &clientFolder,
                                                     const QString &outputPath,
                                                     TemplateUse use = TemplateUse::ReuseExisting);

// What a Replace checks before anything is written: the output's folder
// exists, and an existing output is not open in the application or another
// session and can be written.
Status CheckReplaceable(Spreadsheet &app, const QString &outputPath);

} // namespace kpv::excel
