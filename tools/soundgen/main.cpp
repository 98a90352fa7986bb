// QuorvexSoundGen: synthesises every sound effect the game plays and writes
// them as 16-bit PCM WAV files. The same program always writes the same bytes.
#include "tools/soundgen/Effects.h"
#include "tools/soundgen/WavFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace
{
void PrintUsage(std::FILE* out)
{
    std::fputs("Usage: QuorvexSoundGen [--out FOLDER] [--help]\n"
               "Synthesises the game's sound effects (shots, hits, explosions, pickups, the\n"
               "thrust and fuel loops, cloak, chat, joins, round over, menu) and writes them\n"
               "as 16-bit mono PCM WAV files, the same bytes on every run.\n"
               "  --out FOLDER  where to write them (default: data/Sounds)\n"
               "  --help        show this text\n"
               "scripts/sound-pictures.sh draws a spectrogram of each file to look at.\n",
               out);
}

int WriteSounds(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (size_t i = 0; i < kSoundCount; ++i)
    {
        std::string path = folder + "/" + kSoundEffects[i].file;
        if (!WriteWav(path, MakeEffect(static_cast<Sound>(i)), synth::kSampleRate))
        {
            std::fprintf(stderr, "QuorvexSoundGen: cannot write %s; check that the folder is writable\n",
                         path.c_str());
            return 1;
        }
    }
    std::printf("Wrote %zu sounds to %s\n", kSoundCount, folder.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    std::string folder = "data/Sounds";
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
        {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            folder = argv[++i];
        else
        {
            std::fprintf(stderr, "QuorvexSoundGen: unknown or incomplete option '%s'\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
    }
    return WriteSounds(folder);
}
