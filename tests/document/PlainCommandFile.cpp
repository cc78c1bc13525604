// Command files through the system's structured storage only: writing a
// prefix and a compound image around hand-made "Data" bytes, reading one
// back, and a strict hand decoder of the "Data" layout.
#include "PlainCommandFile.h"

#include <algorithm>
#include <cstring>

#include "ComPtr.h"
#include "DocumentTestSupport.h"
#include "UniqueHandle.h"

const BYTE kCommandFilePrefix[16] = {0x26, 0x3D, 0xE4, 0xA0, 0x2B, 0x52, 0xAA, 0x40,
                                     0xB0, 0x1F, 0xE3, 0xFC, 0x03, 0x7A, 0x0F, 0x52};
const wchar_t kCommandClassText[] = L"{A0E43D26-522B-40AA-B01F-E3FC037A0F52}";

DataBytes &DataBytes::U16(uint16_t value)
{
    m_bytes.push_back(static_cast<BYTE>(value & 0xFF));
    m_bytes.push_back(static_cast<BYTE>(value >> 8));
    return *this;
}

DataBytes &DataBytes::U32(uint32_t value)
{
    U16(static_cast<uint16_t>(value & 0xFFFF));
    return U16(static_cast<uint16_t>(value >> 16));
}

DataBytes &DataBytes::Text(const std::wstring &text)
{
    for (wchar_t unit : text)
        U16(static_cast<uint16_t>(unit));
    return U16(0);
}

