// Encoding and decoding of the "Data" stream. Little-endian integers and
// UTF-16LE strings are assembled byte by byte so the code builds natively.
#include "TaskelCodec.h"

#include "TaskelOptions.h"

namespace
{
bool IsWhite(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

void PutU16(std::vector<uint8_t> &out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<uint8_t> &out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// A string with its terminating null, one 16-bit unit per character.
void PutString(std::vector<uint8_t> &out, const std::wstring &text)
{
    for (wchar_t c : text)
        PutU16(out, static_cast<uint32_t>(c) & 0xFFFF);
    PutU16(out, 0);
}

uint32_t ByteCount(const std::wstring &text)
{
    return static_cast<uint32_t>((text.size() + 1) * 2);
}

// Reads fields from the stream bytes; every read checks what is left.
class Reader
{
  public:
    Reader(const uint8_t *bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    size_t Left() const { return m_size - m_pos; }

    bool U16(uint32_t &value)
    {
        if (Left() < 2) return false;
        value = m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8);
        m_pos += 2;
        return true;
    }

    bool U32(uint32_t &value)
    {
        uint32_t low = 0, high = 0;
        if (Left() < 4) return false;
        U16(low);
        U16(high);
        value = low | (high << 16);
        return true;
    }

    // `count` bytes as 16-bit units followed by a null unit; an odd last
    // byte becomes a unit whose high byte is zero. The caller has checked
    // that `count` bytes are left.
    std::wstring Units(size_t count)
    {
        std::wstring units;
        units.reserve(count / 2 + 2);
        for (size_t i = 0; i < count; i += 2)
        {
            uint32_t low = m_bytes[m_pos + i];
            uint32_t high = i + 1 < count ? m_bytes[m_pos + i + 1] : 0;
            units.push_back(static_cast<wchar_t>(low | (high << 8)));
        }
        m_pos += count;
        units.push_back(L'\0');
        return units;
    }

  private:
    const uint8_t *m_bytes;
    size_t m_size;
    size_t m_pos = 0;
};

// The source entries of a null-terminated unit buffer: each entry trimmed,
// blank ones dropped, the list ending at an empty entry or the data's end.
// More sources, or a longer one, than a command holds stop the list.
bool ParseSources(const std::wstring &units, std::vector<std::wstring> &sources)
{
    const size_t end = units.size() - 1; // the appended null
    size_t pos = 0;
    if (units[0] == L'\0') return true;
    while (pos < end)
    {
        size_t stop = units.find(L'\0', pos);
        std::wstring entry = TrimWhite(units.substr(pos, stop - pos));
        if (entry.size() > kMaxEntryUnits) return false;
        if (!entry.empty())
        {
            if (sources.size() == kMaxSources) return false;
            sources.push_back(entry);
        }
        pos = stop + 1;
        if (pos >= end || units[pos] == L'\0') break;
    }
    return true;
}
} // namespace

std::wstring TrimWhite(const std::wstring &text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsWhite(text[first]))
        ++first;
    while (last > first && IsWhite(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::vector<uint8_t> EncodeCommandData(const CommandData &data)
{
    std::vector<uint8_t> out;
    PutU32(out, kDataHeaderVersionBit | (data.options & 0xFFFF0000) | (data.action & 0xFFFF));
    PutU16(out, data.options & 0xFFFF);
    PutU32(out, kDataFormatVersion);

    uint32_t n = 0;
    for (const std::wstring &source : data.sources)
        n += ByteCount(source);
    PutU32(out, n);
    for (const std::wstring &source : data.sources)
        PutString(out, source);

    if (data.target.empty())
        PutU32(out, 0);
    else
    {
        PutU32(out, ByteCount(data.target));
        PutString(out, data.target);
    }
    return out;
}

bool FitsCommandLimits(const CommandData &data)
{
    if (data.sources.size() > kMaxSources || data.target.size() > kMaxEntryUnits) return false;
    // The stream: 18 bytes of fixed fields, then each entry with its null.
    size_t bytes = 18 + (data.target.empty() ? 0 : ByteCount(data.target));
    for (const std::wstring &source : data.sources)
    {
        if (source.size() > kMaxEntryUnits) return false;
        bytes += ByteCount(source);
    }
    return bytes <= kMaxDataStreamBytes;
}

DecodeStatus DecodeCommandData(const uint8_t *bytes, size_t size, CommandData &out)
{
    out = CommandData();
    Reader reader(bytes, size);

    uint32_t header, lowOptions, version = 1;
    if (!reader.U32(header) || !reader.U16(lowOptions)) return DecodeStatus::Truncated;
    if ((header & kDataHeaderVersionBit) && !reader.U32(version)) return DecodeStatus::Truncated;

    out.action = header & 0xFFFF;
    // Bits 28 to 31 (escape bits and the version flag) are never loaded.
    out.options = (header & 0x0FFF0000) | lowOptions;
    // Files from before the version field always sounded at completion.
    const uint32_t low = version & 0xFFFF, high = version >> 16;
    if (low == 0 || (low == 1 && high == 0)) out.options |= OPT_X_COMPLETE_SOUND;

    uint32_t n;
    if (!reader.U32(n)) return DecodeStatus::Truncated;
    if (n > reader.Left()) return DecodeStatus::CountTooLarge;
    if (n > 0 && !ParseSources(reader.Units(n), out.sources)) return DecodeStatus::TooLarge;

    uint32_t m;
    if (!reader.U32(m)) return DecodeStatus::Truncated;
    if (m > reader.Left()) return DecodeStatus::CountTooLarge;
    if (m > 0)
    {
        std::wstring units = reader.Units(m);
        std::wstring target = TrimWhite(units.substr(0, units.find(L'\0')));
        if (target.size() > kMaxEntryUnits) return DecodeStatus::TooLarge;
        out.target = std::move(target);
    }
    return DecodeStatus::Ok;
}
