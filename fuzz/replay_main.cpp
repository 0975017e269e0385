// Replays files through a fuzz target's entry point without libFuzzer: every file named, and every file in every
// folder named (in name order), once each. The target aborts on a finding, so the first failing input ends the run
// with its name printed just above the report. A run that finds no input at all fails too: an empty or misplaced
// corpus must not pass as a clean one.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// The whole file, or false when it cannot be read.
bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    uint8_t block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0) bytes->insert(bytes->end(), block, block + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

// Regular files directly in DIR (hidden ones left out), sorted; false when DIR cannot be listed.
bool ListFolder(const std::string& dir, std::vector<std::string>* files) {
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        names.push_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string path = dir + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files->push_back(path);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i) {
        struct stat st;
        if (stat(argv[i], &st) != 0) {
            fprintf(stderr, "replay: %s does not exist\n", argv[i]);
            return 1;
        }
        if (S_ISDIR(st.st_mode)) {
            if (!ListFolder(argv[i], &inputs)) {
                fprintf(stderr, "replay: cannot list %s\n", argv[i]);
                return 1;
            }
        } else {
            inputs.push_back(argv[i]);
        }
    }
    if (inputs.empty()) {
        fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    std::vector<uint8_t> bytes;
    for (const std::string& path : inputs) {
        if (!ReadFile(path, &bytes)) {
            fprintf(stderr, "replay: cannot read %s\n", path.c_str());
            return 1;
        }
        printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
        fflush(stdout);
        // libFuzzer never passes a null pointer, not even for an empty input.
        static const uint8_t kEmpty = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &kEmpty : bytes.data(), bytes.size());
    }
    printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
