#include "excel/compound_file.h"

#include <QChar>
#include <QIODevice>

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the container is read and written as little-endian words");

namespace kpv::excel {

namespace {

constexpr std::uint32_t kMaxRegSect = 0xFFFFFFFAu;
constexpr std::uint32_t kDifSect = 0xFFFFFFFCu;
constexpr std::uint32_t kFatSect = 0xFFFFFFFDu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFreeSect = 0xFFFFFFFFu;
constexpr std::uint32_t kNoStream = 0xFFFFFFFFu;

constexpr std::uint32_t kMiniCutoff = 4096;
constexpr std::uint32_t kMiniSector = 64;
constexpr std::uint32_t kSector = 512; // written files
constexpr std::uint32_t kEntrySize = 128;
constexpr std::uint32_t kHeaderDifat = 109;

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Directory entry fields.
constexpr std::size_t kNameLen = 0x40, kType = 0x42, kLeft = 0x44, kRight = 0x48, kChild = 0x4C, kStart = 0x74,
                      kSize = 0x78;

std::uint16_t rd16(const unsigned char *p)
{
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
std::uint32_t rd32(const unsigned char *p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
std::uint64_t rd64(const unsigned char *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
void wr16(unsigned char *p, std::uint16_t v) { std::memcpy(p, &v, 2); }
void wr32(unsigned char *p, std::uint32_t v) { std::memcpy(p, &v, 4); }
void wr64(unsigned char *p, std::uint64_t v) { std::memcpy(p, &v, 8); }

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

// Names compare as upper case, character by character.
char16_t upper(char16_t c)
{
    if (c < 0x80) return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c;
    return char16_t(QChar::toUpper(char32_t(c)));
}
bool sameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && upper(a[i]) != upper(b[i])) return false;
    return true;
}

struct Failed {
    const char *reason;
};

// The reading state: the file, its sector size and the allocation tables.
class Reader {
public:
    explicit Reader(std::string_view bytes) :
        m_bytes(reinterpret_cast<const unsigned char *>(bytes.data())), m_size(bytes.size())
    {
    }

    void readHeader()
    {
        if (m_size < 512) throw Failed{"shorter than a header"};
        if (std::memcmp(m_bytes, kSignature, 8) != 0) throw Failed{"not a compound file (bad signature)"};
        if (rd16(m_bytes + 0x1C) != 0xFFFE) throw Failed{"bad byte order mark"};
        const std::uint16_t shift = rd16(m_bytes + 0x1E);
        if (shift != 9 && shift != 12) throw Failed{"unsupported sector size"};
        if (rd16(m_bytes + 0x20) != 6) throw Failed{"unsupported mini sector size"};
        if (rd32(m_bytes + 0x38) != kMiniCutoff) throw Failed{"unsupported mini stream cutoff"};
        m_sectorSize = 1u << shift;
        m_version4 = shift == 12;
        if (m_size < m_sectorSize) throw Failed{"shorter than a header"};
        m_sectorCount = std::uint32_t(std::min<std::uint64_t>(ceilDiv(m_size - m_sectorSize, m_sectorSize), kMaxRegSect));
        m_stamp.assign(m_sectorCount, 0);
    }

    // The start of a sector in the file, whose first `bytes` must be there.
    const unsigned char *sector(std::uint32_t s, std::size_t bytes) const
    {
        if (s >= m_sectorCount) throw Failed{"sector number out of range"};
        const std::uint64_t off = std::uint64_t(s + 1) * m_sectorSize;
        if (off + bytes > m_size) throw Failed{"file truncated"};
        return m_bytes + off;
    }

    // The sectors of a chain from start until the end mark, whose sectors are below `count`.
    std::vector<std::uint32_t> chainToEnd(const std::vector<std::uint32_t> &fat, std::uint32_t start,
                                          std::uint32_t count)
    {
        std::vector<std::uint32_t> out;
        ++m_generation;
        for (std::uint32_t s = start; s != kEndOfChain; s = fat[s]) {
            if (s >= count || s >= fat.size()) throw Failed{"sector chain leaves the table"};
            if (m_stamp[s] == m_generation) throw Failed{"sector chain loops"};
            m_stamp[s] = m_generation;
            out.push_back(s);
        }
        return out;
    }

    // The first `needed` sectors of a chain.
    std::vector<std::uint32_t> chain(const std::vector<std::uint32_t> &fat, std::uint32_t start, std::uint64_t needed,
                                     std::uint32_t count)
    {
        if (needed > count) throw Failed{"stream larger than the file"};
        if (m_stamp.size() < count) m_stamp.resize(count, 0);
        std::vector<std::uint32_t> out;
        out.reserve(std::size_t(needed));
        ++m_generation;
        std::uint32_t s = start;
        while (out.size() < needed) {
            if (s == kEndOfChain) throw Failed{"sector chain too short for its stream"};
            if (s >= count || s >= fat.size()) throw Failed{"sector chain leaves the table"};
            if (m_stamp[s] == m_generation) throw Failed{"sector chain loops"};
            m_stamp[s] = m_generation;
            out.push_back(s);
            s = fat[s];
        }
        return out;
    }

    void readFat()
    {
        const std::uint32_t fatSectors = rd32(m_bytes + 0x2C);
        if (fatSectors > m_sectorCount) throw Failed{"more allocation sectors than the file holds"};
        std::vector<std::uint32_t> where;
        where.reserve(fatSectors);
        for (std::uint32_t i = 0; i < kHeaderDifat && where.size() < fatSectors; ++i)
            where.push_back(rd32(m_bytes + 0x4C + 4 * i));
        const std::uint32_t perDifat = m_sectorSize / 4 - 1;
        std::uint32_t difat = rd32(m_bytes + 0x44);
        ++m_generation;
        while (where.size() < fatSectors) {
            if (difat >= m_sectorCount) throw Failed{"allocation index chain broken"};
            if (m_stamp[difat] == m_generation) throw Failed{"allocation index chain loops"};
            m_stamp[difat] = m_generation;
            const unsigned char *p = sector(difat, m_sectorSize);
            for (std::uint32_t i = 0; i < perDifat && where.size() < fatSectors; ++i) where.push_back(rd32(p + 4 * i));
            difat = rd32(p + 4 * perDifat);
        }
        const std::uint32_t perSector = m_sectorSize / 4;
        m_fat.resize(std::size_t(fatSectors) * perSector);
        for (std::size_t i = 0; i < where.size(); ++i)
            std::memcpy(m_fat.data() + i * perSector, sector(where[i], m_sectorSize), m_sectorSize);
    }

    // The bytes of a chain of regular sectors, `size` long.
    std::string readRegular(std::uint32_t start, std::uint64_t size)
    {
        if (size > m_size) throw Failed{"stream larger than the file"};
        const auto sectors = chain(m_fat, start, ceilDiv(size, m_sectorSize), m_sectorCount);
        std::string out;
        out.resize(std::size_t(size));
        std::size_t done = 0;
        // Consecutive sectors are copied as one run.
        for (std::size_t i = 0; i < sectors.size();) {
            std::size_t j = i + 1;
            while (j < sectors.size() && sectors[j] == sectors[j - 1] + 1) ++j;
            const std::size_t n = std::min<std::size_t>((j - i) * m_sectorSize, out.size() - done);
            std::memcpy(out.data() + done, sector(sectors[i], n), n);
            done += n;
            i = j;
        }
        return out;
    }

    std::string readMini(std::uint32_t start, std::uint64_t size, const std::vector<std::uint32_t> &miniFat,
                         const std::string &miniStream)
    {
        const auto count = std::uint32_t(std::min<std::uint64_t>(miniFat.size(), ceilDiv(miniStream.size(), kMiniSector)));
        const auto sectors = chain(miniFat, start, ceilDiv(size, kMiniSector), count);
        std::string out;
        out.resize(std::size_t(size));
        std::size_t done = 0;
        for (std::uint32_t s : sectors) {
            const std::size_t n = std::min<std::size_t>(kMiniSector, out.size() - done);
            const std::size_t off = std::size_t(s) * kMiniSector;
            if (off + n > miniStream.size()) throw Failed{"mini stream too short"};
            std::memcpy(out.data() + done, miniStream.data() + off, n);
            done += n;
        }
        return out;
    }

    std::string readChainToEnd(std::uint32_t start)
    {
        const auto sectors = chainToEnd(m_fat, start, m_sectorCount);
        std::string out;
        out.reserve(sectors.size() * m_sectorSize);
        for (std::uint32_t s : sectors) out.append(reinterpret_cast<const char *>(sector(s, m_sectorSize)), m_sectorSize);
        return out;
    }

    std::uint32_t header32(std::size_t off) const { return rd32(m_bytes + off); }
    bool version4() const { return m_version4; }
    std::uint64_t fileSize() const { return m_size; }

private:
    const unsigned char *m_bytes;
    std::uint64_t m_size;
    std::uint32_t m_sectorSize = 512;
    std::uint32_t m_sectorCount = 0;
    bool m_version4 = false;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_stamp; // sectors met in the chain being followed
    std::uint32_t m_generation = 0;
};

std::uint64_t entrySize(const unsigned char *raw, bool version4)
{
    return version4 ? rd64(raw + kSize) : rd32(raw + kSize);
}

} // namespace

std::optional<CompoundFile> CompoundFile::parse(std::string_view bytes, QString *why)
{
    try {
        Reader r(bytes);
        r.readHeader();
        r.readFat();

        const std::string dir = r.readChainToEnd(r.header32(0x30));
        const std::size_t count = dir.size() / kEntrySize;
        if (count == 0) throw Failed{"no directory"};
        CompoundFile file;
        file.m_entries.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            Entry &e = file.m_entries[i];
            std::memcpy(e.raw.data(), dir.data() + i * kEntrySize, kEntrySize);
            e.type = e.raw[kType];
            const std::size_t len = std::min<std::size_t>(rd16(e.raw.data() + kNameLen), 64) / 2;
            for (std::size_t k = 0; k + 1 < len; ++k) e.name.push_back(char16_t(rd16(e.raw.data() + 2 * k)));
        }
        if (file.m_entries[0].type != 5) throw Failed{"first directory entry is not the root"};

        // The tree: every entry reached once, through storages only.
        std::vector<bool> seen(count);
        seen[0] = true;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> todo{{rd32(file.m_entries[0].raw.data() + kChild), 0}};
        while (!todo.empty()) {
            const auto [id, parent] = todo.back();
            todo.pop_back();
            if (id == kNoStream) continue;
            if (id >= count) throw Failed{"directory link out of range"};
            if (seen[id]) throw Failed{"directory tree has a cycle"};
            seen[id] = true;
            Entry &e = file.m_entries[id];
            if (e.type != 1 && e.type != 2) throw Failed{"directory link to a free or root entry"};
            e.parent = parent;
            todo.emplace_back(rd32(e.raw.data() + kLeft), parent);
            todo.emplace_back(rd32(e.raw.data() + kRight), parent);
            if (e.type == 1) todo.emplace_back(rd32(e.raw.data() + kChild), id);
        }

        // The mini stream and its table.
        const Entry &root = file.m_entries[0];
        const std::uint64_t miniSize = entrySize(root.raw.data(), r.version4());
        const std::string miniStream = miniSize ? r.readRegular(rd32(root.raw.data() + kStart), miniSize) : std::string();
        std::vector<std::uint32_t> miniFat;
        if (r.header32(0x40) != 0 && r.header32(0x3C) != kEndOfChain) {
            const std::string raw = r.readChainToEnd(r.header32(0x3C));
            miniFat.resize(raw.size() / 4);
            std::memcpy(miniFat.data(), raw.data(), miniFat.size() * 4);
        }

        for (Entry &e : file.m_entries) {
            if (e.type != 2) continue;
            const std::uint64_t size = entrySize(e.raw.data(), r.version4());
            const std::uint32_t start = rd32(e.raw.data() + kStart);
            try {
                if (size > r.fileSize()) throw Failed{"stream larger than the file"};
                if (size == 0)
                    e.data.clear();
                else if (size < kMiniCutoff)
                    e.data = r.readMini(start, size, miniFat, miniStream);
                else
                    e.data = r.readRegular(start, size);
            } catch (const Failed &) {
                if (e.parent != kNoStream) throw;
                e.data.clear(); // an entry outside the tree: kept, without contents
            }
        }
        return file;
    } catch (const Failed &f) {
        if (why) *why = QString::fromLatin1(f.reason);
        return std::nullopt;
    } catch (const std::bad_alloc &) {
        if (why) *why = QStringLiteral("out of memory");
        return std::nullopt;
    }
}

std::string *CompoundFile::stream(std::u16string_view name)
{
    for (Entry &e : m_entries)
        if (e.type == 2 && e.parent == 0 && sameName(e.name, name)) return &e.data;
    return nullptr;
}

const std::string *CompoundFile::stream(std::u16string_view name) const
{
    return const_cast<CompoundFile *>(this)->stream(name);
}

std::vector<CompoundFile::StreamRef> CompoundFile::streams() const
{
    std::vector<StreamRef> out;
    for (const Entry &e : m_entries) {
        if (e.type != 2 || e.parent == kNoStream) continue;
        std::u16string path = e.name;
        for (std::uint32_t p = e.parent; p != 0; p = m_entries[p].parent) path = m_entries[p].name + u'/' + path;
        out.push_back({std::move(path), &e.data});
    }
    return out;
}

bool CompoundFile::write(QIODevice &out) const
{
    constexpr std::uint32_t perSector = kSector / 4;
    const auto n = std::uint64_t(m_entries.size());

    // Where every stream goes: small ones in mini sectors, the others in runs of sectors.
    std::vector<std::uint64_t> start(m_entries.size(), kEndOfChain);
    std::uint64_t miniSectors = 0, bigSectors = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        if (e.type != 2 || e.data.empty()) continue;
        if (e.data.size() >= std::uint64_t(0xFFFFFFFFu)) return false;
        if (e.data.size() < kMiniCutoff) {
            start[i] = miniSectors;
            miniSectors += ceilDiv(e.data.size(), kMiniSector);
        } else {
            start[i] = bigSectors; // relative to the first stream sector
            bigSectors += ceilDiv(e.data.size(), kSector);
        }
    }
    const std::uint64_t dirSectors = ceilDiv(n, kSector / kEntrySize);
    const std::uint64_t miniFatSectors = ceilDiv(miniSectors, perSector);
    const std::uint64_t miniStreamBytes = miniSectors * kMiniSector;
    const std::uint64_t miniStreamSectors = ceilDiv(miniStreamBytes, kSector);
    const std::uint64_t others = dirSectors + miniFatSectors + miniStreamSectors + bigSectors;
    auto difatFor = [](std::uint64_t fat) { return fat > kHeaderDifat ? ceilDiv(fat - kHeaderDifat, perSector - 1) : 0; };
    std::uint64_t fatSectors = std::max<std::uint64_t>(1, ceilDiv(others, perSector - 1));
    for (;;) {
        const std::uint64_t need = ceilDiv(others + difatFor(fatSectors), perSector - 1);
        if (need <= fatSectors) break;
        fatSectors = need;
    }
    const std::uint64_t difatSectors = difatFor(fatSectors);
    const std::uint64_t total = fatSectors + difatSectors + others;
    if (total >= kMaxRegSect) return false;

