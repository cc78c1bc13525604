// The structural check of compound file images: builder images, sound or
// damaged in one part each (header, DIFAT and FAT, chains, directory,
// limits), and the images the system's structured storage writes, which
// must all pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>

#include "CompoundFileCheck.h"
#include "CompoundImage.h"
#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "PlainCommandFile.h"
#include "UniqueHandle.h"

static std::ostream &operator<<(std::ostream &out, CompoundFileVerdict verdict)
{
    return out << VerdictName(verdict);
}

namespace
{
using Image = std::vector<uint8_t>;
using V = CompoundFileVerdict;

V Check(const Image &image, const CompoundFileLimits &limits = {})
{
    return CheckCompoundFile(image.data(), image.size(), limits);
}

V CheckHeader(const Image &image, const CompoundFileLimits &limits = {})
{
    return CheckCompoundFileHeader(image.data(), std::min<size_t>(image.size(), 512), image.size(),
                                   limits);
}

// Offsets of the fields the tests change: in the header, and in an entry.
constexpr size_t kMajorVersion = 26, kSectorShift = 30, kFatCount = 44, kFirstDirectory = 48,
                 kMiniFatCount = 64, kFirstDifat = 68, kDifatCount = 72, kDifat = 76;
constexpr size_t kNameLength = 64, kType = 66, kLeft = 68, kChild = 76, kStart = 116, kSize = 120;

// One field of a sound image set to a value of 1, 2 or 4 bytes.
struct Patch
{
    const char *what;
    size_t at;
    int bytes;
    uint32_t value;
    V verdict;
};

Image Patched(Image image, size_t at, int bytes, uint32_t value)
{
    for (int i = 0; i < bytes; ++i)
        image.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
    return image;
}

// Each patch applied to a fresh copy of `sound`. Header faults are seen by
// both checks alike, so `headerToo` holds the header check to them.
void ExpectVerdicts(const Image &sound, const std::vector<Patch> &patches, bool headerToo = false)
{
    ASSERT_EQ(Check(sound), V::Sound);
    for (const Patch &patch : patches)
    {
        SCOPED_TRACE(patch.what);
        const Image image = Patched(sound, patch.at, patch.bytes, patch.value);
        EXPECT_EQ(Check(image), patch.verdict);
        if (headerToo)
        {
            EXPECT_EQ(CheckHeader(image), patch.verdict);
        }
    }
}

// Reads every stream of a builder image through the system's storage.
void ExpectStorageReads(const Image &image, const std::vector<uint32_t> &sizes)
{
    fx::unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, image.size()));
    ASSERT_TRUE(block);
    std::memcpy(::GlobalLock(block.get()), image.data(), image.size());
    ::GlobalUnlock(block.get());
    fx::ComPtr<ILockBytes> bytes;
    ASSERT_EQ(::CreateILockBytesOnHGlobal(block.get(), TRUE, bytes.put()), S_OK);
    block.release();
    fx::ComPtr<IStorage> root;
    ASSERT_EQ(::StgOpenStorageOnILockBytes(bytes.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                           nullptr, 0, root.put()),
              S_OK);
    for (size_t i = 0; i < sizes.size(); ++i)
    {
        const std::wstring name = L"S" + std::to_wstring(i);
        fx::ComPtr<IStream> stream;
        ASSERT_EQ(root->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                   stream.put()),
                  S_OK);
        Image read(sizes[i] + 1);
        ULONG count = 0;
        ASSERT_EQ(stream->Read(read.data(), static_cast<ULONG>(read.size()), &count), S_OK);
        read.resize(count);
        EXPECT_EQ(read, CompoundImage::StreamBytes(i, sizes[i])) << "stream " << i;
    }
}

