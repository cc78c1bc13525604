// Writes the seed corpus of the compound file fuzz target into the folder
// given: sound images from the test image builder, small enough for the
// fuzzer's input length.
#include <cstdio>
#include <string>

#include "CompoundImage.h"

namespace
{
bool Write(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    // A regular stream, small ones in the mini stream, an empty one; then a
    // directory of two sectors.
    const bool written =
        Write(folder + "/streams", CompoundImage().Stream(5000).Stream(100).Stream(0).Build()) &&
        Write(folder + "/directory",
              CompoundImage().Stream(700).Stream(64).Stream(1).Stream(2).Build());
    if (!written) std::perror(folder.c_str());
    return written ? 0 : 1;
}
