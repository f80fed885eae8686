// TACMConvertor over a fake manager: the calls it makes, the messages of every
// failing step, the state each failure leaves, and the stored form of its records.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "acm_test_support.h"
#include "conversion/ACMConvertor.h"
#include "wave/Stream.h"

using namespace acmtest;

namespace {

const HACMSTREAM FakeHandle = reinterpret_cast<HACMSTREAM>(uintptr_t{0x5150});

// Stands in for the whole manager: records every call and answers with chosen codes.
struct TFakeAcm {
    std::vector<std::string> Calls;
    std::map<std::string, MMRESULT> Results;
    uint32_t OutputBytes = 300;
    uint32_t Produced = 120;

    uint32_t OpenFlags = 0xFFFF, SizeInput = 0, SizeFlags = 0xFFFF, PrepareFlags = 0xFFFF;
    uint32_t ConvertFlags = 0xFFFF, ResetFlags = 0xFFFF, UnprepareFlags = 0xFFFF, CloseFlags = 0xFFFF;
    const TWaveFormatEx* Source = nullptr;
    const TWaveFormatEx* Dest = nullptr;
    HACMDRIVER Driver = reinterpret_cast<HACMDRIVER>(uintptr_t{1});
    void* Filter = this;
    uintptr_t Callback = 1, Instance = 1;
    std::vector<HACMSTREAM> Handles; // the handle of every call after open
    ACMSTREAMHEADER AtPrepare{};
    bool OutputZeroAtConvert = false;

    MMRESULT Answer(const std::string& call, HACMSTREAM h)
    {
        Calls.push_back(call);
        if (call != "Open") Handles.push_back(h);
        const auto it = Results.find(call);
        return it == Results.end() ? MMSYSERR_NOERROR : it->second;
    }

    TAcmOverrides Overrides()
    {
        TAcmOverrides o;
        o.StreamOpen = [this](HACMSTREAM* phas, HACMDRIVER had, const TWaveFormatEx* src, const TWaveFormatEx* dst,
                              void* filter, uintptr_t cb, uintptr_t inst, uint32_t flags) {
            Driver = had, Source = src, Dest = dst, Filter = filter, Callback = cb, Instance = inst, OpenFlags = flags;
            const MMRESULT r = Answer("Open", nullptr);
            if (r == MMSYSERR_NOERROR) *phas = FakeHandle;
            return r;
        };
        o.StreamSize = [this](HACMSTREAM h, uint32_t input, uint32_t* output, uint32_t flags) {
            SizeInput = input, SizeFlags = flags;
            const MMRESULT r = Answer("Size", h);
            if (r == MMSYSERR_NOERROR) *output = OutputBytes;
            return r;
        };
        o.StreamPrepareHeader = [this](HACMSTREAM h, ACMSTREAMHEADER* header, uint32_t flags) {
            PrepareFlags = flags;
            AtPrepare = *header;
            return Answer("Prepare", h);
        };
        o.StreamConvert = [this](HACMSTREAM h, ACMSTREAMHEADER* header, uint32_t flags) {
            ConvertFlags = flags;
            OutputZeroAtConvert = true;
            for (uint32_t i = 0; i < header->cbDstLength; ++i) OutputZeroAtConvert &= header->pbDst[i] == 0;
            const MMRESULT r = Answer("Convert", h);
            if (r == MMSYSERR_NOERROR) header->cbDstLengthUsed = Produced;
            return r;
        };
        o.StreamReset = [this](HACMSTREAM h, uint32_t flags) {
            ResetFlags = flags;
            return Answer("Reset", h);
        };
        o.StreamUnprepareHeader = [this](HACMSTREAM h, ACMSTREAMHEADER*, uint32_t flags) {
            UnprepareFlags = flags;
            return Answer("Unprepare", h);
        };
        o.StreamClose = [this](HACMSTREAM h, uint32_t flags) {
            CloseFlags = flags;
            return Answer("Close", h);
        };
        return o;
    }
};

std::vector<std::string> Steps(std::initializer_list<const char*> names) { return {names.begin(), names.end()}; }

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EACMConvertor& e) {
        return e.Message();
    }
    return "(no EACMConvertor)";
}

} // namespace

