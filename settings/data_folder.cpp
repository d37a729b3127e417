#include "settings/data_folder.h"

#include "settings/settings_slot_names.h"
#include "settings/settings_writer.h"
#include "storage/dolvb.h"
#include "storage/file_copy.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/settings_store.h"
#include "storage/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace kpv::settings {

namespace {

const QString kTitle = QStringLiteral("登録確認");

QString lines(const QStringList &l)
{
    return l.join(QLatin1Char('\r'));
}

QString dailyBookName()
{
    return names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls");
}

// Why a folder cannot be written, from the error number of the attempt.
QString writeErrorText(int error)
{
    switch (error) {
    case EROFS:
        return QStringLiteral("読み取り専用のドライブです");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません（読み取り専用）");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクに空きがありません");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("フォルダーがありません");
    default:
        return QStringLiteral("書き込めません（エラー %1）").arg(error);
    }
}

QString listFileName(int n)
{
    return names::pickListPrefix() + QString::number(n).rightJustified(2, u'0') + QStringLiteral(".dat");
}

} // namespace

void DataFolder::tell(const QString &text)
{
    m_d.messages().tell(kTitle, text);
}

bool DataFolder::ask(const QString &text)
{
    return m_d.messages().ask(kTitle, text);
}

QStringList DataFolder::listFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString DataFolder::previous() const
{
    return m_d.clientSettings.value(client::kPreviousDataFolder);
}

bool DataFolder::atSetupPosition() const
{
    return m_d.clientSettings.value(client::kDataFolder) == m_d.clientFolder;
}

bool DataFolder::backupOn() const
{
    return m_d.clientSettings.isOn(client::kLedgerBackup);
}

bool DataFolder::open()
{
    m_transferOffered = false;
    m_d.changePending = 0;
    const QFileInfo info(m_d.dataFolder);
    const bool readable = info.isDir() && info.isReadable();
    if (!readable) {
        const QString text = m_d.dataFolder + QLatin1Char('\r')
            + QStringLiteral(" データフォルダー位置がおかしいです。   ※リスト項目データがありません。") + QLatin1Char('\r')
            + QStringLiteral(" 一旦クライアントフォルダー設定に戻します。");
        if (ask(text)) resetToClientFolder();
    }
    m_d.loadSharedSettings();
    m_candidate = m_d.dataFolder;
    return readable;
}

bool DataFolder::resetToClientFolder()
{
    const QString cf = m_d.clientFolder;
    m_d.changePending = 0;
    // The client moves only when its settings file says so.
    if (!changeClient(m_d, {{client::kDataFolderState, QStringLiteral("0")}, {client::kDataFolder, cf}, {client::kPreviousDataFolder, cf}}))
        return false;
    m_d.dataFolder = cf;
    m_positionChanged = true;
    return true;
}

QString DataFolder::cleanFolder(const QString &path)
{
    const QString text = cleanText(path);
    if (text.isEmpty()) return text;
    return normalizeFolderPath(QDir::cleanPath(text));
}

bool DataFolder::sameFolder(const QString &a, const QString &b)
{
    const auto identity = [](const QString &p) {
        const QFileInfo info(QDir::cleanPath(p));
        const QString real = info.canonicalFilePath();
        return real.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : real;
    };
    if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
    return identity(a) == identity(b);
}

void DataFolder::browse(const QString &path)
{
    m_candidate = cleanFolder(path);
    // A folder chosen here becomes the data folder only when registered.
    if (!sameFolder(m_candidate, m_d.clientSettings.value(client::kDataFolder))) m_d.changePending = 1;
}

