// Without libFuzzer the targets still run: this main feeds them every file named on the
// command line, or every file of a named directory, once. Used by CTest to replay the seed
// corpus with the normal compiler.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path());
        } else {
            files.push_back(p);
        }
    }
    // An empty corpus would make the test pass without testing anything.
    if (files.empty()) {
        std::fprintf(stderr, "no inputs\n");
        return 1;
    }
    std::sort(files.begin(), files.end());
    int failures = 0;
    for (const auto& f : files) failures += Replay(f);
    std::printf("%zu inputs replayed\n", files.size());
    return failures == 0 ? 0 : 1;
}
