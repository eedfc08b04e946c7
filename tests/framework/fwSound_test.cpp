#include "fwLog.h"
#include "fwSound.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace {

// A PCM WAV file of ms milliseconds: 22050 Hz, 16-bit stereo, a quiet square
// wave. SDL_mixer reads it as a sample and as music alike.
void WriteWav(const std::string& path, int ms) {
    const uint32_t frames = 22050u * static_cast<uint32_t>(ms) / 1000u;
    std::string data;
    for (uint32_t i = 0; i < frames; ++i) {
        const uint32_t v = (i / 50) % 2 ? 0x0400 : 0xFC00;
        PutLE16(data, v);
        PutLE16(data, v);
    }
    std::string file = "RIFF";
    PutLE32(file, 36 + static_cast<uint32_t>(data.size()));
    file += "WAVEfmt ";
    PutLE32(file, 16);
    PutLE16(file, 1); // PCM
    PutLE16(file, 2);
    PutLE32(file, 22050);
    PutLE32(file, 22050 * 4);
    PutLE16(file, 4);
    PutLE16(file, 16);
    file += "data";
    PutLE32(file, static_cast<uint32_t>(data.size()));
    WriteFile(path, file + data);
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The game's audio device on SDL's dummy driver, which mixes in real time.
// The sounds are long (seconds) against tests that take milliseconds.
class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
        WriteWav("long.wav", 5000);
        WriteWav("short.wav", 200);
    }
    void TearDown() override {
        Mix_HaltMusic();
        Mix_CloseAudio();
        SDL_Quit();
    }
    TTempDir dir;
};

TEST_F(AudioTest, SoundPlaysOnAFreeChannelThenTakesItsVolume) {
    TfwSDLSound sound(2);
    EXPECT_EQ(sound.Tag, 2);
    ASSERT_TRUE(sound.LoadFromFile("beep", "long.wav"));
    EXPECT_TRUE(sound.Loaded);
    EXPECT_EQ(sound.Name, "beep");
    ASSERT_NE(sound.Chunk, nullptr);
    EXPECT_TRUE(sound.Play(50));
    EXPECT_EQ(Mix_VolumeChunk(sound.Chunk, -1), 50);
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_TRUE(sound.Play(70));
    EXPECT_EQ(Mix_Playing(-1), 2);
    EXPECT_EQ(Mix_VolumeChunk(sound.Chunk, -1), 70);
    // No name check: the same name loads again.
    EXPECT_TRUE(sound.Reload());
    EXPECT_TRUE(sound.Unload());
    EXPECT_FALSE(sound.Unload());
}

