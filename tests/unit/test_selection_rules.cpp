// The pane's selection rules on numbers: ordering, pointer drags with snapping, moving
// with autosnap and the clamp at the end, the side panels' shortcuts.
#include <gtest/gtest.h>

#include "tests/support/TestWaves.h"
#include "rules/SelectionRules.h"

using namespace SelectionRules;

namespace {

// size samples of 128 with optional other bytes, and the selection set directly.
void Make(TTxWavStream& w, int32_t size, int32_t selStart, int32_t selEnd,
          std::initializer_list<std::pair<int32_t, uint8_t>> bytes = {})
{
    testwaves::Fill(w, testwaves::ByteVector(static_cast<size_t>(size), 128));
    for (auto [i, b] : bytes)
        w.SetByte(i, b);
    w.SetSelStart(selStart);
    w.SetSelEnd(selEnd);
}

std::pair<int32_t, int32_t> Sel(const TTxWavStream& w) { return {w.SelStart(), w.SelEnd()}; }

// 120 at the samples 995..1001 and 130 at 1002: one rising crossing, at 1002.
const std::initializer_list<std::pair<int32_t, uint8_t>> Crossing = {
    {995, 120}, {996, 120}, {997, 120}, {998, 120}, {999, 120}, {1000, 120}, {1001, 120}, {1002, 130}};

} // namespace

TEST(SelectionRules, SetSelectionOrdersAndClamps)
{
    enum Op { Both, Start, End };
    struct Case { int32_t size, selStart, selEnd; Op op; int32_t a, b, wantStart, wantEnd; } cases[] = {
        {500, 0, 0, Both, 300, 100, 100, 300}, {500, 0, 0, Both, 0, 0, 0, 499},
        {500, 0, 0, Both, -5, 800, 0, 499},    {500, 0, 0, Both, 600, 700, 0, 499},
        {500, 0, 0, Both, 499, 499, 499, 499}, {1, 0, 0, Both, 0, 0, 0, 0},
        {0, 0, 0, Both, 3, 7, 0, 0},
        {500, 100, 300, Start, 400, 0, 300, 400}, {500, 100, 300, Start, 250, 0, 250, 300},
        {500, 100, 300, End, 50, 0, 50, 100},     {500, 100, 300, End, 499, 0, 100, 499},
    };
    for (const auto& c : cases) {
        TTxWavStream w;
        Make(w, c.size, c.selStart, c.selEnd);
        c.op == Both ? SetSelection(w, c.a, c.b) : c.op == Start ? SetSelectionStart(w, c.a) : SetSelectionEnd(w, c.a);
        EXPECT_EQ(Sel(w), std::make_pair(c.wantStart, c.wantEnd)) << c.size << " " << c.op << " " << c.a << "," << c.b;
    }
}

TEST(SelectionRules, DragStartAndEndSnapToRisingCrossing)
{
    // Width 2000 over 2000 samples: P(x) = x, R = P(10) = 10. Width 4000: P(x) = x / 2, R = 5.
    struct Case { int32_t width; bool start, zeroCross, shift; int32_t selStart, selEnd, x, wantStart, wantEnd; } cases[] = {
        {2000, true, true, false, 0, 1500, 995, 1002, 1500},     // the start on the crossing
        {2000, false, true, false, 100, 1500, 995, 100, 1001},   // the end one sample before it
        {2000, true, false, false, 0, 1500, 995, 995, 1500},     // zero-cross off: the pointer's sample
        {2000, false, false, false, 100, 1500, 995, 100, 995},
        {2000, true, true, false, 0, 900, 995, 900, 1001},       // start passing the end becomes the end
        {2000, false, true, false, 1500, 1900, 995, 1002, 1500}, // end passing the start becomes the start
        {2000, true, true, true, 0, 1900, 1005, 1002, 1900},     // Shift: backward to the crossing
        {2000, true, true, false, 0, 1900, 1002, 1002, 1900},    // on the crossing: no later one within R
        {4000, true, true, false, 0, 1900, 1990, 995, 1900},     // R = 5 does not reach it
    };
    for (const auto& c : cases) {
        TTxWavStream w;
        Make(w, 2000, c.selStart, c.selEnd, Crossing);
        const TPixelMapping m{c.width, 2000};
        (c.start ? DragSelectionStart : DragSelectionEnd)(w, m, c.x, TSnap{c.zeroCross, c.shift});
        EXPECT_EQ(Sel(w), std::make_pair(c.wantStart, c.wantEnd)) << c.start << " x=" << c.x << " w=" << c.width;
    }
}

