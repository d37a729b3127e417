#pragma once
// Code page 932 (Japanese Shift-JIS as Windows writes it): the only place
// where text becomes bytes and bytes become text.
//
// The conversion tables come from the C library's iconv converter "CP932",
// built once on first use. Encoding is strict: a character is accepted only
// when CP932 holds it and reading the bytes back gives the same character
// (U+301C "〜" would be written as the bytes of U+FF5E "～" and come back as a
// different character, so it is refused like 😀 is; typed text takes the
// code page's own character first, see fromInputMethod). Decoding never
// fails: a byte sequence that is not CP932 reads as U+FFFD.

#include <QByteArray>
#include <QString>

namespace kpv::cp932 {

// The first character that cannot be stored: its position in the text
// (0-based, in UTF-16 units) and the character itself (two units for a
// character outside the basic plane).
struct Refusal {
    int position = -1;
    QString character;
};

// True when every character of text can be stored and read back unchanged;
// otherwise false, and *refusal (if given) names the first such character.
bool canEncode(const QString &text, Refusal *refusal = nullptr);

// Strict encode. False (out untouched) with the refusal when a character
// cannot be stored.
bool encode(const QString &text, QByteArray &out, Refusal *refusal = nullptr);

// Text as a user typed it, with the characters a Linux input method types for
// keys whose character on Windows is another one taken as the character code
// page 932 holds: 〜 (U+301C) as ～ (U+FF5E), − (U+2212) as － (U+FF0D),
// ‖ (U+2016) as ∥ (U+2225), ¢ £ ¬ (U+00A2, U+00A3, U+00AC) as their
// full-width forms ￠ ￡ ￢ and — (U+2014) as ― (U+2015). Everything else is
// left as typed (and refused by canEncode if code page 932 cannot hold it).
// Only typed text goes through this; bytes read from files never do.
QString fromInputMethod(const QString &typed);

// Lenient encode for writers of whole files: a character that cannot be
// stored becomes "?". Screens check with canEncode before text gets here.
QByteArray encodeLenient(const QString &text);

// Bytes a text takes (a double-byte character counts 2); characters that
// cannot be stored count 1 (as the "?" they would become).
int byteWidth(const QString &text);

// Encodes into exactly width bytes at dest: padded on the right with spaces,
// cut at width. A double-byte character that would straddle the end is
// dropped whole (its place is padded), never cut in half. Characters that
// cannot be stored become "?" (check first with canEncode).
void encodeFixed(const QString &text, char *dest, int width);
QByteArray encodeFixed(const QString &text, int width);

// Decodes up to the first NUL byte (or len bytes).
QString decodeField(const char *data, int len);
inline QString decodeField(const QByteArray &bytes) { return decodeField(bytes.constData(), int(bytes.size())); }

// Decodes all bytes, NULs included (they become U+0000).
QString decodeAll(const char *data, int len);
inline QString decodeAll(const QByteArray &bytes) { return decodeAll(bytes.constData(), int(bytes.size())); }

// Decodes len bytes into dest (room for len characters: CP932 never
// yields more characters than bytes); returns the number written.
int decodeTo(const char *data, int len, char16_t *dest);

// The cleaned bytes of a fixed-width field: up to the first NUL, ASCII
// spaces trimmed at both ends. Sets begin and returns their length. Trimming
// the bytes is the same as trimming the text: a NUL or space byte is never
// the second byte of a double-byte character, so the cleaned bytes decode to
// the decoded field cut at its first NUL and trimmed.
int trimmedRange(const char *data, int len, int &begin);

// Copies the len bytes at data to dest (room for len bytes) and finds the
// cleaned bytes (see trimmedRange) among them: dest[begin, begin + the
// returned length) hold them.
int copyField(const char *data, int len, char *dest, int &begin);

// True when the bytes (up to the first NUL) hold only valid CP932.
bool isValid(const char *data, int len);

} // namespace kpv::cp932
