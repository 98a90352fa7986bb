// The committed sound effects: the generator still makes exactly these files,
// every effect the game names is a 16-bit mono PCM WAV file that never
// reaches full scale, the one-shots start and end at silence (no click), and
// the loops join without a step larger than the sound itself makes.
#include "game/SoundEffects.h"
#include "platform/ByteIo.h"
#include "platform/Files.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using testing_support::ReadFile;

namespace
{
std::string SoundsFolder()
{
    return std::string(QUORVEX_SOURCE_DIR) + "/data/Sounds";
}

// The samples of a canonical 44-byte-header WAV file of 16-bit mono PCM;
// empty when the file is not one.
std::vector<int> PcmSamples(const std::string& bytes)
{
    platform::ByteReader read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const bool riff =
        read.String(4) == "RIFF" && read.U32() == bytes.size() - 8 && read.String(8) == "WAVEfmt ";
    const bool format = read.U32() == 16 && read.U16() == 1 && read.U16() == 1;
    const uint32_t rate = read.U32(), byteRate = read.U32();
    const bool layout = read.U16() == 2 && read.U16() == 16 && byteRate == rate * 2;
    const bool data = read.String(4) == "data" && read.U32() == bytes.size() - 44;
    std::vector<int> samples;
    if (!(riff && format && layout && data && read.Ok()))
        return samples;
    while (read.Remaining() >= 2)
        samples.push_back(read.I16());
    return samples;
}

TEST(Sounds, GeneratorMakesTheCommittedFiles)
{
    testing_support::TempDir dir;
    testing_support::ChildProcess generator(testing_support::ProgramPath("QuorvexSoundGen"),
                                            {"--out", dir.Path()});
    ASSERT_EQ(generator.Wait(std::chrono::seconds(60)), 0);
    std::vector<std::string> made = platform::ListFiles(dir.Path(), ".wav");
    EXPECT_EQ(made.size(), kSoundCount);
    EXPECT_EQ(made, platform::ListFiles(SoundsFolder(), ".wav"));
    for (const std::string& name : made)
        EXPECT_TRUE(ReadFile(dir.File(name)) == ReadFile(SoundsFolder() + "/" + name))
            << name
            << " differs from what tools/soundgen makes: run build/QuorvexSoundGen and commit data/Sounds";
}

TEST(Sounds, EveryEffectIsPcmThatNeitherClipsNorClicks)
{
    for (const SoundEffectInfo& effect : kSoundEffects)
    {
        SCOPED_TRACE(effect.file);
        std::vector<int> samples = PcmSamples(ReadFile(SoundsFolder() + "/" + effect.file));
        ASSERT_GT(samples.size(), 500u) << "not a 16-bit mono PCM WAV file of some length";
        int peak = 0, step = 0;
        for (size_t i = 0; i < samples.size(); ++i)
        {
            peak = std::max(peak, std::abs(samples[i]));
            if (i > 0)
                step = std::max(step, std::abs(samples[i] - samples[i - 1]));
        }
        EXPECT_LT(peak, 32767 * 9 / 10) << "closer to full scale than -0.9 dB";
        EXPECT_GT(peak, 32767 / 4) << "audible";
        if (effect.loop)
            EXPECT_LE(std::abs(samples.back() - samples.front()), step)
                << "the seam steps more than the sound";
        else
            EXPECT_LE(std::max(std::abs(samples.front()), std::abs(samples.back())), 64)
                << "starts or ends loud";
    }
}
} // namespace
