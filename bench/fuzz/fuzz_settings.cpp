// The settings loader: any bytes give at most 50 slots, and a store that
// was read writes back and reads again to the same slots.
#include "storage/quoted_lines.h"
#include "storage/settings_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    kpv::SettingsSlots store;
    const int read = kpv::readSettingsBytes(bytes, store);
    if (read < 0 || read > kpv::SettingsSlots::kSlots) std::abort();
    QByteArray again;
    if (kpv::settingsBytes(store, again)) {
        kpv::SettingsSlots back;
        if (kpv::readSettingsBytes(again, back) != kpv::SettingsSlots::kSlots) std::abort();
        if (!(back == store)) std::abort();
    }
    return 0;
}
