#pragma once
// The word-list editor of the settings screen: one of lists 2..6 as entries
// 1..count (count = SharedSettings slot list + 1), a current entry (0 is the
// title row), typing with the 28-byte check, moving with wrap-around, the
// clear-below, insert and delete operations (shown first, done on "はい"),
// and the swap of two entries. A word and its companion value always move
// together. The buffer operations work on lists of any count.
//
// "登　録" saves only the lists edited here, each on its own. A list file
// that changed since this screen read it (another client saved it) is not
// overwritten without asking.

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <set>
#include <vector>

namespace kpv {
class Dolvb;
}

namespace kpv::settings {

struct PickEntry {
    QString word;
    QString id;
    bool operator==(const PickEntry &) const = default;
};

enum class BufferOp { ClearBelow, Insert, Delete };

// The change of one operation on entries 1..count (entries[0] is entry 1);
// r is the current entry (1-based). The length never changes.
void applyBufferOp(std::vector<PickEntry> &entries, BufferOp op, int r);

class PickListEditor {
public:
    static constexpr int kMaxWordBytes = 28;
    static constexpr int kKeptCharacters = 20;

    explicit PickListEditor(Dolvb &d) : m_d(d) {}

    // Remembers the list files as read (after the lists were loaded).
    void rememberFiles();

    // Opens list n (2..6). Lists 4..6 start on the title row; lists 2 and 3
    // keep the current row (held within the new list).
    void open(int list);
    int list() const { return m_list; }
    int count() const { return m_count; }
    int row() const { return m_row; }
    void setRow(int row);

    QString word(int entry) const;        // cleaned
    QString rawWord(int entry) const;     // as stored
    std::vector<PickEntry> entries() const;

    // Enter: stores the word and moves on (after the last entry to entry 1).
    // Refused: a word over 28 bytes (message; *keep = its first 20
    // characters) or a character the list file cannot hold (message; *keep =
    // the text as typed). True when stored.
    bool enter(const QString &text, QString *keep);
    void moveUp();
    void moveDown();

    // The buffer operation: preview shows the changed entries, then the
    // question; "はい" stores them. Delete on the title row does nothing.
    // True when the list changed.
    bool run(BufferOp op, const std::function<void(const std::vector<PickEntry> &)> &preview);

    // The swap: asks, and on "はい" waits for the target entry.
    bool beginSwap();
    bool swapWaiting() const { return m_swapFrom > 0; }
    // A click on entry t: completes a waiting swap, else makes t current.
    void click(int t);

    // "登　録": saves the edited lists. True when all of them were written.
    bool registerLists();
    bool edited(int list) const { return m_edited.count(list) > 0; }

private:
    void touched();
    Dolvb &m_d;
    int m_list = 0;
    int m_count = 0;
    int m_row = 0;
    int m_swapFrom = 0;
    std::set<int> m_edited;
    std::map<int, QByteArray> m_files; // list -> file bytes as read (empty: none)
};

} // namespace kpv::settings
