// Composing the final wave: the drop zones of a pane, and inserting, appending and
// replacing with another wave's selection or moving a selection inside its own wave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/support/TestWaves.h"
#include "rules/DropZone.h"
#include "wave/Composing.h"

using namespace testwaves;

namespace {

void Make(TTxWavStream& w, const ByteVector& bytes, int32_t selStart, int32_t selEnd,
          TWaveFormatEx format = WorkingFormat())
{
    w.SetFormat(format);
    Fill(w, bytes);
    w.SetSelStart(selStart);
    w.SetSelEnd(selEnd);
}

ByteVector Cat(std::initializer_list<ByteVector> parts)
{
    ByteVector all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

ByteVector Part(const ByteVector& v, size_t from, size_t to)  // from..to inclusive
{
    return {v.begin() + from, v.begin() + to + 1};
}

enum class Op { Insert, Append, Replace };

bool Compose(Op op, TTxWavStream& target, TTxWavStream& source)
{
    switch (op) {
    case Op::Insert: return Composing::InsertAtBeginning(target, source);
    case Op::Append: return Composing::AppendAtEnd(target, source);
    case Op::Replace: return Composing::ReplaceContent(target, source);
    }
    return false;
}

} // namespace

TEST(Composing, DropZoneOfThePointer)
{
    const struct {
        int32_t width, x;
        bool empty;
        TDropMode mode;
    } cases[] = {
        {500, 99, false, dropInsert},  {500, 100, false, dropReplace}, {500, 400, false, dropReplace},
        {500, 401, false, dropAppend}, {500, 0, false, dropInsert},    {500, 499, false, dropAppend},
        {500, -3, false, dropInsert},  {500, 700, false, dropAppend},  {500, 99, true, dropReplace},
        {500, 401, true, dropReplace}, {504, 100, false, dropReplace}, {504, 403, false, dropReplace},
        {504, 404, false, dropAppend}, {4, 0, false, dropReplace},     {4, 4, false, dropAppend},
        {0, 0, false, dropReplace},    {0x7FFFFFFF, 0x66666665, false, dropReplace},
        {0x7FFFFFFF, 0x66666666, false, dropAppend},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DropModeAt(c.width, c.x, c.empty), c.mode) << c.width << " " << c.x << " " << c.empty;
}

// Another wave's selection before, after or instead of the target's content.
TEST(Composing, FromAnotherWave)
{
    const ByteVector t = Iota(5000, 7), s = Iota(3000, 100);
    TWaveFormatEx other = WorkingFormat();
    other.nSamplesPerSec = 8000;
    const struct {
        Op op;
        int32_t selStart, selEnd;
        ByteVector bytes;
        int32_t newStart, newEnd;
        bool sourceFormat;
    } cases[] = {
        {Op::Insert, 1000, 1999, Cat({Part(s, 1000, 1999), t}), 0, 999, false},
        // One sample: the selection setter reads an end of 0 as the last sample.
        {Op::Insert, 2999, 2999, Cat({Part(s, 2999, 2999), t}), 0, 5000, false},
        {Op::Append, 1000, 1999, Cat({t, Part(s, 1000, 1999)}), 5000, 5999, false},
        {Op::Append, 0, 2999, Cat({t, s}), 5000, 7999, false},
        {Op::Replace, 200, 299, Part(s, 200, 299), 0, 99, true},
        {Op::Replace, 0, 2999, s, 0, 2999, true},
        {Op::Replace, 200, 298, {}, 0, 0, true},  // 99 samples: too short to keep
    };
    for (const auto& c : cases) {
        TTxWavStream target, source;
        Make(target, t, 10, 20);
        Make(source, s, c.selStart, c.selEnd, other);
        source.SetPosition(17);
        ASSERT_TRUE(Compose(c.op, target, source));
        EXPECT_EQ(Bytes(target), c.bytes) << int(c.op) << " " << c.selStart;
        EXPECT_EQ(target.SelStart(), c.newStart);
        EXPECT_EQ(target.SelEnd(), c.newEnd);
        EXPECT_EQ(target.Format.nSamplesPerSec, c.sourceFormat ? 8000u : 22050u);
        EXPECT_EQ(Bytes(source), s);
        EXPECT_EQ(source.SelStart(), c.selStart);
        EXPECT_EQ(source.GetPosition(), 17);
    }
}

// Moving a selection inside its own wave keeps its size and every sample.
TEST(Composing, MovesInsideTheSameWave)
{
    const ByteVector w = Iota(10, 1);  // 1 .. 10
    const struct {
        Op op;
        int32_t selStart, selEnd;
        ByteVector bytes;  // empty: unchanged
        int32_t newStart, newEnd;
    } cases[] = {
        {Op::Insert, 3, 5, {4, 5, 6, 1, 2, 3, 7, 8, 9, 10}, 0, 2},
        {Op::Insert, 9, 9, {10, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 9},  // end 0 reads as the last
        {Op::Insert, 1, 9, {2, 3, 4, 5, 6, 7, 8, 9, 10, 1}, 0, 8},
        {Op::Insert, 0, 4, {}, 0, 4},   // already at the front
        {Op::Insert, 0, 9, {}, 0, 9},   // the whole wave
        {Op::Append, 3, 5, {1, 2, 3, 7, 8, 9, 10, 4, 5, 6}, 7, 9},
        {Op::Append, 1, 1, {1, 3, 4, 5, 6, 7, 8, 9, 10, 2}, 9, 9},
        {Op::Append, 0, 8, {10, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 1, 9},
        {Op::Append, 6, 9, {}, 6, 9},   // already at the end
        {Op::Append, 0, 9, {}, 0, 9},
        {Op::Replace, 3, 5, {}, 3, 5},  // a wave never replaces itself
    };
    for (const auto& c : cases) {
        TTxWavStream wave;
        Make(wave, w, c.selStart, c.selEnd);
        const bool changed = Compose(c.op, wave, wave);
        EXPECT_EQ(changed, !c.bytes.empty());
        EXPECT_EQ(Bytes(wave), c.bytes.empty() ? w : c.bytes) << int(c.op) << " " << c.selStart;
        EXPECT_EQ(wave.SelStart(), c.newStart);
        EXPECT_EQ(wave.SelEnd(), c.newEnd);
    }

    // A long wave: size and multiset stay, the moved block lands whole.
    const ByteVector big = Iota(100000, 3);
    for (Op op : {Op::Insert, Op::Append}) {
        TTxWavStream wave;
        Make(wave, big, 40000, 69999);
        ASSERT_TRUE(Compose(op, wave, wave));
        ByteVector got = Bytes(wave);
        const size_t at = op == Op::Insert ? 0 : 70000;
        EXPECT_EQ(Part(got, at, at + 29999), Part(big, 40000, 69999));
        ByteVector a = got, b = big;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b);
    }
}

// Nothing selected, or a selection that no longer fits its wave: nothing changes.
TEST(Composing, NothingToDropChangesNothing)
{
    for (Op op : {Op::Insert, Op::Append, Op::Replace}) {
        TTxWavStream target, empty, backwards, broken;
        Make(target, Iota(300), 5, 9);
        Make(backwards, Iota(300), 0, 0);
        backwards.SetSelStart(200);
        backwards.SetSelEnd(100);
        Make(broken, Iota(300), 100, 299);
        broken.SetSize(200);  // a raw shrink leaves the selection behind
        EXPECT_FALSE(Compose(op, target, empty));
        EXPECT_FALSE(Compose(op, target, backwards));
        EXPECT_EQ(ErrorOf([&] { Compose(op, target, broken); }), WavText::IndexOutOfRange);
        EXPECT_EQ(Bytes(target), Iota(300));
        EXPECT_EQ(target.SelStart(), 5);
        EXPECT_EQ(target.SelEnd(), 9);
    }
}
