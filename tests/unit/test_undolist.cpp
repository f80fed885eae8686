// The undo list: limits, captions and enabled state of the Undo command, restoring, and
// what a recording that runs out of memory leaves behind.
#include <gtest/gtest.h>

#include <new>

#include "document/UndoList.h"
#include "tests/support/TestWaves.h"

namespace {

// Records what the list tells the Undo command, in order.
struct TRecordingAction : TUndoActionView {
    std::vector<std::string> Calls;
    std::string Caption, Hint;
    bool Enabled = true;
    void SetCaption(const std::string& c) override { Calls.push_back("caption " + c); Caption = c; }
    void SetHint(const std::string& h) override { Calls.push_back("hint " + h); Hint = h; }
    void SetEnabled(bool e) override { Calls.push_back(e ? "enabled" : "disabled"); Enabled = e; }
};

// n bytes from first, the selection 1..n-2; the format's rate tells waves apart.
void Make(TTxWavStream& w, size_t n, uint8_t first)
{
    testwaves::Fill(w, testwaves::Iota(n, first));
    w.Format = WorkingFormat();
    w.Format.nSamplesPerSec = first;
    w.SetSelStart(1);
    w.SetSelEnd(static_cast<int32_t>(n) - 2);
}

std::vector<std::string> Names(const TUndoList& list)
{
    std::vector<std::string> names;
    for (const auto& step : list.Steps())
        names.push_back(step.Name);
    return names;
}

} // namespace

