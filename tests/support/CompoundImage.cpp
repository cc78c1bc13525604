// The compound image builder: sector counts worked out first, then the
// header, FAT, DIFAT, directory, mini FAT and the data laid out in order,
// then the damage asked for.
#include "CompoundImage.h"

#include <algorithm>
#include <string>

namespace
{
constexpr uint32_t kSectorBytes = 512;
constexpr uint32_t kPerSector = kSectorBytes / 4; // FAT, mini FAT or DIFAT entries
constexpr uint32_t kEntriesPerSector = kSectorBytes / 128;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kMiniSectorBytes = 64;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint32_t kDifatMark = 0xFFFFFFFC;
constexpr uint32_t kFatMark = 0xFFFFFFFD;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

uint32_t Units(uint64_t bytes, uint32_t unit)
{
    return static_cast<uint32_t>((bytes + unit - 1) / unit);
}

// Links `count` consecutive entries from `first` into one chain.
void Chain(std::vector<uint32_t> &table, uint32_t first, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        table[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
}

void PutEntry(std::vector<uint8_t> &image, size_t at, const std::u16string &name, uint8_t type,
              uint32_t right, uint32_t child, uint32_t start, uint32_t size)
{
    for (size_t i = 0; i < name.size(); ++i)
        PutLe16(image, at + 2 * i, name[i]);
    PutLe16(image, at + 64, static_cast<uint16_t>(2 * (name.size() + 1)));
    image[at + 66] = type;
    image[at + 67] = 1; // black
    PutLe32(image, at + 68, kNoStream);
    PutLe32(image, at + 72, right);
    PutLe32(image, at + 76, child);
    PutLe32(image, at + 116, start);
    PutLe32(image, at + 120, size);
}
} // namespace

CompoundImage &CompoundImage::Stream(uint32_t size)
{
    m_streams.push_back(size);
    return *this;
}

CompoundImage &CompoundImage::DirectorySectors(uint32_t count)
{
    m_directorySectors = count;
    return *this;
}

CompoundImage &CompoundImage::UnusedSlotsFilledWith(uint8_t byte)
{
    m_unusedFill = byte;
    return *this;
}

CompoundImage &CompoundImage::FatSectors(uint32_t count)
{
    m_fatSectors = count;
    return *this;
}

CompoundImage &CompoundImage::CyclicChain(size_t stream)
{
    m_cyclic = stream;
    return *this;
}

CompoundImage &CompoundImage::StartPastEnd(size_t stream)
{
    m_pastEnd = stream;
    return *this;
}

CompoundImage &CompoundImage::StartWhere(size_t stream, size_t other)
{
    m_startWhere = stream;
    m_startOf = other;
    return *this;
}

CompoundImage &CompoundImage::TreeLoop()
{
    m_treeLoop = true;
    return *this;
}

CompoundImage &CompoundImage::Truncate(size_t bytes)
{
    m_truncate = bytes;
    return *this;
}

std::vector<uint8_t> CompoundImage::StreamBytes(size_t stream, uint32_t size)
{
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(stream * 37 + i * 7 + i / 251 + 1);
    return bytes;
}

std::vector<uint8_t> CompoundImage::Build() const
{
    // Where each stream starts, in sectors or mini sectors, and how many.
    struct Placed
    {
        bool mini = false;
        uint32_t first = kEndOfChain;
        uint32_t count = 0;
    };
    std::vector<Placed> placed(m_streams.size());
    uint32_t miniSectors = 0;
    uint32_t bigSectors = 0;
    for (size_t i = 0; i < m_streams.size(); ++i)
    {
        placed[i].mini = m_streams[i] < kMiniStreamCutoff;
        placed[i].count = Units(m_streams[i], placed[i].mini ? kMiniSectorBytes : kSectorBytes);
        uint32_t &next = placed[i].mini ? miniSectors : bigSectors;
        if (placed[i].count) placed[i].first = next;
        next += placed[i].count;
    }
    const uint32_t entries = static_cast<uint32_t>(1 + m_streams.size());
    const uint32_t directory = std::max(Units(entries, kEntriesPerSector), m_directorySectors);
    const uint32_t miniFat = Units(miniSectors, kPerSector);
    const uint32_t miniStreamBytes = miniSectors * kMiniSectorBytes;
    const uint32_t miniStream = Units(miniStreamBytes, kSectorBytes);
    const uint32_t rest = directory + miniFat + miniStream + bigSectors;

    // Enough FAT sectors for every sector, theirs and the DIFAT's included.
    uint32_t fat = std::max(m_fatSectors, 1u);
    uint32_t difat = 0;
    for (;;)
    {
        difat = fat > kHeaderDifatEntries ? Units(fat - kHeaderDifatEntries, kPerSector - 1) : 0;
        const uint32_t needed = Units(fat + difat + rest, kPerSector);
        if (needed <= fat) break;
        fat = needed;
    }
    const uint32_t firstDifat = fat;
    const uint32_t firstDirectory = firstDifat + difat;
    const uint32_t firstMiniFat = firstDirectory + directory;
    const uint32_t firstMiniStream = firstMiniFat + miniFat;
    const uint32_t firstBig = firstMiniStream + miniStream;
    const uint32_t sectors = fat + difat + rest;
    for (Placed &stream : placed)
        if (!stream.mini && stream.count) stream.first += firstBig;

    std::vector<uint32_t> fatTable(size_t{fat} * kPerSector, kFree);
    std::fill_n(fatTable.begin(), fat, kFatMark);
    std::fill_n(fatTable.begin() + firstDifat, difat, kDifatMark);
    Chain(fatTable, firstDirectory, directory);
    Chain(fatTable, firstMiniFat, miniFat);
    Chain(fatTable, firstMiniStream, miniStream);
    std::vector<uint32_t> miniFatTable(size_t{miniFat} * kPerSector, kFree);
    for (const Placed &stream : placed)
        Chain(stream.mini ? miniFatTable : fatTable, stream.first, stream.count);

    // Damage that lives in the tables and the entries.
    std::vector<uint32_t> starts;
    for (const Placed &stream : placed)
        starts.push_back(stream.first);
    if (m_cyclic != kNone)
    {
        const Placed &stream = placed.at(m_cyclic);
        (stream.mini ? miniFatTable : fatTable).at(stream.first + stream.count - 1) = stream.first;
    }
    if (m_pastEnd != kNone)
        starts.at(m_pastEnd) = placed.at(m_pastEnd).mini ? miniSectors : sectors;
    if (m_startWhere != kNone) starts.at(m_startWhere) = placed.at(m_startOf).first;

    std::vector<uint8_t> image((size_t{sectors} + 1) * kSectorBytes, 0);
    const uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(signature, signature + 8, image.begin());
    PutLe16(image, 24, 0x3E); // minor version
    PutLe16(image, 26, 3);    // major version
    PutLe16(image, 28, 0xFFFE);
    PutLe16(image, 30, 9); // 512-byte sectors
    PutLe16(image, 32, 6); // 64-byte mini sectors
    PutLe32(image, 44, fat);
    PutLe32(image, 48, firstDirectory);
    PutLe32(image, 56, kMiniStreamCutoff);
    PutLe32(image, 60, miniFat ? firstMiniFat : kEndOfChain);
    PutLe32(image, 64, miniFat);
    PutLe32(image, 68, difat ? firstDifat : kEndOfChain);
    PutLe32(image, 72, difat);
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        PutLe32(image, 76 + 4 * i, i < fat ? i : kFree);

    for (uint32_t d = 0; d < difat; ++d)
    {
        const size_t at = SectorOffset(firstDifat + d);
        for (uint32_t i = 0; i + 1 < kPerSector; ++i)
        {
            const uint32_t listed = kHeaderDifatEntries + d * (kPerSector - 1) + i;
            PutLe32(image, at + 4 * i, listed < fat ? listed : kFree);
        }
        PutLe32(image, at + 4 * (kPerSector - 1), d + 1 < difat ? firstDifat + d + 1 : kEndOfChain);
    }
    for (size_t i = 0; i < fatTable.size(); ++i)
        PutLe32(image, SectorOffset(0) + 4 * i, fatTable[i]);
    for (size_t i = 0; i < miniFatTable.size(); ++i)
        PutLe32(image, SectorOffset(firstMiniFat) + 4 * i, miniFatTable[i]);

    const size_t directoryAt = SectorOffset(firstDirectory);
    for (uint32_t slot = entries; slot < directory * kEntriesPerSector; ++slot)
    {
        const size_t at = directoryAt + 128 * slot;
        if (m_unusedFill >= 0)
            std::fill_n(image.begin() + at, 128, static_cast<uint8_t>(m_unusedFill));
        else
            for (size_t field = 68; field <= 76; field += 4)
                PutLe32(image, at + field, kNoStream);
    }
    PutEntry(image, directoryAt, u"Root Entry", 5, kNoStream, m_streams.empty() ? kNoStream : 1,
             miniStream ? firstMiniStream : kEndOfChain, miniStreamBytes);
    for (size_t i = 0; i < m_streams.size(); ++i)
    {
        const bool last = i + 1 == m_streams.size();
        const uint32_t right = last ? (m_treeLoop ? 1 : kNoStream) : static_cast<uint32_t>(i + 2);
        std::u16string name = u"S";
        for (char digit : std::to_string(i))
            name.push_back(static_cast<char16_t>(digit));
        PutEntry(image, directoryAt + 128 * (i + 1), name, 2, right, kNoStream, starts[i],
                 m_streams[i]);

        const std::vector<uint8_t> bytes = StreamBytes(i, m_streams[i]);
        const size_t at = placed[i].mini
                              ? SectorOffset(firstMiniStream) + placed[i].first * kMiniSectorBytes
                              : SectorOffset(placed[i].first);
        std::copy(bytes.begin(), bytes.end(), image.begin() + at);
    }

    image.resize(image.size() - std::min(m_truncate, image.size()));
    return image;
}

uint32_t GetLe32(const std::vector<uint8_t> &image, size_t offset)
{
    return static_cast<uint32_t>(image.at(offset)) |
           (static_cast<uint32_t>(image.at(offset + 1)) << 8) |
           (static_cast<uint32_t>(image.at(offset + 2)) << 16) |
           (static_cast<uint32_t>(image.at(offset + 3)) << 24);
}

void PutLe32(std::vector<uint8_t> &image, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        image.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

void PutLe16(std::vector<uint8_t> &image, size_t offset, uint16_t value)
{
    image.at(offset) = static_cast<uint8_t>(value);
    image.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

size_t SectorOffset(uint32_t sector)
{
    return (size_t{sector} + 1) * kSectorBytes;
}

size_t EntryOffset(const std::vector<uint8_t> &image, uint32_t entry)
{
    return SectorOffset(GetLe32(image, 48)) + 128 * size_t{entry};
}
