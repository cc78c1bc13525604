// Thousands of broken command files (bit flips, truncations, giant byte
// counts) opened and loaded like the run flow does: each must end with an
// error code or a valid command that saves and loads again unchanged, and
// none may crash. Truncations cut at a sector boundary or inside the "Data"
// stream: Wine 8's compound-file reader overflows its stack on some images
// cut inside a directory sector.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "ProductCommandFile.h"
#include "TaskelClass.h"
#include "TaskelCodec.h"

namespace
{
// Whether a loaded command is one the product could have made: an action
// the editor knows, options within the option mask of its action and
// sources, every source trimmed and non-blank, the target trimmed.
testing::AssertionResult IsValidCommand(const Fields &fields)
{
    if (fields.editorAction > 6)
        return testing::AssertionFailure() << "action " << fields.editorAction;
    if (fields.options & ~fields.optionMask)
        return testing::AssertionFailure() << "options " << Hex(fields.options)
                                           << " outside the mask " << Hex(fields.optionMask);
    for (const std::wstring &source : fields.sources)
        if (source.empty() || TrimWhite(source) != source)
            return testing::AssertionFailure() << "source \"" << source << "\" blank or untrimmed";
    if (TrimWhite(fields.target) != fields.target)
        return testing::AssertionFailure() << "target \"" << fields.target << "\" untrimmed";
    return testing::AssertionSuccess();
}

// Saves the loaded command into a new storage and loads a new command from
// it: the fields must come back the same. The storage lives in memory, so
// the rounds cost no further file traffic.
testing::AssertionResult SavesAndLoadsAgain(IDispatch *command, const Fields &loaded)
{
    fx::ComPtr<ILockBytes> bytes;
    CHECK_HR(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()));
    fx::ComPtr<IStorage> storage;
    CHECK_HR(::StgCreateDocfileOnILockBytes(
        bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.put()));
    fx::ComPtr<IPersistStorage> persist;
    CHECK_HR(command->QueryInterface(IID_IPersistStorage, persist.put_void()));
    CHECK_HR(persist->Save(storage.get(), FALSE));
    CHECK_HR(persist->SaveCompleted(nullptr));
    CHECK_HR(persist->HandsOffStorage());

    fx::ComPtr<IDispatch> reloaded;
    CHECK_HR(CTaskel::CreateInstance(IID_IDispatch, reloaded.put_void()));
    fx::ComPtr<IPersistStorage> load;
    CHECK_HR(reloaded.query(IID_IPersistStorage, load));
    CHECK_HR(load->Load(storage.get()));
    Fields again;
    testing::AssertionResult ok = ReadFields(reloaded.get(), again);
    if (!ok) return ok;
    if (again.storedAction != loaded.storedAction || again.editorAction != loaded.editorAction ||
        again.options != loaded.options || again.sources != loaded.sources ||
        again.target != loaded.target)
        return testing::AssertionFailure()
               << "reloaded as action " << again.storedAction << " options " << Hex(again.options)
               << " with " << again.sources.size() << " sources, was action " << loaded.storedAction
               << " options " << Hex(loaded.options) << " with " << loaded.sources.size()
               << " sources";
    return testing::AssertionSuccess();
}
} // namespace

TEST(Mutation, BrokenFilesFailCleanlyOrLoadValidCommands)
{
    const std::wstring good = TempPath(L"good.Taskel");
    Fields example;
    example.editorAction = 2; // Copy
    example.options = 0x40248;
    example.sources = {L"D:\\A\\*.txt", L"D:\\B\\"};
    example.target = L"E:\\Out";
    ASSERT_TRUE(SaveFields(good, example));
    const std::vector<BYTE> original = ReadBytes(good);
    ASSERT_GT(original.size(), 512u);
    const BYTE header[] = {0x02, 0x00, 0x04, 0x80, 0x48, 0x02, 0x01, 0x00, 0x04, 0x00};
    auto found =
        std::search(original.begin(), original.end(), std::begin(header), std::end(header));
    ASSERT_NE(found, original.end());
    const size_t data = static_cast<size_t>(found - original.begin());

    const std::wstring path = TempPath(L"mutant.Taskel");
    std::mt19937 random(20240601);
    int loaded = 0;
    std::map<HRESULT, int> failures;
    const int rounds = 2000;
    for (int round = 0; round < rounds; ++round)
    {
        std::vector<BYTE> bytes = original;
        switch (round % 4)
        {
        case 0: // bit flips anywhere
            for (int i = 0, n = 1 + static_cast<int>(random() % 8); i < n; ++i)
                bytes[random() % bytes.size()] ^= static_cast<BYTE>(1u << (random() % 8));
            break;
        case 1: // bit flips inside the "Data" stream
            for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i)
                bytes[data + random() % 66] ^= static_cast<BYTE>(1u << (random() % 8));
            break;
        case 2: // truncation at a sector boundary, or inside the "Data" stream's sector
            if (random() & 1)
                bytes.resize(16 + 512 * (random() % (bytes.size() / 512)));
            else
                bytes.resize(data + random() % 66);
            break;
        default: // giant or odd counts N (offset 10) and M (offset 48)
        {
            static const uint32_t counts[] = {0xFFFFFFFF, 0xFFFFFFFE, 0x80000000, 0x7FFFFFFF,
                                              35,         33,         1,          1000};
            uint32_t count = counts[random() % 8];
            size_t at = data + ((random() & 1) ? 10 : 48);
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<BYTE>(count >> (8 * i));
            break;
        }
        }
        WriteBytes(path, bytes);
        WIN32_FILE_ATTRIBUTE_DATA written = {};
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &written));
        ASSERT_EQ(written.nFileSizeLow, bytes.size()) << "round " << round;

        HRESULT result = E_FAIL;
        fx::ComPtr<IDispatch> command;
        ASSERT_TRUE(OpenAndLoad(path, result, command)) << "round " << round;
        if (FAILED(result))
        {
            ++failures[result];
            continue;
        }
        ++loaded;
        Fields fields;
        ASSERT_TRUE(ReadFields(command.get(), fields)) << "round " << round;
        EXPECT_TRUE(IsValidCommand(fields)) << "round " << round;
        EXPECT_TRUE(SavesAndLoadsAgain(command.get(), fields)) << "round " << round;
    }
    int failed = 0;
    for (const auto &failure : failures)
        failed += failure.second;
    EXPECT_GT(failed, 0);
    EXPECT_GT(loaded, 0);
    printf("mutation rounds %d: loaded %d, failed with an error code %d\n", rounds, loaded, failed);
    for (const auto &failure : failures)
        printf("  %s: %d\n", Hex(static_cast<uint32_t>(failure.first)).c_str(), failure.second);
}