DataFolder::Confirm DataFolder::confirmTyped(const QString &typed)
{
    const QString shown = cleanFolder(typed);
    const QString old = m_d.clientSettings.value(client::kDataFolder);
    m_d.changePending = 0;
    if (!ask(m_d.dataFolder + QLatin1Char('\r') + QStringLiteral(" 設定位置をデータフォルダーとして確定登録しますか？"))) {
        m_candidate = old;
        return Confirm::Declined;
    }
    if (sameFolder(shown, old)) {
        tell(lines({QStringLiteral(" ※フォルダー位置が同じです。　"), shown, old, QStringLiteral("　確認してください。")}));
        m_candidate = old;
        return Confirm::SameFolder;
    }
    if (shown.isEmpty() || !QDir::isAbsolutePath(shown) || !QFileInfo(shown).isDir()) {
        tell(lines({shown.isEmpty() ? QStringLiteral("（空）") : shown, QStringLiteral("　このフォルダーはありません。"),
                    QStringLiteral("　フォルダーを作成してから、その位置（C:\\ や / から始まる位置）を指定してください。")}));
        m_candidate = old;
        return Confirm::Missing;
    }
    if (!changeClient(m_d, {{client::kDataFolder, shown}, {client::kPreviousDataFolder, old}, {client::kDataFolderState, QStringLiteral("1")}})) {
        m_candidate = old;
        return Confirm::Declined;
    }
    m_d.dataFolder = shown;
    m_candidate = shown;
    m_transferOffered = true;
    m_positionChanged = true;
    return Confirm::Confirmed;
}

DataFolder::TransferPlan DataFolder::planTransfer(const QString &source, const QString &target) const
{
    TransferPlan plan;
    plan.source = source;
    plan.target = target;
    QStringList folders{names::ledgerBooksFolder(), names::materialsFolder()};
    const QString noTemplates = m_d.clientSettings.value(client::kNoTemplateFolder).trimmed();
    if (!sameFolder(target, m_d.clientFolder) && (noTemplates.isEmpty() || noTemplates == QLatin1String("0")))
        folders << names::templatesFolder();
    for (const QString &f : folders)
        if (!QFileInfo(target + f).isDir()) plan.folders << f;
    for (int n = kFirstList; n <= kLastList; ++n) plan.targetHasLists = plan.targetHasLists || QFileInfo::exists(target + listFileName(n));
    plan.targetHasLedger = QFileInfo::exists(target + names::ledger());
    plan.targetHasDaily = QFileInfo::exists(target + dailyBookName());
    plan.targetHasSettings = QFileInfo::exists(target + names::sharedSettings());
    // The source's daily book, or the program folder's blank when the source
    // never had one: a new data folder always gets a daily book.
    plan.dailyFrom = QFileInfo::exists(source + dailyBookName())
                         ? source + dailyBookName()
                         : m_d.clientFolder + names::templatesFolder() + QStringLiteral("/Mb入出庫月報.xls");
    return plan;
}

bool DataFolder::askTransfer(TransferPlan &plan)
{
    const auto replace = [&](const QString &what, const QString &kind) {
        return ask(lines({plan.target + what, QStringLiteral("　移動先に") + kind + QStringLiteral("が既にあります。"),
                          QStringLiteral("　移動元のデータで上書きしますか？"), QStringLiteral("　（いいえ：移動先のデータをそのまま使います）")}));
    };
    plan.copyData = ask(lines({QStringLiteral("※フォルダー変更位置にデータ転送"), QStringLiteral("※移動元"), plan.source,
                               QStringLiteral("※移動先"), plan.target, QString(), QStringLiteral("　　リスト項目データを転送します？　")}));
    if (plan.copyData) {
        plan.copyLists = !plan.targetHasLists || replace(QStringLiteral("Mb在庫品02.dat～06.dat"), QStringLiteral("リスト項目データ"));
        plan.copyLedger = !plan.targetHasLedger || replace(names::ledger(), QStringLiteral("在庫品データ"));
    }
    plan.copyDaily = QFileInfo::exists(plan.dailyFrom)
                  && (!plan.targetHasDaily || replace(dailyBookName(), QStringLiteral("入出庫月報")));
    return true;
}

bool DataFolder::createSubFolders(const TransferPlan &plan)
{
    m_d.changePending = 0;
    QDir dir(plan.target);
    for (const QString &f : plan.folders) {
        if (!dir.mkdir(f) && !QFileInfo(plan.target + f).isDir()) {
            tell(lines({plan.target + f, QStringLiteral("　フォルダーを作成できません（") + writeErrorText(folderWriteError(plan.target)) + QStringLiteral("）。")}));
            return false;
        }
    }
    return true;
}

