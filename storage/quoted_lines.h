#pragma once
// The quoted text line format of the settings, pick-list and index files.
//
// A line holds fields separated by ",", ended by CR LF. A text is written in
// double quotes without escaping (so no stored value may hold a double quote);
// a value that was never assigned is written as nothing. Reading a field skips
// leading spaces; a quoted field runs to the next double quote and the reader
// then skips to the following comma or line end; any other field runs to the
// next comma or line end and loses the spaces at both ends. A line end also
// ends the field being read. Reading when nothing is left is a failure.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace kpv {

// Checks a value before it is stored in a quoted-line file: a double quote
// would end the field early and shift every later field, a CR or LF would
// break the line count, and a character code page 932 cannot hold would be
// written as something else. Returns the message naming the offending
// character, or nullopt when the value can be stored as it is.
std::optional<QString> quotedLineProblem(const QString &value);

class QuotedLineReader {
public:
    // text: the whole file, already decoded.
    explicit QuotedLineReader(QString text) : m_text(std::move(text)) {}

    // Reads the next field. False when the end of the text has been reached
    // before the field (out is left unchanged).
    bool readField(QString &out);
    // Reads count fields; false if the text ends before all were read.
    bool readFields(int count, QStringList &out);
    bool atEnd() const { return m_pos >= m_text.size(); }

private:
    QString m_text;
    qsizetype m_pos = 0;
};

// The same reading on the code page 932 bytes of a file, for readers that
// keep the bytes. The field boundaries are the same as in the decoded text:
// the delimiters (space, double quote, comma, CR, LF) are never the second
// byte of a double-byte character and no other byte reads as one of them,
// so each field's bytes decode to the field QuotedLineReader reads.
class QuotedByteReader {
public:
    explicit QuotedByteReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    // Reads the next field; out points into the reader's bytes. False when
    // the end has been reached before the field (out is left unchanged).
    bool readField(QByteArrayView &out);

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

// Builds lines of the format, in code page 932. A value the format cannot
// hold (see quotedLineProblem) marks the writer refused(): callers then
// write nothing.
class QuotedLineWriter {
public:
    // A value in double quotes (written even when empty).
    QuotedLineWriter &quoted(const QString &value);
    // A value that is written as nothing when empty, else in double quotes.
    QuotedLineWriter &optional(const QString &value);
    // A value already in code page 932, in double quotes.
    QuotedLineWriter &quotedBytes(QByteArrayView bytes);
    // Ends the line with CR LF.
    QuotedLineWriter &endLine();
    const QByteArray &bytes() const { return m_bytes; }
    void reserve(qsizetype n) { m_bytes.reserve(n); }
    // The first value that could not be held, with the message naming the
    // character; nullopt when every value was written as given.
    bool refused() const { return m_problem.has_value(); }
    const std::optional<QString> &problem() const { return m_problem; }

private:
    void separator();
    QByteArray m_bytes;
    std::optional<QString> m_problem;
    bool m_lineStarted = false;
};

} // namespace kpv
