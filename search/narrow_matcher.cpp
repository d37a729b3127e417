#include "search/narrow_matcher.h"

#include "storage/codepage.h"
#include "storage/ledger_record.h"

#include <QStringView>

#include <bitset>
#include <cstring>
#include <memory>

namespace kpv::search {

namespace {
// The characters that code page 932 holds under more than one code: decoding
// each valid code and encoding the character again gives other bytes.
const std::bitset<65536> &multiCoded()
{
    static const std::unique_ptr<std::bitset<65536>> set = [] {
        auto s = std::make_unique<std::bitset<65536>>();
        char16_t out[2];
        const auto check = [&](const char *code, int len) {
            if (cp932::decodeTo(code, len, out) != 1 || out[0] == u'\uFFFD') return;
            QByteArray again;
            if (!cp932::encode(QString(QChar(out[0])), again) || again != QByteArray(code, len)) s->set(out[0]);
        };
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char c = char(b);
            check(&c, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char code[2] = {char(lead), char(trail)};
                check(code, 2);
            }
        }
        return s;
    }();
    return *set;
}

bool needsDecodedCompare(const QString &word, QByteArray &bytes)
{
    if (!cp932::encode(word, bytes)) return true;
    for (QChar c : word)
        if (c.unicode() >= 0x80 && multiCoded().test(c.unicode())) return true;
    return false;
}

bool containsDecoded(const char *p, int len, const QString &word)
{
    char16_t buf[LedgerRecord::kFieldWidth];
    const int n = cp932::decodeTo(p, len, buf);
    return QStringView(buf, n).contains(word);
}
} // namespace

NarrowMatcher::NarrowMatcher(const Conditions &c)
{
    const bool f1 = !c.words[0].isEmpty(), f2 = !c.words[1].isEmpty(), f3 = !c.words[2].isEmpty();
    m_count = (f1 && f2 && f3) ? 3 : (f1 && f2) ? 2 : (f1 && !f3) ? 1 : 0;
    for (int k = 0; k < m_count; ++k) {
        Word &w = m_words[size_t(k)];
        const int column = c.columns[size_t(k)];
        w.offset = isConditionColumn(column) ? LedgerRecord::fieldOffset(column - 1) : -1;
        w.text = c.words[size_t(k)];
        w.decodedOnly = needsDecodedCompare(w.text, w.bytes);
    }
}

bool NarrowMatcher::holds(const Word &w, const char *record) const
{
    if (w.offset < 0) return false;
    const char *field = record + w.offset;
    int begin = 0;
    const int len = cp932::trimmedRange(field, LedgerRecord::kFieldWidth, begin);
    const char *p = field + begin;
    if (w.decodedOnly) return containsDecoded(p, len, w.text);

    const int wlen = int(w.bytes.size());
    const char *wb = w.bytes.constData();
    for (int i = 0; i + wlen <= len; ++i) {
        const void *hit = std::memchr(p + i, wb[0], size_t(len - wlen - i + 1));
        if (!hit) return false;
        i = int(static_cast<const char *>(hit) - p);
        if (std::memcmp(p + i, wb, size_t(wlen)) != 0) continue;
        // Found the bytes. In plain ASCII every byte is a character.
        bool ascii = true;
        for (int j = 0; j < len && ascii; ++j) ascii = uchar(p[j]) < 0x80;
        return ascii || containsDecoded(p, len, w.text);
    }
    return false;
}

bool NarrowMatcher::matches(const char *record) const
{
    for (int k = 0; k < m_count; ++k)
        if (!holds(m_words[size_t(k)], record)) return false;
    return m_count > 0;
}

} // namespace kpv::search
