#include "storage/drive_error.h"

namespace kpv {

DriveErrorReport classifyDriveError(int errorNumber, const QString &prefix, const QString &description)
{
    DriveErrorReport r;
    QString extra;
    switch (errorNumber) {
    case 7: case 53: case 70: case 480:
    case 51: case 52: case 71:
    case 61:
        r.show = true;
        r.endProgram = true;
        break;
    case 76:
        r.show = true;
        r.endProgram = true;
        extra = QStringLiteral("初期設定でﾄﾞﾗｲﾌﾞを選択して下さい,終了します。");
        break;
    case 482:
        r.show = true;
        break;
    default:
        break;
    }
    if (r.show) {
        r.title = QStringLiteral("異常確認");
        r.text = prefix + QLatin1Char(' ') + description + extra;
    }
    return r;
}

bool reportDriveError(Messages &messages, int errorNumber, const QString &prefix, const QString &description)
{
    const DriveErrorReport r = classifyDriveError(errorNumber, prefix, description);
    if (r.show) messages.tell(r.title, r.text);
    return r.endProgram;
}

int driveErrorNumber(QFileDevice::FileError error, bool pathMissing)
{
    if (pathMissing) return 76;
    switch (error) {
    case QFileDevice::NoError: return 0;
    case QFileDevice::PermissionsError: return 70;
    case QFileDevice::OpenError: return 53;
    case QFileDevice::ResourceError: return 61;
    case QFileDevice::WriteError: return 61;
    case QFileDevice::ReadError: return 71;
    default: return 52;
    }
}

} // namespace kpv
