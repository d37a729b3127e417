// The compound file container: the shipped books and hand-made files round-trip
// stream for stream and entry for entry; big streams need index sectors, small
// ones go to the mini stream; broken files are refused without harm.

#include "excel/compound_file.h"
#include "excel/create_from_template.h"
#include "excel/shipped_books.h"
#include "xls_reader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>

using kpv::excel::CompoundFile;

namespace {

constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;

void put32(std::string &b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
std::uint32_t get32(const std::string &b, std::size_t at)
{
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::string pattern(std::size_t n, int seed)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = char((i * 7 + i / 251 + std::size_t(seed)) & 0xFF);
    return s;
}

// A small file laid out by hand: FAT in sector 0, directory in 1, mini FAT in
// 2, mini stream in 3, "Workbook" (5000 bytes) from 4 on. Root → Workbook →
// storage "Sub" → "Inner" (100 bytes, in the mini stream).
struct Handmade {
    std::size_t sector;
    std::string bytes;

    explicit Handmade(std::uint32_t version) : sector(version == 4 ? 4096 : 512)
    {
        const std::size_t end = 3 + (5000 + sector - 1) / sector; // Workbook's last sector
        bytes.assign(sector * (end + 2), '\0');
        bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        const std::pair<std::size_t, std::uint32_t> header[] = {
            {0x18, 0x3E | version << 16}, {0x1C, 0xFFFE | (version == 4 ? 12u : 9u) << 16}, {0x20, 6},
            {0x28, version == 4}, {0x2C, 1}, {0x30, 1}, {0x38, 4096}, {0x3C, 2}, {0x40, 1}, {0x44, kEnd}};
        for (auto [offset, v] : header) put32(bytes, offset, v);
        for (int i = 1; i < 109; ++i) put32(bytes, 0x4C + 4 * i, kFree);
        for (std::uint32_t i = 0; i < sector / 4; ++i) {
            put32(bytes, fat(i), i == 0 ? 0xFFFFFFFD : i < 4 || i == end ? kEnd : i < end ? i + 1 : kFree);
            put32(bytes, at(2) + 4 * i, i == 0 ? 1 : i == 1 ? kEnd : kFree);
        }
        struct Entry {
            std::u16string_view name;
            char type;
            std::uint32_t right, child, start, size;
        };
        const Entry entries[] = {{u"Root Entry", 5, kFree, 1, 3, 128},
                                 {u"Workbook", 2, 2, kFree, 4, 5000},
                                 {u"Sub", 1, kFree, 3, 0, 0},
                                 {u"Inner", 2, kFree, kFree, 0, 100}};
        for (std::size_t i = 0; i < sector / 128; ++i) {
            const Entry e = i < 4 ? entries[i] : Entry{u"", 0, kFree, kFree, 0, 0};
            bytes.replace(entry(i), e.name.size() * 2, reinterpret_cast<const char *>(e.name.data()), e.name.size() * 2);
            put32(bytes, entry(i) + 0x40, e.name.empty() ? 0 : std::uint32_t(e.name.size() + 1) * 2);
            bytes[entry(i) + 0x42] = e.type;
            for (auto [offset, v] : {std::pair{0x44, kFree}, {0x48, e.right}, {0x4C, e.child}, {0x74, e.start}, {0x78, e.size}})
                put32(bytes, entry(i) + offset, v);
        }
        bytes[entry(1) + 0x43] = 1;                                              // black
        for (int k = 0; k < 16; ++k) bytes[entry(2) + 0x50 + k] = char(0xA0 + k); // class id
        put32(bytes, entry(2) + 0x60, 0x1234);                                   // state bits
        put32(bytes, entry(2) + 0x6C, 0x89ABCDEF);                               // modified
        bytes.replace(at(4), 5000, pattern(5000, 1));
        bytes.replace(at(3), 100, pattern(100, 2));
    }
    std::size_t at(std::size_t s) const { return sector * (s + 1); }
    std::size_t fat(std::size_t i) const { return at(0) + 4 * i; }
    std::size_t entry(std::size_t i) const { return at(1) + 128 * i; }
};

std::string written(const CompoundFile &f)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(f.write(buffer));
    return buffer.data().toStdString();
}

using Contents = std::vector<std::pair<std::u16string, std::string>>;
Contents contents(const CompoundFile &f)
{
    Contents out;
    for (const auto &s : f.streams()) out.emplace_back(s.path, *s.data);
    return out;
}

// Where the directory starts (written files keep its sectors together).
std::size_t directory(const std::string &file) { return (get32(file, 0x30) + 1) * 512; }

// Parse → write → parse: same streams, and writing again gives the same bytes.
std::string roundTrip(const std::string &original)
{
    auto first = CompoundFile::parse(original);
    const std::string bytes = first ? written(*first) : std::string();
    auto second = CompoundFile::parse(bytes);
    EXPECT_TRUE(first && second);
    if (!first || !second) return {};
    EXPECT_EQ(contents(*second), contents(*first));
    EXPECT_EQ(written(*second), bytes);
    return bytes;
}

} // namespace

