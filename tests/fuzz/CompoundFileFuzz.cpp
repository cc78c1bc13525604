// libFuzzer target for the structural check of compound file images, built
// natively: any bytes must be checked without reading out of bounds, the
// header check must pass every image the whole check passes, and tighter
// limits may only refuse more.
#include <algorithm>
#include <cstdlib>

#include "CompoundFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const CompoundFileVerdict whole = CheckCompoundFile(bytes, size);
    const CompoundFileVerdict header =
        CheckCompoundFileHeader(bytes, std::min<size_t>(size, 512), size);
    if (!VerdictName(whole) || !VerdictName(header)) abort();
    if (whole == CompoundFileVerdict::Sound && header != CompoundFileVerdict::Sound) abort();

    // Two directory sectors at most, and no byte beyond this image.
    CompoundFileLimits tight;
    tight.maxImageBytes = size;
    tight.maxDirectoryEntries = 8;
    if (CheckCompoundFile(bytes, size, tight) == CompoundFileVerdict::Sound &&
        whole != CompoundFileVerdict::Sound)
        abort();
    return 0;
}
