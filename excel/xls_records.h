#pragma once
// The record level of a BIFF8 "Workbook" stream (private to the stored-book
// writer): record types, little-endian fields, a cursor over the records,
// and which records make up a sheet's cell table.

#include <cstdint>
#include <string>
#include <string_view>

namespace kpv::excel::biff {

// Record types.
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kArray = 0x0221;
constexpr std::uint16_t kShrFmla = 0x04BC;
constexpr std::uint16_t kTable = 0x0236;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kPalette = 0x0092;

// The most data one record holds; longer data goes on in CONTINUE records.
constexpr size_t kMaxRecordData = 8224;
// Rows per block of the cell table, as the office writes them.
constexpr int kRowsPerBlock = 32;

inline std::uint16_t rd16(std::string_view d, size_t at)
{
    return std::uint16_t(std::uint8_t(d[at]) | (std::uint8_t(d[at + 1]) << 8));
}
inline std::uint32_t rd32(std::string_view d, size_t at)
{
    return rd16(d, at) | (std::uint32_t(rd16(d, at + 2)) << 16);
}
inline void put16(std::string &out, std::uint16_t v)
{
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.append(b, 2);
}
inline void put32(std::string &out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}
inline void set16(std::string &out, size_t at, std::uint16_t v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}
inline void set32(std::string &out, size_t at, std::uint32_t v)
{
    set16(out, at, std::uint16_t(v & 0xFFFF));
    set16(out, at + 2, std::uint16_t(v >> 16));
}

// A record in a stream: its type, its data, and where it starts.
struct Cursor {
    std::string_view all;
    size_t at = 0;
    bool next(std::uint16_t &type, std::string_view &data, size_t &start)
    {
        if (at + 4 > all.size()) return false;
        type = rd16(all, at);
        const size_t len = rd16(all, at + 2);
        if (at + 4 + len > all.size()) return false;
        start = at;
        data = all.substr(at + 4, len);
        at += 4 + len;
        return true;
    }
};

inline bool isCellRecord(std::uint16_t t)
{
    switch (t) {
    case kBlank: case kMulBlank: case kNumber: case kRk: case kMulRk: case kLabelSst: case kLabel: case kRString:
    case kBoolErr: case kFormula:
        return true;
    default:
        return false;
    }
}
// Records that follow a formula and belong to its row.
inline bool isFormulaPart(std::uint16_t t) { return t == kString || t == kArray || t == kShrFmla || t == kTable; }
inline bool isCellTable(std::uint16_t t) { return t == kRow || t == kDbCell || isCellRecord(t) || isFormulaPart(t); }

} // namespace kpv::excel::biff
