#pragma once
// The shared string table of a BIFF8 stream (private to the stored-book
// writer): SST and its CONTINUE records read back string by string, and
// written again with EXTSST, its index.
//
// Rules kept: a string's header (character count, option byte, run count,
// phonetic size) is never split over two records; its characters may be, and
// go on in the next CONTINUE record after an option byte of their own (one
// byte a character when they all fit in Latin-1, else UTF-16); formatting
// runs and phonetic data follow as read. EXTSST names, for every dsst-th
// string (dsst at least 8, at most 128 marks), where it starts in the stream
// and in its record.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kpv::excel::biff {

class SstReader {
public:
    explicit SstReader(std::vector<std::string_view> parts) : m_parts(std::move(parts)) {}
    bool bytes(size_t n, std::string &out);
    bool byte(std::uint8_t &v);
    bool u16(std::uint16_t &v);
    bool u32(std::uint32_t &v);
    // n characters, wide or not, going on over record boundaries.
    bool chars(size_t n, bool wide, std::u16string &out);

private:
    bool ensure();
    std::vector<std::string_view> m_parts;
    size_t m_part = 0;
    size_t m_at = 0;
};

class SstWriter {
public:
    // streamBase: where out starts in the stream (for EXTSST).
    SstWriter(std::string &out, size_t streamBase, std::uint32_t total, std::uint32_t unique);
    // One string (n <= 65,535 characters: its count has 16 bits).
    void add(const char16_t *chars, size_t n, std::uint8_t flags, std::uint16_t runs, std::uint32_t extLength,
             const std::string &tail);
    // Closes SST and writes EXTSST.
    void finish();

private:
    size_t room() const;
    void begin(std::uint16_t type);
    void close();
    void next();

    std::string &m_out;
    size_t m_base;
    std::uint32_t m_dsst = 8;
    std::uint32_t m_index = 0;
    size_t m_record = 0;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> m_marks;
};

} // namespace kpv::excel::biff
