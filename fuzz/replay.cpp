// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target's checks on stored inputs: each argument is a file, or a folder
// whose files are all run. The test suite uses this to replay every target's corpus,
// so the seed inputs and each input that once made a target fail stay regression tests
// in every build, with or without clang.

#include "fuzzcheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

void replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        std::cerr << file << ": cannot be read\n";
        std::exit(2);
    }
    // A copy of exactly the input's size, so that AddressSanitizer sees reads past its end.
    const auto data = std::make_unique<std::uint8_t[]>(std::max<std::size_t>(bytes.size(), 1));
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::cerr << "no inputs to replay\n";
        return 2;
    }
    for (const auto& file : files) {
        std::cout << "replaying " << file.filename().string() << '\n' << std::flush;
        replay(file);
    }
    std::cout << files.size() << " inputs replayed, every property holds\n";
    return 0;
}
