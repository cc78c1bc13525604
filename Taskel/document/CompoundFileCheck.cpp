// The structural check of compound file images: the header, the DIFAT and
// the FAT sectors it lists, the FAT itself, the directory chain, its entries
// and the tree under the root, then the chains of the mini FAT, the mini
// stream and every stream in the tree.
//
// Sector n starts at byte (n + 1) << sector shift. Only whole sectors are
// addressable: an image may end in a partial sector (it is accepted), but a
// chain that enters it is refused, since the storage would read the sector
// whole, past the end of the image. Every sector claimed by the DIFAT, the
// FAT, the directory, the mini FAT, the mini stream or a stream is marked in
// one bitmap, so no sector serves two of them and no chain runs forever;
// mini sectors have a bitmap of their own. All size arithmetic is 64-bit,
// so nothing wraps where size_t has 32 bits.
#include "CompoundFileCheck.h"

#include <algorithm>
#include <new>
#include <vector>

namespace
{
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kDifatSectorMark = 0xFFFFFFFC;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

constexpr size_t kHeaderBytes = 512;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kEntryBytes = 128;
constexpr uint32_t kMiniSectorShift = 6;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Byte offsets of the header fields.
constexpr size_t kMajorVersionAt = 26;
constexpr size_t kByteOrderAt = 28;
constexpr size_t kSectorShiftAt = 30;
constexpr size_t kMiniSectorShiftAt = 32;
constexpr size_t kDirectorySectorsAt = 40;
constexpr size_t kFatSectorsAt = 44;
constexpr size_t kFirstDirectoryAt = 48;
constexpr size_t kMiniStreamCutoffAt = 56;
constexpr size_t kFirstMiniFatAt = 60;
constexpr size_t kMiniFatSectorsAt = 64;
constexpr size_t kFirstDifatAt = 68;
constexpr size_t kDifatSectorsAt = 72;
constexpr size_t kHeaderDifatAt = 76;

// Byte offsets of the fields of a directory entry.
constexpr size_t kNameLengthAt = 64;
constexpr size_t kObjectTypeAt = 66;
constexpr size_t kLeftAt = 68;
constexpr size_t kRightAt = 72;
constexpr size_t kChildAt = 76;
constexpr size_t kStartSectorAt = 116;
constexpr size_t kStreamSizeAt = 120;

constexpr uint8_t kStorageEntry = 1;
constexpr uint8_t kStreamEntry = 2;
constexpr uint8_t kRootEntry = 5;

uint16_t Le16(const uint8_t *at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

uint32_t Le32(const uint8_t *at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// Units of 1 << shift that `bytes` fills, the last one partly.
uint64_t UnitsFor(uint64_t bytes, uint32_t shift)
{
    return (bytes >> shift) + ((bytes & ((uint64_t{1} << shift) - 1)) != 0 ? 1 : 0);
}

// What the header says, once it has passed the header check.
struct Header
{
    uint32_t majorVersion = 0;
    uint32_t sectorShift = 0;
    uint32_t fatSectors = 0;
    uint32_t firstDirectory = 0;
    uint32_t firstMiniFat = 0;
    uint32_t miniFatSectors = 0;
    uint32_t firstDifat = 0;
    uint32_t difatSectors = 0;
    // Whole sectors after the header sector.
    uint64_t sectorCount = 0;

    uint32_t SectorBytes() const { return uint32_t{1} << sectorShift; }
    // 32-bit entries of a FAT, mini FAT or DIFAT sector.
    uint32_t EntriesPerSector() const { return SectorBytes() / 4; }
};

CompoundFileVerdict ReadHeader(const uint8_t *header, size_t size, uint64_t imageSize,
                               const CompoundFileLimits &limits, Header &out)
{
    if (size < kHeaderBytes || imageSize < kHeaderBytes) return CompoundFileVerdict::TooShort;
    if (!std::equal(kSignature, kSignature + sizeof(kSignature), header))
        return CompoundFileVerdict::BadSignature;
    if (imageSize > uint64_t{limits.maxImageBytes}) return CompoundFileVerdict::TooLarge;
    if (Le16(header + kByteOrderAt) != 0xFFFE) return CompoundFileVerdict::BadHeader;

    out.majorVersion = Le16(header + kMajorVersionAt);
    out.sectorShift = Le16(header + kSectorShiftAt);
    if (out.majorVersion != 3 && out.majorVersion != 4) return CompoundFileVerdict::BadHeader;
    if (out.sectorShift != (out.majorVersion == 3 ? 9u : 12u) ||
        Le16(header + kMiniSectorShiftAt) != kMiniSectorShift)
        return CompoundFileVerdict::BadSectorSize;
    if (Le32(header + kMiniStreamCutoffAt) != kMiniStreamCutoff)
        return CompoundFileVerdict::BadHeader;
    // In version 4 the header takes a whole 4096-byte sector.
    if (imageSize < out.SectorBytes()) return CompoundFileVerdict::TooShort;
    out.sectorCount = imageSize / out.SectorBytes() - 1;

    const uint32_t directorySectors = Le32(header + kDirectorySectorsAt);
    if (out.majorVersion == 3 && directorySectors != 0) return CompoundFileVerdict::BadHeader;
    out.fatSectors = Le32(header + kFatSectorsAt);
    out.firstDirectory = Le32(header + kFirstDirectoryAt);
    out.firstMiniFat = Le32(header + kFirstMiniFatAt);
    out.miniFatSectors = Le32(header + kMiniFatSectorsAt);
    out.firstDifat = Le32(header + kFirstDifatAt);
    out.difatSectors = Le32(header + kDifatSectorsAt);

    // The sectors counted are distinct sectors of the image, and the DIFAT
    // (109 entries here, one fewer than a sector holds in each DIFAT sector,
    // the last being the link) has room for every FAT sector.
    const uint64_t counted = uint64_t{out.fatSectors} + out.difatSectors + out.miniFatSectors +
                             (out.majorVersion == 4 ? directorySectors : 0);
    const uint64_t difatRoom =
        kHeaderDifatEntries + uint64_t{out.difatSectors} * (out.EntriesPerSector() - 1);
    if (out.fatSectors == 0 || counted > out.sectorCount || out.fatSectors > difatRoom)
        return CompoundFileVerdict::BadHeader;

    // Entries that list FAT sectors name sectors of the image; the rest are
    // free, or name one.
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
    {
        const uint32_t sector = Le32(header + kHeaderDifatAt + 4 * i);
        const bool listed = i < out.fatSectors;
        if (sector >= out.sectorCount && (listed || sector != kFreeSector))
            return CompoundFileVerdict::BadFatChain;
    }
    return CompoundFileVerdict::Sound;
}

class Checker
{
  public:
    Checker(const uint8_t *image, const Header &header, const CompoundFileLimits &limits)
        : m_image(image), m_header(header), m_limits(limits)
    {
    }

    CompoundFileVerdict Run()
    {
        // sectorCount fits size_t: it is below the image size.
        m_claimed.assign(static_cast<size_t>(m_header.sectorCount), false);
        CompoundFileVerdict verdict = ListFatSectors();
        if (verdict == CompoundFileVerdict::Sound) verdict = CheckFatEntries();
        if (verdict == CompoundFileVerdict::Sound) verdict = ReadDirectory();
        if (verdict == CompoundFileVerdict::Sound) verdict = WalkTree();
        if (verdict == CompoundFileVerdict::Sound) verdict = CheckMiniStream();
        if (verdict == CompoundFileVerdict::Sound) verdict = CheckStreams();
        return verdict;
    }

  private:
    enum class Walk
    {
        Ok,
        Bad,     // leaves the addressable sectors, meets a claimed one, or is short
        TooLong, // more sectors than the limit
    };

    const uint8_t *SectorAt(uint32_t sector) const
    {
        return m_image + ((static_cast<size_t>(sector) + 1) << m_header.sectorShift);
    }

    // Claims a sector of the image; false when it is outside or taken.
    bool Claim(uint32_t sector)
    {
        if (sector >= m_header.sectorCount || m_claimed[sector]) return false;
        m_claimed[sector] = true;
        return true;
    }

    // The FAT sectors in order: the header's DIFAT entries, then those of
    // the DIFAT sectors, each of which links the next with its last entry.
    CompoundFileVerdict ListFatSectors()
    {
        const uint32_t perSector = m_header.EntriesPerSector();
        m_fatSectors.reserve(m_header.fatSectors);
        for (uint32_t i = 0; i < kHeaderDifatEntries && i < m_header.fatSectors; ++i)
            m_fatSectors.push_back(Le32(m_image + kHeaderDifatAt + 4 * i));

        uint32_t difat = m_header.firstDifat;
        for (uint32_t n = 0; n < m_header.difatSectors; ++n)
        {
            if (!Claim(difat)) return CompoundFileVerdict::BadFatChain;
            const uint8_t *entries = SectorAt(difat);
            for (uint32_t i = 0; i + 1 < perSector; ++i)
            {
                const uint32_t sector = Le32(entries + 4 * i);
                if (m_fatSectors.size() < m_header.fatSectors)
                    m_fatSectors.push_back(sector);
                else if (sector != kFreeSector && sector >= m_header.sectorCount)
                    return CompoundFileVerdict::BadFatChain;
            }
            difat = Le32(entries + 4 * (perSector - 1));
        }
        // The format ends the chain with the end-of-chain mark; Wine leaves
        // the last link free. With no DIFAT sector, the first is either.
        if (difat != kEndOfChain && difat != kFreeSector) return CompoundFileVerdict::BadFatChain;

        for (uint32_t sector : m_fatSectors)
            if (!Claim(sector)) return CompoundFileVerdict::BadFatChain;
        return CompoundFileVerdict::Sound;
    }

    uint32_t FatEntry(uint32_t sector) const
    {
        const uint32_t perSector = m_header.EntriesPerSector();
        return Le32(SectorAt(m_fatSectors[sector / perSector]) + 4 * (sector % perSector));
    }

    // Each entry for a whole sector of the image is a sector of the image
    // or a mark (end of chain, free, FAT sector, DIFAT sector). Entries for
    // sectors past the end are not read: no chain may enter those sectors.
    CompoundFileVerdict CheckFatEntries()
    {
        const uint64_t fatEntries = uint64_t{m_header.fatSectors} * m_header.EntriesPerSector();
        m_addressable = static_cast<uint32_t>(std::min<uint64_t>(
            {m_header.sectorCount, fatEntries, uint64_t{kMaxRegularSector} + 1}));
        for (uint32_t sector = 0; sector < m_addressable; ++sector)
        {
            const uint32_t next = FatEntry(sector);
            if (next >= m_header.sectorCount && next < kDifatSectorMark)
                return CompoundFileVerdict::BadFatChain;
        }
        return CompoundFileVerdict::Sound;
    }

    // Follows a chain through the FAT from `start`, claiming its sectors
    // (collected in `sectors` when given). A chain may be longer than the
    // `needed` sectors (the rest is not read), never shorter.
    Walk FollowChain(uint32_t start, uint64_t needed, uint64_t limit,
                     std::vector<uint32_t> *sectors = nullptr)
    {
        uint64_t count = 0;
        for (uint32_t sector = start; sector != kEndOfChain; sector = FatEntry(sector))
        {
            if (count == limit) return Walk::TooLong;
            if (sector >= m_addressable || !Claim(sector)) return Walk::Bad;
            if (sectors) sectors->push_back(sector);
            ++count;
        }
        return count >= needed ? Walk::Ok : Walk::Bad;
    }

    CompoundFileVerdict ReadDirectory()
    {
        m_entriesPerSector = m_header.SectorBytes() / kEntryBytes;
        // Entry ids stay below the no-stream mark whatever the limit says.
        const uint64_t maxSectors = std::min<uint64_t>(
            std::max<uint64_t>(1, uint64_t{m_limits.maxDirectoryEntries} / m_entriesPerSector),
            kNoStream / m_entriesPerSector);
        switch (FollowChain(m_header.firstDirectory, 1, maxSectors, &m_directorySectors))
        {
        case Walk::Ok:
            break;
        case Walk::TooLong:
            return CompoundFileVerdict::TooLarge;
        case Walk::Bad:
            return CompoundFileVerdict::BadChain;
        }
        m_entryCount = static_cast<uint32_t>(m_directorySectors.size() * m_entriesPerSector);
        return CompoundFileVerdict::Sound;
    }

    const uint8_t *Entry(uint32_t index) const
    {
        return SectorAt(m_directorySectors[index / m_entriesPerSector]) +
               kEntryBytes * (index % m_entriesPerSector);
    }

    bool IsEntryId(uint32_t id) const { return id == kNoStream || id < m_entryCount; }

    // A name of whole UTF-16 units closed by a null within its 64 bytes,
    // siblings and child that are entries or none, and no child for a stream.
    bool EntryFieldsSound(const uint8_t *entry, uint8_t type) const
    {
        const uint16_t nameBytes = Le16(entry + kNameLengthAt);
        if (nameBytes < 2 || nameBytes > 64 || nameBytes % 2 != 0 ||
            Le16(entry + nameBytes - 2) != 0)
            return false;
        const uint32_t child = Le32(entry + kChildAt);
        return IsEntryId(Le32(entry + kLeftAt)) && IsEntryId(Le32(entry + kRightAt)) &&
               IsEntryId(child) && (type != kStreamEntry || child == kNoStream);
    }

    // The root at index 0, then the tree from its child through siblings
    // and children, walked with an explicit stack: each entry is reached
    // once at most (a second time means a loop or a shared subtree), is a
    // storage or a stream and has sound fields. The stack holds at most
    // three ids per entry reached. Slots outside the tree are not read, as
    // the storage does not read them: Wine leaves whatever the memory held
    // in slots it has not used, type byte included.
    CompoundFileVerdict WalkTree()
    {
        const uint8_t *root = Entry(0);
        if (root[kObjectTypeAt] != kRootEntry || !EntryFieldsSound(root, kRootEntry))
            return CompoundFileVerdict::BadDirectory;
        m_reached.assign(m_entryCount, false);
        m_reached[0] = true;
        std::vector<uint32_t> pending{Le32(root + kChildAt)};
        while (!pending.empty())
        {
            const uint32_t id = pending.back();
            pending.pop_back();
            if (id == kNoStream) continue;
            const uint8_t *entry = Entry(id);
            const uint8_t type = entry[kObjectTypeAt];
            if (m_reached[id] || (type != kStorageEntry && type != kStreamEntry) ||
                !EntryFieldsSound(entry, type))
                return CompoundFileVerdict::BadDirectory;
            m_reached[id] = true;
            pending.push_back(Le32(entry + kLeftAt));
            pending.push_back(Le32(entry + kRightAt));
            if (type == kStorageEntry) pending.push_back(Le32(entry + kChildAt));
        }
        return CompoundFileVerdict::Sound;
    }

    // Version 3 counts the low 32 bits of a stream size alone: older
    // writers left the high ones uninitialised, and the storage ignores them.
    uint64_t StreamSize(const uint8_t *entry) const
    {
        const uint64_t low = Le32(entry + kStreamSizeAt);
        if (m_header.majorVersion == 3) return low;
        return low | (uint64_t{Le32(entry + kStreamSizeAt + 4)} << 32);
    }

    // The mini FAT's chain (at least as long as the header counts; its
    // entries all count) and the mini stream, the root's chain. A mini
    // sector is addressable when all of it lies within the mini stream's
    // size and the mini FAT has its entry.
    CompoundFileVerdict CheckMiniStream()
    {
        if (FollowChain(m_header.firstMiniFat, m_header.miniFatSectors, UINT64_MAX,
                        &m_miniFatSectors) != Walk::Ok)
            return CompoundFileVerdict::BadChain;
        const uint8_t *root = Entry(0);
        const uint64_t miniStreamBytes = StreamSize(root);
        if (FollowChain(Le32(root + kStartSectorAt),
                        UnitsFor(miniStreamBytes, m_header.sectorShift), UINT64_MAX) != Walk::Ok)
            return CompoundFileVerdict::BadChain;
        // The mini stream's size is now known to be within the image.
        const uint64_t miniFatEntries =
            uint64_t{m_miniFatSectors.size()} * m_header.EntriesPerSector();
        m_miniSectorCount = static_cast<uint32_t>(
            std::min<uint64_t>({miniStreamBytes >> kMiniSectorShift, miniFatEntries,
                                uint64_t{kMaxRegularSector} + 1}));
        m_miniClaimed.assign(m_miniSectorCount, false);
        return CompoundFileVerdict::Sound;
    }

    uint32_t MiniFatEntry(uint32_t miniSector) const
    {
        const uint32_t perSector = m_header.EntriesPerSector();
        return Le32(SectorAt(m_miniFatSectors[miniSector / perSector]) +
                    4 * (miniSector % perSector));
    }

    // As FollowChain, through the mini FAT and within the mini stream.
    bool FollowMiniChain(uint32_t start, uint64_t needed)
    {
        uint64_t count = 0;
        for (uint32_t mini = start; mini != kEndOfChain; mini = MiniFatEntry(mini))
        {
            if (mini >= m_miniSectorCount || m_miniClaimed[mini]) return false;
            m_miniClaimed[mini] = true;
            ++count;
        }
        return count >= needed;
    }

    // Every stream in the tree: below the cutoff in the mini stream, else in
    // the FAT, each in a chain of its own long enough for its size.
    CompoundFileVerdict CheckStreams()
    {
        for (uint32_t index = 1; index < m_entryCount; ++index)
        {
            const uint8_t *entry = Entry(index);
            if (!m_reached[index] || entry[kObjectTypeAt] != kStreamEntry) continue;
            const uint64_t size = StreamSize(entry);
            const uint32_t start = Le32(entry + kStartSectorAt);
            const bool sound = size < kMiniStreamCutoff
                                   ? FollowMiniChain(start, UnitsFor(size, kMiniSectorShift))
                                   : FollowChain(start, UnitsFor(size, m_header.sectorShift),
                                                 UINT64_MAX) == Walk::Ok;
            if (!sound) return CompoundFileVerdict::BadChain;
        }
        return CompoundFileVerdict::Sound;
    }

    const uint8_t *m_image;
    const Header &m_header;
    const CompoundFileLimits &m_limits;
    std::vector<bool> m_claimed;
    std::vector<uint32_t> m_fatSectors;
    uint32_t m_addressable = 0;
    std::vector<uint32_t> m_directorySectors;
    uint32_t m_entriesPerSector = 0;
    uint32_t m_entryCount = 0;
    std::vector<bool> m_reached;
    std::vector<uint32_t> m_miniFatSectors;
    uint32_t m_miniSectorCount = 0;
    std::vector<bool> m_miniClaimed;
};
} // namespace

CompoundFileVerdict CheckCompoundFile(const uint8_t *image, size_t size,
                                      const CompoundFileLimits &limits)
{
    Header header;
    CompoundFileVerdict verdict =
        ReadHeader(image, std::min(size, kHeaderBytes), size, limits, header);
    if (verdict != CompoundFileVerdict::Sound) return verdict;
    try
    {
        return Checker(image, header, limits).Run();
    }
    catch (const std::bad_alloc &)
    {
        // The bitmaps and lists are linear in the image size; memory for
        // them ran out, so the image is refused as too large to handle.
        return CompoundFileVerdict::TooLarge;
    }
}

CompoundFileVerdict CheckCompoundFileHeader(const uint8_t *header, size_t size, uint64_t imageSize,
                                            const CompoundFileLimits &limits)
{
    Header decoded;
    return ReadHeader(header, size, imageSize, limits, decoded);
}

const char *VerdictName(CompoundFileVerdict verdict)
{
    switch (verdict)
    {
    case CompoundFileVerdict::Sound:
        return "Sound";
    case CompoundFileVerdict::TooShort:
        return "TooShort";
    case CompoundFileVerdict::BadSignature:
        return "BadSignature";
    case CompoundFileVerdict::BadHeader:
        return "BadHeader";
    case CompoundFileVerdict::BadSectorSize:
        return "BadSectorSize";
    case CompoundFileVerdict::BadFatChain:
        return "BadFatChain";
    case CompoundFileVerdict::BadChain:
        return "BadChain";
    case CompoundFileVerdict::BadDirectory:
        return "BadDirectory";
    case CompoundFileVerdict::TooLarge:
        return "TooLarge";
    }
    return "Unknown";
}
