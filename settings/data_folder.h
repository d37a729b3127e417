#pragma once
// Where the shared data lives: the data-folder panel's confirm, transfer,
// register and return to the program folder, and the ledger backup switch.
//
// The data folder is ClientSettings slot 1 (slot 2 the previous one, slot 3
// "1" after a move, "0" back at the program folder). Browsing and typing only
// choose a candidate; nothing else follows it until the user confirms. Every
// change of ClientSettings sets exactly its slots in the file.
//
// A transfer creates the sub-folders, copies the word lists and the ledger
// file (each file on its own; a failed copy is reported and the next one is
// tried), then the daily book, and moves this client to the new folder. It
// never replaces a ledger the target already holds without asking, and when
// a copy failed the client stays on the source folder, which still holds all
// its data.

#include <QString>
#include <QStringList>

namespace kpv {
class Dolvb;
}

namespace kpv::settings {

class DataFolder {
public:
    explicit DataFolder(Dolvb &d) : m_d(d) {}

    // Opening the panel: SharedSettings read again, the candidate is the data
    // folder. When the data folder cannot be read, the user is offered the
    // return to the program folder; false then.
    bool open();

    // File names of a folder (files only, by name).
    static QStringList listFiles(const QString &folder);

    QString candidate() const { return m_candidate; }
    QString previous() const;   // ClientSettings slot 2
    bool atSetupPosition() const;
    bool transferOffered() const { return m_transferOffered; }
    bool positionChanged() const { return m_positionChanged; }

    // Browsing to a folder: only the candidate changes.
    void browse(const QString &path);

    // Enter on a typed path: asks to confirm it as the data folder.
    enum class Confirm { Confirmed, SameFolder, Declined };
    Confirm confirmTyped(const QString &typed);

    // "データ転送" to the candidate. True when the client now works on it.
    bool transfer();

    // "登　録" of the panel (only with a pending change on a writable client).
    bool registerPanel();

    // The box beside "C:PFolder": back to the program folder (labels and
    // lists are read again from there). True when the user said yes.
    bool returnToSetup();
    void explainPosition();   // the box beside "DetaFolder"

    // The ledger backup switch (ClientSettings slot 18).
    bool setBackup(bool on);
    bool backupOn() const;

    static QString explanation();          // the panel's "説明"
    static QString listInfoExplanation();  // the list information's "説明"

private:
    bool copyListsAndLedger(const QString &source, const QString &target);
    void createSubFolders(const QString &target);
    bool resetToClientFolder();
    void tell(const QString &text);
    bool ask(const QString &text);

    Dolvb &m_d;
    QString m_candidate;
    bool m_transferOffered = false;
    bool m_positionChanged = false;
};

} // namespace kpv::settings
