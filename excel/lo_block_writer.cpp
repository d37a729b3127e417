// The threaded block writer of a worksheet: a block of cells goes to the
// office in pieces of about kCellsPerPiece cells; a helper thread makes the
// next pieces (up to kAhead) while this thread, the only one that talks to
// the office, sends the current one. Row heights are not fitted meanwhile.

#include "excel/lo_worksheet.h"

#include <com/sun/star/sheet/XCellRangeData.hpp>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace kpv::excel {

namespace {

// A large block goes to the office in pieces of about this many cells: while
// the office stores one piece, the next ones (up to kAhead) are made here,
// and the pieces stay small enough for both processes to reuse their memory.
constexpr int kCellsPerPiece = 16384;
constexpr int kAhead = 2;

void toOffice(const Block &block, int first, int rows, Sequence<Sequence<Any>> &out)
{
    out.realloc(rows);
    Sequence<Any> *lines = out.getArray();
    for (int i = 0; i < rows; ++i) {
        Sequence<Any> line(block.columns());
        Any *cells = line.getArray();
        for (int j = 0; j < block.columns(); ++j) {
            const CellValue &v = block.at(first + i, j);
            if (v.isNumber())
                cells[j] <<= v.numberValue();
            else
                cells[j] <<= ou(v.text());
        }
        lines[i] = std::move(line);
    }
}

} // namespace

Status LoWorksheet::writeBlock(int row, int col, const Block &block)
{
    if (block.rows() == 0 || block.columns() == 0) return {};
    if (Status c = checkRange(Range::of(row, col, row + block.rows() - 1, col + block.columns() - 1)); !c)
        return c;
    return writePieces("writeBlock", row, col, block.rows(), block.columns(),
                       [&](int first, int rows, Sequence<Sequence<Any>> &out) { toOffice(block, first, rows, out); });
}

Status LoWorksheet::writeRows(int row, int col, int rows, int columns, const RowFill &fill)
{
    if (rows <= 0 || columns <= 0) return {};
    if (Status c = checkRange(Range::of(row, col, row + rows - 1, col + columns - 1)); !c) return c;
    return writePieces("writeRows", row, col, rows, columns, [&](int first, int count, Sequence<Sequence<Any>> &out) {
        Block piece(count, columns);
        fill(first, piece);
        toOffice(piece, 0, count, out);
    });
}

Status LoWorksheet::writePieces(const char *what, int row, int col, int rows, int columns, const Piece &piece)
{
    return guarded(m_session.get(), what, [&] {
        // Fitting the row height after every Japanese cell is what makes a
        // block write slow; the counter is only lowered when it is up.
        Reference<css::beans::XPropertySet> doc(m_model, UNO_QUERY_THROW);
        bool adjust = false;
        doc->getPropertyValue(name("IsAdjustHeightEnabled")) >>= adjust;
        if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(false));

        const Reference<css::sheet::XSpreadsheet> target = sheet();
        const int pieceRows = std::max(1, kCellsPerPiece / columns);
        const int pieces = (rows + pieceRows - 1) / pieceRows;
        // A helper thread makes the pieces, up to kAhead ahead; this thread
        // alone talks to the office and sends them in order.
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<Sequence<Sequence<Any>>> made;
        bool stop = false;
        std::exception_ptr makeFailure;
        std::thread maker;
        if (pieces > 1)
            maker = std::thread([&] {
                try {
                    for (int k = 0; k < pieces; ++k) {
                        {
                            std::unique_lock<std::mutex> lock(mutex);
                            changed.wait(lock, [&] { return stop || int(made.size()) < kAhead; });
                            if (stop) return;
                        }
                        Sequence<Sequence<Any>> data;
                        piece(k * pieceRows, std::min(pieceRows, rows - k * pieceRows), data);
                        std::lock_guard<std::mutex> lock(mutex);
                        made.push_back(std::move(data));
                        changed.notify_all();
                    }
                } catch (...) {
                    std::lock_guard<std::mutex> lock(mutex);
                    makeFailure = std::current_exception();
                    changed.notify_all();
                }
            });
        struct Joined {
            std::thread &t;
            std::mutex &m;
            std::condition_variable &c;
            bool &stop;
            ~Joined()
            {
                {
                    std::lock_guard<std::mutex> lock(m);
                    stop = true;
                }
                c.notify_all();
                if (t.joinable()) t.join();
            }
        } joined{maker, mutex, changed, stop};
        try {
            for (int k = 0; k < pieces; ++k) {
                Sequence<Sequence<Any>> data;
                if (pieces == 1) {
                    piece(0, rows, data);
                } else {
                    std::unique_lock<std::mutex> lock(mutex);
                    changed.wait(lock, [&] { return !made.empty() || makeFailure; });
                    if (made.empty()) std::rethrow_exception(makeFailure);
                    data = made.front();
                    made.pop_front();
                    changed.notify_all();
                }
                const int first = k * pieceRows;
                const int count = std::min(pieceRows, rows - first);
                Reference<css::sheet::XCellRangeData> range(
                    target->getCellRangeByPosition(col - 1, row - 1 + first, col + columns - 2, row + first + count - 2),
                    UNO_QUERY_THROW);
                range->setDataArray(data);
            }
        } catch (...) {
            if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
            throw;
        }
        if (adjust) doc->setPropertyValue(name("IsAdjustHeightEnabled"), any(true));
    });
}

} // namespace kpv::excel
