#include "excel/create_from_template.h"

#include "excel/file_ops.h"

#include <QDir>
#include <QFileInfo>

namespace kpv::excel {

QString ExcelTemplatePath(const QString &clientFolder)
{
    QString folder = clientFolder;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder + QString::fromUtf8(kExcelTemplate);
}

Result<std::unique_ptr<Workbook>> CreateFromTemplate(Spreadsheet &app, const QString &clientFolder,
                                                     const QString &outputPath, TemplateUse use)
{
    const QFileInfo out(outputPath);
    const bool exists = out.exists();
    if (!exists || use == TemplateUse::Replace) {
        if (exists && app.isOpen(outputPath))
            return Failure{FailureKind::InUse, QStringLiteral("open in the application: ") + outputPath};
        if (exists && LockedByOther(outputPath, QString()))
            return Failure{FailureKind::InUse, QStringLiteral("open in another session: ") + outputPath};
        if (Status s = CopyTemplateFile(ExcelTemplatePath(clientFolder), outputPath); !s) return s.failure();
    }
    else if (!app.isOpen(outputPath)) {
        if (Status s = CheckWritable(outputPath); !s) return s.failure();
        if (LockedByOther(outputPath, QString()))
            return Failure{FailureKind::InUse, QStringLiteral("open in another session: ") + outputPath};
    }
    return app.bind(outputPath, Spreadsheet::Access::Write);
}

Status CheckReplaceable(Spreadsheet &app, const QString &outputPath)
{
    const QFileInfo out(outputPath);
    if (!out.absoluteDir().exists())
        return Status::fail(FailureKind::FolderMissing, QStringLiteral("output folder missing: ") + outputPath);
    if (!out.exists()) return {};
    if (app.isOpen(outputPath))
        return Status::fail(FailureKind::InUse, QStringLiteral("open in the application: ") + outputPath);
    if (LockedByOther(outputPath, QString()))
        return Status::fail(FailureKind::InUse, QStringLiteral("open in another session: ") + outputPath);
    return CheckWritable(outputPath);
}

} // namespace kpv::excel
