#pragma once
// The process-wide data of the system: folders, both settings stores, the
// item labels, the pick-lists, the ledger buffers and the index. The start-up
// builds one Dolvb and hands it to every screen by reference; tests build
// their own on a temporary folder. Nothing here is a global.
//
// Folders are held with exactly one trailing separator, and paths are formed
// by plain concatenation (folder + file name).

#include "storage/messages.h"
#include "storage/settings_store.h"

#include <QString>

#include <array>

namespace kpv {

class Dolvb {
public:
    Dolvb(Messages &messages, BusyPointer &pointer) : m_messages(messages), m_pointer(pointer) {}
    Dolvb(const Dolvb &) = delete;
    Dolvb &operator=(const Dolvb &) = delete;

    Messages &messages() { return m_messages; }
    BusyPointer &pointer() { return m_pointer; }

    // Folders (end with one separator).
    QString clientFolder;
    QString dataFolder;

    // Process-wide values of the start-up.
    QString machineName;
    QString appTitle;
    QString backgroundColour;      // colour constant text in blue-green-red order ("&H00E6D8AD"), empty = none yet
    int ledgerCapacity = 50010;
    int loginPending = 0;
    int subScreenOpened = 0;
    int entryTarget = 0;
    int changePending = 0;
    bool dailyIndexChecked = false;

    // The two settings stores in memory.
    SettingsSlots clientSettings;  // ClientSettings, slots 1..50
    SettingsSlots sharedSettings;  // SharedSettings, slots 1..50

    // Settings operations (file format and location rule in settings_store.h).
    QString clientSettingsPath() const;
    QString sharedSettingsPath() const;  // chosen anew at every call
    void loadClientSettings();
    // Trims every slot, writes the whole file. False (and a message to the
    // user) when the file cannot be written.
    bool saveClientSettings();
    void loadSharedSettings();
    bool saveSharedSettings();
    void askResetDataFolder();

    // Item labels, positions 1..20 (index 0 unused): the column and field
    // titles, five of them taken from SharedSettings.
    std::array<QString, 21> itemLabels;
    void buildItemLabels();

    // Where the settings files went wrong last (for tests and callers that
    // want to know why a load or save did not complete).
    bool sharedSettingsLoadFailed = false;

private:
    Messages &m_messages;
    BusyPointer &m_pointer;
};

} // namespace kpv
