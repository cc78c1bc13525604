// CAniRes: an animated icon (RIFF "ACON") read from a module's RT_ANIICON
// resource, and CIcurFormat, the images of one icon file. The bytes are
// parsed in memory through the multimedia file service; a frame's icon is
// made from the best image for a size under a colour depth limit.
#pragma once

#include <windows.h>

#include <vector>

#ifndef RT_ANIICON
#define RT_ANIICON MAKEINTRESOURCE(22)
#endif

// One image of an icon file: its directory entry and its bits.
struct CIcurImage
{
    BYTE width = 0;
    BYTE height = 0;
    BYTE colorCount = 0;
    WORD planes = 0;
    WORD bitCount = 0; // from the image header when the entry leaves it 0
    std::vector<BYTE> bits;
};

// The images of one icon file with their directory entries.
class CIcurFormat
{
  public:
    // Parses an .ico file image; false (and no images) when it is malformed.
    bool Parse(const BYTE *data, size_t size);
    const std::vector<CIcurImage> &Images() const { return m_images; }
    bool IsEmpty() const { return m_images.empty(); }

  private:
    std::vector<CIcurImage> m_images;
};

// The 36-byte "anih" chunk.
struct AniHeader
{
    DWORD size;
    DWORD frames;
    DWORD steps;
    DWORD width;
    DWORD height;
    DWORD bitCount;
    DWORD planes;
    DWORD rate; // default display rate in jiffies (1/60 s)
    DWORD flags;
};

class CAniRes
{
  public:
    // Loads and parses the RT_ANIICON resource `id` of `module`.
    bool Load(HMODULE module, UINT id);
    // Parses an animation held in memory; a failed parse leaves it empty.
    bool Parse(const void *data, size_t size);
    void Clear();

    bool HasHeader() const { return m_hasHeader; }
    const AniHeader &Header() const { return m_header; }
    const std::vector<DWORD> &Rates() const { return m_rates; }
    const std::vector<DWORD> &Sequence() const { return m_sequence; }
    const std::vector<CIcurFormat> &Frames() const { return m_frames; }

    // The icon of frame `index` at cx x cy (0 x 0: the system's plain
    // choice), using only images of at most `depthLimit` bits per pixel when
    // the limit is not 0. Null when no image qualifies.
    HICON FrameIcon(size_t index, int cx, int cy, UINT depthLimit) const;

  private:
    bool ParseChunks(const void *data, size_t size);

    AniHeader m_header = {};
    bool m_hasHeader = false;
    std::vector<DWORD> m_rates;
    std::vector<DWORD> m_sequence;
    std::vector<CIcurFormat> m_frames;
};

// Indexes of the images of `frame` that a depth limit admits (all when 0).
std::vector<size_t> AdmittedImages(const CIcurFormat &frame, UINT depthLimit);

// "MMIOERR_CANNOTREAD" and its siblings; null for any other code.
const wchar_t *MmioErrorName(UINT code);
