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

    explicit Handmade(int version) : sector(version == 4 ? 4096 : 512)
    {
        const std::size_t bigSectors = (5000 + sector - 1) / sector;
        bytes.assign(sector * (5 + bigSectors), '\0');
        const unsigned char sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        std::memcpy(bytes.data(), sig, 8);
        put32(bytes, 0x18, 0x3E | (std::uint32_t(version) << 16));
        put32(bytes, 0x1C, 0xFFFE | ((version == 4 ? 12u : 9u) << 16));
        put32(bytes, 0x20, 6);
        put32(bytes, 0x28, version == 4 ? 1 : 0);
        put32(bytes, 0x2C, 1);
        put32(bytes, 0x30, 1);
        put32(bytes, 0x38, 4096);
        put32(bytes, 0x3C, 2);
        put32(bytes, 0x40, 1);
        put32(bytes, 0x44, kEnd);
        for (int i = 0; i < 109; ++i) put32(bytes, 0x4C + 4 * i, i == 0 ? 0 : kFree);
        for (std::size_t i = 0; i < sector / 4; ++i) {
            put32(bytes, fat(i), kFree);
            put32(bytes, at(2) + 4 * i, kFree);
        }
        put32(bytes, fat(0), 0xFFFFFFFD);
        for (int s : {1, 2, 3}) put32(bytes, fat(s), kEnd);
        for (std::size_t s = 4; s < 4 + bigSectors; ++s) put32(bytes, fat(s), s + 1 < 4 + bigSectors ? s + 1 : kEnd);
        put32(bytes, at(2), 1);
        put32(bytes, at(2) + 4, kEnd);
        for (std::size_t i = 0; i < sector / 128; ++i)
            for (std::size_t f : {0x44, 0x48, 0x4C}) put32(bytes, entry(i) + f, kFree);
        addEntry(0, u"Root Entry", 5, 3, 128);
        put32(bytes, entry(0) + 0x4C, 1);
        addEntry(1, u"Workbook", 2, 4, 5000);
        put32(bytes, entry(1) + 0x48, 2);
        bytes[entry(1) + 0x43] = 1; // black
        addEntry(2, u"Sub", 1, 0, 0);
        put32(bytes, entry(2) + 0x4C, 3);
        for (int k = 0; k < 16; ++k) bytes[entry(2) + 0x50 + k] = char(0xA0 + k); // class id
        put32(bytes, entry(2) + 0x60, 0x1234);                                   // state bits
        put32(bytes, entry(2) + 0x6C, 0x89ABCDEF);                               // modified
        addEntry(3, u"Inner", 2, 0, 100);
        bytes.replace(at(4), 5000, pattern(5000, 1));
        bytes.replace(at(3), 100, pattern(100, 2));
    }
    std::size_t at(std::size_t s) const { return sector * (s + 1); }
    std::size_t fat(std::size_t i) const { return at(0) + 4 * i; }
    std::size_t entry(std::size_t i) const { return at(1) + 128 * i; }
    void addEntry(std::size_t i, std::u16string_view name, char type, std::uint32_t start, std::uint32_t size)
    {
        std::memcpy(bytes.data() + entry(i), name.data(), name.size() * 2);
        put32(bytes, entry(i) + 0x40, std::uint32_t(name.size() + 1) * 2);
        bytes[entry(i) + 0x42] = type;
        put32(bytes, entry(i) + 0x74, start);
        put32(bytes, entry(i) + 0x78, size);
    }
};

std::string written(const CompoundFile &f)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(f.write(buffer));
    return buffer.data().toStdString();
}

std::vector<std::pair<std::u16string, std::string>> contents(const CompoundFile &f)
{
    std::vector<std::pair<std::u16string, std::string>> out;
    for (const auto &s : f.streams()) out.emplace_back(s.path, *s.data);
    return out;
}

// Where the directory starts (written files keep its sectors together).
std::size_t directory(const std::string &file, std::size_t sector) { return (get32(file, 0x30) + 1) * sector; }

// The directory entry as written, without its start and size.
std::string entryWithoutPlace(const std::string &file, std::size_t sector, std::size_t index)
{
    return file.substr(directory(file, sector) + 128 * index, 0x74);
}

// Parse → write → parse: same streams, and writing again gives the same bytes.
std::string roundTrip(const std::string &original)
{
    QString why;
    auto first = CompoundFile::parse(original, &why);
    EXPECT_TRUE(first) << why.toStdString();
    if (!first) return {};
    const std::string bytes = written(*first);
    auto second = CompoundFile::parse(bytes, &why);
    EXPECT_TRUE(second) << why.toStdString();
    if (!second) return {};
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
        using Contents = std::vector<std::pair<std::u16string, std::string>>;
        EXPECT_EQ(contents(*file), (Contents{{u"Workbook", pattern(5000, 1)}, {u"Sub/Inner", pattern(100, 2)}}));
        EXPECT_EQ(file->stream(u"wORKBOOK"), file->streams()[0].data);
        EXPECT_EQ(file->stream(u"Inner"), nullptr); // not at the root
        EXPECT_EQ(file->stream(u"Sub"), nullptr);   // a storage

        const std::string out = roundTrip(made.bytes);
        ASSERT_GE(out.size(), 512u);
        EXPECT_EQ(out[0x1A], 3);
        for (std::size_t i = 0; i < made.sector / 128; ++i) // the v4 directory's free entries too
            EXPECT_EQ(entryWithoutPlace(out, 512, i), made.bytes.substr(made.entry(i), 0x74)) << i;
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
        EXPECT_EQ(get32(out, directory(out, 512) + 0x78), inMini + 128); // the root's mini stream
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
        {"header cut", [](std::string &b) { b.resize(300); }},
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
        {"link out of range", [&](std::string &b) { put32(b, made.entry(1) + 0x44, 77); }},
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
    const QString appDir = qEnvironmentVariable("KPV_APP_DIR") + QLatin1Char('/');
    QTemporaryDir tmp;
    for (const char *name : {kpv::excel::kExcelTemplate, kpv::excel::kLedgerImportBook,
                             kpv::excel::kWordListImportBook, kpv::excel::kDailyBook}) {
        SCOPED_TRACE(name);
        const QString path = appDir + QString::fromUtf8(name);
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const std::string original = in.readAll().toStdString();
        auto file = CompoundFile::parse(original);
        ASSERT_TRUE(file);
        ASSERT_NE(file->stream(u"Workbook"), nullptr);
        EXPECT_GE(file->streams().size(), 2u);
        const std::string out = roundTrip(original);

        // An independent reader sees the same cells in the rewritten file.
        const QString copy = tmp.filePath(QStringLiteral("copy.xls"));
        QFile outFile(copy);
        ASSERT_TRUE(outFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        outFile.write(out.data(), qint64(out.size()));
        outFile.close();
        kpv::testing::XlsReader before(path), after(copy);
        ASSERT_TRUE(after.ok());
        ASSERT_EQ(after.rows(), before.rows());
        ASSERT_EQ(after.columns(), before.columns());
        int filled = 0;
        for (unsigned r = 1; r <= before.rows(); ++r)
            for (unsigned c = 1; c <= before.columns(); ++c) {
                EXPECT_EQ(after.text(int(r), int(c)), before.text(int(r), int(c)));
                filled += !before.text(int(r), int(c)).isEmpty();
            }
        if (std::strcmp(name, kpv::excel::kExcelTemplate) != 0) {
            EXPECT_GT(filled, 5);
        }
    }
}
