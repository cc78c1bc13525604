// Reading and parsing the mark of a downloaded file.
#include "FileOrigin.h"

#include <urlmon.h>

#include "ComPtr.h"
#include "UniqueHandle.h"

namespace
{

// The system's zone-identifier object and interface (urlmon). MinGW's
// import libraries do not carry these identifiers.
const CLSID kClsidPersistentZoneIdentifier = {
    0x0968e258, 0x16c7, 0x4dba, {0xaa, 0x86, 0x46, 0x2d, 0xd6, 0x1e, 0x31, 0xa3}};
const IID kIidZoneIdentifier = {
    0xcd45f185, 0x1b21, 0x48e2, {0x96, 0x7b, 0xea, 0xd7, 0x43, 0xa8, 0x91, 0x4e}};

// A mark is a few lines; anything longer is not read past this.
constexpr DWORD kMaxZoneStream = 64 * 1024;

std::wstring Trimmed(const std::wstring &text)
{
    const wchar_t *blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool SameName(const std::wstring &a, const wchar_t *b)
{
    return ::CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool ParseZone(const std::wstring &value, DWORD &zone)
{
    if (value.empty() || value.size() > 9) return false;
    DWORD number = 0;
    for (wchar_t c : value)
    {
        if (c < L'0' || c > L'9') return false;
        number = number * 10 + (c - L'0');
    }
    zone = number;
    return true;
}

// The zone as the system's object reads it; false where there is no such
// object (or COM is not running on this thread) or it cannot read the file.
bool SystemZone(const std::wstring &path, DWORD &zone, bool &marked)
{
    fx::ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(kClsidPersistentZoneIdentifier, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IPersistFile, file.put_void())))
        return false;
    fx::ComPtr<IZoneIdentifier> identifier;
    if (FAILED(file.query(kIidZoneIdentifier, identifier))) return false;
    const HRESULT loaded = file->Load(path.c_str(), STGM_READ);
    if (loaded == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
        loaded == HRESULT_FROM_WIN32(ERROR_NOT_FOUND))
    {
        marked = false; // the object found no mark
        return true;
    }
    if (FAILED(loaded)) return false;
    DWORD id = 0;
    if (FAILED(identifier->GetId(&id))) return false;
    zone = id;
    marked = true;
    return true;
}

bool ReadZoneStream(const std::wstring &path, std::string &bytes)
{
    const std::wstring streamName = path + L":Zone.Identifier";
    fx::unique_file stream(::CreateFileW(streamName.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!stream) return false;
    char buffer[4096];
    DWORD read = 0;
    while (bytes.size() < kMaxZoneStream &&
           ::ReadFile(stream.get(), buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    if (bytes.size() > kMaxZoneStream) bytes.resize(kMaxZoneStream);
    return true;
}

} // namespace

FileOrigin ParseZoneTransfer(const std::wstring &text)
{
    FileOrigin origin;
    bool inSection = false, zoneSeen = false, referrerSeen = false, hostSeen = false;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[')
        {
            const size_t close = line.find(L']');
            inSection = close != std::wstring::npos &&
                        SameName(Trimmed(line.substr(1, close - 1)), L"ZoneTransfer");
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!inSection || equals == std::wstring::npos) continue;
        const std::wstring key = Trimmed(line.substr(0, equals));
        const std::wstring value = Trimmed(line.substr(equals + 1));
        if (!zoneSeen && SameName(key, L"ZoneId"))
        {
            zoneSeen = true;
            origin.zoneKnown = ParseZone(value, origin.zone);
            if (!origin.zoneKnown) origin.zone = kZoneLocalMachine;
        }
        else if (!referrerSeen && SameName(key, L"ReferrerUrl"))
        {
            referrerSeen = true;
            origin.referrerUrl = value;
        }
        else if (!hostSeen && SameName(key, L"HostUrl"))
        {
            hostSeen = true;
            origin.hostUrl = value;
        }
    }
    return origin;
}

std::wstring DecodeZoneStream(const std::string &bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
    {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        memcpy(&text[0], bytes.data() + 2, text.size() * sizeof(wchar_t));
        return text;
    }
    size_t skip = 0;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) skip = 3;
    const int size = static_cast<int>(bytes.size() - skip);
    if (size == 0) return std::wstring();
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data() + skip, size, nullptr, 0);
    if (units <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data() + skip, size, &text[0], units);
    return text;
}

bool IsForeignZone(DWORD zone)
{
    return zone >= kZoneInternet;
}

FileOrigin ReadFileOrigin(const std::wstring &path)
{
    FileOrigin origin;
    if (path.empty()) return origin;
    std::string bytes;
    if (ReadZoneStream(path, bytes)) origin = ParseZoneTransfer(DecodeZoneStream(bytes));

    DWORD zone = kZoneLocalMachine;
    bool marked = false;
    if (SystemZone(path, zone, marked))
    {
        origin.zoneKnown = marked;
        origin.zone = marked ? zone : kZoneLocalMachine;
    }
    return origin;
}
