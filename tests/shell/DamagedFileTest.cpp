// Damaged and hostile command files through the shell's two readers in this
// process: the info tip (Load, then GetInfoTip) and the property-sheet
// handler (AddPages, which loads each file for its command page). A user
// may have downloaded any of them; each must be answered within a second
// and with little memory. The time and the growth of the process's peak
// working set are printed for every file and reader.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "ComPtr.h"
#include "PlainCommandFile.h"
#include "PropertyPageObj.h"
#include "ShellTestSupport.h"
#include "TaskelCodec.h"
#include "TaskelInfoTip.h"
#include "TaskelOptions.h"
#include "TaskelProp.h"

namespace
{

const size_t kPrefix = 16;
const size_t kMiB = 1024 * 1024;

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

size_t Growth(size_t before, size_t after)
{
    return after > before ? after - before : 0;
}

// The time a step took and how far it raised the peaks (the peaks are
// process-wide and never fall, so only their growth says something).
struct Cost
{
    double ms = 0;
    size_t peakGrowth = 0;
    size_t pagefileGrowth = 0;
};

template <class Step> Cost Measure(Step &&step)
{
    const PROCESS_MEMORY_COUNTERS before = Memory();
    const auto start = std::chrono::steady_clock::now();
    step();
    const auto stop = std::chrono::steady_clock::now();
    const PROCESS_MEMORY_COUNTERS after = Memory();
    Cost cost;
    cost.ms = std::chrono::duration<double, std::milli>(stop - start).count();
    cost.peakGrowth = Growth(before.PeakWorkingSetSize, after.PeakWorkingSetSize);
    cost.pagefileGrowth = Growth(before.PeakPagefileUsage, after.PeakPagefileUsage);
    return cost;
}

// The fixed fields of a Copy command's "Data" stream up to N.
std::vector<BYTE> CopyHead(uint32_t sourceBytes)
{
    return DataBytes()
        .U32(0x80000000u | ACTION_COPY)
        .U16(0)
        .U32(0x00040001)
        .U32(sourceBytes)
        .Bytes();
}

std::vector<BYTE> TargetTail(const std::wstring &target)
{
    return DataBytes().U32(TextBytes({target})).Text(target).Bytes();
}

#define CHECK_HR(call)                                                                             \
    do                                                                                             \
    {                                                                                              \
        const HRESULT hr_ = (call);                                                                \
        if (FAILED(hr_)) return hr_;                                                               \
    } while (0)

HRESULT WriteAllTo(HANDLE file, const BYTE *data, size_t size)
{
    DWORD written = 0;
    if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
        return HRESULT_FROM_WIN32(::GetLastError());
    return S_OK;
}

// The compound file at `plain` copied behind the command class prefix into
// `path`, a piece at a time; `plain` is deleted.
HRESULT PrefixAndMove(const std::wstring &plain, const std::wstring &path)
{
    HANDLE in = ::CreateFileW(plain.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(::GetLastError());
    HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    HRESULT hr = out == INVALID_HANDLE_VALUE ? HRESULT_FROM_WIN32(::GetLastError()) : S_OK;
    if (SUCCEEDED(hr)) hr = WriteAllTo(out, kCommandFilePrefix, kPrefix);
    std::vector<BYTE> chunk(64 * 1024);
    while (SUCCEEDED(hr))
    {
        DWORD read = 0;
        if (!::ReadFile(in, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr))
            hr = HRESULT_FROM_WIN32(::GetLastError());
        else if (read == 0)
            break;
        else
            hr = WriteAllTo(out, chunk.data(), read);
    }
    ::CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
    ::DeleteFileW(plain.c_str());
    return hr;
}

// A command file made by the system's storage on disk: the root with the
// command class, `extraStreams` empty streams "s<n>", and a "Data" stream of
// `head`, then `unit` `count` times, then `tail`. Written a piece at a time,
// so that building a file of many megabytes costs this process little
// memory (the peaks measured afterwards must not come from here).
HRESULT WriteSystemCommandFile(const std::wstring &path, const std::vector<BYTE> &head,
                               const std::vector<BYTE> &unit, size_t count,
                               const std::vector<BYTE> &tail, size_t extraStreams = 0)
{
    const std::wstring plain = path + L".stg";
    {
        fx::ComPtr<IStorage> root;
        CHECK_HR(::StgCreateDocfile(
            plain.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, root.put()));
        CLSID commandClass;
        std::memcpy(&commandClass, kCommandFilePrefix, sizeof(commandClass));
        CHECK_HR(root->SetClass(commandClass));
        for (size_t i = 0; i < extraStreams; ++i)
        {
            fx::ComPtr<IStream> extra;
            CHECK_HR(root->CreateStream((L"s" + std::to_wstring(i)).c_str(),
                                        STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                        extra.put()));
        }
        fx::ComPtr<IStream> data;
        CHECK_HR(root->CreateStream(L"Data", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                    0, data.put()));
        CHECK_HR(data->Write(head.data(), static_cast<ULONG>(head.size()), nullptr));
        std::vector<BYTE> chunk;
        const size_t perChunk = unit.empty() ? 0 : std::max<size_t>(1, 64 * 1024 / unit.size());
        for (size_t done = 0; done < count;)
        {
            chunk.clear();
            for (size_t i = 0; i < perChunk && done < count; ++i, ++done)
                chunk.insert(chunk.end(), unit.begin(), unit.end());
            CHECK_HR(data->Write(chunk.data(), static_cast<ULONG>(chunk.size()), nullptr));
        }
        CHECK_HR(data->Write(tail.data(), static_cast<ULONG>(tail.size()), nullptr));
        data.reset();
        CHECK_HR(root->Commit(STGC_DEFAULT));
    }
    return PrefixAndMove(plain, path);
}

uint32_t U32At(const std::vector<BYTE> &bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

void SetU32At(std::vector<BYTE> &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
}

// Offsets in a command file of 512-byte sectors: the header follows the
// prefix, sector n follows the header.
size_t HeaderField(size_t offset)
{
    return kPrefix + offset;
}
size_t SectorAt(uint32_t sector)
{
    return kPrefix + 512 + size_t{512} * sector;
}
// The FAT entry of `sector` (the FAT's first sector covers 128 sectors).
size_t FatEntryOf(const std::vector<BYTE> &file, uint32_t sector)
{
    return SectorAt(U32At(file, HeaderField(0x4C))) + 4 * size_t{sector};
}

// A file of the corpus and what it is.
struct CorpusFile
{
    const char *name;
    std::wstring path;
};

std::vector<CorpusFile> g_corpus;
std::wstring g_good;

// The corpus by name, with the result both readers give for each file:
// a structure the check refuses answers as no compound file, a file past
// the size of any command as too large, a stream past what a command holds
// as invalid data, and a command as large as one may be loads.
struct Expected
{
    const char *name;
    HRESULT result;
};
const Expected kCorpus[] = {
    {"Truncated", STG_E_INVALIDHEADER},
    {"TruncatedInHeader", STG_E_INVALIDHEADER},
    {"CyclicDirectoryChain", STG_E_INVALIDHEADER},
    {"CyclicFatChain", STG_E_INVALIDHEADER},
    {"HugeHeaderCounts", STG_E_INVALIDHEADER},
    {"HugeDirectory", STG_E_INVALIDHEADER},
    {"MillionsOfEntries", HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)},
    {"OversizedDataStream", HRESULT_FROM_WIN32(ERROR_INVALID_DATA)},
    {"TooManySources", HRESULT_FROM_WIN32(ERROR_INVALID_DATA)},
    {"MaximalSources", S_OK},
};

class DamagedFiles : public ::testing::TestWithParam<Expected>
{
  protected:
    // The corpus is made once; the readers are warmed up on a sound file,
    // so that what they load on first use does not count against a file.
    static void SetUpTestSuite()
    {
        const std::wstring folder = FreshFolder(L"damaged");
        g_good = folder + L"good.Taskel";
        WriteCommandFile(g_good, EDIT_ACTION_COPY, {L"a.txt", L"b\\*.doc"}, L"D:\\Out");
        const std::vector<BYTE> good = ReadBytes(g_good);
        ASSERT_GE(good.size(), kPrefix + 3 * 512);
        ASSERT_EQ(good[HeaderField(0x1E)], 9); // 512-byte sectors
        auto add = [&](const char *name, const std::vector<BYTE> &bytes) {
            const std::wstring path = folder + std::wstring(name, name + strlen(name)) + L".Taskel";
            if (!bytes.empty()) WriteBytes(path, bytes);
            g_corpus.push_back({name, path});
            return path;
        };

        // Cut inside the sectors after the header, and inside the header.
        add("Truncated", std::vector<BYTE>(good.begin(), good.begin() + kPrefix + 512 + 300));
        add("TruncatedInHeader", std::vector<BYTE>(good.begin(), good.begin() + kPrefix + 200));

        // The directory's one sector leads to itself.
        std::vector<BYTE> bytes = good;
        const uint32_t directory = U32At(good, HeaderField(0x30));
        SetU32At(bytes, FatEntryOf(good, directory), directory);
        add("CyclicDirectoryChain", bytes);

        // The mini stream's chain (the root entry's, first in the directory)
        // leads back to its first sector.
        bytes = good;
        const uint32_t ministream = U32At(good, SectorAt(directory) + 0x74);
        SetU32At(bytes, FatEntryOf(good, ministream), ministream);
        add("CyclicFatChain", bytes);

        // Sector counts far beyond the file.
        bytes = good;
        SetU32At(bytes, HeaderField(0x2C), 0x7FFFFFFF); // FAT sectors
        SetU32At(bytes, HeaderField(0x40), 0xFFFFFFFF); // mini FAT sectors
        SetU32At(bytes, HeaderField(0x48), 0x00FFFFFF); // DIFAT sectors
        add("HugeHeaderCounts", bytes);

        // A sound compound file with thousands of directory entries.
        const std::vector<BYTE> tail = TargetTail(L"D:\\Out");
        const std::vector<BYTE> one = DataBytes().Text(L"a.txt").Bytes();
        ASSERT_EQ(WriteSystemCommandFile(add("HugeDirectory", {}),
                                         CopyHead(static_cast<uint32_t>(one.size())), one, 1, tail,
                                         5000),
                  S_OK);

        // A sound compound file whose "Data" stream holds almost 16 MiB of
        // one-character sources: millions of entries.
        const std::vector<BYTE> tiny = DataBytes().Text(L"a").Bytes();
        const size_t tinyCount = 15 * kMiB / tiny.size();
        ASSERT_EQ(WriteSystemCommandFile(add("MillionsOfEntries", {}),
                                         CopyHead(static_cast<uint32_t>(tinyCount * tiny.size())),
                                         tiny, tinyCount, tail),
                  S_OK);

        // Tiny entries in files small enough to be read: a stream larger
        // than a command may be, and one within that size but with far
        // more sources than a command holds.
        const size_t oversizedCount = 3 * kMiB / 2 / tiny.size();
        ASSERT_EQ(
            WriteSystemCommandFile(add("OversizedDataStream", {}),
                                   CopyHead(static_cast<uint32_t>(oversizedCount * tiny.size())),
                                   tiny, oversizedCount, tail),
            S_OK);
        const size_t manyCount = 900 * 1024 / tiny.size();
        ASSERT_EQ(WriteSystemCommandFile(add("TooManySources", {}),
                                         CopyHead(static_cast<uint32_t>(manyCount * tiny.size())),
                                         tiny, manyCount, tail),
                  S_OK);

        // As many sources as a command holds, nearly as long as the stream
        // allows (116 units each).
        const std::vector<BYTE> longest =
            DataBytes().Text(L"C:\\Folder\\" + std::wstring(106, L'x')).Bytes();
        const size_t maxCount = kMaxSources;
        ASSERT_EQ(WriteSystemCommandFile(add("MaximalSources", {}),
                                         CopyHead(static_cast<uint32_t>(maxCount * longest.size())),
                                         longest, maxCount, tail),
                  S_OK);

        WarmUp();
    }

    static void TearDownTestSuite()
    {
        SweepUnusedPageObjects();
        g_corpus.clear();
    }

    static void WarmUp()
    {
        std::wstring text;
        InfoTipOf(g_good, text);
        std::vector<HPROPSHEETPAGE> pages;
        SheetOf(g_good, pages);
        for (HPROPSHEETPAGE page : pages)
            ::DestroyPropertySheetPage(page);
        SweepUnusedPageObjects();
    }

    static const CorpusFile &File(const char *name)
    {
        for (const CorpusFile &file : g_corpus)
            if (strcmp(file.name, name) == 0) return file;
        ADD_FAILURE() << "no corpus file " << name;
        static const CorpusFile missing = {"missing", L""};
        return missing;
    }

    // Load, then GetInfoTip: the load's result; `text` is the tip (empty
    // when there is none).
    static HRESULT InfoTipOf(const std::wstring &path, std::wstring &text)
    {
        text.clear();
        fx::ComPtr<IPersistFile> file;
        fx::ComPtr<IQueryInfo> query;
        if (FAILED(CTaskelInfoTip::CreateInstance(IID_IPersistFile, file.put_void())) ||
            FAILED(file.query(IID_IQueryInfo, query)))
            return E_NOINTERFACE;
        const HRESULT loaded = file->Load(path.c_str(), STGM_READ);
        WCHAR *raw = nullptr;
        if (SUCCEEDED(query->GetInfoTip(0, &raw)) && raw) text = raw;
        ::CoTaskMemFree(raw);
        return loaded;
    }

    static BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM lParam)
    {
        reinterpret_cast<std::vector<HPROPSHEETPAGE> *>(lParam)->push_back(page);
        return TRUE;
    }

    // The property-sheet handler asked for the pages of `path`.
    static HRESULT SheetOf(const std::wstring &path, std::vector<HPROPSHEETPAGE> &pages)
    {
        CTaskelProp *prop = new CTaskelProp;
        prop->ExternalAddRef();
        fx::ComPtr<IShellExtInit> init;
        prop->ExternalQueryInterface(IID_IShellExtInit, init.put_void());
        prop->ExternalRelease();
        fx::ComPtr<IShellPropSheetExt> sheet;
        if (!init || FAILED(init.query(IID_IShellPropSheetExt, sheet))) return E_NOINTERFACE;
        CDropObject drop({path});
        init->Initialize(nullptr, &drop, nullptr);
        return sheet->AddPages(&AddPage, reinterpret_cast<LPARAM>(&pages));
    }

    static void Print(const char *name, const char *reader, const Cost &cost, HRESULT hr)
    {
        printf("  %-20s %-10s %8.1f ms  peak working set +%6.1f MB  peak pagefile +%6.1f MB  "
               "[%8.8lX]\n",
               name, reader, cost.ms, double(cost.peakGrowth) / double(kMiB),
               double(cost.pagefileGrowth) / double(kMiB), static_cast<unsigned long>(hr));
    }

    static void ExpectCheap(const Cost &cost)
    {
        EXPECT_LT(cost.ms, 1000.0);
        EXPECT_LT(cost.peakGrowth, 16 * kMiB);
    }
};

TEST_P(DamagedFiles, InfoTipAnswersQuicklyWithLittleMemory)
{
    const CorpusFile &file = File(GetParam().name);
    std::wstring text;
    HRESULT hr = E_FAIL;
    const Cost cost = Measure([&] { hr = InfoTipOf(file.path, text); });
    Print(file.name, "info tip", cost, hr);
    ExpectCheap(cost);
    EXPECT_EQ(hr, GetParam().result);
    if (SUCCEEDED(GetParam().result))
    {
        // A command as large as one may be loads; its tip is cut short.
        EXPECT_EQ(text.size(), kMaxInfoTipLength);
        EXPECT_EQ(text.rfind(L"File Command\r\nCopy: C:\\Folder\\xx", 0), 0u);
        EXPECT_EQ(text.back(), L'\x2026');
    }
    else
        EXPECT_TRUE(text.empty()) << text.size() << " characters";
}

TEST_P(DamagedFiles, PropertySheetAnswersQuicklyWithLittleMemory)
{
    const CorpusFile &file = File(GetParam().name);
    std::vector<HPROPSHEETPAGE> pages;
    HRESULT hr = E_FAIL;
    const Cost cost = Measure([&] { hr = SheetOf(file.path, pages); });
    Print(file.name, "sheet", cost, hr);
    ExpectCheap(cost);
    // A command as large as one may be gets its page and the Preferences
    // page; a damaged one gets none, and the shell hears why.
    if (SUCCEEDED(GetParam().result))
    {
        EXPECT_EQ(hr, 1);
        EXPECT_EQ(pages.size(), 2u);
    }
    else
    {
        EXPECT_EQ(hr, GetParam().result);
        EXPECT_TRUE(pages.empty());
    }
    for (HPROPSHEETPAGE page : pages)
        ::DestroyPropertySheetPage(page);
    SweepUnusedPageObjects();
}

INSTANTIATE_TEST_SUITE_P(Corpus, DamagedFiles, ::testing::ValuesIn(kCorpus),
                         [](const ::testing::TestParamInfo<Expected> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
