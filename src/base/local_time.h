// The local date and time as the clock seam reports it; recording names are built from it.
#pragma once

struct LocalDateTime {
    int year, month, day, hour, minute, second;
};
