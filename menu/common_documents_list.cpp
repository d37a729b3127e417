#include "menu/common_documents_list.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace kpv::menu {

std::vector<DocumentEntry> listDocuments(const QString &folder)
{
    std::vector<DocumentEntry> out;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Readable);
    for (const QFileInfo &f : files) {
        if (f.fileName().startsWith(QStringLiteral(".~lock.")) || f.fileName().startsWith(QStringLiteral("~$"))) continue;
        out.push_back({f.fileName(), f.absoluteFilePath(), f.lastModified(), f.size()});
    }
    std::sort(out.begin(), out.end(), [](const DocumentEntry &a, const DocumentEntry &b) {
        return a.modified != b.modified ? a.modified > b.modified : a.name < b.name;
    });
    return out;
}

namespace {
// Folds full-width Latin letters and digits to half width, then case.
QString folded(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}
} // namespace

std::vector<DocumentEntry> filterDocuments(const std::vector<DocumentEntry> &all, const QString &filter)
{
    const QStringList words =
        folded(filter).split(QRegularExpression(QStringLiteral("[\\s\\x{3000}]+")), Qt::SkipEmptyParts);
    if (words.isEmpty()) return all;
    std::vector<DocumentEntry> out;
    for (const DocumentEntry &e : all) {
        const QString name = folded(e.name);
        if (std::all_of(words.begin(), words.end(), [&](const QString &w) { return name.contains(w); })) out.push_back(e);
    }
    return out;
}

bool opensInOffice(const QString &fileName)
{
    static const QStringList kinds{QStringLiteral("xls"), QStringLiteral("xlsx"), QStringLiteral("xlsm"),
                                   QStringLiteral("ods"), QStringLiteral("csv")};
    return kinds.contains(QFileInfo(fileName).suffix().toLower());
}

QString sizeText(qint64 bytes)
{
    if (bytes <= 0) return QStringLiteral("0 KB");
    return QString::number(std::max<qint64>(1, (bytes + 1023) / 1024)) + QStringLiteral(" KB");
}

} // namespace kpv::menu
