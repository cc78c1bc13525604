// Where a command file came from: the mark a browser or mail program leaves
// on a downloaded file (its "Zone.Identifier" stream), read through the
// system's zone-identifier object where there is one and from the stream
// itself otherwise. A file from the Internet or Restricted zone is foreign:
// it runs only when the user asks for it.
#pragma once

#include <windows.h>

#include <string>

// The security zones of the mark's "ZoneId" value.
constexpr DWORD kZoneLocalMachine = 0;
constexpr DWORD kZoneIntranet = 1;
constexpr DWORD kZoneTrusted = 2;
constexpr DWORD kZoneInternet = 3;
constexpr DWORD kZoneRestricted = 4;

struct FileOrigin
{
    bool zoneKnown = false; // the file carries a mark with a readable zone
    DWORD zone = kZoneLocalMachine;
    std::wstring referrerUrl;
    std::wstring hostUrl;
};

// The mark's text (INI): the "ZoneId", "ReferrerUrl" and "HostUrl" values of
// its [ZoneTransfer] section. Section and key names compare
// case-insensitively, blanks around them and around values are ignored,
// the first occurrence of a key counts. A ZoneId that is not a decimal
// number leaves the zone unknown.
FileOrigin ParseZoneTransfer(const std::wstring &text);
// The stream's bytes as text: UTF-16 after its byte-order mark, else UTF-8
// (what browsers write; plain ASCII reads the same in either).
std::wstring DecodeZoneStream(const std::string &bytes);

// Internet (3), Restricted (4) and any zone past them (zones a policy
// defines, which nothing here trusts) are foreign; the local machine,
// intranet and trusted zones are not, nor is a file without a mark.
bool IsForeignZone(DWORD zone);
inline bool IsForeignOrigin(const FileOrigin &origin)
{
    return origin.zoneKnown && IsForeignZone(origin.zone);
}

// The origin of the file at `path`. The system's zone-identifier object
// decides the zone where it exists (and COM runs on this thread); the URLs
// come from the stream. A file without a mark, or one whose mark cannot be
// read, is local: files on a local disk behave as they always did.
FileOrigin ReadFileOrigin(const std::wstring &path);