TEST(ACMFormat, StoredFormIsTheCountThenTheRecord)
{
    TMemoryStream stored;
    TACMFormat::Default().WriteData(stored);
    std::vector<uint8_t> expected = {0x81, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x22, 0x56, 0x00,
                                     0x00, 0x22, 0x56, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x81, 0x00};
    expected.resize(133, 0);
    EXPECT_EQ(Bytes(stored), expected);

    // Reading takes the count, then that many bytes into the front of the record.
    TACMFormat read;
    read.Bytes.fill(0x77);
    stored.SetPosition(0);
    read.ReadData(stored);
    EXPECT_EQ(read.Bytes, TACMFormat::Default().Bytes);

    TMemoryStream shortOne;
    const uint8_t head[] = {18, 0, 0, 0, 0x11, 0x00, 0x02, 0x00, 0x44, 0xAC, 0, 0, 0, 0, 0, 0, 0, 4, 4, 0, 2, 0};
    shortOne.Write(head, sizeof head);
    shortOne.SetPosition(0);
    read = TACMFormat::Default();
    read.ReadData(shortOne);
    EXPECT_EQ(read.Head().wFormatTag, WAVE_FORMAT_IMA_ADPCM);
    EXPECT_EQ(read.Head().nSamplesPerSec, 44100u);
    EXPECT_EQ(read.Head().cbSize, 2);
    EXPECT_TRUE(std::equal(read.Bytes.begin() + 18, read.Bytes.end(), TACMFormat::Default().Bytes.begin() + 18));

    // A count that does not fit is refused and the record stays as it was.
    TMemoryStream tooLong;
    const uint8_t count[] = {130, 0, 0, 0};
    tooLong.Write(count, 4);
    const std::vector<uint8_t> filler(130, 0x55);
    tooLong.Write(filler.data(), 130);
    tooLong.SetPosition(0);
    read = TACMFormat::Default();
    EXPECT_EQ(MessageOf([&] { read.ReadData(tooLong); }),
              "The stored format record holds 130 bytes; at most 129 fit.");
    EXPECT_EQ(read.Bytes, TACMFormat::Default().Bytes);

    // A truncated value raises the stream's read error and changes nothing either.
    TMemoryStream truncated;
    const uint8_t partial[] = {129, 0, 0, 0, 9, 9, 9};
    truncated.Write(partial, sizeof partial);
    truncated.SetPosition(0);
    EXPECT_THROW(read.ReadData(truncated), Exception);
    EXPECT_EQ(read.Bytes, TACMFormat::Default().Bytes);
}

