// Clock and duration texts.
#include "recorder/time_text.h"

#include "base/wide_text.h"

namespace {

long long WholeSeconds(double seconds) {
    // Negative and not-a-number both count as 0.
    if (!(seconds > 0.0)) return 0;
    if (seconds > 9.0e15) seconds = 9.0e15;
    return static_cast<long long>(seconds);
}

}  // namespace

void formatClock(double seconds, wchar_t* out, int capacity) {
    long long s = WholeSeconds(seconds);
    WideFormat(out, capacity, L"%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
               static_cast<int>(s % 60));
}

void formatDuration(double seconds, wchar_t* out, int capacity) {
    long long s = WholeSeconds(seconds);
    int hours = static_cast<int>(s / 3600);
    if (hours >= 1) {
        WideFormat(out, capacity, L"%d:%02d:%02d", hours, static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    } else {
        WideFormat(out, capacity, L"%02d:%02d", static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    }
}
