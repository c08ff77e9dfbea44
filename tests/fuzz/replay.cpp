// Runs one fuzz harness, built with the normal compiler, over every input kept for it in
// fuzz/corpus/<harness> and fuzz/regressions/<harness>: a broken property aborts the test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (const char* kept : {"/fuzz/corpus/", "/fuzz/regressions/"}) {
        std::error_code missing; // a harness may have no regressions
        for (const auto& entry : std::filesystem::directory_iterator(
                 CTL_SOURCE_DIR + std::string(kept) + CTL_FUZZ_HARNESS, missing)) {
            std::ifstream file(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> input{std::istreambuf_iterator<char>(file), {}};
            std::fprintf(stderr, "%s\n", entry.path().c_str());
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed through %s\n", replayed, CTL_FUZZ_HARNESS);
    return replayed > 0 ? 0 : 1;
}
