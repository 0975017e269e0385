// The service's addresses. The web address itself is fixed when the application is built (CMake variable
// NOTAFON_SERVICE_ADDRESS); only the paths and queries below are the application's own.
#pragma once

// The address the panel opens: the service with path "/" and query "app=notafon".
void ServicePanelAddress(wchar_t* out, int capacity);
// The address opened in the default browser when the panel cannot start: query "utm_source=notafon".
void ServiceFallbackAddress(wchar_t* out, int capacity);
// The converter page behind "Make the file smaller (free tool)", opened in the default browser.
void ServiceConverterAddress(wchar_t* out, int capacity);
// The service's origin: the scheme and host of the web address, which alone may talk to the panel and read hand-offs.
const wchar_t* ServiceOrigin();
