// A structural check of an OLE compound file image (a "docfile": the bytes of
// a command file after its 16-byte class prefix), run before the system's
// structured storage is given the image. It refuses anything malformed or
// larger than the limits, so that a hostile file cannot make the storage
// code loop, read outside the image or allocate without bound. Free of
// Windows headers; time and memory are linear in the image size.
#pragma once

#include <cstddef>
#include <cstdint>

enum class CompoundFileVerdict
{
    Sound,         // every check passed
    TooShort,      // the image ends before its header sector does
    BadSignature,  // the first 8 bytes are not the compound file signature
    BadHeader,     // byte order, version, mini stream cutoff or a sector count
    BadSectorSize, // a sector or mini sector size its version does not use
    BadFatChain,   // the DIFAT, the list of FAT sectors it gives, or a FAT entry
    BadChain,      // a stream, directory or mini FAT chain leaves the whole
                   // sectors of the file or the mini stream, loops, shares a
                   // sector with another chain, or is shorter than its size
                   // needs (a longer chain is accepted: the rest is unread)
    BadDirectory,  // the root entry, an entry of the tree under it, or the
                   // tree itself (a loop, a shared entry, a slot not in use)
    TooLarge,      // the image or its directory exceeds the limits, or the
                   // memory to check it ran out
};

struct CompoundFileLimits
{
    // The whole image, header included.
    size_t maxImageBytes = 2 * 1024 * 1024;
    // Directory slots, used or not, that the directory chain may hold. The
    // limit is applied in whole directory sectors (4 entries per 512-byte
    // sector, 32 per 4096-byte sector), rounded down, at least one sector.
    size_t maxDirectoryEntries = 1024;
};

// Checks the whole image, header included. Returns Sound only when every
// check passes; otherwise the first fault found. An image may end in a
// partial sector, which no chain may use.
CompoundFileVerdict CheckCompoundFile(const uint8_t *image, size_t size,
                                      const CompoundFileLimits &limits = {});

// Checks the header sector's first 512 bytes alone against the size of the
// image they start, so that a caller can refuse a file before reading the
// rest of it: signature, byte order, version 3 with 512-byte sectors or
// version 4 with 4096-byte sectors, 64-byte mini sectors, mini stream cutoff
// 4096, no directory sector count in version 3, every sector count and every
// DIFAT entry of the header within the image, and the image size within the
// limit. `size` is the number of header bytes at `header`.
CompoundFileVerdict CheckCompoundFileHeader(const uint8_t *header, size_t size, uint64_t imageSize,
                                            const CompoundFileLimits &limits = {});

// The verdict's enumerator name, for traces.
const char *VerdictName(CompoundFileVerdict verdict);
