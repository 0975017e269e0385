// Builds the service's addresses from the web address chosen at build time.
#include "panel/service_address.h"

#include "base/wide_text.h"

#ifndef NOTAFON_SERVICE_ADDRESS
#error "NOTAFON_SERVICE_ADDRESS must name the service's web address (scheme and host, no trailing slash)"
#endif

#define NOTAFON_WIDEN2(x) L##x
#define NOTAFON_WIDEN(x) NOTAFON_WIDEN2(x)

void ServicePanelAddress(wchar_t* out, int capacity) {
    WideFormat(out, capacity, L"%ls/?app=notafon", NOTAFON_WIDEN(NOTAFON_SERVICE_ADDRESS));
}

void ServiceFallbackAddress(wchar_t* out, int capacity) {
    WideFormat(out, capacity, L"%ls/?utm_source=notafon", NOTAFON_WIDEN(NOTAFON_SERVICE_ADDRESS));
}

void ServiceConverterAddress(wchar_t* out, int capacity) {
    WideFormat(out, capacity, L"%ls/tools/audio-converter.html", NOTAFON_WIDEN(NOTAFON_SERVICE_ADDRESS));
}

const wchar_t* ServiceOrigin() {
    return NOTAFON_WIDEN(NOTAFON_SERVICE_ADDRESS);
}
