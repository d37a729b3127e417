#include "storage/text.h"

namespace kpv {

QString normalizeFolderPath(const QString &path)
{
    if (path.size() < 2) return path;
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == QChar(kPathSeparator)) --end;
    return path.left(end) + QChar(kPathSeparator);
}

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == u' ') ++begin;
    while (end > begin && text.at(end - 1) == u' ') --end;
    if (begin == 0 && end == text.size()) return text;
    return text.mid(begin, end - begin);
}

QString cleanText(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return trimSpaces(nul < 0 ? text : text.left(nul));
}

} // namespace kpv
