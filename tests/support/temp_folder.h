#pragma once
// A temporary folder for one test, and the test data folders kept in the
// repository under tests/data (copy before changing anything).

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace kpv::testing {

// The folder tests/data of the source tree.
inline QString fixturesDir()
{
    return QString::fromUtf8(KPV_TEST_DATA_DIR);
}

// Copies every file of a fixture sub-folder (e.g. "ledger30") into dest and
// makes the copies writable.
inline bool copyFixture(const QString &name, const QString &dest)
{
    QDir src(fixturesDir() + QLatin1Char('/') + name);
    if (!src.exists()) return false;
    QDir().mkpath(dest);
    for (const QString &f : src.entryList(QDir::Files)) {
        const QString to = dest + QLatin1Char('/') + f;
        QFile::remove(to);
        if (!QFile::copy(src.filePath(f), to)) return false;
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return true;
}

// Folder path with the trailing separator, as the system holds folders.
inline QString withSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace kpv::testing

namespace kpv::test {
// The path of a test data folder, e.g. fixturePath("ledger30").
inline QString fixturePath(const QString &name)
{
    return kpv::testing::fixturesDir() + QLatin1Char('/') + name;
}
} // namespace kpv::test
