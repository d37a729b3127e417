#include "storage/codepage.h"

#include <iconv.h>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define KPV_CP932_SSE2 1
#endif

#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace kpv::cp932 {
namespace {

constexpr char16_t kInvalid = 0xFFFF;
constexpr char16_t kLead = 0xFFFE;
constexpr char16_t kReplacement = 0xFFFD;
constexpr uint16_t kNoCode = 0xFFFF;

// Conversion tables taken from iconv once. The tables are constant after
// they are built; they are a cache of the converter, not program state.
struct Tables {
    char16_t single[256];
    std::vector<char16_t> pair = std::vector<char16_t>(65536, kInvalid); // lead << 8 | trail
    std::vector<uint16_t> code = std::vector<uint16_t>(65536, kNoCode);  // UTF-16 unit -> bytes
};

// Runs one iconv conversion of a short input; returns the errno-style result
// (0 on success) and the output bytes.
int convert(iconv_t cd, const char *in, size_t inLen, std::string &out)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char *inPtr = const_cast<char *>(in);
    char *outPtr = buf;
    size_t inLeft = inLen, outLeft = sizeof buf;
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (r == size_t(-1)) return errno;
    if (inLeft != 0) return EINVAL;
    out.assign(buf, sizeof buf - outLeft);
    return 0;
}

char16_t utf16(const std::string &bytes)
{
    if (bytes.size() != 2) return kInvalid; // outside the basic plane or more than one unit
    return char16_t(uint8_t(bytes[0]) | (uint8_t(bytes[1]) << 8));
}

std::unique_ptr<Tables> buildTables()
{
    auto t = std::make_unique<Tables>();
    iconv_t dec = iconv_open("UTF-16LE", "CP932");
    iconv_t enc = iconv_open("CP932", "UTF-16LE");
    if (dec == iconv_t(-1) || enc == iconv_t(-1)) {
        // Without the converter nothing beyond ASCII can be stored or read.
        for (int b = 0; b < 256; ++b) t->single[b] = b < 0x80 ? char16_t(b) : kInvalid;
        for (int u = 0; u < 0x80; ++u) t->code[u] = uint16_t(u);
        return t;
    }
    std::string out;
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        const int r = convert(dec, &c, 1, out);
        if (r == 0) t->single[b] = utf16(out);
        else if (r == EINVAL) t->single[b] = kLead;
        else t->single[b] = kInvalid;
    }
    for (int lead = 0; lead < 256; ++lead) {
        if (t->single[lead] != kLead) continue;
        for (int trail = 0; trail < 256; ++trail) {
            const char in[2] = {char(lead), char(trail)};
            if (convert(dec, in, 2, out) == 0) t->pair[size_t(lead << 8 | trail)] = utf16(out);
        }
    }
    // A character is storable when iconv writes it as bytes that read back as
    // the same character.
    auto consider = [&](char16_t u) {
        if (u == kInvalid || t->code[u] != kNoCode) return;
        const char in[2] = {char(u & 0xFF), char(u >> 8)};
        if (convert(enc, in, 2, out) != 0) return;
        uint16_t bytes;
        char16_t back;
        if (out.size() == 1) {
            bytes = uint8_t(out[0]);
            back = t->single[bytes];
        } else if (out.size() == 2) {
            bytes = uint16_t(uint8_t(out[0]) << 8 | uint8_t(out[1]));
            back = t->pair[bytes];
        } else {
            return;
        }
        if (back == u) t->code[u] = bytes;
    };
    for (int b = 0; b < 256; ++b)
        if (t->single[b] != kLead) consider(t->single[b]);
    for (size_t i = 0; i < t->pair.size(); ++i) consider(t->pair[i]);
    iconv_close(dec);
    iconv_close(enc);
    return t;
}

const Tables &tables()
{
    static const std::unique_ptr<Tables> t = buildTables();
    return *t;
}

