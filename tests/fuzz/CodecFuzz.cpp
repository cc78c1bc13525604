// libFuzzer target for the "Data" stream codec, built natively: any bytes
// must decode without reading out of bounds, and whatever decodes must
// encode and decode again to the same fields.
#include <cstdlib>

#include "TaskelCodec.h"
#include "TaskelOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    CommandData data;
    if (DecodeCommandData(bytes, size, data) != DecodeStatus::Ok) return 0;
    OptionNames(data.options);
    data.options &= OptionMask(data.action, 6, data.sources);

    CommandData again;
    std::vector<uint8_t> encoded = EncodeCommandData(data);
    if (DecodeCommandData(encoded.data(), encoded.size(), again) != DecodeStatus::Ok) abort();
    // Re-reading may add the completion sound (old versions) but nothing else.
    if (again.action != (data.action & 0xFFFF) || again.sources != data.sources ||
        again.target != data.target ||
        (again.options & ~OPT_X_COMPLETE_SOUND) !=
            (data.options & 0x0FFFFFFF & ~OPT_X_COMPLETE_SOUND))
        abort();
    return 0;
}
