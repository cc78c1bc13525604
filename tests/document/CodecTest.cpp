// The "Data" stream layout, byte for byte, and decoding of old, odd and
// broken streams.
#include <gtest/gtest.h>

#include "TaskelCodec.h"
#include "TaskelOptions.h"

namespace
{
void PutU32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutText(std::vector<uint8_t> &out, const std::wstring &text)
{
    for (wchar_t c : text)
    {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
}
// A stream with the version field, then `sourceBytes` (N from its size)
// and an optional target.
std::vector<uint8_t> Stream(uint32_t header, uint16_t low, const std::wstring &sourceUnits,
                            const std::wstring &targetUnits = L"")
{
    std::vector<uint8_t> out;
    PutU32(out, header);
    out.push_back(static_cast<uint8_t>(low));
    out.push_back(static_cast<uint8_t>(low >> 8));
    if (header & 0x80000000) PutU32(out, kDataFormatVersion);
    PutU32(out, static_cast<uint32_t>(sourceUnits.size() * 2));
    PutText(out, sourceUnits);
    PutU32(out, static_cast<uint32_t>(targetUnits.size() * 2));
    PutText(out, targetUnits);
    return out;
}
CommandData Decode(const std::vector<uint8_t> &bytes, DecodeStatus expected = DecodeStatus::Ok)
{
    CommandData data;
    EXPECT_EQ(DecodeCommandData(bytes.data(), bytes.size(), data), expected);
    return data;
}
} // namespace

TEST(Codec, CopyExampleBytes)
{
    CommandData data;
    data.action = ACTION_COPY;
    data.options = OPT_DEFAULTS;
    data.sources = {L"D:\\A\\*.txt", L"D:\\B\\"};
    data.target = L"E:\\Out";
    std::vector<uint8_t> bytes = EncodeCommandData(data);

    std::vector<uint8_t> expected = {0x02, 0x00, 0x04, 0x80, 0x48, 0x02, 0x01,
                                     0x00, 0x04, 0x00, 0x22, 0,    0,    0};
    PutText(expected, std::wstring(L"D:\\A\\*.txt") + L'\0' + L"D:\\B\\" + L'\0');
    PutU32(expected, 14);
    PutText(expected, std::wstring(L"E:\\Out") + L'\0');
    EXPECT_EQ(bytes, expected);
    ASSERT_EQ(bytes.size(), 14u + 34 + 4 + 14);

    CommandData back = Decode(bytes);
    EXPECT_EQ(back.action, ACTION_COPY);
    EXPECT_EQ(back.options, OPT_DEFAULTS);
    EXPECT_EQ(back.sources, data.sources);
    EXPECT_EQ(back.target, data.target);
}

TEST(Codec, EmptyListsWriteZeroCounts)
{
    CommandData data;
    std::vector<uint8_t> bytes = EncodeCommandData(data);
    std::vector<uint8_t> expected = {0, 0, 0, 0x80, 0, 0, 1, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    CommandData back = Decode(bytes);
    EXPECT_TRUE(back.sources.empty());
    EXPECT_TRUE(back.target.empty());
}

TEST(Codec, CompatibilityRule)
{
    // Without the version field: version 1, sounds at completion.
    std::vector<uint8_t> old = Stream(ACTION_MOVE, 0x0004, L"");
    EXPECT_EQ(Decode(old).options, OPT_SILENT | OPT_X_COMPLETE_SOUND);
    // With version 0x00040001 the stored options stand.
    EXPECT_EQ(Decode(Stream(0x80000000 | ACTION_MOVE, 0x0004, L"")).options, OPT_SILENT);

    // Version low word 0, or 1 with high word 0, sound too; others not.
    auto withVersion = [](uint32_t version) {
        std::vector<uint8_t> s = Stream(0x80000000 | ACTION_MOVE, 0, L"");
        for (int i = 0; i < 4; ++i)
            s[6 + i] = static_cast<uint8_t>(version >> (8 * i));
        return Decode(s).options;
    };
    EXPECT_EQ(withVersion(0x00050000), OPT_X_COMPLETE_SOUND);
    EXPECT_EQ(withVersion(0x00000001), OPT_X_COMPLETE_SOUND);
    EXPECT_EQ(withVersion(0x00000002), 0u);
    EXPECT_EQ(withVersion(0x00010001), 0u);
}

TEST(Codec, HighHeaderBitsNeverLoaded)
{
    CommandData data;
    data.options = OPT_ESCAPE_MASK | OPT_TRIAL_RUN | 0x0F000000;
    CommandData back = Decode(EncodeCommandData(data));
    EXPECT_EQ(back.options, OPT_TRIAL_RUN | 0x0F000000u);
}

TEST(Codec, EntriesTrimmedBlankDroppedStopAtEmpty)
{
    std::wstring units = std::wstring(L"  D:\\A  ") + L'\0' + L" \t " + L'\0' + L"D:\\B" + L'\0' +
                         L'\0' + L"D:\\C" + L'\0';
    CommandData data =
        Decode(Stream(0x80000000 | ACTION_COPY, 0, units, std::wstring(L" E:\\T ") + L'\0'));
    EXPECT_EQ(data.sources, (std::vector<std::wstring>{L"D:\\A", L"D:\\B"}));
    EXPECT_EQ(data.target, L"E:\\T");
    // A list that starts with a null has no entries.
    EXPECT_TRUE(Decode(Stream(0x80000000, 0, std::wstring(L"\0x\0", 3))).sources.empty());
    // A target is read up to its first null; an unterminated last entry is kept.
    data = Decode(Stream(0x80000000, 0, L"D:\\X", std::wstring(L"T\0junk", 6)));
    EXPECT_EQ(data.sources, std::vector<std::wstring>{L"D:\\X"});
    EXPECT_EQ(data.target, L"T");
}

TEST(Codec, CountsBeyondTheDataFail)
{
    std::vector<uint8_t> good =
        Stream(0x80000000 | ACTION_COPY, 0, std::wstring(L"D:\\A\0", 5), L"");
    for (uint32_t n : {12u, 1000u, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu})
    {
        std::vector<uint8_t> bad = good;
        for (int i = 0; i < 4; ++i)
            bad[10 + i] = static_cast<uint8_t>(n >> (8 * i));
        Decode(bad, n == 12u ? DecodeStatus::Truncated : DecodeStatus::CountTooLarge);
    }
    std::vector<uint8_t> badTarget = good;
    badTarget[badTarget.size() - 4] = 0xFE;
    badTarget[badTarget.size() - 1] = 0xFF;
    CommandData partial = Decode(badTarget, DecodeStatus::CountTooLarge);
    EXPECT_EQ(partial.action, ACTION_COPY); // fields read so far stay
    EXPECT_EQ(partial.sources, std::vector<std::wstring>{L"D:\\A"});
}

TEST(Codec, TruncatedAndOddStreams)
{
    std::vector<uint8_t> good =
        Stream(0x80000000 | ACTION_COPY, 0, std::wstring(L"AB\0", 3), std::wstring(L"T\0", 2));
    for (size_t size : {0u, 3u, 5u, 9u, 13u, 21u})
    {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
        Decode(cut, DecodeStatus::Truncated);
    }
    // An odd N: the last byte becomes a character of its own.
    std::vector<uint8_t> odd = {0, 0, 0, 0x80, 0, 0,   1, 0, 4, 0, 3,
                                0, 0, 0, 'A',  0, 'B', 0, 0, 0, 0};
    EXPECT_EQ(Decode(odd).sources, std::vector<std::wstring>{L"AB"});
    std::vector<uint8_t> oddTarget = {0, 0, 0, 0x80, 0, 0, 1, 0, 4, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'Z'};
    EXPECT_EQ(Decode(oddTarget).target, L"Z");
}

// A command holds at most kMaxSources sources and entries of kMaxEntryUnits
// units: a stream with more is refused, what was read before the excess
// stays (the sources up to the limit), and exactly the limit decodes.
TEST(Codec, SourcesAndEntriesBeyondTheLimitsAreTooLarge)
{
    auto entries = [](size_t count, const std::wstring &entry) {
        std::wstring units;
        for (size_t i = 0; i < count; ++i)
            units += entry + L'\0';
        return units;
    };
    EXPECT_EQ(
        Decode(Stream(0x80000000 | ACTION_COPY, 0, entries(kMaxSources, L"a"))).sources.size(),
        kMaxSources);
    CommandData partial = Decode(Stream(0x80000000 | ACTION_COPY, 0, entries(kMaxSources + 1, L"a"),
                                        std::wstring(L"T\0", 2)),
                                 DecodeStatus::TooLarge);
    EXPECT_EQ(partial.action, ACTION_COPY);
    EXPECT_EQ(partial.sources.size(), kMaxSources);
    EXPECT_TRUE(partial.target.empty());
    // Blank entries are dropped before they count.
    EXPECT_EQ(
        Decode(Stream(0x80000000, 0, entries(kMaxSources, L" ") + entries(2, L"b"))).sources.size(),
        2u);

    const std::wstring longest(kMaxEntryUnits, L'x');
    EXPECT_EQ(Decode(Stream(0x80000000, 0, entries(1, longest))).sources,
              std::vector<std::wstring>{longest});
    // The limit applies to the trimmed entry.
    EXPECT_EQ(Decode(Stream(0x80000000, 0, entries(1, L"  " + longest + L"  "))).sources.size(),
              1u);
    Decode(Stream(0x80000000, 0, entries(1, longest + L'x')), DecodeStatus::TooLarge);
    EXPECT_EQ(Decode(Stream(0x80000000, 0, L"", longest + L'\0')).target, longest);
    partial = Decode(Stream(0x80000000, 0, entries(1, L"a"), longest + L"x" + L'\0'),
                     DecodeStatus::TooLarge);
    EXPECT_EQ(partial.sources, std::vector<std::wstring>{L"a"});
    EXPECT_TRUE(partial.target.empty());
}

// What may be saved is exactly what decodes again from a stream within the
// stream limit: the counts, the entry lengths and the encoded size.
TEST(Codec, CommandLimitsMatchWhatDecodes)
{
    CommandData data;
    data.action = ACTION_COPY;
    data.target = std::wstring(kMaxEntryUnits, L't');
    EXPECT_TRUE(FitsCommandLimits(data));
    data.target += L't';
    EXPECT_FALSE(FitsCommandLimits(data));
    data.target = L"T";

    data.sources.assign(kMaxSources, L"s");
    EXPECT_TRUE(FitsCommandLimits(data));
    data.sources.push_back(L"s");
    EXPECT_FALSE(FitsCommandLimits(data));
    data.sources.assign(1, std::wstring(kMaxEntryUnits + 1, L's'));
    EXPECT_FALSE(FitsCommandLimits(data));

    // Sources of full length up to the stream's size: the largest command
    // that fits encodes to at most kMaxDataStreamBytes and decodes whole.
    const size_t entryBytes = (kMaxEntryUnits + 1) * 2;
    const size_t fixedBytes = 18 + 4; // the fields and the target "T"
    data.sources.assign((kMaxDataStreamBytes - fixedBytes) / entryBytes,
                        std::wstring(kMaxEntryUnits, L's'));
    const size_t left = kMaxDataStreamBytes - fixedBytes - data.sources.size() * entryBytes;
    data.sources.push_back(std::wstring(left / 2 - 1, L'r'));
    ASSERT_TRUE(FitsCommandLimits(data));
    std::vector<uint8_t> bytes = EncodeCommandData(data);
    EXPECT_EQ(bytes.size(), kMaxDataStreamBytes);
    EXPECT_EQ(Decode(bytes).sources, data.sources);
    data.sources.back() += L'r';
    EXPECT_FALSE(FitsCommandLimits(data));
    EXPECT_EQ(EncodeCommandData(data).size(), kMaxDataStreamBytes + 2);
}