    const auto firstDifat = std::uint32_t(fatSectors);
    const auto firstDir = std::uint32_t(firstDifat + difatSectors);
    const auto firstMiniFat = std::uint32_t(firstDir + dirSectors);
    const auto firstMiniStream = std::uint32_t(firstMiniFat + miniFatSectors);
    const auto firstBig = std::uint32_t(firstMiniStream + miniStreamSectors);

    // The allocation table and the mini table.
    std::vector<std::uint32_t> fat(std::size_t(fatSectors * perSector), kFreeSect);
    auto chain = [](std::vector<std::uint32_t> &table, std::uint32_t from, std::uint64_t count) {
        for (std::uint64_t k = 0; k + 1 < count; ++k) table[from + k] = std::uint32_t(from + k + 1);
        if (count) table[from + count - 1] = kEndOfChain;
    };
    std::fill_n(fat.begin(), fatSectors, kFatSect);
    std::fill_n(fat.begin() + firstDifat, difatSectors, kDifSect);
    chain(fat, firstDir, dirSectors);
    chain(fat, firstMiniFat, miniFatSectors);
    chain(fat, firstMiniStream, miniStreamSectors);
    std::vector<std::uint32_t> miniFat(std::size_t(miniFatSectors * perSector), kFreeSect);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        if (start[i] == kEndOfChain) continue;
        if (e.data.size() < kMiniCutoff) {
            chain(miniFat, std::uint32_t(start[i]), ceilDiv(e.data.size(), kMiniSector));
        } else {
            start[i] += firstBig;
            chain(fat, std::uint32_t(start[i]), ceilDiv(e.data.size(), kSector));
        }
    }

    // The header with the first 109 table sectors; the rest in index sectors.
    std::string header(kSector, '\0');
    auto *h = reinterpret_cast<unsigned char *>(header.data());
    std::memcpy(h, kSignature, 8);
    wr16(h + 0x18, 0x3E);
    wr16(h + 0x1A, 3);
    wr16(h + 0x1C, 0xFFFE);
    wr16(h + 0x1E, 9);
    wr16(h + 0x20, 6);
    wr32(h + 0x2C, std::uint32_t(fatSectors));
    wr32(h + 0x30, firstDir);
    wr32(h + 0x38, kMiniCutoff);
    wr32(h + 0x3C, miniFatSectors ? firstMiniFat : kEndOfChain);
    wr32(h + 0x40, std::uint32_t(miniFatSectors));
    wr32(h + 0x44, difatSectors ? firstDifat : kEndOfChain);
    wr32(h + 0x48, std::uint32_t(difatSectors));
    for (std::uint32_t i = 0; i < kHeaderDifat; ++i) wr32(h + 0x4C + 4 * i, i < fatSectors ? i : kFreeSect);
    std::vector<std::uint32_t> difat(std::size_t(difatSectors * perSector), kFreeSect);
    for (std::uint64_t k = 0; k < difatSectors; ++k) {
        for (std::uint64_t j = 0; j < perSector - 1; ++j) {
            const std::uint64_t fatIndex = kHeaderDifat + k * (perSector - 1) + j;
            if (fatIndex < fatSectors) difat[k * perSector + j] = std::uint32_t(fatIndex);
        }
        difat[k * perSector + perSector - 1] = k + 1 < difatSectors ? std::uint32_t(firstDifat + k + 1) : kEndOfChain;
    }

    // The directory as read, with the new places and sizes.
    std::string dir(std::size_t(dirSectors * kSector), '\0');
    for (std::size_t i = 0; i < dir.size() / kEntrySize; ++i) {
        auto *p = reinterpret_cast<unsigned char *>(dir.data()) + i * kEntrySize;
        if (i >= m_entries.size()) { // padding: free entries
            wr32(p + kLeft, kNoStream);
            wr32(p + kRight, kNoStream);
            wr32(p + kChild, kNoStream);
            continue;
        }
        const Entry &e = m_entries[i];
        std::memcpy(p, e.raw.data(), kEntrySize);
        if (e.type == 5) {
            wr32(p + kStart, miniStreamSectors ? firstMiniStream : kEndOfChain);
            wr64(p + kSize, miniStreamBytes);
        } else if (e.type == 2) {
            wr32(p + kStart, std::uint32_t(start[i]));
            wr64(p + kSize, e.data.size());
        } else if (e.type == 1) {
            wr32(p + kStart, 0);
            wr64(p + kSize, 0);
        }
    }

    std::string mini(std::size_t(miniStreamSectors * kSector), '\0');
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (start[i] != kEndOfChain && m_entries[i].data.size() < kMiniCutoff)
            std::memcpy(mini.data() + start[i] * kMiniSector, m_entries[i].data.data(), m_entries[i].data.size());

    auto put = [&out](const void *data, std::uint64_t size) {
        return size == 0 || out.write(static_cast<const char *>(data), qint64(size)) == qint64(size);
    };
    static const char zeros[kSector] = {};
    bool ok = put(header.data(), header.size()) && put(fat.data(), fat.size() * 4) &&
              put(difat.data(), difat.size() * 4) && put(dir.data(), dir.size()) &&
              put(miniFat.data(), miniFat.size() * 4) && put(mini.data(), mini.size());
    for (std::size_t i = 0; ok && i < m_entries.size(); ++i) {
        const std::string &d = m_entries[i].data;
        if (start[i] == kEndOfChain || d.size() < kMiniCutoff) continue;
        ok = put(d.data(), d.size()) && put(zeros, (kSector - d.size() % kSector) % kSector);
    }
    return ok;
}

} // namespace kpv::excel
