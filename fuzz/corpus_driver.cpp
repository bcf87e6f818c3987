// Runs one fuzz target's entry function over files, the way libFuzzer replays a corpus, so
// the seed corpora run as ordinary tests with any compiler. Arguments are files or
// directories (every regular file directly inside, in name order). A crash or a failed check
// aborts the run; an empty corpus fails it too, since it would prove nothing.
#include "fuzz_target.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> inputFiles(const std::string& argument)
{
    std::vector<std::string> files;
    if (!std::filesystem::is_directory(argument))
    {
        files.push_back(argument);
        return files;
    }
    for (const auto& entry : std::filesystem::directory_iterator(argument))
    {
        if (entry.is_regular_file())
        {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
    {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    size_t inputs = 0;
    for (int i = 1; i < argc; ++i)
    {
        for (const std::string& file : inputFiles(argv[i]))
        {
            std::ifstream in(file, std::ios::binary);
            if (!in)
            {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            const std::string bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            std::printf("%s\n", file.c_str());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
    }
    std::printf("%zu inputs ran\n", inputs);
    return inputs == 0 ? 1 : 0;
}
