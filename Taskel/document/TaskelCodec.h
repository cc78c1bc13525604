// The "Data" stream of a command file as plain bytes: encoding the fields
// of a command into the stream layout and decoding them back. Free of
// Windows headers; strings hold one UTF-16 code unit per wchar_t.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The fields a "Data" stream carries.
struct CommandData
{
    uint32_t action = 0;
    uint32_t options = 0;
    std::vector<std::wstring> sources;
    std::wstring target;
};

// Written into every stream: low word 1, high word 4.
constexpr uint32_t kDataFormatVersion = 0x00040001;
constexpr uint32_t kDataHeaderVersionBit = 0x80000000;

enum class DecodeStatus
{
    Ok,
    Truncated,     // the stream ends inside a fixed-size field
    CountTooLarge, // a byte count N or M exceeds the bytes left in the stream
};

// Trims the white space (blank, tab, CR, LF, VT, FF) at both ends.
std::wstring TrimWhite(const std::wstring &text);

// The stream bytes for `data` (the sources are written as they are).
std::vector<uint8_t> EncodeCommandData(const CommandData &data);

// Decodes a stream's bytes into `out`, which starts empty. Every field is
// stored as soon as it is read, so on failure `out` holds what was read.
// The compatibility rule applies (old versions sound at completion); the
// option mask is not applied here.
DecodeStatus DecodeCommandData(const uint8_t *bytes, size_t size, CommandData &out);
