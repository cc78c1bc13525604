// Helpers of the tray icon tests: animation files built in memory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

inline void PutDword(Bytes &out, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

inline Bytes Chunk(const char *id, const Bytes &payload, DWORD declaredSize = 0)
{
    Bytes out(id, id + 4);
    PutDword(out, declaredSize ? declaredSize : static_cast<DWORD>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    if (payload.size() % 2) out.push_back(0);
    return out;
}

inline Bytes List(const char *kind, const Bytes &body)
{
    Bytes payload(kind, kind + 4);
    payload.insert(payload.end(), body.begin(), body.end());
    return Chunk("LIST", payload);
}

inline Bytes Riff(const char *form, const Bytes &body)
{
    Bytes out = List(form, body);
    const char riff[] = "RIFF";
    std::copy(riff, riff + 4, out.begin());
    return out;
}

inline Bytes Header(DWORD frames, DWORD steps, DWORD rate)
{
    Bytes out;
    for (DWORD value : {36ul, frames, steps, 0ul, 0ul, 4ul, 1ul, rate, 1ul})
        PutDword(out, value);
    return out;
}

inline Bytes Dwords(std::initializer_list<DWORD> values)
{
    Bytes out;
    for (DWORD value : values)
        PutDword(out, value);
    return out;
}

// A 16x16 icon file with one image of `bitCount` bits (1, 4 or 32).
inline Bytes IconFile(WORD bitCount)
{
    const int n = 16;
    const DWORD colours = bitCount <= 8 ? (1u << bitCount) : 0;
    const DWORD xorStride = ((n * bitCount + 31) / 32) * 4;
    const DWORD andStride = ((n + 31) / 32) * 4;
    Bytes image;
    for (DWORD value : {40ul, 16ul, 32ul})
        PutDword(image, value);
    image.push_back(1);
    image.push_back(0);
    image.push_back(static_cast<BYTE>(bitCount));
    image.push_back(0);
    for (int i = 0; i < 6; ++i)
        PutDword(image, i == 4 ? colours : 0);
    for (DWORD i = 0; i < colours; ++i)
        PutDword(image, i * 0x00111111u);
    image.insert(image.end(), xorStride * n, 0x5A);
    image.insert(image.end(), andStride * n, 0x00);

    Bytes out = {0, 0, 1, 0, 1, 0};
    out.push_back(n);
    out.push_back(n);
    out.push_back(static_cast<BYTE>(colours == 16 ? 16 : 0));
    out.push_back(0);
    out.push_back(1);
    out.push_back(0);
    out.push_back(static_cast<BYTE>(bitCount));
    out.push_back(0);
    PutDword(out, static_cast<DWORD>(image.size()));
    PutDword(out, 22);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}