TEST(CompoundFile, HandmadeFilesKeepStreamsAndEntries)
{
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        const Handmade made(version);
        auto file = CompoundFile::parse(made.bytes);
        ASSERT_TRUE(file);
        EXPECT_EQ(contents(*file), (Contents{{u"Workbook", pattern(5000, 1)}, {u"Sub/Inner", pattern(100, 2)}}));
        EXPECT_EQ(file->stream(u"wORKBOOK"), file->streams()[0].data);
        EXPECT_EQ(file->stream(u"Inner"), nullptr); // not at the root
        EXPECT_EQ(file->stream(u"Sub"), nullptr);   // a storage

        const std::string out = roundTrip(made.bytes);
        ASSERT_GE(out.size(), 512u);
        EXPECT_EQ(out[0x1A], 3);
        for (std::size_t i = 0; i < made.sector / 128; ++i) // all but place and size, free entries too
            EXPECT_EQ(out.substr(directory(out) + 128 * i, 0x74), made.bytes.substr(made.entry(i), 0x74)) << i;
    }
}

TEST(CompoundFile, BigStreamsGetIndexSectorsSmallOnesTheMiniStream)
{
    auto file = CompoundFile::parse(Handmade(3).bytes);
    ASSERT_TRUE(file);
    std::string *book = file->stream(u"Workbook");
    ASSERT_NE(book, nullptr);

    *book = pattern(20 * 1024 * 1024 + 17, 3); // 320 table sectors: more than the header lists
    std::string out = written(*file);
    EXPECT_GT(get32(out, 0x48), 0u);
    auto back = CompoundFile::parse(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(contents(*back), contents(*file));

    for (std::size_t size : {std::size_t(1000), std::size_t(0), std::size_t(4096), std::size_t(4095)}) {
        SCOPED_TRACE(size);
        *book = pattern(size, 4);
        out = written(*file);
        const std::size_t inMini = size < 4096 ? (size + 63) / 64 * 64 : 0;
        EXPECT_EQ(get32(out, directory(out) + 0x78), inMini + 128); // the root's mini stream
        back = CompoundFile::parse(out);
        ASSERT_TRUE(back);
        EXPECT_EQ(contents(*back), contents(*file));
    }
}

TEST(CompoundFile, BrokenFilesAreRefused)
{
    const Handmade made(3);
    using Damage = std::function<void(std::string &)>;
    const std::vector<std::pair<const char *, Damage>> cases = {
        {"empty", [](std::string &b) { b.clear(); }},
        {"bad signature", [](std::string &b) { b[0] = 'X'; }},
        {"file cut in the stream", [&](std::string &b) { b.resize(made.at(8)); }},
        {"table chain loops", [&](std::string &b) { put32(b, made.fat(6), 4); }},
        {"table chain too short", [&](std::string &b) { put32(b, made.fat(5), kEnd); }},
        {"start out of range", [&](std::string &b) { put32(b, made.entry(1) + 0x74, 9999); }},
        {"size beyond the file", [&](std::string &b) { put32(b, made.entry(1) + 0x78, 0x7FFFFFFF); }},
        {"mini sector out of range", [&](std::string &b) { put32(b, made.entry(3) + 0x74, 40); }},
        {"mini chain loops", [&](std::string &b) { put32(b, made.at(2), 0); }},
        {"directory chain loops", [&](std::string &b) { put32(b, made.fat(1), 1); }},
        {"directory cycle", [&](std::string &b) { put32(b, made.entry(3) + 0x48, 2); }},
        {"child is the root", [&](std::string &b) { put32(b, made.entry(2) + 0x4C, 0); }},
        {"table count too large", [&](std::string &b) { put32(b, 0x2C, 0x00FFFFFF); }},
        {"table index chain loops",
         [&](std::string &b) {
             b.resize(b.size() + 300 * 512);
             put32(b, 0x2C, 200);
             put32(b, 0x44, 4);
             put32(b, made.at(4) + 508, 4);
         }},
    };
    for (const auto &[name, damage] : cases) {
        std::string bytes = made.bytes;
        damage(bytes);
        QString why;
        EXPECT_FALSE(CompoundFile::parse(bytes, &why)) << name;
        EXPECT_FALSE(why.isEmpty()) << name;
    }
    // Any single damaged byte in the header, tables and directory: an answer, never a crash.
    for (std::size_t i = 0; i < made.at(4); ++i)
        for (char v : {'\0', '\x01', '\x7F', '\xFF'}) {
            std::string bytes = made.bytes;
            bytes[i] = v;
            if (auto f = CompoundFile::parse(bytes)) {
                written(*f);
            }
        }
}

TEST(CompoundFile, ShippedBooksRoundTrip)
{
    QTemporaryDir tmp;
    const QString copy = tmp.filePath(QStringLiteral("copy.xls"));
    auto cells = [](const QString &path) {
        kpv::testing::XlsReader xls(path);
        QStringList out{QString::number(xls.rows()), QString::number(xls.columns())};
        for (unsigned r = 1; r <= xls.rows(); ++r)
            for (unsigned c = 1; c <= xls.columns(); ++c) out << xls.text(int(r), int(c));
        return out.join(QLatin1Char('|'));
    };
    for (const char *name : {kpv::excel::kExcelTemplate, kpv::excel::kLedgerImportBook,
                             kpv::excel::kWordListImportBook, kpv::excel::kDailyBook}) {
        SCOPED_TRACE(name);
        const QString path = qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/') + QString::fromUtf8(name);
        QFile in(path), out(copy);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const std::string bytes = roundTrip(in.readAll().toStdString());
        ASSERT_TRUE(CompoundFile::parse(bytes)->stream(u"Workbook"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes.data(), qint64(bytes.size()));
        out.close();
        // An independent reader sees the same cells in the rewritten file.
        EXPECT_EQ(cells(copy), cells(path));
        EXPECT_TRUE(name == kpv::excel::kExcelTemplate || cells(copy).contains(QStringLiteral("品")));
    }
}
