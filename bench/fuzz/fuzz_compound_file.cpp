// The compound-file container of .xls books: any bytes are refused or
// parsed; a parsed file writes out and parses again with the same streams.
#include "excel/compound_file.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    auto file = kpv::excel::CompoundFile::parse(bytes);
    if (!file) return 0;
    const auto streams = file->streams();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (!file->write(out)) return 0;
    const QByteArray written = out.data();
    auto again = kpv::excel::CompoundFile::parse(std::string_view(written.constData(), size_t(written.size())));
    if (!again) std::abort();
    const auto streams2 = again->streams();
    if (streams.size() != streams2.size()) std::abort();
    for (size_t i = 0; i < streams.size(); ++i)
        if (streams[i].path != streams2[i].path || *streams[i].data != *streams2[i].data) std::abort();
    return 0;
}
