// Runs one fuzz target over every file of a folder (and the empty input),
// without libFuzzer: the seeds run in the ordinary and sanitizer builds.
//   fuzz_seed_replay <target> <folder>
#include "FuzzTargets.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <target> <seed folder>\n", argv[0]);
        return 2;
    }
    const FuzzTarget* target = std::find_if(std::begin(kFuzzTargets), std::end(kFuzzTargets),
                                            [&](const FuzzTarget& t) { return std::strcmp(t.name, argv[1]) == 0; });
    if (target == std::end(kFuzzTargets)) {
        std::fprintf(stderr, "no fuzz target %s\n", argv[1]);
        return 2;
    }
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(argv[2], error))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    if (error || files.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[2]);
        return 1;
    }
    std::sort(files.begin(), files.end());

    target->run(nullptr, 0);
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A buffer of exactly the input's size, so that reading past it is caught.
        auto data = std::make_unique<uint8_t[]>(std::max<size_t>(bytes.size(), 1));
        std::memcpy(data.get(), bytes.data(), bytes.size());
        std::printf("%s\n", path.filename().c_str());
        std::fflush(stdout);
        target->run(data.get(), bytes.size());
    }
    std::printf("%zu seeds of %s passed\n", files.size(), target->name);
    return 0;
}
