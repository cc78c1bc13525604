// Compound file images built byte by byte, for the tests of the structural
// check and the seed of its fuzz target: version 3 (512-byte sectors), a
// root storage holding streams of given sizes (4096 bytes and more in FAT
// chains, smaller ones in the mini stream), and knobs that each damage one
// part of the image. Free of Windows headers.
//
// Layout, in sector order: the FAT sectors, the DIFAT sectors (when more
// than 109 FAT sectors), the directory, the mini FAT, the mini stream (the
// root's chain), then each regular stream; every chain runs through
// consecutive sectors. The streams hang off the root as a chain of right
// siblings in name order, all entries black (the storage reads such a tree;
// it is no balanced red-black tree).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CompoundImage
{
  public:
    // A stream named "S<n>", n counting the streams from 0, of `size` bytes:
    // StreamBytes(n, size).
    CompoundImage &Stream(uint32_t size);
    // A directory of at least `count` sectors; slots after the entries are
    // unused, filled as the format says (zeros, no siblings or child).
    CompoundImage &DirectorySectors(uint32_t count);
    // Unused directory slots filled with `byte` instead, as a storage that
    // never wrote them may leave them.
    CompoundImage &UnusedSlotsFilledWith(uint8_t byte);
    // At least `count` FAT sectors (those past the image's end cover free
    // sectors); past 109 they are listed in DIFAT sectors.
    CompoundImage &FatSectors(uint32_t count);

    // Damage to stream n, which must hold data: its last sector links back
    // to its first (in the FAT, or the mini FAT for a small stream).
    CompoundImage &CyclicChain(size_t stream);
    // Stream n starts at the first sector past the image's end (for a small
    // stream, the first mini sector past the mini stream's end).
    CompoundImage &StartPastEnd(size_t stream);
    // Stream n starts where stream `other` does (both of the same kind).
    CompoundImage &StartWhere(size_t stream, size_t other);
    // The last stream's right sibling is the root's child: a loop in the
    // tree under the root. Needs a stream.
    CompoundImage &TreeLoop();
    // The image without its last `bytes` bytes.
    CompoundImage &Truncate(size_t bytes);

    std::vector<uint8_t> Build() const;

    // The bytes of stream n of `size` bytes: a pattern that differs from
    // one stream to the next.
    static std::vector<uint8_t> StreamBytes(size_t stream, uint32_t size);

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    std::vector<uint32_t> m_streams;
    uint32_t m_directorySectors = 0;
    int m_unusedFill = -1;
    uint32_t m_fatSectors = 0;
    size_t m_cyclic = kNone;
    size_t m_pastEnd = kNone;
    size_t m_startWhere = kNone;
    size_t m_startOf = kNone;
    bool m_treeLoop = false;
    size_t m_truncate = 0;
};

// Little-endian fields of an image, for tests that damage one by hand.
uint32_t GetLe32(const std::vector<uint8_t> &image, size_t offset);
void PutLe32(std::vector<uint8_t> &image, size_t offset, uint32_t value);
void PutLe16(std::vector<uint8_t> &image, size_t offset, uint16_t value);
// Where 512-byte sector n starts.
size_t SectorOffset(uint32_t sector);
// Where directory entry n of a built image starts (the builder puts the
// directory in consecutive sectors; the header gives the first).
size_t EntryOffset(const std::vector<uint8_t> &image, uint32_t entry);
