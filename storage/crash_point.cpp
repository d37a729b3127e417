#include "storage/crash_point.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace kpv {

namespace {
struct StopAt {
    std::string step;
    int nth = 1;
    StopAt()
    {
        const char *v = std::getenv("KPV_STOP_AT");
        if (!v) return;
        step = v;
        if (const auto hash = step.find('#'); hash != std::string::npos) {
            nth = std::max(1, std::atoi(step.c_str() + hash + 1));
            step.resize(hash);
        }
    }
};
} // namespace

void crashPoint(const char *step)
{
    static const StopAt stopAt;
    static std::atomic<int> reached{0};
    if (stopAt.step.empty() || stopAt.step != step || ++reached < stopAt.nth) return;
    std::fprintf(stderr, "KPV-STOPPED %s\n", step);
    std::fflush(stderr);
    for (;;) ::pause();
}

} // namespace kpv