TEST(ACMConvertor, StartsInactiveWithItsDefaults)
{
    TACMConvertor c;
    EXPECT_FALSE(c.Active());
    EXPECT_FALSE(c.UseRealTime());
    EXPECT_EQ(c.InputBufferSize(), 2048);
    EXPECT_EQ(c.StreamHandle(), nullptr);
    EXPECT_EQ(c.InputBuffer(), nullptr);
    EXPECT_EQ(c.OutputBuffer(), nullptr);
    EXPECT_EQ(c.ACMFormatIn.Bytes, TACMFormat::Default().Bytes);
    EXPECT_EQ(c.ACMFormatOut.Bytes, TACMFormat::Default().Bytes);
    const TWaveFormatEx h = c.ACMFormatOut.Head();
    EXPECT_EQ(h.wFormatTag, 1);
    EXPECT_EQ(h.nChannels, 1);
    EXPECT_EQ(h.nSamplesPerSec, 22050u);
    EXPECT_EQ(h.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(h.nBlockAlign, 1);
    EXPECT_EQ(h.wBitsPerSample, 8);
    EXPECT_EQ(h.cbSize, 129);
}

TEST(ACMConvertor, OpenConvertAndCloseCallTheManagerInOrder)
{
    TFakeAcm fake;
    TAcmOverrideScope scope(fake.Overrides());
    TACMConvertor c;
    c.SetInputBufferSize(1000);
    c.SetActive(true);
    EXPECT_EQ(fake.Calls, Steps({"Open", "Size", "Prepare"}));
    EXPECT_TRUE(c.Active());
    EXPECT_EQ(fake.Driver, nullptr);
    EXPECT_EQ(fake.Source, c.ACMFormatIn.Record());
    EXPECT_EQ(fake.Dest, c.ACMFormatOut.Record());
    EXPECT_EQ(fake.Filter, nullptr);
    EXPECT_EQ(fake.Callback, 0u);
    EXPECT_EQ(fake.Instance, 0u);
    EXPECT_EQ(fake.OpenFlags, ACM_STREAMOPENF_NONREALTIME);
    EXPECT_EQ(fake.SizeInput, 1000u);
    EXPECT_EQ(fake.SizeFlags, ACM_STREAMSIZEF_SOURCE);
    EXPECT_EQ(fake.PrepareFlags, 0u);
    EXPECT_EQ(c.OutputBufferSize(), 300);
    EXPECT_EQ(c.StreamHandle(), FakeHandle);

    const ACMSTREAMHEADER& h = fake.AtPrepare;
    EXPECT_EQ(h.cbStruct, sizeof(ACMSTREAMHEADER));
    EXPECT_EQ(h.fdwStatus, 0u);
    EXPECT_EQ(h.dwUser, 0u);
    EXPECT_EQ(h.pbSrc, c.InputBuffer());
    EXPECT_EQ(h.cbSrcLength, 1000u);
    EXPECT_EQ(h.cbSrcLengthUsed, 0u);
    EXPECT_EQ(h.dwSrcUser, 0u);
    EXPECT_EQ(h.pbDst, c.OutputBuffer());
    EXPECT_EQ(h.cbDstLength, 300u);
    EXPECT_EQ(h.cbDstLengthUsed, 0u);
    EXPECT_EQ(h.dwDstUser, 0u);
    for (uint32_t w : h.dwReservedDriver) EXPECT_EQ(w, 0u);

    c.SetActive(true);
    EXPECT_EQ(fake.Calls.size(), 3u) << "opening an open converter does nothing";

    std::fill(c.OutputBuffer(), c.OutputBuffer() + c.OutputBufferSize(), 0xAA);
    EXPECT_EQ(c.Convert(), 120);
    EXPECT_TRUE(fake.OutputZeroAtConvert) << "the output buffer is zeroed before converting";
    EXPECT_EQ(fake.ConvertFlags, ACM_STREAMCONVERTF_BLOCKALIGN);
    EXPECT_EQ(fake.ResetFlags, 0u);

    c.SetActive(false);
    EXPECT_EQ(fake.Calls, Steps({"Open", "Size", "Prepare", "Convert", "Reset", "Unprepare", "Close"}));
    EXPECT_EQ(fake.UnprepareFlags, 0u);
    EXPECT_EQ(fake.CloseFlags, 0u);
    for (HACMSTREAM handle : fake.Handles) EXPECT_EQ(handle, FakeHandle);
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(c.InputBuffer(), nullptr);
    EXPECT_EQ(c.OutputBuffer(), nullptr);
    c.SetActive(false);
    EXPECT_EQ(fake.Calls.size(), 7u) << "closing a closed converter does nothing";

    c.SetUseRealTime(true);
    c.SetActive(true);
    EXPECT_EQ(fake.OpenFlags, 0u) << "real time: no NONREALTIME flag";
    c.SetActive(false);
}

TEST(ACMConvertor, BufferSizeAndRealTimeFlagAreFixedWhileActive)
{
    TFakeAcm fake;
    TAcmOverrideScope scope(fake.Overrides());
    TACMConvertor c;
    c.SetInputBufferSize(77);
    c.SetActive(true);
    EXPECT_EQ(MessageOf([&] { c.SetInputBufferSize(5); }), "You cannot change the buffer size while active.");
    EXPECT_EQ(c.InputBufferSize(), 77);
    EXPECT_EQ(MessageOf([&] { c.SetUseRealTime(true); }), "You cannot change the real time flag while active.");
    EXPECT_FALSE(c.UseRealTime());
    c.SetActive(false);
    c.SetInputBufferSize(5);
    c.SetUseRealTime(true);
    EXPECT_EQ(c.InputBufferSize(), 5);
    EXPECT_TRUE(c.UseRealTime());
}

TEST(ACMConvertor, EveryFailingStepNamesItselfWithTheManagersText)
{
    const std::map<MMRESULT, std::string> texts = {
        {5, " The specified handle is invalid."},
        {6, " A suitable driver is not available to provide valid format selections."},
        {7, " The system is unable to allocate resources."},
        {10, " At least one flag is invalid."},
        {11, " At least one parameter is invalid."},
        {512, " The requested operation cannot be performed."},
        {513, " The conversion stream is already in use."},
        {514, " Cannot perform this action on a header that has not been prepared."},
    };
    const std::pair<const char*, const char*> steps[] = {
        {"Open", "acmStreamOpen:"},          {"Size", "acmStreamSize:"},
        {"Prepare", "acmStreamPrepareHeader:"}, {"Convert", "acmStreamConvert:"},
        {"Reset", "acmStreamReset"},         {"Unprepare", "acmStreamUnPrepareHeader:"},
        {"Close", "acmStreamClose:"},
    };
    const MMRESULT codes[] = {5, 6, 7, 10, 11, 512, 513, 514, 42, 1, 0xFFFFFFFF};
    for (const auto& [call, step] : steps) {
        for (MMRESULT code : codes) {
            TFakeAcm fake;
            fake.Results[call] = code;
            TAcmOverrideScope scope(fake.Overrides());
            TACMConvertor c;
            const std::string message = MessageOf([&] {
                c.SetActive(true);
                c.Convert();
                c.SetActive(false);
            });
            std::string expected;
            if (texts.count(code) != 0) expected = std::string(step) + texts.at(code);
            else expected = std::string(step) + " raised an unknown error (code #" +
                            std::to_string(static_cast<int32_t>(code)) + ")";
            EXPECT_EQ(message, expected) << call << " answering " << code;
            fake.Results.clear();
            c.SetActive(false); // whatever stayed open closes cleanly
            EXPECT_FALSE(c.Active());
        }
    }
    // The examples as users read them.
    EXPECT_EQ(AcmResultMessage(512, "acmStreamOpen:"), "acmStreamOpen: The requested operation cannot be performed.");
    EXPECT_EQ(AcmResultMessage(42, "acmStreamReset"), "acmStreamReset raised an unknown error (code #42)");
    EXPECT_EQ(AcmResultMessage(42, "acmStreamConvert:"), "acmStreamConvert: raised an unknown error (code #42)");
    EXPECT_EQ(AcmResultMessage(0, "acmStreamConvert:"), "");
}

TEST(ACMConvertor, FailuresLeaveTheStatesTheyShould)
{
    struct TCase {
        const char* FailingCall;
        bool ActiveAfter;
        bool BuffersAfter;
        std::vector<std::string> Calls;
    };
    const TCase cases[] = {
        // Open's own failure: nothing was opened, nothing to close.
        {"Open", false, false, Steps({"Open"})},
        // Later open steps give the opened stream back.
        {"Size", false, false, Steps({"Open", "Size", "Close"})},
        {"Prepare", false, false, Steps({"Open", "Size", "Prepare", "Close"})},
        // Inside a conversion the converter stays open for its owner to close.
        {"Convert", true, true, Steps({"Open", "Size", "Prepare", "Convert"})},
        {"Reset", true, true, Steps({"Open", "Size", "Prepare", "Convert", "Reset"})},
        // Closing: raised before anything is released.
        {"Unprepare", true, true, Steps({"Open", "Size", "Prepare", "Convert", "Reset", "Unprepare"})},
        {"Close", true, true, Steps({"Open", "Size", "Prepare", "Convert", "Reset", "Unprepare", "Close"})},
    };
    for (const TCase& t : cases) {
        TFakeAcm fake;
        fake.Results[t.FailingCall] = ACMERR_NOTPOSSIBLE;
        TAcmOverrideScope scope(fake.Overrides());
        TACMConvertor c;
        EXPECT_THROW(
            {
                c.SetActive(true);
                c.Convert();
                c.SetActive(false);
            },
            EACMConvertor)
            << t.FailingCall;
        EXPECT_EQ(c.Active(), t.ActiveAfter) << t.FailingCall;
        EXPECT_EQ(c.InputBuffer() != nullptr, t.BuffersAfter) << t.FailingCall;
        EXPECT_EQ(c.OutputBuffer() != nullptr, t.BuffersAfter) << t.FailingCall;
        EXPECT_EQ(c.StreamHandle() != nullptr, t.ActiveAfter) << t.FailingCall;
        EXPECT_EQ(fake.Calls, t.Calls) << t.FailingCall;
        for (HACMSTREAM handle : fake.Handles) EXPECT_EQ(handle, FakeHandle) << t.FailingCall;
        fake.Results.clear();
    }
}

TEST(ACMConvertor, OutputSizeBeyondAWaveIsAMemoryFailureAndClosesTheStream)
{
    TFakeAcm fake;
    fake.OutputBytes = 0x80000000u; // reads as a negative 32-bit size
    TAcmOverrideScope scope(fake.Overrides());
    TACMConvertor c;
    try {
        c.SetActive(true);
        FAIL() << "no failure";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Error: Out of memory. Please try to clear undo buffer.");
    }
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(fake.Calls, Steps({"Open", "Size", "Close"}));
}

TEST(ACMConvertor, DestructionClosesAnOpenStream)
{
    const int before = AcmReal::OpenStreamCount();
    {
        TACMConvertor c;
        c.ACMFormatIn.SetHead(Head(WAVE_FORMAT_PCM, 2, 44100, 4, 16));
        c.SetInputBufferSize(4410 * 4);
        c.SetActive(true);
        EXPECT_EQ(AcmReal::OpenStreamCount(), before + 1);
        EXPECT_EQ(c.OutputBufferSize(), 2206);
    }
    EXPECT_EQ(AcmReal::OpenStreamCount(), before);

    // A manager that refuses to close cannot make destruction throw.
    TFakeAcm fake;
    fake.Results["Close"] = 513;
    TAcmOverrideScope scope(fake.Overrides());
    {
        TACMConvertor c;
        c.SetActive(true);
    }
    EXPECT_EQ(fake.Calls.back(), "Close");
}

TEST(ACMConvertor, LentBuffersServeOneOpenAndAreNeverReleasedHere)
{
    struct TCase {
        const char* Name;
        uint32_t OutputBytes;
        const char* FailingCall; // nullptr: none
        bool PlaceAnswersNull;
        int PlaceCalls;          // how often the place is asked
        const char* Message;     // nullptr: opens
        std::vector<std::string> Calls;
    };
    const TCase cases[] = {
        {"both lent", 300, nullptr, false, 1, nullptr, Steps({"Open", "Size", "Prepare"})},
        {"refused open: the place is never asked", 300, "Open", false, 0,
         "acmStreamOpen: The requested operation cannot be performed.", Steps({"Open"})},
        {"refused size", 300, "Size", false, 0, "acmStreamSize: The requested operation cannot be performed.",
         Steps({"Open", "Size", "Close"})},
        {"size beyond a wave: the place is never asked", 0x80000000u, nullptr, false, 0,
         "Error: Out of memory. Please try to clear undo buffer.", Steps({"Open", "Size", "Close"})},
        {"no room at the place", 300, nullptr, true, 1, "Error: Out of memory. Please try to clear undo buffer.",
         Steps({"Open", "Size", "Close"})},
        {"refused prepare", 300, "Prepare", false, 1,
         "acmStreamPrepareHeader: The requested operation cannot be performed.",
         Steps({"Open", "Size", "Prepare", "Close"})},
    };
    for (const TCase& t : cases) {
        TFakeAcm fake;
        fake.OutputBytes = t.OutputBytes;
        if (t.FailingCall != nullptr) fake.Results[t.FailingCall] = ACMERR_NOTPOSSIBLE;
        TAcmOverrideScope scope(fake.Overrides());
        std::vector<uint8_t> input(1000, 0x42), output(300, 0x77);
        std::vector<int32_t> asked;
        TACMConvertor c;
        c.SetInputBufferSize(1000);
        c.LendInputBuffer(input.data());
        c.LendOutputBuffer([&](int32_t size) {
            asked.push_back(size);
            return t.PlaceAnswersNull ? nullptr : output.data();
        });
        std::string message;
        try {
            c.SetActive(true);
        } catch (const Exception& e) { // the converter's or the memory failure
            message = e.Message();
        }
        EXPECT_EQ(message, t.Message ? t.Message : "") << t.Name;
        EXPECT_EQ(fake.Calls, t.Calls) << t.Name;
        EXPECT_EQ(static_cast<int>(asked.size()), t.PlaceCalls) << t.Name;
        if (!asked.empty()) {
            EXPECT_EQ(asked.front(), 300) << t.Name << ": asked for OutputBufferSize";
        }
        if (t.Message != nullptr) {
            EXPECT_FALSE(c.Active()) << t.Name;
            EXPECT_EQ(c.InputBuffer(), nullptr) << t.Name;
            EXPECT_EQ(c.OutputBuffer(), nullptr) << t.Name;
            continue;
        }
        // The manager sees the lent memory itself, with the sizes it would see otherwise.
        EXPECT_EQ(fake.AtPrepare.pbSrc, input.data());
        EXPECT_EQ(fake.AtPrepare.cbSrcLength, 1000u);
        EXPECT_EQ(fake.AtPrepare.pbDst, output.data());
        EXPECT_EQ(fake.AtPrepare.cbDstLength, 300u);
        EXPECT_TRUE(c.InputBufferLent());
        EXPECT_TRUE(c.OutputBufferLent());
        EXPECT_EQ(c.Convert(), 120);
        EXPECT_TRUE(fake.OutputZeroAtConvert) << "lent output is zeroed like an own one";
        c.SetActive(false);
        EXPECT_EQ(c.InputBuffer(), nullptr);
        EXPECT_EQ(input, std::vector<uint8_t>(1000, 0x42)) << "the input is only read";

        // The loans served that open alone: the next one allocates its own buffers.
        c.SetActive(true);
        EXPECT_EQ(asked.size(), 1u);
        EXPECT_FALSE(c.InputBufferLent());
        EXPECT_FALSE(c.OutputBufferLent());
        EXPECT_NE(c.InputBuffer(), input.data());
        c.SetActive(false);
    }
}
