// Animation parsing: the shipped animations, the chunk traces, malformed
// files, and the icon of a frame under the colour depth limit.
#include "AniRes.h"

#include <gtest/gtest.h>

#include "TaskelIcons.h"
#include "TestTrace.h"
#include "Trace.h"
#include "TrayTestSupport.h"

// The trace profile of the UI kit tests' executable.
TraceProfile g_traceProfile = {L"Software\\Veltrac\\FerrovaneUikitTest", L"FerrovaneUikitTest.log",
                               false, false};

namespace
{
Bytes Animation(const Bytes &frames, DWORD count = 2)
{
    return Riff("ACON", Concat({Chunk("anih", Header(count, count, 8)), List("fram", frames)}));
}

Bytes Frames(int count, WORD bitCount = 4)
{
    Bytes frames;
    for (int i = 0; i < count; ++i)
        frames = Concat({frames, Chunk("icon", IconFile(bitCount))});
    return frames;
}
} // namespace

TEST(AniRes, ShippedAnimationsParseWithTheirColourDepth)
{
    for (UINT id = IDA_COPY; id <= IDA_PREPARE + 1; ++id)
    {
        SCOPED_TRACE(id);
        CAniRes animation;
        ASSERT_TRUE(animation.Load(GetModuleHandleW(nullptr), id));
        EXPECT_GE(animation.Frames().size(), 6u);
        EXPECT_EQ(animation.Header().frames, animation.Frames().size());
        EXPECT_NE(0u, animation.Header().rate);
        const UINT expected = id % 2 ? 32 : 4;
        for (const CIcurFormat &frame : animation.Frames())
        {
            ASSERT_EQ(2u, frame.Images().size());
            for (const CIcurImage &image : frame.Images())
                EXPECT_EQ(expected, image.bitCount);
        }
        HICON icon = animation.FrameIcon(0, 16, 16, id % 2 ? 0 : 4);
        EXPECT_NE(nullptr, icon);
        if (icon) DestroyIcon(icon);
    }
}

TEST(AniRes, TracesEveryChunkAndTheHeader)
{
    CTraceLines trace(4);
    CAniRes animation;
    ASSERT_TRUE(animation.Load(GetModuleHandleW(nullptr), IDA_PREPARE));
    EXPECT_EQ(10u, animation.Rates().size());
    EXPECT_EQ(10u, animation.Sequence().size());
    std::vector<std::wstring> lines = trace.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].find(L"RIFF ACON ["));
    EXPECT_EQ(1u, trace.With(L"  LIST INFO [").size());
    EXPECT_EQ(1u, trace.With(L"  anih [36 at ").size());
    EXPECT_EQ(1u, trace.With(L"  LIST fram [").size());
    EXPECT_EQ(6u, trace.With(L"    icon [").size());
    EXPECT_TRUE(trace.Has(L"  [6] Icons"));
    EXPECT_TRUE(trace.Has(L"  [10] Rates"));
    EXPECT_TRUE(trace.Has(L"  [10] Sequences"));
    EXPECT_TRUE(
        trace.Has(L"  Frames [6] Steps [10] Size [0 0] Depth [32 1] Rate [8] Flags [00000003]"));
}

TEST(AniRes, MalformedFilesFailAndLeaveItEmpty)
{
    CAniRes animation;
    // No header: frames alone do not make an animation.
    Bytes noHeader = Riff("ACON", List("fram", Frames(2)));
    EXPECT_FALSE(animation.Parse(noHeader.data(), noHeader.size()));
    EXPECT_TRUE(animation.Frames().empty());

    // A header of the wrong size is no header.
    Bytes shortHeader = Riff("ACON", Chunk("anih", Bytes(32, 0)));
    EXPECT_FALSE(animation.Parse(shortHeader.data(), shortHeader.size()));

    // Another RIFF form.
    CTraceLines trace(2);
    Bytes wave = Riff("WAVE", Chunk("anih", Header(1, 1, 8)));
    EXPECT_FALSE(animation.Parse(wave.data(), wave.size()));
    EXPECT_TRUE(trace.Has(L"mmioError [MMIOERR_CHUNKNOTFOUND]"));

    // An icon chunk that claims more bytes than the file holds.
    Bytes good = Animation(Frames(1), 1);
    Bytes cut(good.begin(), good.end() - 40);
    EXPECT_FALSE(animation.Parse(cut.data(), cut.size()));
    EXPECT_FALSE(animation.HasHeader());
    EXPECT_TRUE(trace.Has(L"mmioError [MMIOERR_CANNOTREAD]"));

    EXPECT_FALSE(animation.Parse(good.data(), 3));
}

TEST(AniRes, BadFrameLeavesAnEmptySlot)
{
    Bytes frames = Concat(
        {Chunk("icon", IconFile(4)), Chunk("icon", Bytes(30, 0x77)), Chunk("icon", IconFile(4))});
    Bytes file = Animation(frames, 3);
    CAniRes animation;
    ASSERT_TRUE(animation.Parse(file.data(), file.size()));
    ASSERT_EQ(3u, animation.Frames().size());
    EXPECT_FALSE(animation.Frames()[0].IsEmpty());
    EXPECT_TRUE(animation.Frames()[1].IsEmpty());
    EXPECT_EQ(nullptr, animation.FrameIcon(1, 16, 16, 0));
    EXPECT_EQ(nullptr, animation.FrameIcon(3, 16, 16, 0));
    HICON icon = animation.FrameIcon(2, 16, 16, 0);
    EXPECT_NE(nullptr, icon);
    DestroyIcon(icon);
}

TEST(AniRes, DepthLimitLeavesOutRicherImages)
{
    Bytes icon32 = IconFile(32), icon4 = IconFile(4), icon1 = IconFile(1);
    CIcurFormat deep, classic, mono;
    ASSERT_TRUE(deep.Parse(icon32.data(), icon32.size()));
    ASSERT_TRUE(classic.Parse(icon4.data(), icon4.size()));
    ASSERT_TRUE(mono.Parse(icon1.data(), icon1.size()));
    EXPECT_TRUE(AdmittedImages(deep, 4).empty());
    EXPECT_EQ(1u, AdmittedImages(deep, 0).size());
    EXPECT_EQ(1u, AdmittedImages(classic, 4).size());
    EXPECT_EQ(1u, AdmittedImages(mono, 4).size());

    // The full-colour shipped animation has no image for the classic look.
    CAniRes colour;
    ASSERT_TRUE(colour.Load(GetModuleHandleW(nullptr), IDA_MOVE));
    EXPECT_EQ(nullptr, colour.FrameIcon(0, 16, 16, 4));
    HICON plain = colour.FrameIcon(0, 0, 0, 0);
    EXPECT_NE(nullptr, plain);
    DestroyIcon(plain);
}

TEST(AniRes, IconFileParserRejectsBrokenDirectories)
{
    Bytes icon = IconFile(4);
    CIcurFormat frame;
    EXPECT_FALSE(frame.Parse(icon.data(), 5));
    Bytes badOffset = icon;
    badOffset[18] = 0xFF;
    EXPECT_FALSE(frame.Parse(badOffset.data(), badOffset.size()));
    Bytes cursor = icon;
    cursor[2] = 2;
    EXPECT_FALSE(frame.Parse(cursor.data(), cursor.size()));
    EXPECT_TRUE(frame.IsEmpty());
}