bool DataFolder::copyTransfer(const TransferPlan &plan)
{
    BusyGuard busy(m_d.pointer());
    m_d.closeLedger();
    bool allCopied = true;
    const auto failed = [&](const QString &name) {
        tell(name + QStringLiteral("のファイル転送が出来ません。"));
        allCopied = false;
    };
    if (plan.copyLists)
        for (int n = kFirstList; n <= kLastList; ++n)
            if (copySharedFile(plan.source + listFileName(n), plan.target + listFileName(n)) != CopyResult::Copied) failed(listFileName(n));
    if (plan.copyLedger) {
        QString problem;
        switch (copyLedgerInto(plan.source + names::ledger(), plan.target + names::ledger(), &problem)) {
        case CopyResult::Copied:
            break;
        case CopyResult::JournalFailed:
            tell(lines({names::ledger() + QStringLiteral("のファイル転送が出来ません。"), changes::failureText(problem)}));
            allCopied = false;
            break;
        case CopyResult::Busy:
            tell(lines({names::ledger() + QStringLiteral("のファイル転送が出来ません。"),
                        QStringLiteral("　台帳ファイルを他のクライアントが使用中です。しばらくしてから転送してください。")}));
            allCopied = false;
            break;
        case CopyResult::Failed:
            failed(names::ledger());
            break;
        }
    }
    if (plan.copyDaily && copySharedFile(plan.dailyFrom, plan.target + dailyBookName()) != CopyResult::Copied)
        tell(QStringLiteral("M在庫資料\\Mb入出庫月報.xlsファイル転送が出来ません。"));
    m_d.changePending = 0;
    return allCopied;
}

bool DataFolder::transfer()
{
    m_d.loadClientSettings();
    if (m_d.clientSettings.value(client::kPreviousDataFolder).isEmpty())
        m_d.clientSettings.set(client::kPreviousDataFolder, m_d.clientFolder);
    const QString source = m_d.clientSettings.value(client::kPreviousDataFolder);
    m_d.dataFolder = source;
    const QString target = cleanFolder(m_candidate);

    if (sameFolder(target, m_d.clientFolder)) {
        tell(lines({QStringLiteral("※新規作成フォルダー　"), target,
                    QStringLiteral("　はデータフォルダ―位置として指定できません。（※基本フォルダー）")}));
        return false;
    }
    if (sameFolder(target, source)) {
        tell(lines({QStringLiteral("※新旧フォルダーの位置が同じです。　"), source, target,
                    QStringLiteral("　新規作成データフォルダ―位置を確認してください。")}));
        return false;
    }
    if (target.isEmpty() || !QDir::isAbsolutePath(target) || !QFileInfo(target).isDir()) {
        tell(lines({target, QStringLiteral("　このフォルダーはありません。"), QStringLiteral("　フォルダーを作成してからデータ転送を行ってください。")}));
        return false;
    }
    const QString question = lines({target, QStringLiteral("　の新規フォルダーにExce出力フォルダーを作成"), source,
                                    QStringLiteral(" からリスト項目転送・在庫管理データを転送"),
                                    QStringLiteral("　※データを転送し新規データフォルダー位置として確定登録します。"), QString(),
                                    QStringLiteral("※注意：共通サーバー運用時（数台のｸﾗｲｱﾝﾄﾊﾟｿｺﾝ運用）のデータ転送は"),
                                    QStringLiteral("　メインクライアントで1回行えばその他のクライアントパソコンは"),
                                    QStringLiteral("　データフォルダー位置設定のみでデータ転送は必要ありません。　")});
    if (!ask(question)) return false;

    // The plan: a target that cannot be written is said once, with why,
    // before anything is made or asked.
    TransferPlan plan = planTransfer(source, target);
    if (const int error = folderWriteError(target)) {
        tell(lines({target, QStringLiteral("　このフォルダーには書き込めません（") + writeErrorText(error) + QStringLiteral("）。"),
                    QStringLiteral("　データ転送を中止しました。何も変更していません。")}));
        return false;
    }
    // The source's settings (the word-list counts go with its lists).
    SettingsSlots sourceShared = m_d.sharedSettings;
    readSettingsFile(source + names::sharedSettings(), sourceShared);
    m_d.loadPickLists();

    askTransfer(plan);
    bool copied = createSubFolders(plan);
    if (copied) copied = copyTransfer(plan);

    if (!copied) {
        // The target lacks data the source still holds: keep working on the
        // source rather than on a folder with a missing ledger or list.
        changeClient(m_d, {{client::kDataFolder, source}, {client::kPreviousDataFolder, source}});
        m_d.dataFolder = source;
        m_d.loadPickLists();
        m_candidate = source;
        m_transferOffered = false;
        m_d.changePending = 0;
        tell(lines({QStringLiteral("新データフォルダーへのデータ転送が完了できません。"),
                    QStringLiteral("　データフォルダーは転送元のまま"), QStringLiteral("　") + source,
                    QStringLiteral("　を使います。転送先フォルダー内のデータを確認し、"),
                    QStringLiteral("　もう一度データ転送を行ってください。　")}));
        return false;
    }

    if (!changeClient(m_d, {{client::kDataFolder, target}, {client::kPreviousDataFolder, target}, {client::kDataFolderState, QStringLiteral("1")}})) {
        // Told by the settings change; the client stays on the source.
        m_d.dataFolder = source;
        m_d.changePending = 0;
        return false;
    }
    m_d.dataFolder = target;
    m_positionChanged = true;
    m_transferOffered = false;
    m_d.changePending = 0;
    // SharedSettings now lives in the new folder. One that is already there
    // (another client moved first) is kept and used; the counts of word
    // lists copied from the source go with them.
    bool settingsWritten = true;
    if (plan.targetHasSettings) {
        m_d.loadSharedSettings();
        if (plan.copyLists) {
            std::map<int, QString> counts;
            for (int n = kFirstList; n <= kLastList; ++n) counts[shared::kFirstCount + n - kFirstList] = sourceShared.value(shared::kFirstCount + n - kFirstList);
            settingsWritten = changeShared(m_d, counts);
        }
    } else {
        m_d.sharedSettings = sourceShared;
        settingsWritten = m_d.saveSharedSettings();
    }
    m_d.loadPickLists();
    QStringList done{QStringLiteral("※新規フォルダーにデータ転送が完了しました。")};
    if (plan.copyLists) done << QStringLiteral("　①リスト項目 Mb在庫品02.dat～ Mb在庫品07.dat転送");
    else if (plan.targetHasLists) done << QStringLiteral("　①リスト項目は移動先のデータをそのまま使います");
    if (plan.copyLedger) done << QStringLiteral("　②Ma在庫品.dat転送");
    else if (plan.targetHasLedger) done << QStringLiteral("　②Ma在庫品.datは移動先のデータをそのまま使います");
    done << QStringLiteral("　③Excel出力フォルダー作成完了");
    if (!settingsWritten) done << QStringLiteral("　※設定ファイル（Ma在庫品基礎.dat）を書き込めませんでした。確認してください。");
    done << QStringLiteral("　※フォルダーを新データフォルダーに登録変更完了　") << QStringLiteral("　　登録コマンドを押す必要はありません。");
    tell(lines(done));
    return true;
}

