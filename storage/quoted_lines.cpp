#include "storage/quoted_lines.h"

#include "storage/codepage.h"
#include "storage/text.h"

namespace kpv {

namespace {
inline bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
} // namespace

bool QuotedLineReader::readField(QString &out)
{
    const qsizetype n = m_text.size();
    qsizetype p = m_pos;
    while (p < n && m_text.at(p) == u' ') ++p;
    if (p >= n) {
        m_pos = n;
        return false;
    }
    QString value;
    if (m_text.at(p) == u'"') {
        const qsizetype start = p + 1;
        qsizetype close = m_text.indexOf(u'"', start);
        if (close < 0) close = n;
        value = m_text.mid(start, close - start);
        p = close + 1;
        while (p < n && m_text.at(p) != u',' && !isLineEnd(m_text.at(p))) ++p;
    } else {
        const qsizetype start = p;
        while (p < n && m_text.at(p) != u',' && !isLineEnd(m_text.at(p))) ++p;
        value = trimSpaces(m_text.mid(start, p - start));
    }
    // Consume the delimiter: a comma, or a line end (CR LF counts as one).
    if (p < n) {
        if (m_text.at(p) == u',') {
            ++p;
        } else if (m_text.at(p) == u'\r') {
            ++p;
            if (p < n && m_text.at(p) == u'\n') ++p;
        } else if (m_text.at(p) == u'\n') {
            ++p;
        }
    }
    m_pos = p;
    out = value;
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
    separator();
    m_bytes.append('"');
    m_bytes.append(cp932::encodeLenient(value));
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
