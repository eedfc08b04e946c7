// The audio device SDL_mixer is built against in the web build. SDL 1.2
// without threads opens no audio device, so tools/web-deps.sh builds SDL_mixer
// with SDL's five audio device calls renamed to these (-DSDL_OpenAudio=
// fwWebOpenAudio, ...); each keeps SDL's contract. The page's Web Audio pulls
// the mixer's samples through the module's fwWebAudioPull.
#pragma once

#include <SDL.h>

extern "C" {

// As SDL_OpenAudio: keeps desired's callback; the page plays 16-bit stereo at
// desired->freq in buffers of desired->samples frames. Opens paused. 0, or -1
// with SDL's error set (already open, another format, no Web Audio).
int fwWebOpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained);
// As SDL_CloseAudio: the callback is dropped; the page hears silence.
void fwWebCloseAudio();
// As SDL_PauseAudio: silence while pauseOn is not 0.
void fwWebPauseAudio(int pauseOn);
// As SDL_LockAudio / SDL_UnlockAudio: nothing to do, the page pulls only
// while the program sleeps between frames.
void fwWebLockAudio();
void fwWebUnlockAudio();
}
