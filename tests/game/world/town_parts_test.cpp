#include "engine/core/options.h"
#include "engine/graphics/draw_surface.h"
#include "game/world/driving_node.h"
#include "game/world/skid_mark.h"
#include "game/world/smooth_blit.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <string>

namespace {
CxOptions* ParseOptions(CxOptions& options, const std::string& text)
{
    options.Parse(text.data(), static_cast<uint32_t>(text.size()));
    return &options;
}

int CountLinks(const CDrivingNode* a, const CDrivingNode* b)
{
    int count = 0;
    for (const CDrivingNode* link : a->GetLinks())
        count += link == b;
    return count;
}

// A U-shaped road: 0 (0,0) - 1 (0,1000) - 2 (1000,1000) - 3 (1000,0); 4 an
// island with no road to it; nodes 0 and 3 are not linked (a wall between).
const char* U_ROAD = "[Node000]\nPosition=0,0\nLinkTo=1\n"
                     "[Node001]\nPosition=0,1000\nLinkTo=0\nLinkTo=2\nLinkTo=1\nLinkTo=9\nLinkTo=x\n"
                     "[Node002]\nPosition=1000,1000\nLinkTo=3\n"
                     "[Node003]\nPosition=1000,0\n"
                     "[Node004]\nPosition=5000,5000\n"
                     "[Node006]\nPosition=7,7\n";

TEST(DrivingGraph, LoadsNodesAndLinksThemOnceEachWay)
{
    CxOptions options;
    CDrivingGraph graph;
    ASSERT_EQ(graph.Load(*ParseOptions(options, U_ROAD)), 5u) << "Node005 is missing: the list ends there";
    EXPECT_EQ(CountLinks(graph.GetNode(0), graph.GetNode(1)), 1) << "named on both sides, linked once";
    EXPECT_EQ(CountLinks(graph.GetNode(1), graph.GetNode(0)), 1);
    EXPECT_EQ(CountLinks(graph.GetNode(3), graph.GetNode(2)), 1) << "named on one side, linked both ways";
    EXPECT_EQ(graph.GetNode(1)->GetLinks().size(), 2u) << "itself, 9 and x are skipped";
    EXPECT_TRUE(graph.GetNode(4)->GetLinks().empty());
}

TEST(DrivingGraph, FindsTheWayAlongTheRoadsAndLeavesTheGraphAsItWas)
{
    CxOptions options;
    CDrivingGraph graph;
    graph.Load(*ParseOptions(options, U_ROAD));
    bool viaNodes = false;
    // From beside node 0 to beside node 3: down, across and up the U. The
    // start is linked to its nearest node and that node's neighbours, so the
    // way leaves out node 0.
    std::vector<CxPoint> path = graph.FindPath(CxPoint(10, 50), CxPoint(990, 50), &viaNodes);
    EXPECT_TRUE(viaNodes);
    const std::vector<CxPoint> expected = {CxPoint(10, 50), CxPoint(0, 1000), CxPoint(1000, 1000),
                                           CxPoint(1000, 0), CxPoint(990, 50)};
    EXPECT_EQ(path, expected);
    for (size_t n = 0; n < graph.GetCount(); ++n)
        EXPECT_EQ(graph.GetNode(n)->GetLinks().size(), n == 0 || n == 3 ? 1u
                                                       : n == 4         ? 0u
                                                                        : 2u)
            << "node " << n << " keeps no temporary link";

    // A goal nearer to the truck than to any node is driven to straight.
    path = graph.FindPath(CxPoint(400, 500), CxPoint(420, 520), &viaNodes);
    EXPECT_FALSE(viaNodes);
    EXPECT_EQ(path.size(), 2u);
    // No road to the island, or no nodes at all: straight as well.
    path = graph.FindPath(CxPoint(10, 50), CxPoint(5000, 5010), &viaNodes);
    EXPECT_FALSE(viaNodes);
    EXPECT_EQ(path.back(), CxPoint(5000, 5010));
    CDrivingGraph empty;
    EXPECT_EQ(empty.FindPath(CxPoint(1, 2), CxPoint(3, 4)),
              (std::vector<CxPoint>{CxPoint(1, 2), CxPoint(3, 4)}));
}

uint32_t Pack(uint8_t format, uint32_t r, uint32_t g, uint32_t b)
{
    return format == CX_PF_565 ? (r << 11 | g << 5 | b) : (r << 10 | g << 5 | b);
}

TEST(SmoothEdgeBlit, BlendsEdgePixelsWithWhatIsUnderThem)
{
    for (uint8_t format : {CX_PF_565, CX_PF_555})
    {
        SCOPED_TRACE(format == CX_PF_565 ? "5-6-5" : "5-5-5");
        const uint32_t greenMax = format == CX_PF_565 ? 63 : 31;
        const uint32_t key = Pack(format, 31, 0, 31);
        // A 5 x 5 source whose middle 3 x 3 is opaque white, the rest key.
        CxDrawSurface source(5, 5, 16, nullptr, format), destination(7, 7, 16, nullptr, format);
        source.FillRect(nullptr, key);
        CxRect middle(1, 1, 3, 3);
        source.FillRect(&middle, Pack(format, 31, greenMax, 31));
        const uint32_t under = Pack(format, 10, 20, 4);
        destination.FillRect(nullptr, under);
        ST_BLIT_FX effect;
        effect.nType = CX_FX_CALLBACK;
        effect.SetFunction(SmoothEdgeBlit);
        ASSERT_EQ(source.DrawAt(&destination, 1, 1, nullptr, key, &effect), 0u);

        // Weights: 1 2 1 / 2 5 2 / 1 2 1 over 17. The middle pixel has eight
        // opaque neighbours and is copied; the corner of the white square
        // (source 1,1) has five transparent ones: 10/17 white, 7/17 under.
        auto blend = [&](uint32_t white, uint32_t wr, uint32_t wg, uint32_t wb) {
            const uint32_t rest = 17 - white;
            return Pack(format, (white * 31 + rest * wr) / 17, (white * greenMax + rest * wg) / 17,
                        (white * 31 + rest * wb) / 17);
        };
        EXPECT_EQ(destination.GetPixel(3, 3), Pack(format, 31, greenMax, 31));
        EXPECT_EQ(destination.GetPixel(2, 2), blend(10, 10, 20, 4)) << "corner";
        EXPECT_EQ(destination.GetPixel(3, 2), blend(13, 10, 20, 4)) << "edge: three transparent";
        // Transparent source pixels beside the square are blended too (a
        // soft rim); source (0,0) sees one white corner among 7 transparent.
        EXPECT_EQ(destination.GetPixel(1, 1), blend(1, 10, 20, 4)) << "outer corner";
        EXPECT_EQ(destination.GetPixel(1, 3), blend(4, 10, 20, 4)) << "outer edge";
        EXPECT_EQ(destination.GetPixel(0, 0), under) << "outside the drawn rectangle";

        // Drawn at the destination's corner, positions outside it add nothing.
        const uint32_t whiteOnly = Pack(format, 10 * 31 / 17, 10 * greenMax / 17, 10 * 31 / 17);
        destination.FillRect(nullptr, under);
        ASSERT_EQ(source.DrawAt(&destination, -1, -1, nullptr, key, &effect), 0u);
        EXPECT_EQ(destination.GetPixel(0, 0), whiteOnly);
        // A part of the source: its neighbours still come from the whole source.
        CxRect square(1, 1, 3, 3);
        destination.FillRect(nullptr, under);
        ASSERT_EQ(source.DrawAt(&destination, 0, 0, &square, key, &effect), 0u);
        EXPECT_EQ(destination.GetPixel(0, 0), whiteOnly);
        destination.FillRect(nullptr, under);
        ASSERT_EQ(source.DrawAt(&destination, 2, 2, &square, key, &effect), 0u);
        EXPECT_EQ(destination.GetPixel(2, 2), blend(10, 10, 20, 4));
        EXPECT_EQ(destination.GetPixel(1, 1), under) << "only the part is drawn";
    }
}

TEST(SkidMarks, AreRemovedWhenTheirTimeIsUp)
{
    ScopedManualClock clock;
    CxSprite image, parent;
    image.CreateImage(8, 8, 16);
    CSkidMarks marks;
    marks.Add(image, &parent, CxPoint(100, 100));
    clock.Advance(3000);
    marks.Add(image, &parent, CxPoint(120, 100));
    EXPECT_EQ(parent.CountChildren(), 2);
    clock.Advance(999);
    marks.RemoveExpired();
    EXPECT_EQ(marks.GetCount(), 2u);
    clock.Advance(1);
    marks.RemoveExpired();
    EXPECT_EQ(marks.GetCount(), 1u);
    EXPECT_EQ(parent.CountChildren(), 1) << "a removed mark leaves the map";
    marks.Clear();
    EXPECT_EQ(parent.CountChildren(), 0);
}
} // namespace