bool DataFolder::registerPanel()
{
    if (m_d.changePending != 1 || m_d.clientSettings.isOn(client::kReadOnly)) return false;
    m_d.changePending = 0;
    if (!ask(QStringLiteral("データ変更を登録しますか？"))) {
        m_candidate = normalizeFolderPath(m_d.clientSettings.value(client::kDataFolder));
        return false;
    }
    const QString current = m_d.clientSettings.value(client::kDataFolder);
    if (!sameFolder(m_candidate, current) && !sameFolder(m_candidate, m_d.clientFolder)) {
        if (!QFileInfo(m_candidate).isDir()) {
            tell(lines({m_candidate, QStringLiteral("　このフォルダーはありません。")}));
            m_candidate = normalizeFolderPath(current);
            return false;
        }
        if (!changeClient(m_d, {{client::kPreviousDataFolder, current}, {client::kDataFolderState, QStringLiteral("1")}, {client::kDataFolder, m_candidate}})) {
            m_candidate = normalizeFolderPath(current);
            return false;
        }
        m_d.dataFolder = m_candidate;
        m_d.loadSharedSettings();
        m_transferOffered = true;
    }
    m_positionChanged = true;
    return true;
}

bool DataFolder::returnToSetup()
{
    const QString text = lines({QStringLiteral("※データフォルダー配置位置変更"), QStringLiteral("　Ma在庫品基礎.dat・リスト項目・在庫品.dat・・Excel"),
                                QStringLiteral("　出力フォルダーの現在の配置は"), QStringLiteral(" ") + m_d.dataFolder, QStringLiteral("　です。"),
                                m_d.clientFolder, QStringLiteral("Setup時の初期状態に戻します。"), QStringLiteral("　変更しますか？")});
    if (!ask(text)) return false;
    if (!resetToClientFolder()) return false;
    m_d.loadSharedSettings();
    m_d.buildItemLabels();
    m_d.loadPickLists();
    m_candidate = m_d.dataFolder;
    m_transferOffered = false;
    return true;
}

