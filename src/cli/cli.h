// The command-line harness over the portable engine: subcommands print "key: value" lines and exit non-zero with a
// message on bad input.
#pragma once

int cliRecord(int argc, wchar_t** argv);
// Records from the real capture device (Windows only).
int cliCapture(int argc, wchar_t** argv);
// Prints every settings value as the application reads it at start.
int cliSettings(int argc, wchar_t** argv);
// Prints a shortcut's display text.
int cliShortcutText(int argc, wchar_t** argv);
// Prints a usage error to stderr and returns the exit code for it.
int cliUsageError(const char* message);
// Ends this process at once, as a crash or a kill would: no stop, no flush, no clean-up of any kind.
[[noreturn]] void cliKillSelf();
