// Bounded wide-text helpers: every formatted text has a fixed capacity and is cut there, never overrun.
#pragma once

// Copies src into dst (capacity in characters, terminator included), cutting what does not fit.
void WideCopyBounded(wchar_t* dst, int capacity, const wchar_t* src);

// printf-style formatting into dst, cut at capacity. Returns the length written.
int WideFormat(wchar_t* dst, int capacity, const wchar_t* format, ...);

// Whether a and b are the same text when ASCII letters are compared without case, as the registry compares value
// names.
bool WideEqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b);
