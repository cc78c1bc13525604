// Reading animated icons: the RIFF "ACON" walk over memory through the
// multimedia file service, the icon file parser of one frame and the icon
// of a frame for a size and a colour depth limit.
#define TRACE_SOURCE "ImageUtil\\AniFormat"
#include "AniRes.h"

#include <mmsystem.h>

#include <cstring>

#include "FxException.h"
#include "Trace.h"

namespace
{
// Where an exception of the animation parse is reported. The number is part
// of the log text, not a line of this file.
constexpr TraceSite kParseSite{TRACE_SOURCE, 285};

const FOURCC FCC_ACON = mmioFOURCC('A', 'C', 'O', 'N');
const FOURCC FCC_ANIH = mmioFOURCC('a', 'n', 'i', 'h');
const FOURCC FCC_RATE = mmioFOURCC('r', 'a', 't', 'e');
const FOURCC FCC_SEQ = mmioFOURCC('s', 'e', 'q', ' ');
const FOURCC FCC_FRAM = mmioFOURCC('f', 'r', 'a', 'm');
const FOURCC FCC_ICON = mmioFOURCC('i', 'c', 'o', 'n');

const char *Fcc(const FOURCC &code)
{
    return reinterpret_cast<const char *>(&code);
}

void TraceMmioError(UINT code)
{
    const wchar_t *name = MmioErrorName(code);
    if (name)
        Trace(2, L"mmioError [%s]", name);
    else
        Trace(2, L"mmioError [%u]", code);
}

// The multimedia file over a memory image, closed at scope end.
class CMmioMemory
{
  public:
    CMmioMemory(void *data, size_t size)
    {
        MMIOINFO info = {};
        info.fccIOProc = FOURCC_MEM;
        info.pchBuffer = static_cast<HPSTR>(data);
        info.cchBuffer = static_cast<LONG>(size);
        m_handle = mmioOpenW(nullptr, &info, MMIO_READ);
        if (!m_handle) TraceMmioError(info.wErrorRet ? info.wErrorRet : MMIOERR_CANNOTOPEN);
    }
    ~CMmioMemory()
    {
        if (m_handle) mmioClose(m_handle, 0);
    }
    CMmioMemory(const CMmioMemory &) = delete;
    CMmioMemory &operator=(const CMmioMemory &) = delete;
    HMMIO Get() const { return m_handle; }

    // Reads the whole data of `chunk`; false (traced) on a short read.
    bool ReadAll(const MMCKINFO &chunk, std::vector<BYTE> &out) const
    {
        out.resize(chunk.cksize);
        if (chunk.cksize == 0) return true;
        LONG read = mmioRead(m_handle, reinterpret_cast<HPSTR>(out.data()),
                             static_cast<LONG>(chunk.cksize));
        if (read == static_cast<LONG>(chunk.cksize)) return true;
        TraceMmioError(MMIOERR_CANNOTREAD);
        return false;
    }

