// WorkingFormatImage: a file as the working-format WAV image the sound player plays for
// files the device cannot take, exactly what opening the file gives.
#include <gtest/gtest.h>

#include <fstream>

#include "acm_test_support.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "conversion/WorkingFormatImage.h"
#include "tests/support/TestWaves.h"

using namespace acmtest;

TEST(WorkingFormatImage, FileBecomesTheImageOfWhatOpeningItGivesOrRaisesItsError)
{
    TTempDir dir;
    const std::string plain = dir / "plain.wav";
    {
        TTxWavStream wave;
        wave.SetFormat(WorkingFormat());
        testwaves::Fill(wave, testwaves::Iota(301, 20));
        wave.SaveToFile(plain);
    }
    // Already in the working format: the same bytes come back.
    EXPECT_EQ(WorkingFormatImage(plain), ReadFile(plain));

    // Compressed: the 44-byte image of the converted wave.
    const std::string ima = FixturePath("tone_ima_adpcm_mono_11025.wav");
    TTxWavStream loaded, working;
    loaded.LoadFromFile(ima);
    TACMConvertor convertor;
    ConvertToWorkingFormat(convertor, loaded, working);
    TMemoryStream expected;
    working.SaveToStream(expected);
    ASSERT_GT(working.Size(), 1000);
    EXPECT_EQ(WorkingFormatImage(ima), testwaves::Bytes(expected));

    const std::string junk = dir / "junk.wav";
    std::ofstream(junk, std::ios::binary) << "RIFX\x10\0\0\0WAVEfmt ";
    const std::string missing = dir / "missing.wav";
    EXPECT_EQ(testwaves::ErrorOf<Exception>([&] { WorkingFormatImage(junk); }), "Not a valid WAV file.");
    EXPECT_EQ(testwaves::ErrorOf<Exception>([&] { WorkingFormatImage(missing); }),
              "Datei " + missing + " kann nicht ge\xC3\xB6" "ffnet werden");
}
