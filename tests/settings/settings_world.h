#pragma once
// One client on a temporary folder, set up as the settings screen finds it:
// ClientSettings at the program folder, SharedSettings with labels and
// counts, and the five word lists.

#include "excel/window_thread.h"
#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/settings_store.h"
#include "temp_folder.h"

#include <QDir>
#include <QTemporaryDir>

namespace kpv::testing {

struct SettingsWorld {
    QTemporaryDir dir;
    QString client = withSlash(dir.path() + QStringLiteral("/client"));
    ScriptedMessages messages;
    // Workbook work runs on the office's thread: its messages reach the
    // script on the window thread, as in the program.
    excel::WindowThreadMessages windowMessages{messages};
    RecordingBusyPointer pointer;
    Dolvb d{windowMessages, pointer};

    // lists[n - 2]: the words of list n (companion "id" + word).
    explicit SettingsWorld(const std::vector<QStringList> &lists = {}, int count = 5)
    {
        QDir().mkpath(client);
        d.clientFolder = d.dataFolder = client;
        for (int s : {1, 2}) d.clientSettings.set(s, client);
        d.clientSettings.set(3, QStringLiteral("0"));
        d.saveClientSettings();
        for (int n = 2; n <= 6; ++n) d.sharedSettings.set(n + 1, QString::number(count));
        d.sharedSettings.set(9, QStringLiteral("2026/04"));
        const char16_t *labels[] = {u"品番", u"品名", u"仕様", u"メーカー", u"保管場所", u"単位"};
        for (int r = 0; r < 6; ++r) d.sharedSettings.set(14 + r, QString::fromUtf16(labels[r]));
        d.sharedSettings.set(22, QStringLiteral("100"));
        d.saveSharedSettings();
        for (size_t i = 0; i < lists.size(); ++i)
            for (int k = 0; k < lists[i].size(); ++k) {
                d.pickListTable.setWord(k + 1, int(i) + 2, lists[i][k]);
                d.pickListTable.setId(k + 1, int(i) + 2, QStringLiteral("id") + lists[i][k]);
            }
        d.savePickLists();
        d.buildItemLabels();
    }
    SettingsSlots sharedFile() const
    {
        SettingsSlots s;
        readSettingsFile(client + names::sharedSettings(), s);
        return s;
    }
    SettingsSlots clientFile() const
    {
        SettingsSlots s;
        readSettingsFile(client + names::clientSettings(), s);
        return s;
    }
};

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace kpv::testing
