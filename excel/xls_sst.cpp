#include "excel/xls_sst.h"

#include "excel/xls_records.h"

#include <algorithm>

namespace kpv::excel::biff {

bool SstReader::ensure()
{
    while (m_part < m_parts.size() && m_at >= m_parts[m_part].size()) {
        ++m_part;
        m_at = 0;
    }
    return m_part < m_parts.size();
}

bool SstReader::bytes(size_t n, std::string &out)
{
    while (n > 0) {
        if (!ensure()) return false;
        const size_t take = std::min(n, m_parts[m_part].size() - m_at);
        out.append(m_parts[m_part].data() + m_at, take);
        m_at += take;
        n -= take;
    }
    return true;
}

bool SstReader::byte(std::uint8_t &v)
{
    if (!ensure()) return false;
    v = std::uint8_t(m_parts[m_part][m_at++]);
    return true;
}

bool SstReader::u16(std::uint16_t &v)
{
    std::string b;
    if (!bytes(2, b)) return false;
    v = rd16(b, 0);
    return true;
}

bool SstReader::u32(std::uint32_t &v)
{
    std::string b;
    if (!bytes(4, b)) return false;
    v = rd32(b, 0);
    return true;
}

bool SstReader::chars(size_t n, bool wide, std::u16string &out)
{
    out.reserve(n);
    while (n > 0) {
        if (m_at >= m_parts[m_part].size()) { // characters go on in the next record
            if (++m_part >= m_parts.size()) return false;
            m_at = 0;
            std::uint8_t option = 0;
            if (!byte(option)) return false;
            wide = option & 1;
        }
        const std::string_view p = m_parts[m_part];
        const size_t width = wide ? 2 : 1;
        const size_t take = std::min(n, (p.size() - m_at) / width);
        if (take == 0) return false;
        for (size_t i = 0; i < take; ++i)
            out.push_back(wide ? char16_t(rd16(p, m_at + 2 * i)) : char16_t(std::uint8_t(p[m_at + i])));
        m_at += take * width;
        n -= take;
    }
    return true;
}

// ---------------------------------------------------------------------------

SstWriter::SstWriter(std::string &out, size_t streamBase, std::uint32_t total, std::uint32_t unique)
    : m_out(out), m_base(streamBase)
{
    m_dsst = std::max<std::uint32_t>(8, (unique + 127) / 128);
    begin(kSst);
    put32(m_out, total);
    put32(m_out, unique);
}

void SstWriter::add(const char16_t *chars, size_t n, std::uint8_t flags, std::uint16_t runs, std::uint32_t extLength,
                    const std::string &tail)
{
    bool wide = false;
    for (size_t i = 0; i < n && !wide; ++i) wide = chars[i] > 0xFF;
    const size_t header = 3 + ((flags & 0x08) ? 2 : 0) + ((flags & 0x04) ? 4 : 0);
    const size_t width = wide ? 2 : 1;
    // The header and the first character stay together in one record.
    if (room() < header + (n > 0 ? width : 0)) next();
    if (m_index++ % m_dsst == 0) {
        m_marks.push_back({std::uint32_t(m_base + m_out.size()), std::uint16_t(m_out.size() - m_record)});
    }
    put16(m_out, std::uint16_t(n));
    m_out.push_back(char((flags & 0x0C) | (wide ? 1 : 0)));
    if (flags & 0x08) put16(m_out, runs);
    if (flags & 0x04) put32(m_out, extLength);
    size_t i = 0;
    while (i < n) {
        size_t fit = room() / width;
        if (fit == 0) {
            next();
            m_out.push_back(char(wide ? 1 : 0)); // the characters' option byte in the new record
            continue;
        }
        const size_t take = std::min(fit, n - i);
        if (wide) {
            for (size_t k = 0; k < take; ++k) put16(m_out, std::uint16_t(chars[i + k]));
        } else {
            for (size_t k = 0; k < take; ++k) m_out.push_back(char(chars[i + k]));
        }
        i += take;
    }
    for (size_t done = 0; done < tail.size();) {
        if (room() == 0) next();
        const size_t take = std::min(room(), tail.size() - done);
        m_out.append(tail, done, take);
        done += take;
    }
}

void SstWriter::finish()
{
    close();
    begin(kExtSst);
    put16(m_out, std::uint16_t(m_dsst));
    for (const auto &[ib, offset] : m_marks) {
        put32(m_out, ib);
        put16(m_out, offset);
        put16(m_out, 0);
    }
    close();
}

size_t SstWriter::room() const
{
    return kMaxRecordData - (m_out.size() - m_record - 4);
}

void SstWriter::begin(std::uint16_t type)
{
    m_record = m_out.size();
    put16(m_out, type);
    put16(m_out, 0);
}

void SstWriter::close()
{
    set16(m_out, m_record + 2, std::uint16_t(m_out.size() - m_record - 4));
}

void SstWriter::next()
{
    close();
    begin(kContinue);
}

} // namespace kpv::excel::biff
