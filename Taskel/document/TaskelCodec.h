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

// What a command holds at most. The decoder refuses more (TooLarge) and a
// command beyond them is not saved, so that every command file the product
// writes opens again and a hostile one costs a reader little: 4096 sources,
// entries (each source and the target) of the longest path Windows knows,
// 32767 UTF-16 units, and a stream of 960 KiB. A save over a file holds the
// old stream and the new one side by side in the image until the old one is
// freed, so twice the stream and the storage's own sectors must fit the
// largest image a command file may have (2 MiB, kMaxCommandFileSize).
constexpr size_t kMaxDataStreamBytes = 960 * 1024;
constexpr size_t kMaxSources = 4096;
constexpr size_t kMaxEntryUnits = 32767;

enum class DecodeStatus
{
    Ok,
    Truncated,     // the stream ends inside a fixed-size field
    CountTooLarge, // a byte count N or M exceeds the bytes left in the stream
    TooLarge,      // more sources, or a longer source or target, than a command holds
};

// Trims the white space (blank, tab, CR, LF, VT, FF) at both ends.
std::wstring TrimWhite(const std::wstring &text);

// The stream bytes for `data` (the sources are written as they are).
std::vector<uint8_t> EncodeCommandData(const CommandData &data);

// Whether `data` is within the limits above: its sources and target, and
// the stream they encode to.
bool FitsCommandLimits(const CommandData &data);

// Decodes a stream's bytes into `out`, which starts empty. Every field is
// stored as soon as it is read, so on failure `out` holds what was read
// (at most kMaxSources sources). The stream's own size is the caller's to
// bound (kMaxDataStreamBytes).
// The compatibility rule applies (old versions sound at completion); the
// option mask is not applied here.
DecodeStatus DecodeCommandData(const uint8_t *bytes, size_t size, CommandData &out);
