// Runs a fuzz target over every file of the folders (or files) it is given,
// so the seed corpora are replayed by the ordinary sanitized test build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{
void RunFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::string_view(argv[1]) == "--help")
    {
        std::fprintf(stderr,
                     "Usage: %s CORPUS_DIR_OR_FILE...\nReplays every input through the fuzz target.\n",
                     argv[0]);
        return argc < 2 ? 2 : 0;
    }
    size_t count = 0;
    for (int i = 1; i < argc; ++i)
    {
        std::filesystem::path path(argv[i]);
        if (!std::filesystem::exists(path))
        {
            std::fprintf(stderr, "No such corpus: %s\n", argv[i]);
            return 2;
        }
        std::vector<std::filesystem::path> inputs{path};
        if (std::filesystem::is_directory(path))
            inputs.assign(std::filesystem::recursive_directory_iterator(path), {});
        for (const std::filesystem::path& input : inputs)
            if (std::filesystem::is_regular_file(input))
            {
                RunFile(input);
                ++count;
            }
    }
    std::printf("Replayed %zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
