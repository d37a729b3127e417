#include "help.h"

#include <QStringList>

namespace kpv::tool {

QString helpText()
{
    return QStringList{
        QStringLiteral("使い方: kpvtool コマンド 対象"),
        QStringLiteral("KPV予備品管理のデータフォルダーを管理者が点検し、直すための道具です。"),
        QStringLiteral("repair に --apply を付けたときと restore のほかは、ファイルを読むだけで何も書き換えません。"),
        QString(),
        QStringLiteral("コマンド:"),
        QStringLiteral("  check データフォルダー    台帳（Ma在庫品.dat）、共有設定（Ma在庫品基礎.dat）、"),
        QStringLiteral("                            項目リスト（Mb在庫品02.dat～06.dat）を点検し、"),
        QStringLiteral("                            見つかった問題を1行に1件ずつ表示します。"),
        QStringLiteral("                            終了コード: 0=問題なし、1=問題あり、2=読めない"),
        QStringLiteral("  repair データフォルダー   直せる問題（台帳の末尾の半端なレコード、行末のないレコード、"),
        QStringLiteral("                            最後の行末のない設定・項目リスト、語数と合わない項目リストの件数、"),
        QStringLiteral("                            終了したPCが残したロック、途中で止まった変更）と直し方を表示します。"),
        QStringLiteral("                            何も変えません。終了コード: 0=直すものなし、1=直すものあり、2=読めない"),
        QStringLiteral("  repair データフォルダー --apply"),
        QStringLiteral("                            その問題を直します。変えるファイルは先に同じフォルダーの"),
        QStringLiteral("                            repair-日付-時刻 フォルダーへ写しを取ります。"),
        QStringLiteral("                            使用中のロックがあるときは何も変えません。終了コード: 0=直した、2=直せない"),
        QStringLiteral("  dump データフォルダー     台帳の全レコードを1行1件のJSONで表示します。"),
        QStringLiteral("  settings 設定ファイル     設定ファイルの50行をJSONの配列で表示します。"),
        QStringLiteral("  journal データフォルダー [--item 品番] [--since 日時] [--pc 端末名]"),
        QStringLiteral("                            台帳の変更記録（Ma在庫品.journal）を、変更された項目ごとに"),
        QStringLiteral("                            日時・端末・利用者・操作・レコード・品番・項目・変更前・変更後・状態の"),
        QStringLiteral("                            表（タブ区切り）で表示します。状態が「未完了」の変更は台帳に"),
        QStringLiteral("                            反映されたか確かめられていないもの、「中止」は何も変えずに終わったものです。"),
        QStringLiteral("                            --item はその品番の変更だけ、--since はその日時以降だけ、"),
        QStringLiteral("                            --pc はその端末の変更だけを表示します。"),
        QStringLiteral("                            並べ替え・削除・インポート・月報転記・データ転送の前の台帳は"),
        QStringLiteral("                            Ma在庫品履歴 フォルダーに写しがあります（新しい10件）。"),
        QStringLiteral("  restore データフォルダー --item 品番 --at 日時 [--yes]"),
        QStringLiteral("                            その品番の品目を、変更記録からその日時の時点の値に戻します。"),
        QStringLiteral("                            今その品番を持つレコードを探し、変える項目を表示して確かめてから"),
        QStringLiteral("                            （--yes で確認なし）台帳のロックを取って書き込み、「復元」として記録します。"),
        QStringLiteral("                            終了コード: 0=戻した（戻すものなし）、1=取りやめ、2=戻せない"),
        QStringLiteral("  --help                    この説明を表示します。"),
        QString(),
        QStringLiteral("例:"),
        QStringLiteral("  kpvtool check /mnt/kpv/データ/"),
        QStringLiteral("  kpvtool repair /mnt/kpv/データ/ --apply"),
        QStringLiteral("  kpvtool settings ~/.local/share/kpv/MbDOLV在庫品基礎.dat"),
        QStringLiteral("  kpvtool journal /mnt/kpv/データ/ --item A-003 --since 2026-06-01"),
        QStringLiteral("  kpvtool restore /mnt/kpv/データ/ --item A-003 --at \"2026-06-30 17:00\""),
        QString(),
        QStringLiteral("詳しくは利用の手引き（/usr/share/doc/kpv/ja/利用の手引き.md）をご覧ください。"),
    }.join(QLatin1Char('\n'));
}

} // namespace kpv::tool
