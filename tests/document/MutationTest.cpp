// Thousands of broken command files (bit flips, truncations, giant byte
// counts) opened and loaded like the run flow does: each must end with an
// error code or a valid command, and none may crash. Truncations cut at a
// sector boundary or inside the "Data" stream: Wine 8's compound-file reader
// overflows its stack on some images cut inside a directory sector.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "TaskelClass.h"
#include "TaskelFile.h"
#include "TaskelGuids.h"

namespace
{
std::vector<BYTE> MakeGoodFile(const std::wstring &path)
{
    fx::ComPtr<ITaskelFile> file;
    CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void());
    EXPECT_EQ(file->Create(), S_OK);
    fx::ComPtr<IStorage> storage;
    file.query(IID_IStorage, storage);
    CTaskel *command = new CTaskel;
    fx::ComPtr<IPersistStorage> persist;
    command->ExternalAddRef();
    command->ExternalQueryInterface(IID_IPersistStorage, persist.put_void());
    command->ExternalRelease();
    command->SetAction(EDIT_ACTION_COPY);
    command->SetSource(0, L"D:\\A\\*.txt");
    command->SetSource(1, L"D:\\B\\");
    command->SetTarget(L"E:\\Out");
    EXPECT_EQ(persist->Save(storage.get(), FALSE), S_OK);
    EXPECT_EQ(file->Commit(), S_OK);
    file->Close();
    return ReadBytes(path);
}

// Opens and loads like the run flow; returns the load's result.
HRESULT OpenAndLoad(const std::wstring &path, size_t &sources)
{
    fx::ComPtr<ITaskelFile> file;
    CTaskelFile::CreateInstance(path, IID_ITaskelFile, file.put_void());
    HRESULT hr = file->Open(TRUE);
    if (FAILED(hr)) return hr;
    fx::ComPtr<IStorage> storage;
    file.query(IID_IStorage, storage);
    fx::ComPtr<IDispatch> dispatch;
    CTaskel::CreateInstance(IID_IDispatch, dispatch.put_void());
    fx::ComPtr<IPersistStorage> persist;
    dispatch.query(IID_IPersistStorage, persist);
    hr = persist->Load(storage.get());
    VARIANT count;
    ::VariantInit(&count);
    DISPPARAMS none = {};
    dispatch->Invoke(5, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &count, nullptr, nullptr);
    sources = static_cast<size_t>(V_I4(&count));
    return hr;
}
} // namespace

TEST(Mutation, BrokenFilesFailCleanly)
{
    const std::wstring good = TempPath(L"good.Taskel");
    const std::vector<BYTE> original = MakeGoodFile(good);
    ASSERT_GT(original.size(), 512u);
    const BYTE header[] = {0x02, 0x00, 0x04, 0x80, 0x48, 0x02, 0x01, 0x00, 0x04, 0x00};
    auto found =
        std::search(original.begin(), original.end(), std::begin(header), std::end(header));
    ASSERT_NE(found, original.end());
    const size_t data = static_cast<size_t>(found - original.begin());

    const std::wstring path = TempPath(L"mutant.Taskel");
    std::mt19937 random(20240601);
    int loaded = 0, failed = 0;
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
        size_t sources = 0;
        HRESULT hr = OpenAndLoad(path, sources);
        if (SUCCEEDED(hr))
        {
            ++loaded;
            EXPECT_LE(sources, 64u);
        }
        else
            ++failed;
    }
    EXPECT_EQ(loaded + failed, rounds);
    EXPECT_GT(failed, 0);
    EXPECT_GT(loaded, 0);
    printf("mutation rounds %d: loaded %d, failed with an error code %d\n", rounds, loaded, failed);
}