  private:
    HMMIO m_handle = nullptr;
};

std::vector<DWORD> ToDwords(const std::vector<BYTE> &bytes)
{
    std::vector<DWORD> values(bytes.size() / 4);
    if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

WORD ReadWord(const BYTE *p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD ReadDword(const BYTE *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}
} // namespace

const wchar_t *MmioErrorName(UINT code)
{
    static const wchar_t *const names[] = {
        L"MMIOERR_FILENOTFOUND",     L"MMIOERR_OUTOFMEMORY",  L"MMIOERR_CANNOTOPEN",
        L"MMIOERR_CANNOTCLOSE",      L"MMIOERR_CANNOTREAD",   L"MMIOERR_CANNOTWRITE",
        L"MMIOERR_CANNOTSEEK",       L"MMIOERR_CANNOTEXPAND", L"MMIOERR_CHUNKNOTFOUND",
        L"MMIOERR_UNBUFFERED",       L"MMIOERR_PATHNOTFOUND", L"MMIOERR_ACCESSDENIED",
        L"MMIOERR_SHARINGVIOLATION", L"MMIOERR_NETWORKERROR", L"MMIOERR_TOOMANYOPENFILES",
        L"MMIOERR_INVALIDFILE",
    };
    if (code < MMIOERR_FILENOTFOUND || code > MMIOERR_INVALIDFILE) return nullptr;
    return names[code - MMIOERR_FILENOTFOUND];
}

bool CIcurFormat::Parse(const BYTE *data, size_t size)
{
    m_images.clear();
    if (!data || size < 6 || ReadWord(data) != 0 || ReadWord(data + 2) != 1) return false;
    const size_t count = ReadWord(data + 4);
    if (count == 0 || size < 6 + 16 * count) return false;
    std::vector<CIcurImage> images;
    for (size_t i = 0; i < count; ++i)
    {
        const BYTE *entry = data + 6 + 16 * i;
        const DWORD bytes = ReadDword(entry + 8);
        const DWORD offset = ReadDword(entry + 12);
        if (bytes == 0 || offset > size || bytes > size - offset) return false;
        CIcurImage image;
        image.width = entry[0];
        image.height = entry[1];
        image.colorCount = entry[2];
        image.planes = ReadWord(entry + 4);
        image.bitCount = ReadWord(entry + 6);
        image.bits.assign(data + offset, data + offset + bytes);
        if (bytes >= sizeof(BITMAPINFOHEADER) &&
            ReadDword(data + offset) == sizeof(BITMAPINFOHEADER))
            image.bitCount = ReadWord(data + offset + 14);
        else if (image.bitCount == 0)
            image.bitCount = 32; // a PNG image: full colour with alpha
        images.push_back(std::move(image));
    }
    m_images.swap(images);
    return true;
}

std::vector<size_t> AdmittedImages(const CIcurFormat &frame, UINT depthLimit)
{
    std::vector<size_t> admitted;
    const std::vector<CIcurImage> &images = frame.Images();
    for (size_t i = 0; i < images.size(); ++i)
        if (depthLimit == 0 || images[i].bitCount <= depthLimit) admitted.push_back(i);
    return admitted;
}

void CAniRes::Clear()
{
    m_header = {};
    m_hasHeader = false;
    m_rates.clear();
    m_sequence.clear();
    m_frames.clear();
}

bool CAniRes::Load(HMODULE module, UINT id)
{
    Clear();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ANIICON);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void *data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
    {
        Trace(2, L"Animation [%u] not found", id);
        return false;
    }
    return Parse(data, SizeofResource(module, found));
}

bool CAniRes::Parse(const void *data, size_t size)
{
    Clear();
    bool parsed = false;
    try
    {
        parsed = ParseChunks(data, size);
    }
    TRACE_CATCH_SITE(2, kParseSite)
    if (!parsed || !m_hasHeader) Clear();
    return m_hasHeader;
}

bool CAniRes::ParseChunks(const void *data, size_t size)
{
    // The service reads from the buffer it is given; work on a copy so the
    // read-only resource memory is never handed out as writable.
    std::vector<BYTE> copy(static_cast<const BYTE *>(data), static_cast<const BYTE *>(data) + size);
    CMmioMemory file(copy.data(), copy.size());
    if (!file.Get()) return false;

    MMCKINFO riff = {};
    riff.fccType = FCC_ACON;
    MMRESULT result = mmioDescend(file.Get(), &riff, nullptr, MMIO_FINDRIFF);
    if (result != MMSYSERR_NOERROR)
    {
        TraceMmioError(result);
        return false;
    }
    Trace(4, L"%4.4hs %4.4hs [%u at %u]", Fcc(riff.ckid), Fcc(riff.fccType), riff.cksize,
          riff.dwDataOffset);

    std::vector<BYTE> bytes;
    MMCKINFO chunk = {};
    while (mmioDescend(file.Get(), &chunk, &riff, 0) == MMSYSERR_NOERROR)
    {
        if (chunk.ckid == FOURCC_LIST)
        {
            Trace(4, L"  %4.4hs %4.4hs [%u at %u]", Fcc(chunk.ckid), Fcc(chunk.fccType),
                  chunk.cksize, chunk.dwDataOffset);
            if (chunk.fccType == FCC_FRAM)
            {
                MMCKINFO entry = {};
                while (mmioDescend(file.Get(), &entry, &chunk, 0) == MMSYSERR_NOERROR)
                {
                    Trace(4, L"    %4.4hs [%u at %u]", Fcc(entry.ckid), entry.cksize,
                          entry.dwDataOffset);
                    if (entry.ckid == FCC_ICON)
                    {
                        if (!file.ReadAll(entry, bytes)) return false;
                        CIcurFormat frame;
                        frame.Parse(bytes.data(), bytes.size());
                        m_frames.push_back(std::move(frame));
                    }
                    mmioAscend(file.Get(), &entry, 0);
                }
                Trace(4, L"  [%d] Icons", static_cast<int>(m_frames.size()));
            }
        }
        else
        {
            Trace(4, L"  %4.4hs [%u at %u]", Fcc(chunk.ckid), chunk.cksize, chunk.dwDataOffset);
            if (chunk.ckid == FCC_ANIH && chunk.cksize == sizeof(AniHeader))
            {
                if (!file.ReadAll(chunk, bytes)) return false;
                std::memcpy(&m_header, bytes.data(), sizeof(AniHeader));
                m_hasHeader = true;
                Trace(
                    4,
                    L"  Frames [%u] Steps [%u] Size [%u %u] Depth [%u %u] Rate [%u] Flags [%8.8X]",
                    m_header.frames, m_header.steps, m_header.width, m_header.height,
                    m_header.bitCount, m_header.planes, m_header.rate, m_header.flags);
            }
            else if (chunk.ckid == FCC_RATE)
            {
                if (!file.ReadAll(chunk, bytes)) return false;
                m_rates = ToDwords(bytes);
                Trace(4, L"  [%u] Rates", static_cast<UINT>(m_rates.size()));
            }
            else if (chunk.ckid == FCC_SEQ)
            {
                if (!file.ReadAll(chunk, bytes)) return false;
                m_sequence = ToDwords(bytes);
                Trace(4, L"  [%u] Sequences", static_cast<UINT>(m_sequence.size()));
            }
        }
        mmioAscend(file.Get(), &chunk, 0);
    }
    return m_hasHeader;
}

HICON CAniRes::FrameIcon(size_t index, int cx, int cy, UINT depthLimit) const
{
    if (index >= m_frames.size()) return nullptr;
    const CIcurFormat &frame = m_frames[index];
    const std::vector<size_t> admitted = AdmittedImages(frame, depthLimit);
    if (admitted.empty()) return nullptr;

    // A resource-style icon directory (GRPICONDIR): 6-byte header, then
    // 14-byte entries whose last field is the image's number (1-based).
    std::vector<BYTE> directory(6 + 14 * admitted.size());
    BYTE *p = directory.data();
    p[2] = 1;
    p[4] = static_cast<BYTE>(admitted.size());
    p[5] = static_cast<BYTE>(admitted.size() >> 8);
    for (size_t n = 0; n < admitted.size(); ++n)
    {
        const CIcurImage &image = frame.Images()[admitted[n]];
        BYTE *entry = p + 6 + 14 * n;
        entry[0] = image.width;
        entry[1] = image.height;
        entry[2] = image.colorCount;
        std::memcpy(entry + 4, &image.planes, 2);
        std::memcpy(entry + 6, &image.bitCount, 2);
        DWORD bytes = static_cast<DWORD>(image.bits.size());
        std::memcpy(entry + 8, &bytes, 4);
        WORD id = static_cast<WORD>(n + 1);
        std::memcpy(entry + 12, &id, 2);
    }
    int id = (cx == 0 && cy == 0)
                 ? LookupIconIdFromDirectory(directory.data(), TRUE)
                 : LookupIconIdFromDirectoryEx(directory.data(), TRUE, cx, cy, LR_DEFAULTCOLOR);
    if (id < 1 || static_cast<size_t>(id) > admitted.size()) return nullptr;
    std::vector<BYTE> bits = frame.Images()[admitted[id - 1]].bits;
    return CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000,
                                    cx, cy, LR_DEFAULTCOLOR);
}
