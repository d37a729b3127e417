#pragma once
// The check of a whole import book before anything is written: every cell
// whose text the ledger or the word-list files cannot take is collected with
// its row and column, and the user is shown the list. An import with any such
// cell writes nothing, so a user never finds half a book imported with some
// texts cut or changed.
//
// A text is refused when code page 932 cannot hold one of its characters,
// when it is longer (in code page 932 bytes) than the field or cell it goes
// to, when it is an item number with a character a file name cannot hold
// (item numbers name the item's workbook), or when it is a word or setting
// with a double quote or a line break (the quoted line files cannot hold
// them).

#include <QByteArray>
#include <QString>

#include <vector>

namespace kpv {
class Messages;
}

namespace kpv::import {

struct CellProblem {
    int row = 0;
    int col = 0;
    QString reason; // what is wrong, for the user
};

class CellCheck {
public:
    // Checks one cell's text for a destination of width bytes. Returns true
    // when the text can be stored.
    bool text(int row, int col, const QString &value, int width);
    // The same, giving the code page 932 bytes of an accepted text.
    bool encode(int row, int col, const QString &value, int width, QByteArray &out);
    // The same, and the text must be usable in a file name.
    bool itemNumber(int row, int col, const QString &value, int width);
    // The same, and the text must fit a quoted line (no double quote, CR, LF).
    bool quotedValue(int row, int col, const QString &value, int width);

    bool ok() const { return m_problems.empty(); }
    const std::vector<CellProblem> &problems() const { return m_problems; }
    // The message text listing the problems (at most kListed lines of them).
    QString messageText() const;
    // Shows the list to the user (title "インポート確認").
    void tell(Messages &messages) const;

    static constexpr int kListed = 20;

private:
    void add(int row, int col, QString reason) { m_problems.push_back({row, col, std::move(reason)}); }
    std::vector<CellProblem> m_problems;
};

} // namespace kpv::import