DataBytes &DataBytes::Raw(const std::vector<BYTE> &bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

uint32_t TextBytes(const std::vector<std::wstring> &entries)
{
    size_t bytes = 0;
    for (const std::wstring &entry : entries)
        bytes += (entry.size() + 1) * 2;
    return static_cast<uint32_t>(bytes);
}

namespace
{
// Root class, optional format and user type, and the "Data" stream.
HRESULT FillRoot(IStorage *root, const std::vector<BYTE> &data, bool userType)
{
    CLSID commandClass;
    std::memcpy(&commandClass, kCommandFilePrefix, sizeof(commandClass));
    HRESULT hr = root->SetClass(commandClass);
    if (FAILED(hr)) return hr;
    if (userType)
    {
        CLIPFORMAT format =
            static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Object Descriptor"));
        hr = ::WriteFmtUserTypeStg(root, format, const_cast<LPOLESTR>(L"File Command"));
        if (FAILED(hr)) return hr;
    }
    fx::ComPtr<IStream> stream;
    hr = root->CreateStream(L"Data", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                            stream.put());
    if (FAILED(hr)) return hr;
    // An empty stream gets no write: the storage refuses the null pointer
    // of an empty vector (STG_E_INVALIDPOINTER).
    ULONG written = 0;
    if (!data.empty())
    {
        hr = stream->Write(data.data(), static_cast<ULONG>(data.size()), &written);
        if (FAILED(hr)) return hr;
    }
    if (written != data.size()) return STG_E_MEDIUMFULL;
    stream.reset();
    return root->Commit(STGC_DEFAULT);
}

HRESULT ImageOnMemory(const std::vector<BYTE> &data, bool userType, std::vector<BYTE> &image)
{
    fx::ComPtr<ILockBytes> bytes;
    HRESULT hr = ::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
    if (FAILED(hr)) return hr;
    {
        fx::ComPtr<IStorage> root;
        hr = ::StgCreateDocfileOnILockBytes(
            bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, root.put());
        if (FAILED(hr)) return hr;
        hr = FillRoot(root.get(), data, userType);
        if (FAILED(hr)) return hr;
    }
    STATSTG stat = {};
    hr = bytes->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    HGLOBAL block = nullptr;
    hr = ::GetHGlobalFromILockBytes(bytes.get(), &block);
    if (FAILED(hr)) return hr;
    const BYTE *memory = static_cast<const BYTE *>(::GlobalLock(block));
    if (!memory) return HRESULT_FROM_WIN32(::GetLastError());
    image.assign(memory, memory + stat.cbSize.QuadPart);
    ::GlobalUnlock(block);
    return S_OK;
}

HRESULT ImageOnDisk(const std::wstring &path, const std::vector<BYTE> &data,
                    std::vector<BYTE> &image)
{
    const std::wstring plain = path + L".stg";
    {
        fx::ComPtr<IStorage> root;
        HRESULT hr = ::StgCreateDocfile(
            plain.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, root.put());
        if (FAILED(hr)) return hr;
        hr = FillRoot(root.get(), data, false);
        if (FAILED(hr)) return hr;
    }
    image = ReadBytes(plain);
    ::DeleteFileW(plain.c_str());
    return image.empty() ? E_FAIL : S_OK;
}

template <class T> bool Take(const std::vector<BYTE> &bytes, size_t &at, T &value)
{
    if (bytes.size() - at < sizeof(T)) return false;
    value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value = static_cast<T>(value | (static_cast<T>(bytes[at + i]) << (8 * i)));
    at += sizeof(T);
    return true;
}

// `count` bytes of UTF-16LE units split at each null unit; the last unit
// must be null.
bool TakeTexts(const std::vector<BYTE> &bytes, size_t &at, uint32_t count,
               std::vector<std::wstring> &texts)
{
    if (count % 2 != 0 || bytes.size() - at < count) return false;
    std::wstring current;
    for (uint32_t i = 0; i < count; i += 2)
    {
        wchar_t unit = static_cast<wchar_t>(bytes[at + i] | (bytes[at + i + 1] << 8));
        if (unit == L'\0')
        {
            texts.push_back(current);
            current.clear();
        }
        else
            current.push_back(unit);
    }
    at += count;
    return current.empty();
}
} // namespace

HRESULT WritePlainCommandFile(const std::wstring &path, const std::vector<BYTE> &data,
                              PlainStore how)
{
    std::vector<BYTE> image;
    HRESULT hr = how == PlainStore::DiskFile
                     ? ImageOnDisk(path, data, image)
                     : ImageOnMemory(data, how == PlainStore::MemoryWithUserType, image);
    if (FAILED(hr)) return hr;
    std::vector<BYTE> file(sizeof(kCommandFilePrefix) + image.size());
    std::memcpy(file.data(), kCommandFilePrefix, sizeof(kCommandFilePrefix));
    std::memcpy(file.data() + sizeof(kCommandFilePrefix), image.data(), image.size());
    WriteBytes(path, file);
    return ReadBytes(path) == file ? S_OK : E_FAIL;
}

HRESULT ReadPlainCommandFile(const std::wstring &path, PlainCommandFile &out)
{
    out = PlainCommandFile();
    std::vector<BYTE> file = ReadBytes(path);
    if (file.size() <= sizeof(kCommandFilePrefix)) return STG_E_READFAULT;
    out.prefix.assign(file.begin(), file.begin() + sizeof(kCommandFilePrefix));

    const size_t imageSize = file.size() - sizeof(kCommandFilePrefix);
    fx::unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, imageSize));
    if (!block) return E_OUTOFMEMORY;
    void *memory = ::GlobalLock(block.get());
    if (!memory) return HRESULT_FROM_WIN32(::GetLastError());
    std::memcpy(memory, file.data() + sizeof(kCommandFilePrefix), imageSize);
    ::GlobalUnlock(block.get());
    fx::ComPtr<ILockBytes> bytes;
    HRESULT hr = ::CreateILockBytesOnHGlobal(block.get(), TRUE, bytes.put());
    if (FAILED(hr)) return hr;
    block.release(); // the byte array frees it now

    fx::ComPtr<IStorage> root;
    hr = ::StgOpenStorageOnILockBytes(bytes.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                      nullptr, 0, root.put());
    if (FAILED(hr)) return hr;
    STATSTG stat = {};
    hr = root->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    out.rootClass = stat.clsid;

    fx::ComPtr<IEnumSTATSTG> elements;
    hr = root->EnumElements(0, nullptr, 0, elements.put());
    if (FAILED(hr)) return hr;
    STATSTG element = {};
    while (elements->Next(1, &element, nullptr) == S_OK)
    {
        fx::unique_cotaskmem name(element.pwcsName);
        out.elements.push_back(element.pwcsName ? element.pwcsName : L"");
    }
    std::sort(out.elements.begin(), out.elements.end());

    fx::ComPtr<IStream> stream;
    hr = root->OpenStream(L"Data", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
    if (FAILED(hr)) return hr;
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    out.data.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    hr = stream->Read(out.data.data(), static_cast<ULONG>(out.data.size()), &read);
    if (FAILED(hr)) return hr;
    return read == out.data.size() ? S_OK : STG_E_READFAULT;
}

std::string DecodeWrittenData(const std::vector<BYTE> &bytes, PlainData &out)
{
    out = PlainData();
    size_t at = 0;
    if (!Take(bytes, at, out.header) || !Take(bytes, at, out.lowOptions))
        return "stream ends inside the header or the low options";
    if (!(out.header & 0x80000000)) return "header bit 31 (version field present) is clear";
    if (!Take(bytes, at, out.version)) return "stream ends inside the format version";
    if (!Take(bytes, at, out.sourceBytes)) return "stream ends inside N";
    if (!TakeTexts(bytes, at, out.sourceBytes, out.sources))
        return "N does not cover whole null-terminated entries";
    for (const std::wstring &source : out.sources)
        if (source.empty()) return "an empty source entry was written";
    if (!Take(bytes, at, out.targetBytes)) return "stream ends inside M";
    std::vector<std::wstring> target;
    if (!TakeTexts(bytes, at, out.targetBytes, target))
        return "M does not cover a null-terminated target";
    if (target.size() > 1) return "the target holds a null character";
    if (target.size() == 1)
    {
        if (target[0].empty()) return "an empty target was written with M > 0";
        out.target = target[0];
    }
    if (at != bytes.size()) return std::to_string(bytes.size() - at) + " bytes after the target";
    return std::string();
}
