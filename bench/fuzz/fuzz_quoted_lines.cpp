// The quoted-line reader of the settings, word-list and index files: the
// decoded reader and the byte reader must find the same fields.
#include "storage/codepage.h"
#include "storage/quoted_lines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    kpv::QuotedLineReader text(kpv::cp932::decodeAll(bytes));
    kpv::QuotedByteReader raw(bytes);
    for (int i = 0; i < 100000; ++i) {
        QString field;
        QByteArrayView rawField;
        const bool a = text.readField(field);
        const bool b = raw.readField(rawField);
        if (a != b) std::abort();
        if (!a) break;
        if (kpv::cp932::isValid(rawField.data(), int(rawField.size())) && !rawField.contains('\0')
            && kpv::cp932::decodeAll(rawField.toByteArray()) != field)
            std::abort();
    }
    return 0;
}
