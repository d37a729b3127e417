#include "ledger/card_messages.h"

namespace kpv::ledger::card_messages {

namespace {
constexpr QChar kCr = u'\r';
}

QString cardTitle() { return QStringLiteral("登録確認"); }

QString unstorableCharacter(const QString &character)
{
    return QStringLiteral("登録できない文字があります。") + kCr + QStringLiteral("　「") + character + QStringLiteral("」");
}

QString notANumber(const QString &typed, bool decimal)
{
    return QStringLiteral("「") + typed + QStringLiteral("」は数値として登録できません。") + kCr
           + (decimal ? QStringLiteral("　数字（桁区切りの「,」、小数点「.」、先頭の「-」は可）で入力してください。")
                      : QStringLiteral("　数字（桁区切りの「,」、先頭の「-」は可）で入力してください。"));
}

QString numberTooLong(const QString &typed, int bytes)
{
    return QStringLiteral("「") + typed + QStringLiteral("」は入力枠に入りません。") + kCr + QStringLiteral("　数量は")
           + QString::number(bytes) + QStringLiteral("桁までです。");
}

QString textCut(const QString &typed, const QString &stored)
{
    return QStringLiteral("「") + typed + QStringLiteral("」は項目の長さを超えています。") + kCr + QStringLiteral("　「") + stored
           + QStringLiteral("」までを登録しました。");
}

QString duplicateItemNumber(int recordNo)
{
    return QStringLiteral(" ") + QString::number(recordNo) + QStringLiteral(" 項目に同一在庫品Noがあります。") + kCr
           + QStringLiteral("入力在庫品NOをを修修正目に戻します。　");
}

QString totalTooLong()
{
    return QStringLiteral("数量は７桁までです。") + kCr + QStringLiteral("入力以前の数値に戻します。　");
}

QString shortage(const QString &heading)
{
    return heading + QStringLiteral(" この数量では在庫数不足となります。") + kCr + QStringLiteral("入力以前の数値に戻します。　");
}

QString discardChanges()
{
    return QStringLiteral("この在庫品の変更はまだ登録されていません。") + kCr + QStringLiteral("　変更を破棄してよろしいですか。");
}

QString overwriteChange()
{
    return QStringLiteral("この在庫品は他の端末で変更されています。") + kCr + QStringLiteral("　その変更に上書きして登録しますか。");
}

QString reorderedListReloaded()
{
    return QStringLiteral("在庫品台帳が他の端末で並べ替えられました。") + kCr + QStringLiteral("　一覧を読み直します。");
}

QString reorderedAtRegister()
{
    return QStringLiteral("在庫品台帳が他の端末で並べ替えられました（Sort・削除・インポート）。") + kCr
           + QStringLiteral("　一覧を読み直しました。個別枠の値はそのまま残っています。");
}

QString registerOnto(int recordNo, const QString &itemNumber)
{
    return QStringLiteral(" No ") + QString::number(recordNo) + QStringLiteral(" が同じ在庫品No「") + itemNumber
           + QStringLiteral("」の在庫品です。") + kCr + QStringLiteral("　個別枠の値をこの在庫品に登録しますか。");
}

QString registerAsNew(const QString &itemNumber, int count)
{
    const QString where = itemNumber.isEmpty() ? QStringLiteral("在庫品Noがないため、登録先の在庫品が分かりません。")
                          : count == 0 ? QStringLiteral("在庫品No「") + itemNumber + QStringLiteral("」の在庫品は台帳にありません。")
                                       : QStringLiteral("在庫品No「") + itemNumber + QStringLiteral("」の在庫品が台帳に")
                                             + QString::number(count) + QStringLiteral("件あります。");
    return where + kCr + QStringLiteral("　個別枠の値を新規の在庫品として登録しますか。");
}

} // namespace kpv::ledger::card_messages
