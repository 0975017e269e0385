// Entry point of notafon-cli: dispatches to the subcommands.
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <vector>

#include "cli/cli.h"
#include "cli/cli_player.h"

namespace {

const char kUsage[] =
    "usage: notafon-cli record --format N --folder DIR [--name TEXT] [--replace] [--skip-silence]\n"
    "                          [--mark-at SECONDS]... [--pause-at S --resume-at S]... [--abort-at S] INPUT.wav\n"
    "       notafon-cli capture --format N --folder DIR --seconds S [--name TEXT] [--replace]   (Windows build)\n"
    "       notafon-cli decode FILE --out OUT.wav\n"
    "       notafon-cli stream-check FILE --at SECONDS... [--seconds S]   (streamed reads against the whole decode)\n"
    "       notafon-cli play [--speed S] [--volume V] IN OUT.wav   (the engine over a fake output device)\n"
    "       notafon-cli listen [--speed S] [--volume V] [--timeout S] IN   (Windows build: the real output)\n"
    "       notafon-cli settings [--store FILE]   (the registry key on Windows; natively --store is required)\n"
    "       notafon-cli shortcut-text MODS KEY [--capacity N]   (natively: built-in English key names)\n";

int Dispatch(int argc, wchar_t** argv) {
    if (argc < 2) return cliUsageError("missing subcommand");
    if (wcscmp(argv[1], L"record") == 0) return cliRecord(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"capture") == 0) return cliCapture(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"decode") == 0) return cliDecode(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"stream-check") == 0) return cliStreamCheck(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"play") == 0) return cliPlay(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"listen") == 0) return cliListen(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"settings") == 0) return cliSettings(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"shortcut-text") == 0) return cliShortcutText(argc - 2, argv + 2);
    if (wcscmp(argv[1], L"--help") == 0 || wcscmp(argv[1], L"help") == 0) {
        fputs(kUsage, stdout);
        return 0;
    }
    return cliUsageError("unknown subcommand");
}

}  // namespace

int cliUsageError(const char* message) {
    fprintf(stderr, "notafon-cli: %s\n%s", message, kUsage);
    return 2;
}

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    setlocale(LC_ALL, "");
    return Dispatch(argc, argv);
}
#else
int main(int argc, char** argv) {
    // Paths are handed to the file seam as wide text and turned back into UTF-8 there.
    if (!setlocale(LC_CTYPE, "C.UTF-8")) setlocale(LC_CTYPE, "");
    std::vector<std::vector<wchar_t> > wide(static_cast<size_t>(argc));
    std::vector<wchar_t*> args(static_cast<size_t>(argc) + 1, nullptr);
    for (int i = 0; i < argc; ++i) {
        size_t n = mbstowcs(nullptr, argv[i], 0);
        if (n == static_cast<size_t>(-1)) return cliUsageError("an argument is not valid text");
        wide[static_cast<size_t>(i)].resize(n + 1);
        mbstowcs(wide[static_cast<size_t>(i)].data(), argv[i], n + 1);
        args[static_cast<size_t>(i)] = wide[static_cast<size_t>(i)].data();
    }
    return Dispatch(argc, args.data());
}
#endif