TEST(UndoList, LimitsDropTheOldestSteps)
{
    // limit, commands recorded, then a new limit (-1: ignored), the steps left, Undo's caption.
    struct Case { int32_t limit, commands, newLimit; std::vector<std::string> names; std::string caption; } cases[] = {
        {1, 2, -1, {"2"}, "Undo \"2\""},
        {5, 7, -1, {"3", "4", "5", "6", "7"}, "Undo \"7\""},
        {10, 11, -1, {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, "Undo \"11\""},
        {0, 3, -1, {}, ""},
        {10, 8, 5, {"4", "5", "6", "7", "8"}, "Undo \"8\""},
        {10, 8, 0, {}, "Undo"},
    };
    for (const auto& c : cases) {
        TRecordingAction action;
        TUndoList list(&action);
        EXPECT_EQ(action.Calls, std::vector<std::string>{"disabled"});
        list.SetMaxSteps(c.limit);
        TTxWavStream wave;
        for (int32_t k = 1; k <= c.commands; ++k) {
            Make(wave, 10, static_cast<uint8_t>(k));
            list.AddStep(std::to_string(k), &wave);
            EXPECT_EQ(action.Caption, c.limit > 0 ? "Undo \"" + std::to_string(k) + "\"" : "");
        }
        list.SetMaxSteps(c.newLimit);
        EXPECT_EQ(list.MaxSteps(), c.newLimit < 0 ? c.limit : c.newLimit);
        EXPECT_EQ(Names(list), c.names) << c.limit << " " << c.newLimit;
        EXPECT_EQ(action.Caption, c.caption);
        EXPECT_EQ(action.Hint, c.caption);
        EXPECT_EQ(action.Enabled, !c.names.empty());
        for (size_t k = 0; k < c.names.size(); ++k) // each step holds the wave before its command
            EXPECT_EQ(list.Steps()[k].Wave->Format.nSamplesPerSec, std::stoul(c.names[k]));
    }
}

TEST(UndoList, RestoreGivesBackWaveFormatAndSelection)
{
    // Steps "A" (bytes from 10) and "B" (from 20), then the wave changed; restore index.
    struct Case { int32_t index; uint8_t first; std::vector<std::string> left; std::string caption; } cases[] = {
        {-1, 20, {"A"}, "Undo \"A\""}, {1, 20, {"A"}, "Undo \"A\""}, {0, 10, {"B"}, "Undo \"B\""},
        {2, 0, {"A", "B"}, "Undo"}, // out of range: only the caption is reset
    };
    for (const auto& c : cases) {
        TRecordingAction action;
        TUndoList list(&action);
        TTxWavStream wave;
        Make(wave, 300, 10);
        list.AddStep("A", &wave);
        Make(wave, 200, 20);
        wave.SetPosition(7);
        list.AddStep("B", &wave);
        EXPECT_EQ(wave.GetPosition(), 7); // recording leaves the wave alone
        Make(wave, 50, 99);
        wave.FileName = "x.wav";
        action.Calls.clear();
        // Undo hands the step's own bytes over: it needs no memory, so it cannot fail halfway.
        const uint8_t* stepBytes = c.first ? list.Steps()[c.first == 10 ? 0 : 1].Wave->Memory() : nullptr;
        list.RestoreStep(&wave, c.index);
        EXPECT_EQ(Names(list), c.left) << c.index;
        EXPECT_EQ(action.Calls.front(), "caption Undo");
        EXPECT_EQ(action.Caption, c.caption);
        EXPECT_EQ(action.Hint, c.caption);
        if (c.first == 0)
            continue;
        const size_t n = c.first == 10 ? 300 : 200;
        EXPECT_EQ(wave.Memory(), stepBytes);
        EXPECT_EQ(testwaves::Bytes(wave), testwaves::Iota(n, c.first));
        EXPECT_EQ(wave.Format.nSamplesPerSec, c.first);
        EXPECT_EQ(std::make_pair(wave.SelStart(), wave.SelEnd()), std::make_pair(1, static_cast<int32_t>(n) - 2));
        EXPECT_EQ(wave.FileName, "");
        EXPECT_EQ(wave.GetPosition(), 0);
    }
    // Walking back to the last step disables Undo; clearing an empty list stays quiet.
    TRecordingAction action;
    TUndoList list(&action);
    TTxWavStream wave, empty;
    Make(wave, 10, 1);
    list.AddStep("A", &wave);
    list.AddStep("B", &empty); // an empty wave records nothing and leaves Undo as it was
    EXPECT_EQ(action.Caption, "Undo \"A\"");
    list.RestoreStep(nullptr, -1);
    EXPECT_EQ(action.Caption, "Undo");
    EXPECT_FALSE(action.Enabled);
    list.ClearSteps();
    EXPECT_EQ(list.StepCount(), 0);
}

TEST(UndoList, FailedRecordingLeavesNoHalfStep)
{
    // A copy that runs out of memory halfway, or a wave that cannot even be made.
    struct THalfCopy : TTxWavStream {
        int& Live;
        explicit THalfCopy(int& live) : Live(live) { ++Live; }
        ~THalfCopy() override { --Live; }
        void Assign(TStream& source) override
        {
            TTxWavStream::Assign(source);
            throw EStreamError(WavText::OutOfMemory);
        }
    };
    enum Fault { HalfCopy, NoWave, NullWave };
    for (Fault fault : {HalfCopy, NoWave, NullWave}) {
        int live = 0;
        bool fail = false;
        TRecordingAction action;
        TUndoList list(&action, [&]() -> std::unique_ptr<TTxWavStream> {
            if (!fail)
                return std::make_unique<TTxWavStream>();
            if (fault == NoWave)
                throw std::bad_alloc();
            return fault == HalfCopy ? std::make_unique<THalfCopy>(live) : nullptr;
        });
        list.SetMaxSteps(2);
        TTxWavStream wave;
        Make(wave, 100, 1);
        list.AddStep("A", &wave);
        list.AddStep("B", &wave);
        fail = true;
        wave.SetPosition(5);
        EXPECT_EQ(testwaves::ErrorOf<EStreamError>([&] { list.AddStep("C", &wave); }), WavText::OutOfMemory);
        EXPECT_EQ(live, 0) << fault;                               // the half copy is gone
        EXPECT_EQ(Names(list), std::vector<std::string>{"B"}) << fault; // room had been made
        EXPECT_EQ(action.Caption, "Undo \"B\"");
        EXPECT_TRUE(action.Enabled);
        EXPECT_EQ(wave.GetPosition(), 5);
        EXPECT_EQ(testwaves::Bytes(wave), testwaves::Iota(100, 1));
    }
}

// Redo: an undone step comes back byte for byte and leaves again; a new recording or
// clearing empties the redo list; the limit counts each list; the Redo command names the
// step it would redo and is disabled when there is none.
TEST(UndoList, RedoMovesStatesBothWaysUntilANewStep)
{
    TRecordingAction undo, redo;
    TUndoList list(&undo);
    list.SetRedoAction(&redo);
    EXPECT_EQ(redo.Calls, (std::vector<std::string>{"caption Redo", "hint Redo", "disabled"}));
    TTxWavStream wave;
    std::vector<testwaves::ByteVector> states;
    for (uint8_t k = 1; k <= 3; ++k) {
        Make(wave, 10 + k, k);
        states.push_back(testwaves::Bytes(wave));
        list.AddStep(std::string(1, static_cast<char>('A' + k - 1)), &wave);
    }
    Make(wave, 20, 50);
    wave.SetSelStart(3);
    wave.SetSelEnd(7);
    const auto newest = testwaves::Bytes(wave);

    // Undo twice, redo twice: every state, its format and selection, as it was.
    EXPECT_TRUE(list.UndoInto(wave));
    EXPECT_TRUE(list.UndoInto(wave));
    EXPECT_EQ(testwaves::Bytes(wave), states[1]);
    EXPECT_EQ(redo.Caption, "Redo \"B\"");
    EXPECT_EQ(undo.Caption, "Undo \"A\"");
    EXPECT_TRUE(list.RedoInto(wave));
    EXPECT_EQ(testwaves::Bytes(wave), states[2]);
    EXPECT_EQ(wave.Format.nSamplesPerSec, 3u);
    EXPECT_EQ(redo.Caption, "Redo \"C\"");
    EXPECT_EQ(undo.Caption, "Undo \"B\"");
    EXPECT_TRUE(list.RedoInto(wave));
    EXPECT_EQ(testwaves::Bytes(wave), newest);
    EXPECT_EQ(std::make_pair(wave.SelStart(), wave.SelEnd()), std::make_pair(3, 7));
    EXPECT_FALSE(list.RedoInto(wave));
    EXPECT_EQ(testwaves::Bytes(wave), newest);
    EXPECT_EQ(redo.Caption, "Redo");
    EXPECT_FALSE(redo.Enabled);

    // A new step after an undo: nothing left to redo.
    list.UndoInto(wave);
    EXPECT_TRUE(redo.Enabled);
    list.AddStep("D", &wave);
    EXPECT_EQ(list.RedoCount(), 0);
    EXPECT_FALSE(redo.Enabled);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B", "D"}));

    // The limit counts each list: three undone steps and a limit of 2 keep the two
    // nearest redo steps; clearing empties both lists.
    list.UndoInto(wave);
    list.UndoInto(wave);
    list.UndoInto(wave);
    EXPECT_EQ(list.RedoCount(), 3);
    list.SetMaxSteps(2);
    EXPECT_EQ(list.RedoCount(), 2);
    EXPECT_EQ(redo.Caption, "Redo \"A\"");
    list.RedoInto(wave);
    list.RedoInto(wave);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "B"}));
    list.UndoInto(wave);
    list.ClearSteps();
    EXPECT_EQ(list.StepCount() + list.RedoCount(), 0);
    EXPECT_FALSE(undo.Enabled);
    EXPECT_FALSE(redo.Enabled);
}
