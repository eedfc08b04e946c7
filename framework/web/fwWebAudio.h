// The page's side of the web build's SDL_mixer (SDL_mixer.h, fwWebAudio.cpp):
// the Web Audio graph in fwWebAudio.js. Sounds and the music are numbered by
// the page; volumes are SDL_mixer's, 0 .. 128.
#pragma once

extern "C" {

// The format of the sounds the browser decodes: 1 Ogg Vorbis, 2 MP3 (the
// media's copies for a browser without Ogg Vorbis), 0 neither.
int fwWebAudioFormat();
// Where the browser decodes MP3 only, fetches the effects' MP3 copies from
// beside the page into folder (the packaged sounds' folder) in the
// background; fwWebAudioEffectsReady is 1 once they are there (at once for
// a browser that plays the packaged Ogg Vorbis ones).
void fwWebAudioFetchEffects(const char* folder);
int fwWebAudioEffectsReady();
// Opens the page's AudioContext, suspended until the first key, click or
// touch: 1, 0 where the browser has no Web Audio, -1 where it decodes neither
// format.
int fwWebAudioOpen();
void fwWebAudioClose();
// A new sound from a copy of the file's bytes, decoded by the browser in the
// background (a start before it is decoded is silent); its number.
int fwWebAudioSound(const unsigned char* bytes, int size);
void fwWebAudioFreeSound(int sound);
// As Mix_PlayChannelTimed, Mix_Playing, Mix_Volume (one channel, or -1 for all)
// and Mix_VolumeChunk on the page's sounds.
int fwWebAudioPlay(int sound, int channel, int loops, int ticks);
int fwWebAudioPlaying(int channel);
void fwWebAudioChannelVolume(int channel, int volume);
void fwWebAudioSoundVolume(int sound, int volume);
// The music: file names the track (its .ogg name; a browser without Ogg
// Vorbis fetches the .mp3 copy beside it), fetched from beside the page once
// the title has been shown; Start plays it from its
// beginning (times: 0 for ever), Fade ends it over ms.
void fwWebAudioMusicFile(const char* file);
void fwWebAudioMusicStart(int times, int fadeInMs);
int fwWebAudioMusicFade(int ms);
void fwWebAudioMusicHalt();
int fwWebAudioMusicPlaying();
void fwWebAudioMusicVolume(int volume);
// 1 while the page's audio waits for the player's first gesture.
int fwWebAudioWaits();

// Called by the page: the music has played out or faded out.
void fwWebAudioMusicEnded();
}
