// WorkingFormatImage: a file as the working-format WAV image the sound player plays for
// files the device cannot take (that it equals what opening gives is checked at the
// device, in the player's tests).
#include <gtest/gtest.h>

#include <fstream>

#include "acm_test_support.h"
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

    const std::string junk = dir / "junk.wav";
    std::ofstream(junk, std::ios::binary) << "RIFX, not RIFF";
    const std::string missing = dir / "missing.wav";
    EXPECT_EQ(testwaves::ErrorOf<Exception>([&] { WorkingFormatImage(junk); }), "Not a valid WAV file.");
    EXPECT_EQ(testwaves::ErrorOf<Exception>([&] { WorkingFormatImage(missing); }),
              "Datei " + missing + " kann nicht ge\xC3\xB6" "ffnet werden");
}
