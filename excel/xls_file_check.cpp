#include "excel/xls_file_check.h"

#include "excel/compound_file.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace kpv::excel {

namespace {

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kGlobals = 0x0005;
constexpr std::size_t kMaxRecord = 8224;

std::uint16_t rd16(const char *p)
{
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
std::uint32_t rd32(const char *p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

struct Record {
    std::uint16_t type = 0;
    std::string_view data;
};

// The records of a stream from an offset, one at a time.
class Records {
public:
    Records(std::string_view stream, std::size_t at) : m_s(stream), m_at(at) {}
    // False at the end of the stream; throws Broken when a record runs past it.
    bool next(Record &r)
    {
        if (m_at + 4 > m_s.size()) return false;
        r.type = rd16(m_s.data() + m_at);
        const std::size_t len = rd16(m_s.data() + m_at + 2);
        if (len > kMaxRecord || m_at + 4 + len > m_s.size()) throw Broken{"a record runs past the end of the stream"};
        r.data = m_s.substr(m_at + 4, len);
        m_at += 4 + len;
        return true;
    }
    struct Broken {
        const char *why;
    };

private:
    std::string_view m_s;
    std::size_t m_at;
};

XlsFileCheck verdict(XlsFileCheck::Verdict v, const QString &detail)
{
    XlsFileCheck c;
    c.verdict = v;
    c.detail = detail;
    return c;
}

// The first sheet's name and merged areas; throws Records::Broken.
void readFirstSheet(std::string_view stream, std::size_t at, XlsFileCheck &out)
{
    Records records(stream, at);
    Record r;
    int depth = 0;
    while (records.next(r)) {
        if (r.type == kBof) {
            ++depth;
            continue;
        }
        if (r.type == kEof) {
            if (--depth <= 0) return;
            continue;
        }
        if (depth != 1 || r.type != kMergedCells || r.data.size() < 2) continue;
        const std::size_t count = rd16(r.data.data());
        for (std::size_t i = 0; i < count && 2 + 8 * (i + 1) <= r.data.size(); ++i) {
            const char *p = r.data.data() + 2 + 8 * i;
            Range area = Range::of(rd16(p) + 1, rd16(p + 4) + 1, rd16(p + 2) + 1, rd16(p + 6) + 1);
            if (area.row2 >= area.row1 && area.col2 >= area.col1 && (area.rows() > 1 || area.columns() > 1))
                out.merged.push_back(area);
        }
    }
    if (depth > 0) throw Records::Broken{"the first sheet has no end"};
}

} // namespace

QString XlsFileCheck::reason() const
{
    switch (verdict) {
    case Verdict::Workbook:
        return {};
    case Verdict::Missing:
        return QStringLiteral("ファイルがありません。");
    case Verdict::Unreadable:
        return QStringLiteral("ファイルを読み込めません。");
    case Verdict::Empty:
        return QStringLiteral("ファイルが空です（0バイト）。");
    case Verdict::NotWorkbook:
        return QStringLiteral("Excel 97-2003 ブック（.xls）ではありません。");
    case Verdict::NewerFormat:
        return QStringLiteral("Excel 2007 以降（.xlsx）などの形式です。Excel 97-2003 ブック（.xls）として保存し直してください。");
    case Verdict::OlderFormat:
        return QStringLiteral("Excel 95 以前の形式です。Excel 97-2003 ブック（.xls）として保存し直してください。");
    case Verdict::Damaged:
        return QStringLiteral("ブックが壊れています（ファイルが途中で切れているか、中身が足りません）。");
    case Verdict::Encrypted:
        return QStringLiteral("パスワードで保護されたブックです。保護を解除してから取り込んでください。");
    }
    return {};
}

XlsFileCheck CheckXlsBytes(std::string_view bytes)
{
    using V = XlsFileCheck::Verdict;
    if (bytes.empty()) return verdict(V::Empty, QStringLiteral("0 bytes"));
    if (bytes.size() >= 4 && bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4))
        return verdict(V::NewerFormat, QStringLiteral("a zip package"));
    static constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    const bool compound = bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
    if (!compound) return verdict(V::NotWorkbook, QStringLiteral("not a compound file"));
    QString why;
    auto file = CompoundFile::parse(bytes, &why);
    if (!file) return verdict(V::Damaged, QStringLiteral("compound file: ") + why);
    const std::string *stream = file->stream(u"Workbook");
    if (!stream) {
        if (file->stream(u"Book")) return verdict(V::OlderFormat, QStringLiteral("a BIFF5 Book stream"));
        return verdict(V::NotWorkbook, QStringLiteral("no Workbook stream"));
    }
    const std::string_view s(*stream);
    try {
        Records records(s, 0);
        Record r;
        if (!records.next(r) || r.type != kBof || r.data.size() < 4)
            return verdict(V::Damaged, QStringLiteral("the Workbook stream does not begin with a BOF record"));
        if (rd16(r.data.data()) != kBiff8) return verdict(V::OlderFormat, QStringLiteral("BIFF version %1").arg(rd16(r.data.data()), 0, 16));
        if (rd16(r.data.data() + 2) != kGlobals) return verdict(V::NotWorkbook, QStringLiteral("no workbook globals"));
        XlsFileCheck out;
        out.verdict = V::Workbook;
        std::int64_t firstSheet = -1;
        bool ended = false;
        while (records.next(r)) {
            if (r.type == kFilePass) return verdict(V::Encrypted, QStringLiteral("FILEPASS"));
            if (r.type == kBoundSheet && firstSheet < 0 && r.data.size() >= 8) {
                firstSheet = rd32(r.data.data());
                const std::size_t chars = std::uint8_t(r.data[6]);
                const bool wide = r.data.size() >= 8 && (std::uint8_t(r.data[7]) & 1);
                const std::string_view name = r.data.substr(8);
                if (wide && name.size() >= chars * 2)
                    out.firstSheetName = QString::fromUtf16(reinterpret_cast<const char16_t *>(name.data()), qsizetype(chars));
                else if (!wide && name.size() >= chars)
                    out.firstSheetName = QString::fromLatin1(name.data(), qsizetype(chars));
            }
            if (r.type == kEof) {
                ended = true;
                break;
            }
        }
        if (!ended) return verdict(V::Damaged, QStringLiteral("the workbook globals have no end"));
        if (firstSheet < 0 || std::size_t(firstSheet) >= s.size())
            return verdict(V::Damaged, QStringLiteral("no first sheet in the stream"));
        readFirstSheet(s, std::size_t(firstSheet), out);
        out.detail = QStringLiteral("BIFF8 workbook");
        return out;
    } catch (const Records::Broken &b) {
        return verdict(V::Damaged, QString::fromUtf8(b.why));
    }
}

XlsFileCheck CheckXlsFile(const QString &path)
{
    QFile f(path);
    if (!f.exists()) return verdict(XlsFileCheck::Verdict::Missing, QStringLiteral("no such file: ") + path);
    if (!f.open(QIODevice::ReadOnly))
        return verdict(XlsFileCheck::Verdict::Unreadable, path + QStringLiteral(": ") + f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return verdict(XlsFileCheck::Verdict::Unreadable, path + QStringLiteral(": ") + f.errorString());
    return CheckXlsBytes(std::string_view(bytes.constData(), size_t(bytes.size())));
}

bool IsXlsFilter(const QString &filterName)
{
    return filterName == QLatin1String("MS Excel 97") || filterName == QLatin1String("MS Excel 97 Vorlage/Template");
}

} // namespace kpv::excel
