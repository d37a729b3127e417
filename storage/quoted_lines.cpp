#include "storage/quoted_lines.h"

#include "storage/codepage.h"

#include <algorithm>

namespace kpv {

namespace {
inline char16_t unitAt(QStringView text, qsizetype i) { return text[i].unicode(); }
inline char16_t unitAt(QByteArrayView text, qsizetype i) { return uchar(text[i]); }
inline bool isLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

// Finds the next field of text from pos: its value is text[begin, end), pos
// moves past its delimiter. False when nothing is left.
template <typename View>
bool nextField(View text, qsizetype &pos, qsizetype &begin, qsizetype &end)
{
    const qsizetype n = text.size();
    const auto at = [&](qsizetype i) { return unitAt(text, i); };
    qsizetype p = pos;
    while (p < n && at(p) == u' ') ++p;
    if (p >= n) {
        pos = n;
        return false;
    }
    if (at(p) == u'"') {
        begin = p + 1;
        end = begin;
        while (end < n && at(end) != u'"') ++end;
        p = end + 1;
        while (p < n && at(p) != u',' && !isLineEnd(at(p))) ++p;
    } else {
        begin = p;
        while (p < n && at(p) != u',' && !isLineEnd(at(p))) ++p;
        end = p;
        while (begin < end && at(end - 1) == u' ') --end; // leading spaces are already skipped
    }
    // Consume the delimiter: a comma, or a line end (CR LF counts as one).
    if (p < n) {
        if (at(p) == u',') {
            ++p;
        } else if (at(p) == u'\r') {
            ++p;
            if (p < n && at(p) == u'\n') ++p;
        } else if (at(p) == u'\n') {
            ++p;
        }
    }
    pos = std::min(p, n);
    return true;
}
} // namespace

std::optional<QString> quotedLineProblem(const QString &value)
{
    const QString lead = QStringLiteral("登録できない文字があります：");
    for (QChar c : value) {
        if (c == u'"') return lead + QStringLiteral("「\"」（ダブルクォーテーション）");
        if (c == u'\r' || c == u'\n') return lead + QStringLiteral("改行");
    }
    cp932::Refusal refusal;
    if (!cp932::canEncode(value, &refusal)) return lead + QStringLiteral("「") + refusal.character + QStringLiteral("」");
    return std::nullopt;
}

bool QuotedLineReader::readField(QString &out)
{
    qsizetype begin, end;
    if (!nextField(QStringView(m_text), m_pos, begin, end)) return false;
    out = m_text.mid(begin, end - begin);
    return true;
}

bool QuotedByteReader::readField(QByteArrayView &out)
{
    qsizetype begin, end;
    if (!nextField(QByteArrayView(m_bytes), m_pos, begin, end)) return false;
    out = QByteArrayView(m_bytes).sliced(begin, end - begin);
    return true;
}

bool QuotedLineReader::readFields(int count, QStringList &out)
{
    out.clear();
    for (int i = 0; i < count; ++i) {
        QString f;
        if (!readField(f)) return false;
        out << f;
    }
    return true;
}

void QuotedLineWriter::separator()
{
    if (m_lineStarted) m_bytes.append(',');
    m_lineStarted = true;
}

QuotedLineWriter &QuotedLineWriter::quoted(const QString &value)
{
    if (!m_problem) m_problem = quotedLineProblem(value);
    separator();
    m_bytes.append('"');
    m_bytes.append(cp932::encodeLenient(value));
    m_bytes.append('"');
    return *this;
}

QuotedLineWriter &QuotedLineWriter::quotedBytes(QByteArrayView bytes)
{
    separator();
    m_bytes.append('"');
    m_bytes.append(bytes);
    m_bytes.append('"');
    return *this;
}

QuotedLineWriter &QuotedLineWriter::optional(const QString &value)
{
    if (value.isEmpty()) {
        separator();
        return *this;
    }
    return quoted(value);
}

QuotedLineWriter &QuotedLineWriter::endLine()
{
    m_bytes.append("\r\n", 2);
    m_lineStarted = false;
    return *this;
}

} // namespace kpv