void DataFolder::explainPosition()
{
    const QString cf = m_d.clientFolder;
    tell(lines({QStringLiteral("※データフォルダ配置変更"), QStringLiteral("　ソフトのSetUp時データフォルダー配置は"), cf,
                QStringLiteral("　に配置されてます。　"), QStringLiteral("　右枠でデータフォルダ―  "), cf,
                QStringLiteral("　以外のフォルダーに変更した時点にDF枠色がピンクに"), QStringLiteral("　自動で変更されます。"),
                QStringLiteral("　※Ma在庫品基礎.dat・Ma在庫品.dat・リスト項目"), QStringLiteral("　Excel出力のフォルダー位置が変わります。"),
                QStringLiteral("　ProgramFile枠クリックで、ソフトのSetUp時のデータフォルダー配置"),
                QStringLiteral("　に戻り枠色がピンクになります。")}));
}

bool DataFolder::setBackup(bool on)
{
    const QString text = on
        ? lines({QStringLiteral("クライアントパソコン毎の設定です。"), QStringLiteral(" DATA buckup の有り設定です。"),
                 QStringLiteral("有でMa在庫台帳..dat のデータbuckup"), QStringLiteral("在庫品の登録時"),
                 QStringLiteral("クライアントパソコンの　C:\\DOLVv○在庫管理理\\原本Excel￥内に"),
                 QStringLiteral("Buckupデータを配置　データ異常時はこのデータを"), QStringLiteral("データファイルにCopy貼り付けで復帰できます。"),
                 QStringLiteral("※ネットワーク上エラー発生の報告が有ります。"),
                 QStringLiteral(" その時は無しで設定してください。（ソフトの問題ではない）")})
        : lines({QStringLiteral("クライアントパソコン毎の設定です。"), QStringLiteral(" DATA buckup の無設定です。"),
                 QStringLiteral(" ※ネットワーク上エラー発生の報告が有ります。"), QStringLiteral("　この時は無しでマニュアルで"),
                 QStringLiteral("　Ma在庫台帳.datを任意にバックアップしてください。")});
    if (!ask(text)) return false;
    const bool ok = changeClient(m_d, {{client::kLedgerBackup, on ? QStringLiteral("1") : QStringLiteral("0")}});
    m_d.changePending = 0;
    return ok;
}

QString DataFolder::explanation()
{
    return lines({QStringLiteral("※データフォルダー設定"), QStringLiteral("　①データフォルダーをexplorer等で新規に作成"),
                  QStringLiteral("　②フォルダー設定画面で対象フォルダーを指定"), QStringLiteral("　③【新フォルダーファイル転送】コマンドを使って"),
                  QStringLiteral("　　リスト項目データーの転送。"), QStringLiteral("　　在庫台帳データー転送"),
                  QStringLiteral("　　Excel出力フォルダ作成まで"), QStringLiteral("　　自動転送実行、データーフォルダー確定登録"),
                  QStringLiteral("　　これで新データフォルダー管理可能状態となります。"),
                  QStringLiteral("　※多数クライアントサーバー運用時は,MAINクライアント"),
                  QStringLiteral("　　で設定し他クライアントはデーター位置設定のみで完了"), QStringLiteral("　※データフォルダの年毎管理を推奨します。")});
}

QString DataFolder::listInfoExplanation()
{
    return lines({QStringLiteral("KPV予備品台帳　"), QStringLiteral("①予備品台帳を編集する時のリストBoX関係の設定を行います。"),
                  QStringLiteral("②データフォルダー場所設定"), QStringLiteral("③データバックアップの設定"),
                  QStringLiteral("④予備品管理の対象年度の設定を行います。")});
}

} // namespace kpv::settings