inline uint16_t codeOf(const Tables &t, QChar c)
{
    const char16_t u = c.unicode();
    if (QChar::isSurrogate(u)) return kNoCode;
    return t.code[u];
}

// Decodes len bytes into dest; returns the number of characters written.
int decodeInto(const Tables &t, const unsigned char *p, int len, QChar *dest)
{
    QChar *d = dest;
    int i = 0;
    while (i < len) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            *d++ = QChar(char16_t(b));
            ++i;
            continue;
        }
        const char16_t s = t.single[b];
        if (s != kLead) {
            *d++ = QChar(s == kInvalid ? kReplacement : s);
            ++i;
            continue;
        }
        if (i + 1 < len) {
            const char16_t u = t.pair[size_t(b << 8 | p[i + 1])];
            if (u != kInvalid) {
                *d++ = QChar(u);
                i += 2;
                continue;
            }
        }
        // A lead byte without a valid trail: one replacement, and the next
        // byte is read on its own.
        *d++ = QChar(kReplacement);
        ++i;
    }
    return int(d - dest);
}

} // namespace

bool canEncode(const QString &text, Refusal *refusal)
{
    const Tables &t = tables();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) continue;
        if (codeOf(t, c) == kNoCode) {
            if (refusal) {
                refusal->position = int(i);
                const bool pairHigh = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
                refusal->character = text.mid(i, pairHigh ? 2 : 1);
            }
            return false;
        }
    }
    return true;
}

QString fromInputMethod(const QString &typed)
{
    QString out = typed;
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x301C: c = QChar(0xFF5E); break; // wave dash
        case 0x2212: c = QChar(0xFF0D); break; // minus sign
        case 0x2016: c = QChar(0x2225); break; // double vertical line
        case 0x00A2: c = QChar(0xFFE0); break; // cent sign
        case 0x00A3: c = QChar(0xFFE1); break; // pound sign
        case 0x00AC: c = QChar(0xFFE2); break; // not sign
        case 0x2014: c = QChar(0x2015); break; // em dash
        default: break;
        }
    }
    return out;
}

bool encode(const QString &text, QByteArray &out, Refusal *refusal)
{
    if (!canEncode(text, refusal)) return false;
    out = encodeLenient(text);
    return true;
}

QByteArray encodeLenient(const QString &text)
{
    const Tables &t = tables();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        const uint16_t code = codeOf(t, c);
        if (code == kNoCode) {
            out.append('?');
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        } else if (code < 0x100) {
            out.append(char(code));
        } else {
            out.append(char(code >> 8));
            out.append(char(code & 0xFF));
        }
    }
    return out;
}

int byteWidth(const QString &text)
{
    const Tables &t = tables();
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const uint16_t code = c.unicode() < 0x80 ? c.unicode() : codeOf(t, c);
        if (code == kNoCode && c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        n += (code != kNoCode && code >= 0x100) ? 2 : 1;
    }
    return n;
}

void encodeFixed(const QString &text, char *dest, int width)
{
    const QByteArray bytes = encodeLenient(text);
    const Tables &t = tables();
    int i = 0;
    const int n = int(bytes.size());
    while (i < n && i < width) {
        const unsigned char b = uchar(bytes[i]);
        const bool twoBytes = b >= 0x80 && t.single[b] == kLead && i + 1 < n;
        const int step = twoBytes ? 2 : 1;
        if (i + step > width) break; // would straddle the end: drop it whole
        dest[i] = bytes[i];
        if (twoBytes) dest[i + 1] = bytes[i + 1];
        i += step;
    }
    std::memset(dest + i, ' ', size_t(width - i));
}

QByteArray encodeFixed(const QString &text, int width)
{
    QByteArray out(width, ' ');
    encodeFixed(text, out.data(), width);
    return out;
}

QString decodeField(const char *data, int len)
{
    const void *nul = std::memchr(data, 0, size_t(len));
    if (nul) len = int(static_cast<const char *>(nul) - data);
    return decodeAll(data, len);
}

