// What the panel's page and the recorder say to each other: the page's four strings, the name of a hand-off copy,
// the escaping of the announced file name and the one JSON message that announces a copy. Pure text work, so every
// byte of it is checked natively.
#pragma once

#include <stdint.h>

enum PageMessage {
    kPageMessageOther = 0,  // anything else, an empty text, or no text at all: ignored
    kPageMessageReady = 1,
    kPageMessageSignedIn = 2,
    kPageMessageSignedOut = 3,
    kPageMessageRequestAudio = 4,
};

extern const wchar_t kPageReadyText[];         // "notafon-ready"
extern const wchar_t kPageSignedInText[];      // "notafon-signed-in"
extern const wchar_t kPageSignedOutText[];     // "notafon-signed-out"
extern const wchar_t kPageRequestAudioText[];  // "notafon-request-audio"

// The virtual host under which the browser serves the hand-off folder to the page.
extern const wchar_t kHandoffHost[];

const int kHandoffMessageCapacity = 1400;  // characters, terminator included
const int kEscapedNameMax = 633;           // characters, terminator excluded
const int kHandoffExtensionCapacity = 8;   // an extension has at most 6 characters

PageMessage ClassifyPageMessage(const wchar_t* text);

// The copy's extension (capacity kHandoffExtensionCapacity): "mp3" unless the file's name has a last '.' whose
// suffix, dot included, is 2 to 7 characters long.
void HandoffExtension(const wchar_t* path, wchar_t* out, int capacity);

// "audio-%u-%lu.%ls". Returns the length, or -1 when it does not fit in capacity.
int HandoffCopyName(wchar_t* out, int capacity, uint32_t counter, uint32_t ticks, const wchar_t* extension);

// The source name as a JSON string body (capacity at least kEscapedNameMax + 1). Returns the length.
int EscapeHandoffName(const wchar_t* name, wchar_t* out, int capacity);

// {"type":"notafon-audio","url":"https://HOST/COPY","name":"ESCAPED"}. Returns the length, or -1 when it does not fit.
int FormatHandoffMessage(wchar_t* out, int capacity, const wchar_t* copyName, const wchar_t* escapedName);

// Whether uri belongs to origin ("https://host" or "https://host:port"): the same scheme and host, ASCII case aside,
// followed by the end, a path, a query or a fragment. "https://host.other/", "https://host@other/" and
// "https://host:444/" are other origins.
bool UriHasOrigin(const wchar_t* uri, const wchar_t* origin);

// The file name a request for https://HOST/NAME asks for, percent-decoded (UTF-8), without query or fragment, into
// out (capacity characters). Returns the length, or -1 when the address is not on host, names a path below it, or
// does not fit.
int HandoffRequestName(const wchar_t* uri, const wchar_t* host, wchar_t* out, int capacity);

// The response headers of a served hand-off copy: readable by origin alone, never cached, typed by the copy's
// extension. Returns the length, or -1 when it does not fit.
int FormatHandoffHeaders(wchar_t* out, int capacity, const wchar_t* origin, const wchar_t* copyName);
