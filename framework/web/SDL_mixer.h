// SDL_mixer in the web build: the calls the framework and the game make, each
// with SDL_mixer 1.2's contract, played by the browser's own Web Audio
// (fwWebAudio.cpp, fwWebAudio.js). Nothing is mixed by the program: every
// sound is decoded once by the browser and played by it on its audio thread.
// Eight channels as SDL_mixer's; a chunk's volume times its channel's is the
// gain it plays at. The music is a file the page fetches from beside itself,
// under the name it has in the working folder (data/musics/track1.ogg), or
// its MP3 copy beside it (track1.mp3) where the browser decodes no Ogg Vorbis.
#pragma once

#include <SDL.h>

#define MIX_MAX_VOLUME 128
#define MIX_CHANNELS 8

// A sample the browser decodes; owned by the caller of Mix_LoadWAV_RW.
struct Mix_Chunk {
    int Sound;  // the page's number for its decoded buffer
    int Volume; // 0 .. MIX_MAX_VOLUME
};
// A piece of music: the name of the file the page plays.
struct _Mix_Music;
typedef struct _Mix_Music Mix_Music;

#define Mix_GetError SDL_GetError
#define Mix_PlayChannel(channel, chunk, loops) Mix_PlayChannelTimed(channel, chunk, loops, -1)

extern "C" {

// Opens the page's audio, suspended until the player's first key, click or
// touch; 0, or -1 with SDL's error set (already open, no Web Audio, or a
// browser that decodes neither Ogg Vorbis nor MP3). The format asked for is the
// browser's business: it plays at its own rate.
int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize);
// Halts every sound and the music and closes the page's audio.
void Mix_CloseAudio();
// The channel's volume (-1: all channels) set unless volume < 0; the old one
// (all channels: their average).
int Mix_Volume(int channel, int volume);
// The chunk's volume set unless volume < 0, also where it plays now; the old one.
int Mix_VolumeChunk(Mix_Chunk* chunk, int volume);
// The music's volume set unless volume < 0, also while it plays; the old one.
int Mix_VolumeMusic(int volume);

// The sample's bytes read from src (closed when freesrc is not 0) and handed
// to the browser to decode; nullptr with SDL's error set when none were read.
Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc);
// Halts the chunk where it plays and frees it.
void Mix_FreeChunk(Mix_Chunk* chunk);
// Plays the chunk loops + 1 times (-1: for ever), for at most ticks ms (-1:
// no limit), on the channel (-1: the first free one); the channel, or -1
// with SDL's error set when every channel is busy.
int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks);
// Whether the channel plays (-1: how many channels play).
int Mix_Playing(int channel);

// The music of file (it must exist in the working folder); nullptr with SDL's
// error set when there is none.
Mix_Music* Mix_LoadMUS(const char* file);
// Halts the music when it plays this one, and frees it.
void Mix_FreeMusic(Mix_Music* music);
// Starts the music, fading in over ms: once for loops 0 and 1, loops + 1
// times for more, for ever for -1; any music playing is halted first. It
// counts as playing from now on, though it sounds only once the page's audio
// runs and its file has arrived.
int Mix_FadeInMusic(Mix_Music* music, int loops, int ms);
// Fades the music out over ms; its end is the hook's. 0 when none plays.
int Mix_FadeOutMusic(int ms);
// Stops the music at once, without calling the hook.
int Mix_HaltMusic();
// 1 from the start of the music until it is halted or ends, else 0.
int Mix_PlayingMusic();
// Called when the music has played out or faded out (between the page's
// animation frames, never inside one).
void Mix_HookMusicFinished(void (*musicFinished)());
// The page mixes nothing: a post-mix hook is kept but never called.
void Mix_SetPostMix(void (*mixFunc)(void* udata, Uint8* stream, int len), void* arg);
}
