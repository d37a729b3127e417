#pragma once
// One client of the system on a temporary folder: its program folder, the
// process-wide data, scripted message boxes and a recording screen opener.

#include "menu/menu_gates.h"
#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/settings_store.h"
#include "temp_folder.h"

#include <QDir>
#include <QTemporaryDir>

#include <initializer_list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace kpv::testing {

class RecordingOpener : public menu::ScreenOpener {
public:
    void open(menu::Screen s) override { opened.push_back(s); }
    std::vector<menu::Screen> opened;
};

using Slots = std::initializer_list<std::pair<int, const char16_t *>>;

inline void writeSlots(const QString &path, Slots values)
{
    SettingsSlots s;
    for (const auto &[slot, text] : values) s.set(slot, QString::fromUtf16(text));
    writeSettingsFile(path, s);
}

inline SettingsSlots readSlots(const QString &path)
{
    SettingsSlots s;
    readSettingsFile(path, s);
    return s;
}

struct Client {
    explicit Client(const QString &folder) : folder(withSlash(folder)), d(messages, pointer)
    {
        QDir().mkpath(folder);
        d.clientFolder = this->folder;
    }
    QString clientFile() const { return folder + names::clientSettings(); }
    QString sharedFile() const { return folder + names::sharedSettings(); }

    QString folder;
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb d;
    RecordingOpener opener;
};

struct World {
    QTemporaryDir dir;
    QString path(const QString &sub) const { return dir.path() + QLatin1Char('/') + sub; }
    std::unique_ptr<Client> client(const QString &sub = QStringLiteral("client"))
    {
        return std::make_unique<Client>(path(sub));
    }
};

} // namespace kpv::testing
