#pragma once
// Path and text helpers used by every part of the system.

#include <QString>

namespace kpv {

// The separator of folder paths on this platform. Folders are held with
// exactly one trailing separator and paths are formed by concatenation.
#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// A path of two or more characters loses every trailing separator and gets
// exactly one; a shorter path is returned unchanged.
QString normalizeFolderPath(const QString &path);

// Removes ASCII spaces (0x20) at both ends. Other white space, the
// full-width space U+3000 in particular, is text and stays.
QString trimSpaces(const QString &text);

// The text up to (not including) its first NUL, then trimSpaces. Every text
// taken from a fixed-width field or a settings file goes through it before it
// is compared or shown.
QString cleanText(const QString &text);

} // namespace kpv
