#pragma once
// The item specification workbook: one book per item,
// DataFolder + "M在庫資料/在庫品仕様<item number>.xls", made once from the
// blank template and reused. Each output rewrites only its own cells (the
// item number and five ledger fields at the top, the ruled table below);
// columns D and E from row 7 down are the user's and are never written, so
// a reused book keeps what the user entered there.
//
// The item number becomes part of a file name: one that cannot be (empty, a
// path separator, "." or "..", a character Windows forbids in file names, a
// control character, a trailing dot or space) is refused with a message and
// nothing is written anywhere.

#include "excel/spreadsheet.h"
#include "excel/work_thread.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace kpv {
class Dolvb;
}

namespace kpv::workbooks {

// What the card shows: the item number (Label3) and the headings and values
// of the field grid's columns 0 to 4 (name, specification, maker, storage
// location, unit price as formatted on the card).
struct SpecCard {
    QString itemNumber;
    std::array<QString, 5> headings;
    std::array<QString, 5> values;
};

// The reason an item number cannot name a file, or nullopt when it can.
std::optional<QString> itemNumberFileProblem(const QString &itemNumber);

QString specWorkbookPath(const QString &dataFolder, const QString &itemNumber);

// Writes the cell map into the first sheet of a book.
excel::Status writeSpecSheet(excel::Worksheet &sheet, const SpecCard &card);

class SpecWorkbook {
public:
    enum class Outcome { Written, NotRegistered, Refused, Failed };

    // progress (may be null) hears what is being done, and may cancel: the
    // item's book is then the one stored before (or none).
    SpecWorkbook(Dolvb &d, excel::Spreadsheet &office, excel::Progress *progress = nullptr)
        : m_d(d), m_office(office), m_progress(progress ? progress : &m_quiet)
    {
    }

    // The output for the card of record currentRecordNo (not yet registered:
    // the message and nothing else). The book is stored and shown.
    Outcome run(int currentRecordNo, const SpecCard &card);
    void setShowResult(bool show) { m_show = show; }
    QString lastPath() const { return m_path; }

private:
    Dolvb &m_d;
    excel::Spreadsheet &m_office;
    excel::NoProgress m_quiet;
    excel::Progress *m_progress;
    bool m_show = true;
    QString m_path;
};

namespace spec_text {
inline QString notRegisteredTitle() { return QStringLiteral("設備台帳確認"); }
inline QString notRegistered() { return QStringLiteral("　　  在庫仕様Excelを出力できません。　　　　"); }
inline QString badNameTitle() { return QStringLiteral("Excel出力異常"); }
inline QString writingStep() { return QStringLiteral("在庫品仕様Excelを書き込んでいます"); }
inline QString storingStep() { return QStringLiteral("在庫品仕様Excelを保存しています"); }
inline QString showingStep() { return QStringLiteral("在庫品仕様Excelを表示しています"); }
} // namespace spec_text

} // namespace kpv::workbooks
