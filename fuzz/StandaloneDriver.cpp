// SPDX-License-Identifier: MIT
// Replays fuzz inputs without libFuzzer: every file named on the command line, or every file in a
// folder named there, is passed once to LLVMFuzzerTestOneInput. CTest runs this over the corpus,
// so every target also builds with g++ and its corpus stays a regression test.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);

namespace {

int RunOne(const std::filesystem::path& File) {
    std::ifstream In(File, std::ios::binary);
    if (!In) {
        std::fprintf(stderr, "cannot read %s\n", File.c_str());
        return 1;
    }
    const std::vector<char> Bytes((std::istreambuf_iterator<char>(In)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int Failures = 0;
    size_t Count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path Arg(argv[i]);
        if (std::filesystem::is_directory(Arg)) {
            for (const auto& Entry : std::filesystem::directory_iterator(Arg))
                if (Entry.is_regular_file()) {
                    Failures += RunOne(Entry.path());
                    ++Count;
                }
        } else {
            Failures += RunOne(Arg);
            ++Count;
        }
    }
    std::printf("replayed %zu inputs\n", Count);
    return Failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
