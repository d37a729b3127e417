#pragma once
// The OLE2 compound file container of .xls workbooks, held in memory: read a
// whole file, let the caller replace stream contents, write it again. The
// directory is kept entry by entry as read (names, types, colours, tree links,
// class ids, state bits, times, free entries); only where the streams lie and
// how long they are is laid out anew. Files are always written as version 3
// (512-byte sectors; small streams in the mini stream). Broken input is
// refused with a reason for the log and never read out of bounds.

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

namespace kpv::excel {

class CompoundFile {
public:
    // Parses a whole file held in memory. On failure: nullopt and a one-line
    // reason in *why (English, for logs).
    static std::optional<CompoundFile> parse(std::string_view bytes, QString *why = nullptr);

    // The contents of the stream of that name directly under the root storage
    // (names compare without regard to case), nullptr when there is none. The
    // caller may replace the contents with any size.
    std::string *stream(std::u16string_view name);
    const std::string *stream(std::u16string_view name) const;

    // Every stream in the file's tree with its path ("Storage/Stream"), in
    // directory order.
    struct StreamRef {
        std::u16string path;
        const std::string *data;
    };
    std::vector<StreamRef> streams() const;

    // Writes the whole file piece by piece (the big streams straight from
    // their buffers). False when the device refuses a write or the contents
    // are too large for the format.
    bool write(QIODevice &out) const;

private:
    struct Entry {
        std::array<unsigned char, 128> raw{}; // as read; start and size are rewritten
        std::uint8_t type = 0;                // 0 free, 1 storage, 2 stream, 5 root
        std::uint32_t parent = 0xFFFFFFFFu;   // containing storage; none when unreachable
        std::u16string name;
        std::string data;
    };
    std::vector<Entry> m_entries;
};

} // namespace kpv::excel
