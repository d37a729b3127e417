#include "excel/failure.h"

#include "storage/messages.h"

#include <cerrno>

namespace kpv::excel {

FailureMessage MessageForFailure(FailureKind kind)
{
    const QString outputTitle = QStringLiteral("Excel出力異常");
    switch (kind) {
    case FailureKind::InUse:
        return {outputTitle, QStringLiteral("既にExcelが開かれてます、Excelを閉じて再出力して下さい。　")};
    case FailureKind::ApplicationFailed:
        return {outputTitle, QStringLiteral("Excel自体のエラーです、Excel（Office)を確認してください。　")};
    case FailureKind::TemplateMissing:
        return {outputTitle, QStringLiteral("原本Excelフォルダー内のExcelファイル\r"
                                            "　在庫出力台帳.xls\r"
                                            "　　が見つかりません。")};
    case FailureKind::DiskNotReady:
        return {outputTitle, QStringLiteral("ディスクが準備されていません。　")};
    case FailureKind::FolderMissing:
        return {outputTitle, QStringLiteral("原本Excelフォルダーか\r"
                                            "出力Excelフォルダーが見つかりません。\r"
                                            "原本Excelフォルダー位置及び出力Excelフォルダー位置\r"
                                            "　を確認してください。")};
    case FailureKind::WorkbookNotFound:
        return {QStringLiteral("Excel異常"), QStringLiteral("Excelファイル名称が違います。　")};
    case FailureKind::WriteFailed:
        return {outputTitle, QStringLiteral("Excelファイルを保存できませんでした。\r"
                                            "出力先のディスクの空き容量と状態を確認してください。　")};
    case FailureKind::NoAnswer:
        return {outputTitle, QStringLiteral("Excelが応答しません。　\r"
                                            "開かれているブックを守るため、Excelは終了させていません。\r"
                                            "Excelの画面を確認してから、もう一度操作して下さい。　")};
    case FailureKind::Cancelled:
        return {};
    case FailureKind::OutsideSheet: // a caller's fault: the general message
    case FailureKind::Other:
        break;
    }
    return {outputTitle,
            QStringLiteral("Excel出力設定の問題です、マニュアルでパソコンの設定を確認してください。　")};
}

void ReportExcelFailure(Messages &messages, const Failure &failure)
{
    if (failure.kind == FailureKind::Cancelled) return; // the user stopped it and knows
    const FailureMessage m = MessageForFailure(failure.kind);
    messages.tell(m.title, m.text);
}

FailureKind FailureKindFromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return FailureKind::InUse;
    case ENOENT:
    case ENOTDIR:
        return FailureKind::FolderMissing;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FailureKind::WriteFailed;
    case EIO:
    case ENXIO:
    case ENODEV:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
    case ESTALE:
    case EHOSTDOWN:
    case ETIMEDOUT:
        return FailureKind::DiskNotReady;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return FailureKind::WorkbookNotFound;
    default:
        return FailureKind::Other;
    }
}

} // namespace kpv::excel
