#include "search/ledger_reader.h"

#include "storage/shared_io.h"

#include "storage/ledger_record.h"

#include <cstring>

namespace kpv::search {

LedgerReader::LedgerReader(const QString &path) : m_file(path)
{
    m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

const char *LedgerReader::block(int first, int count)
{
    if (!m_file.isOpen() || first < 1 || count < 1) return nullptr;
    const qint64 bytes = qint64(count) * LedgerRecord::kSize;
    if (m_buffer.size() < bytes) m_buffer.resize(bytes);
    char *data = m_buffer.data();
    qint64 got = 0;
    if (m_file.seek(qint64(first - 1) * LedgerRecord::kSize)) {
        while (got < bytes) {
            const qint64 r = m_file.read(data + got, bytes - got);
            if (r <= 0) break;
            got += r;
        }
    }
    if (got < bytes) std::memset(data + got, 0, size_t(bytes - got));
    return data;
}

bool LedgerReader::readAll(const QString &path, LargeBuffer &out, const std::function<void(const char *, size_t)> &piece)
{
    QFile f(path);
    (void)io::freshSize(path); // read to the end the server knows
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        out.resize(0);
        return false;
    }
    const qint64 size = f.size();
    out.resize(size_t(size) + LedgerRecord::kSize);
    constexpr qint64 kPiece = qint64(1) << 20;
    qint64 got = 0;
    while (got < size) {
        const qint64 r = f.read(out.data() + got, std::min(kPiece, size - got));
        if (r <= 0) break;
        if (piece) piece(out.data() + got, size_t(r));
        got += r;
    }
    std::memset(out.data() + got, 0, LedgerRecord::kSize);
    out.resize(size_t(got));
    return got == size && f.error() == QFileDevice::NoError;
}

} // namespace kpv::search