// What the system's storage writes around streams of the given sizes:
// version 3 on memory, or version 4 (4096-byte sectors) in a file. `more`
// may change the root further before the commit.
Image SystemImage(bool version4, const std::vector<uint32_t> &sizes,
                  const std::function<void(IStorage *)> &more = nullptr)
{
    const DWORD mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    const std::wstring path = TempPath(L"system-image.stg");
    fx::ComPtr<ILockBytes> bytes;
    fx::ComPtr<IStorage> root;
    if (version4)
    {
        STGOPTIONS options = {};
        options.usVersion = 1;
        options.ulSectorSize = 4096;
        EXPECT_EQ(::StgCreateStorageEx(path.c_str(), mode, STGFMT_DOCFILE, 0, &options, nullptr,
                                       IID_IStorage, root.put_void()),
                  S_OK);
    }
    else
    {
        EXPECT_EQ(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
        EXPECT_EQ(::StgCreateDocfileOnILockBytes(bytes.get(), mode, 0, root.put()), S_OK);
    }
    if (!root) return {};
    for (size_t i = 0; i < sizes.size(); ++i)
    {
        fx::ComPtr<IStream> stream;
        const std::wstring name = L"S" + std::to_wstring(i);
        EXPECT_EQ(root->CreateStream(name.c_str(), mode, 0, 0, stream.put()), S_OK);
        const Image data = CompoundImage::StreamBytes(i, sizes[i]);
        ULONG written = 0;
        if (!data.empty())
        {
            EXPECT_EQ(stream->Write(data.data(), sizes[i], &written), S_OK);
        }
    }
    if (more) more(root.get());
    EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
    root.reset();
    if (version4) return ReadBytes(path);
    STATSTG stat = {};
    HGLOBAL block = nullptr;
    EXPECT_EQ(bytes->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(::GetHGlobalFromILockBytes(bytes.get(), &block), S_OK);
    const uint8_t *memory = static_cast<const uint8_t *>(::GlobalLock(block));
    Image image(memory, memory + stat.cbSize.QuadPart);
    ::GlobalUnlock(block);
    return image;
}
} // namespace

TEST(CompoundCheck, BuiltImagesAreSoundAndReadByTheSystemStorage)
{
    const std::vector<std::vector<uint32_t>> shapes = {
        {}, {0}, {100}, {4095}, {4096}, {5000, 100, 0, 64, 65}, std::vector<uint32_t>(30, 700)};
    for (const std::vector<uint32_t> &sizes : shapes)
    {
        CompoundImage builder;
        for (uint32_t size : sizes)
            builder.Stream(size);
        SCOPED_TRACE(testing::Message() << sizes.size() << " streams");
        const Image image = builder.Build();
        EXPECT_EQ(Check(image), V::Sound);
        EXPECT_EQ(CheckHeader(image), V::Sound);
        ExpectStorageReads(image, sizes);
    }
    // DIFAT sectors: one, then two chained.
    for (uint32_t fat : {110, 300})
    {
        const Image image = CompoundImage().Stream(9000).Stream(10).FatSectors(fat).Build();
        EXPECT_EQ(Check(image), V::Sound) << fat << " FAT sectors";
        ExpectStorageReads(image, {9000, 10});
    }
}

TEST(CompoundCheck, WhatTheStorageLeavesAsItLikesIsAccepted)
{
    const Image image = CompoundImage().Stream(5000).Stream(100).Build();
    ExpectVerdicts(
        image,
        {
            {"regular chain longer than its size", EntryOffset(image, 1) + kSize, 4, 4096,
             V::Sound},
            {"mini chain longer than its size", EntryOffset(image, 2) + kSize, 4, 10, V::Sound},
            {"version 3 high size word", EntryOffset(image, 1) + kSize + 4, 4, 7, V::Sound},
            {"no DIFAT sector, the first named free", kFirstDifat, 4, 0xFFFFFFFF, V::Sound},
        });
    Image partial = image; // a trailing partial sector
    partial.resize(image.size() + 300, 0xAB);
    EXPECT_EQ(Check(partial), V::Sound);
    // Slots outside the tree, as Wine leaves those it never wrote.
    for (uint8_t fill : {0x00, 0x02, 0x05, 0xFF})
        EXPECT_EQ(
            Check(
                CompoundImage().Stream(1).DirectorySectors(3).UnusedSlotsFilledWith(fill).Build()),
            V::Sound);
}

TEST(CompoundCheck, HeaderFaultsAreRefusedByBothChecks)
{
    const Image image = CompoundImage().Stream(5000).Stream(100).Build();
    const uint32_t sectors = static_cast<uint32_t>(image.size() / 512 - 1);
    ExpectVerdicts(image,
                   {
                       {"signature", 7, 1, 0xE0, V::BadSignature},
                       {"byte order", 28, 2, 0xFEFF, V::BadHeader},
                       {"version 2", kMajorVersion, 2, 2, V::BadHeader},
                       {"version 4, 512-byte sectors", kMajorVersion, 2, 4, V::BadSectorSize},
                       {"version 3, 4096-byte sectors", kSectorShift, 2, 12, V::BadSectorSize},
                       {"128-byte mini sectors", 32, 2, 7, V::BadSectorSize},
                       {"mini stream cutoff", 56, 4, 8192, V::BadHeader},
                       {"version 3 directory count", 40, 4, 1, V::BadHeader},
                       {"no FAT sector", kFatCount, 4, 0, V::BadHeader},
                       {"counts beyond the image", kMiniFatCount, 4, sectors, V::BadHeader},
                       {"counts that wrap", kMiniFatCount, 4, 0xFFFFFFFF, V::BadHeader},
                       {"listed FAT sector free", kDifat, 4, 0xFFFFFFFF, V::BadFatChain},
                       {"unlisted entry past the end", kDifat + 4, 4, sectors, V::BadFatChain},
                   },
                   true);
    EXPECT_EQ(CheckCompoundFile(image.data(), 511), V::TooShort);
    EXPECT_EQ(CheckCompoundFileHeader(image.data(), 511, image.size()), V::TooShort);
    EXPECT_EQ(CheckCompoundFile(nullptr, 0), V::TooShort);
    // 1536 bytes: no room for the 4096-byte header sector of version 4.
    const Image version4 =
        Patched(Patched(CompoundImage().Build(), kMajorVersion, 2, 4), kSectorShift, 2, 12);
    EXPECT_EQ(Check(version4), V::TooShort);
}

TEST(CompoundCheck, DifatAndFatFaultsAreRefused)
{
    // Two DIFAT sectors, 300 and 301, follow the 300 FAT sectors.
    const Image image = CompoundImage().Stream(5000).FatSectors(300).Build();
    const size_t difat = SectorOffset(300), link = difat + 127 * 4, fat = SectorOffset(0);
    ExpectVerdicts(
        image, {
                   {"last DIFAT link free, as Wine leaves it", link + 512, 4, 0xFFFFFFFF, V::Sound},
                   {"DIFAT loop", link, 4, 300, V::BadFatChain},
                   {"DIFAT too short for the FAT", kDifatCount, 4, 1, V::BadHeader},
                   {"DIFAT shorter than its count", kDifatCount, 4, 3, V::BadFatChain},
                   {"DIFAT starts past the end", kFirstDifat, 4, 1000, V::BadFatChain},
                   {"FAT sector listed twice", kDifat + 4, 4, 0, V::BadFatChain},
                   {"DIFAT sector listed as FAT", difat + 4, 4, 300, V::BadFatChain},
                   {"reserved FAT value", fat, 4, 0xFFFFFFFB, V::BadFatChain},
                   {"FAT link past the end", fat + 4 * 302, 4, 5000, V::BadFatChain},
               });
    // One DIFAT sector counted, 200 FAT sectors: the chain goes on.
    EXPECT_EQ(Check(Patched(Patched(image, kDifatCount, 4, 1), kFatCount, 4, 200)), V::BadFatChain);
    // No DIFAT sector, yet a first one named.
    EXPECT_EQ(Check(Patched(CompoundImage().Stream(100).Build(), kFirstDifat, 4, 0)),
              V::BadFatChain);
}

TEST(CompoundCheck, BrokenChainsAreRefused)
{
    // Streams 0 and 1 regular, 2 and 3 in the mini stream.
    const auto streams = [] {
        return CompoundImage().Stream(5000).Stream(6000).Stream(100).Stream(300);
    };
    for (size_t stream : {0, 2})
    {
        SCOPED_TRACE(stream == 0 ? "regular" : "mini");
        EXPECT_EQ(Check(streams().CyclicChain(stream).Build()), V::BadChain);
        EXPECT_EQ(Check(streams().StartPastEnd(stream).Build()), V::BadChain);
        EXPECT_EQ(Check(streams().StartWhere(stream, stream + 1).Build()), V::BadChain);
    }
    const Image image = streams().Build();
    const size_t root = EntryOffset(image, 0), regular = EntryOffset(image, 1),
                 small = EntryOffset(image, 3);
    const uint32_t directory = GetLe32(image, kFirstDirectory);
    ExpectVerdicts(
        image, {
                   {"regular stream beyond its chain", regular + kSize, 4, 5121, V::BadChain},
                   {"small stream beyond its chain", small + kSize, 4, 129, V::BadChain},
                   {"stream across the cutoff", small + kSize, 4, 4096, V::BadChain},
                   {"stream in a FAT sector", regular + kStart, 4, 0, V::BadChain},
                   {"stream in the directory", regular + kStart, 4, directory, V::BadChain},
                   {"mini stream beyond its chain", root + kSize, 4, 1024, V::BadChain},
                   {"small stream beyond the mini stream", root + kSize, 4, 64, V::BadChain},
                   {"mini FAT beyond its chain", kMiniFatCount, 4, 2, V::BadChain},
                   {"directory past the end", kFirstDirectory, 4, 500, V::BadChain},
                   {"directory loop", SectorOffset(0) + 4 * directory, 4, directory, V::BadChain},
               });
    // Whatever part of its last sector an image loses, a chain loses a sector.
    for (size_t size = 0; size < image.size(); size += 97)
        EXPECT_NE(CheckCompoundFile(image.data(), size), V::Sound) << size << " bytes";
    EXPECT_EQ(Check(CompoundImage().Stream(100).Truncate(1).Build()), V::BadChain);
}

TEST(CompoundCheck, DirectoryFaultsAreRefused)
{
    EXPECT_EQ(Check(CompoundImage().Stream(100).TreeLoop().Build()), V::BadDirectory);
    EXPECT_EQ(Check(CompoundImage().Stream(1).Stream(2).Stream(3).TreeLoop().Build()),
              V::BadDirectory);
    // Entries 0 to 2 in use, slots 3 to 7 not.
    const Image image = CompoundImage().Stream(100).Stream(200).DirectorySectors(2).Build();
    const size_t root = EntryOffset(image, 0), first = EntryOffset(image, 1);
    ExpectVerdicts(image, {
                              {"root a storage", root + kType, 1, 1, V::BadDirectory},
                              {"root child past the entries", root + kChild, 4, 8, V::BadDirectory},
                              {"second root", first + kType, 1, 5, V::BadDirectory},
                              {"unknown type", first + kType, 1, 3, V::BadDirectory},
                              {"unused slot in the tree", first + kLeft, 4, 5, V::BadDirectory},
                              {"stream with a child", first + kChild, 4, 2, V::BadDirectory},
                              {"entry reached twice", first + kLeft, 4, 2, V::BadDirectory},
                              {"name of 66 bytes", first + kNameLength, 2, 66, V::BadDirectory},
                              {"odd name length", first + kNameLength, 2, 5, V::BadDirectory},
                              {"name without its null", first + 4, 2, 'x', V::BadDirectory},
                          });
}

TEST(CompoundCheck, LimitsAreApplied)
{
    EXPECT_EQ(Check(CompoundImage().DirectorySectors(256).Build()), V::Sound); // 1024 entries
    EXPECT_EQ(Check(CompoundImage().DirectorySectors(257).Build()), V::TooLarge);
    CompoundFileLimits limits;
    limits.maxDirectoryEntries = 11; // two sectors
    EXPECT_EQ(Check(CompoundImage().DirectorySectors(2).Build(), limits), V::Sound);
    EXPECT_EQ(Check(CompoundImage().DirectorySectors(3).Build(), limits), V::TooLarge);
    limits.maxDirectoryEntries = 1; // still one sector
    EXPECT_EQ(Check(CompoundImage().Stream(1).Stream(2).Build(), limits), V::Sound);

    const Image image = CompoundImage().Stream(5000).Build();
    limits.maxImageBytes = image.size();
    EXPECT_EQ(Check(image, limits), V::Sound);
    limits.maxImageBytes = image.size() - 1;
    EXPECT_EQ(Check(image, limits), V::TooLarge);
    EXPECT_EQ(CheckHeader(image, limits), V::TooLarge);
    EXPECT_EQ(CheckCompoundFileHeader(image.data(), 512, uint64_t{1} << 40), V::TooLarge);
}

TEST(CompoundCheckRealFiles, CommandFilesOfTheSystemStorageAreSound)
{
    for (PlainStore how :
         {PlainStore::DiskFile, PlainStore::Memory, PlainStore::MemoryWithUserType})
        for (size_t size : {0, 100, 4095, 4096, 5000, 70000})
        {
            SCOPED_TRACE(testing::Message() << "store " << int(how) << ", " << size << " bytes");
            const std::wstring path = TempPath(L"real.Taskel");
            ASSERT_EQ(WritePlainCommandFile(path, std::vector<BYTE>(size, 0x5A), how), S_OK);
            std::vector<BYTE> file = ReadBytes(path);
            ASSERT_GT(file.size(), 16u + 512);
            Image image(file.begin() + 16, file.end());
            EXPECT_EQ(Check(image), V::Sound);
            EXPECT_EQ(CheckHeader(image), V::Sound);
            // The header alone refuses counts the image cannot hold.
            const uint32_t sectors = static_cast<uint32_t>(image.size() / 512 - 1);
            EXPECT_EQ(CheckHeader(Patched(image, kMiniFatCount, 4, sectors)), V::BadHeader);
        }
}

TEST(CompoundCheckRealFiles, OtherImagesOfTheSystemStorageAreSound)
{
    const std::vector<uint32_t> sizes = {0, 100, 4095, 4096, 70000};
    EXPECT_EQ(Check(SystemImage(true, sizes)), V::Sound) << "version 4";
    // Free sectors and slots, a storage, a stream made small and one large.
    const Image busy = SystemImage(false, sizes, [](IStorage *root) {
        fx::ComPtr<IStorage> inner;
        const DWORD mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
        ASSERT_EQ(root->CreateStorage(L"Inner", mode, 0, 0, inner.put()), S_OK);
        fx::ComPtr<IStream> stream;
        ASSERT_EQ(inner->CreateStream(L"T", mode, 0, 0, stream.put()), S_OK);
        ULARGE_INTEGER size = {};
        size.QuadPart = 9000;
        ASSERT_EQ(stream->SetSize(size), S_OK);
        stream.reset();
        ASSERT_EQ(inner->Commit(STGC_DEFAULT), S_OK);
        ASSERT_EQ(root->DestroyElement(L"S1"), S_OK);
        ASSERT_EQ(root->OpenStream(L"S4", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                   stream.put()),
                  S_OK);
        size.QuadPart = 300;
        ASSERT_EQ(stream->SetSize(size), S_OK);
    });
    EXPECT_EQ(Check(busy), V::Sound) << "after changes";
    // More than 109 FAT sectors, listed through a DIFAT sector.
    CompoundFileLimits limits;
    limits.maxImageBytes = 16 << 20;
    const Image large = SystemImage(false, {8000000});
    EXPECT_GT(GetLe32(large, 72), 0u);
    EXPECT_EQ(Check(large, limits), V::Sound);
}