QString decodeAll(const char *data, int len)
{
    QString s(len, Qt::Uninitialized);
    const int n = decodeInto(tables(), reinterpret_cast<const unsigned char *>(data), len, s.data());
    s.truncate(n);
    return s;
}

int decodeTo(const char *data, int len, char16_t *dest)
{
    return decodeInto(tables(), reinterpret_cast<const unsigned char *>(data), len, reinterpret_cast<QChar *>(dest));
}

namespace {
// The general form: cut at NUL, trim.
int trimmedRangePlain(const unsigned char *p, int len, int &begin)
{
    const void *nul = std::memchr(p, 0, size_t(len));
    int end = nul ? int(static_cast<const unsigned char *>(nul) - p) : len;
    while (end > 0 && p[end - 1] == ' ') --end;
    begin = 0;
    while (begin < end && p[begin] == ' ') ++begin;
    return end - begin;
}

#if KPV_CP932_SSE2
inline __m128i load16(const unsigned char *p) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p)); }
inline void store16(char *dest, __m128i bytes) { _mm_storeu_si128(reinterpret_cast<__m128i *>(dest), bytes); }

// Two loads cover the len bytes (overlapping when len < 32); bit i of each
// mask describes byte i, and the cut and the trim come from the masks.
template <int len>
inline int trimmedRangeFixed(__m128i lo, __m128i hi, int &begin)
{
    static_assert(len >= 16 && len <= 32);
    constexpr int shift = len - 16;
    constexpr uint32_t all = len == 32 ? ~0u : (1u << len) - 1;
    const auto mask = [&](__m128i a, __m128i b) {
        return (uint32_t(_mm_movemask_epi8(a)) | uint32_t(_mm_movemask_epi8(b)) << shift) & all;
    };
    const __m128i zero = _mm_setzero_si128();
    const __m128i space = _mm_set1_epi8(' ');
    const uint32_t nuls = mask(_mm_cmpeq_epi8(lo, zero), _mm_cmpeq_epi8(hi, zero));
    const uint32_t spaces = mask(_mm_cmpeq_epi8(lo, space), _mm_cmpeq_epi8(hi, space));
    const uint32_t text = (nuls - 1) & ~nuls & all & ~spaces; // before the first NUL, not a space
    begin = text == 0 ? 0 : std::countr_zero(text);
    return text == 0 ? 0 : 32 - std::countl_zero(text) - begin;
}
#endif
} // namespace

// Index rebuilds clean a quarter of a million fields, most of them short
// text followed by padding; the ledger's text fields are 28 bytes wide, and
// that width is built in.
int trimmedRange(const char *data, int len, int &begin)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
#if KPV_CP932_SSE2
    if (len == 28) return trimmedRangeFixed<28>(load16(p), load16(p + 12), begin);
#endif
    return trimmedRangePlain(p, len, begin);
}

// The whole field is copied in two moves whatever its text, and the text's
// place in the copy is found from the same two loads: no branch on the
// text's length.
int copyField(const char *data, int len, char *dest, int &begin)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
#if KPV_CP932_SSE2
    if (len == 28) {
        const __m128i lo = load16(p), hi = load16(p + 12);
        store16(dest, lo);
        store16(dest + 12, hi);
        return trimmedRangeFixed<28>(lo, hi, begin);
    }
#endif
    std::memcpy(dest, p, size_t(len));
    return trimmedRangePlain(p, len, begin);
}

bool isValid(const char *data, int len)
{
    const Tables &t = tables();
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    int i = 0;
    while (i < len && p[i] != 0) {
        const unsigned char b = p[i];
        if (b < 0x80) { ++i; continue; }
        const char16_t s = t.single[b];
        if (s == kInvalid) return false;
        if (s != kLead) { ++i; continue; }
        if (i + 1 >= len || t.pair[size_t(b << 8 | p[i + 1])] == kInvalid) return false;
        i += 2;
    }
    return true;
}

} // namespace kpv::cp932