TEST(SelectionRules, AutoSnapRulesAndColour)
{
    // Marks 1000..1200 (middle 1100), reach 10, length 100 (half 50); every test is strict.
    struct Case { int32_t q, markStart, markEnd; bool zeroCross; int32_t want; TMarkColour colour; } cases[] = {
        {1091, 1000, 1200, true, 1100, TMarkColour::Blue}, {1109, 1000, 1200, false, 1100, TMarkColour::Lime},
        {1090, 1000, 1200, true, 1090, TMarkColour::Red},  {1110, 1000, 1200, true, 1110, TMarkColour::Red},
        {1191, 1000, 1200, true, 1200, TMarkColour::Blue}, {1209, 1000, 1200, true, 1200, TMarkColour::Blue},
        {1210, 1000, 1200, true, 1210, TMarkColour::Red},  {991, 1000, 1200, true, 1000, TMarkColour::Blue},
        {1009, 1000, 1200, true, 1000, TMarkColour::Blue}, {941, 1000, 1200, true, 950, TMarkColour::Blue},
        {959, 1000, 1200, true, 950, TMarkColour::Blue},   {960, 1000, 1200, true, 960, TMarkColour::Red},
        {891, 1000, 1200, true, 900, TMarkColour::Blue},   {909, 1000, 1200, false, 900, TMarkColour::Lime},
        {890, 1000, 1200, true, 890, TMarkColour::Red},
        {1000, 1000, 1004, true, 1002, TMarkColour::Blue}, // the middle before the marked start
        {1005, 1000, 1011, true, 1005, TMarkColour::Blue}, // the middle, not the marked end
    };
    for (const auto& c : cases) {
        const TMoveResult r = AutoSnap(c.q, 100, c.markStart, c.markEnd, 10, c.zeroCross);
        EXPECT_EQ(r.Start, c.want) << c.q;
        EXPECT_EQ(r.Colour, c.colour) << c.q;
    }
}

TEST(SelectionRules, MovedStartStaysInsideTheWave)
{
    struct Case { int32_t q, length, size, want; } cases[] = {
        {-5, 100, 1000, 0},  {898, 100, 1000, 898}, {899, 100, 1000, 899}, {900, 100, 1000, 899},
        {5000, 100, 1000, 899}, {0, 1000, 1000, 0}, {0, 999, 1000, 0},    {1, 999, 1000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampMovedStart(c.q, c.length, c.size), c.want) << c.q << " " << c.length;
}

TEST(SelectionRules, MoveSelectionFollowsThePointer)
{
    // 1000 samples on 1000 pixels; the 100-sample selection 200..299 starts on pixel 200,
    // pressed at x = 250. With zero-cross on, the ends snap forward (the end to one before).
    struct Case { int32_t x; bool shift, zeroCross; int32_t wantStart, wantEnd; TMarkColour colour; } cases[] = {
        {999, false, false, 899, 998, TMarkColour::Red},  {200, false, false, 150, 249, TMarkColour::Red},
        {-500, false, false, 0, 99, TMarkColour::Red},    {603, true, false, 550, 649, TMarkColour::Lime},
        {603, true, true, 550, 648, TMarkColour::Blue},   {605, true, false, 555, 654, TMarkColour::Red},
        {100, false, true, 53, 148, TMarkColour::Red},
    };
    for (const auto& c : cases) {
        TTxWavStream w;
        Make(w, 1000, 200, 299, {{50, 100}, {51, 100}, {52, 100}, {53, 140}});
        const TMoveInput in{{1000, 1000}, 100, 200, 250, c.x, 500, 600, c.shift, c.zeroCross};
        EXPECT_EQ(MoveSelection(w, in), c.colour) << c.x;
        EXPECT_EQ(Sel(w), std::make_pair(c.wantStart, c.wantEnd)) << c.x;
    }
}

TEST(SelectionRules, SidePanelShortcuts)
{
    struct Case { void (*op)(TTxWavStream&); int32_t selStart, selEnd, wantStart, wantEnd; } cases[] = {
        {ExtendToBeginning, 100, 300, 0, 300}, {FlipToBeginning, 100, 300, 0, 100}, {FlipToBeginning, 0, 300, 0, 300},
        {ExtendToEnd, 100, 300, 100, 499},     {FlipToEnd, 100, 300, 300, 499},     {FlipToEnd, 100, 499, 100, 499},
    };
    for (const auto& c : cases) {
        TTxWavStream w;
        Make(w, 500, c.selStart, c.selEnd);
        c.op(w);
        EXPECT_EQ(Sel(w), std::make_pair(c.wantStart, c.wantEnd)) << c.selStart << ".." << c.selEnd;
    }
}

TEST(SelectionRules, PointerOverSelectionAndLevel)
{
    const TPixelMapping m{1000, 1000};
    TTxWavStream w;
    Make(w, 1000, 200, 299); // pixels trunc(200 / 999 * 1000) = 200 to 299
    for (auto [x, over] : std::initializer_list<std::pair<int32_t, bool>>{{199, false}, {200, true}, {299, true}, {300, false}})
        EXPECT_EQ(IsOverSelection(m, w, x), over) << x;
    EXPECT_FALSE(IsOverSelection({1000, 0}, TTxWavStream{}, 0)); // an empty wave's pixels are -1
    EXPECT_EQ(LimitX(m, -3), 0);
    EXPECT_EQ(LimitX(m, 1000), 999);
    EXPECT_EQ(PointerLevel(m, w, 10), 0);
    testwaves::Fill(w, testwaves::ByteVector(1000, 192)); // 64 / 127 * 200 = 100.8
    EXPECT_EQ(PointerLevel(m, w, 10), 101);
    EXPECT_EQ(PointerLevel(m, TTxWavStream{}, 10), -1);
}
