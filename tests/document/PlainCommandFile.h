// Command files made and read with nothing of the product's: the "Data"
// stream bytes spelled out by hand from the on-disk layout, and the
// compound file around them made and opened by the system's structured
// storage. The document tests hold the container and the persistence
// against these.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>
#include <vector>

// The first 16 bytes of every command file: the command class identifier
// {A0E43D26-522B-40AA-B01F-E3FC037A0F52} in its memory form.
extern const BYTE kCommandFilePrefix[16];
extern const wchar_t kCommandClassText[];

// A "Data" stream assembled field by field: little-endian integers and
// UTF-16LE text.
class DataBytes
{
  public:
    DataBytes &U16(uint16_t value);
    DataBytes &U32(uint32_t value);
    // The code units of `text`, then one null unit.
    DataBytes &Text(const std::wstring &text);
    // Bytes exactly as given.
    DataBytes &Raw(const std::vector<BYTE> &bytes);
    const std::vector<BYTE> &Bytes() const { return m_bytes; }

  private:
    std::vector<BYTE> m_bytes;
};

// The byte count of entries written one after another, each with its null.
uint32_t TextBytes(const std::vector<std::wstring> &entries);

// How the compound file around the "Data" stream is made.
enum class PlainStore
{
    Memory,             // StgCreateDocfileOnILockBytes on an HGLOBAL
    MemoryWithUserType, // the same, with the OLE format and user type stream
    DiskFile,           // StgCreateDocfile on a file of its own
};

// Writes a command file at `path`: the prefix, then a compound file whose
// root storage has the command class and whose "Data" stream holds `data`.
HRESULT WritePlainCommandFile(const std::wstring &path, const std::vector<BYTE> &data,
                              PlainStore how);

// What a command file holds, read without the product's code.
struct PlainCommandFile
{
    std::vector<BYTE> prefix;           // the first 16 bytes
    CLSID rootClass = {};               // the class of the root storage
    std::vector<BYTE> data;             // the whole "Data" stream
    std::vector<std::wstring> elements; // names of the root's elements, sorted
};

// Reads the file, skips the prefix and opens the rest with
// StgOpenStorageOnILockBytes on an HGLOBAL.
HRESULT ReadPlainCommandFile(const std::wstring &path, PlainCommandFile &out);

// The fields of a "Data" stream, decoded by hand.
struct PlainData
{
    uint32_t header = 0;
    uint16_t lowOptions = 0;
    uint32_t version = 0;
    uint32_t sourceBytes = 0; // N
    std::vector<std::wstring> sources;
    uint32_t targetBytes = 0; // M
    std::wstring target;
};

// Decodes a stream as a writer of the current format must produce it: the
// version field present, N and M exact, every entry non-empty and closed by
// one null, the target closed by one null, nothing after it. Returns an
// empty text when it fits, else what does not.
std::string DecodeWrittenData(const std::vector<BYTE> &bytes, PlainData &out);