TEST_F(AudioTest, SoundFromAMissingFileLogsOnceAndIsEmpty) {
    TfwSDLSound sound(0);
    ASSERT_TRUE(sound.LoadFromFile("a", "short.wav"));
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(sound.LoadFromFile("b", "missing.wav"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_TRUE(StartsWith(Log().LastLine(), "SDLSoundFX::LoadFromFile: ")) << Log().LastLine();
    EXPECT_EQ(sound.Chunk, nullptr); // the old sample went first
    EXPECT_EQ(sound.Name, "a");

    // Not a sound at all: refused the same way.
    WriteFile("noise.wav", "not a wave file");
    EXPECT_FALSE(sound.LoadFromFile("c", "noise.wav"));
    EXPECT_EQ(Log().LinesWritten(), lines + 2);
    EXPECT_TRUE(StartsWith(Log().LastLine(), "SDLSoundFX::LoadFromFile: "));
}

TEST_F(AudioTest, PlayOnAnEmptySoundIsRefusedSilently) {
    TfwSDLSound sound(0);
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(sound.Play(100));
    EXPECT_EQ(Log().LinesWritten(), lines);
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(AudioTest, SoundWithEveryChannelBusyLogsAndFails) {
    Mix_AllocateChannels(1);
    TfwSDLSound sound(0);
    ASSERT_TRUE(sound.LoadFromFile("a", "long.wav"));
    ASSERT_TRUE(sound.Play(40));
    Mix_Pause(-1); // a paused channel stays taken, whatever the clock does
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(sound.Play(90));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_TRUE(StartsWith(Log().LastLine(), "SDLSoundFX::Play: ")) << Log().LastLine();
    EXPECT_EQ(Mix_VolumeChunk(sound.Chunk, -1), 40); // the failed start set nothing
}

TEST_F(AudioTest, SoundAndMusicPathsAreCutTo255Characters) {
    auto paths = LongPath(255, 300, ".wav");
    WriteWav(paths.first, 100);
    ASSERT_FALSE(FileExists(paths.second));
    TfwSDLSound sound(0);
    EXPECT_TRUE(sound.LoadFromFile("long", paths.second));
    EXPECT_EQ(sound.FileName, paths.second);
    TfwSDLMusic music(0);
    EXPECT_TRUE(music.LoadFromFile("long", paths.second));
    EXPECT_EQ(music.FileName, paths.second);
}

TEST_F(AudioTest, MusicRefusesPlayWhileAnyMusicPlays) {
    TfwSDLMusic first(0);
    TfwSDLMusic second(0);
    ASSERT_TRUE(first.LoadFromFile("one", "long.wav"));
    ASSERT_TRUE(second.LoadFromFile("two", "short.wav"));
    EXPECT_FALSE(first.IsPlaying());
    ASSERT_TRUE(first.Play(64, true, 0));
    EXPECT_TRUE(first.IsPlaying());
    EXPECT_TRUE(second.IsPlaying()); // the mixer's one stream
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);

    const int lines = Log().LinesWritten();
    EXPECT_FALSE(second.Play(10, false, 0));
    EXPECT_FALSE(first.Play(10, false, 0));
    EXPECT_EQ(Mix_VolumeMusic(-1), 64); // refused before anything changed
    EXPECT_EQ(Log().LinesWritten(), lines);
}

TEST_F(AudioTest, MusicVolumeIsKeptForANegativeValue) {
    TfwSDLMusic music(0);
    ASSERT_TRUE(music.LoadFromFile("m", "long.wav"));
    Mix_VolumeMusic(33);
    ASSERT_TRUE(music.Play(-1, false, 0));
    EXPECT_EQ(Mix_VolumeMusic(-1), 33);
    ASSERT_TRUE(music.Stop(0));
    ASSERT_TRUE(music.Play(0, true, 200));
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
}

TEST_F(AudioTest, StopHaltsOrFadesAndAnswersFalseWhenNothingPlays) {
    TfwSDLMusic music(0);
    EXPECT_FALSE(music.Stop(0));
    EXPECT_FALSE(music.Stop(500));
    ASSERT_TRUE(music.LoadFromFile("m", "long.wav"));
    EXPECT_FALSE(music.Stop(0));

    ASSERT_TRUE(music.Play(50, true, 0));
    EXPECT_TRUE(music.Stop(0));
    EXPECT_FALSE(music.IsPlaying());

    ASSERT_TRUE(music.Play(50, true, 0));
    EXPECT_TRUE(music.Stop(500));
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
}

TEST_F(AudioTest, MusicReloadHaltsTheStreamFirst) {
    TfwSDLMusic music(0);
    ASSERT_TRUE(music.LoadFromFile("m", "long.wav"));
    ASSERT_TRUE(music.Play(50, true, 0));
    ASSERT_TRUE(music.LoadFromFile("m", "short.wav"));
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_EQ(music.FileName, "short.wav");
    EXPECT_TRUE(music.Play(50, false, 0));
    EXPECT_TRUE(music.Unload());
    EXPECT_FALSE(music.IsPlaying());
    EXPECT_FALSE(music.Unload());
}

TEST_F(AudioTest, MusicLoadAndPlayFailuresLogOnce) {
    TfwSDLMusic music(0);
    ASSERT_TRUE(music.LoadFromFile("m", "long.wav"));
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(music.LoadFromFile("n", "missing.ogg"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_TRUE(StartsWith(Log().LastLine(), "SDLMusic::LoadFromFile: ")) << Log().LastLine();
    EXPECT_EQ(music.Music, nullptr);
    EXPECT_EQ(music.Name, "m");

    EXPECT_FALSE(music.Play(50, false, 0));
    EXPECT_EQ(Log().LinesWritten(), lines + 2);
    EXPECT_TRUE(StartsWith(Log().LastLine(), "SDLMusic::Play: ")) << Log().LastLine();
    EXPECT_FALSE(music.IsPlaying());
}

} // namespace
