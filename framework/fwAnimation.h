// Animation frame sequences: the source rectangles of a sprite's animations.
#pragma once

#include "fwObject.h"

#include <SDL.h>

#include <vector>

// (x, y, w, h) as SDL 1.2's rectangle: x, y cut to signed and w, h to
// unsigned 16 bits (cut, not clamped).
SDL_Rect fwMakeRect(int32_t x, int32_t y, int32_t w, int32_t h);

class TfwAnimSequence : public TfwObject {
public:
    std::vector<SDL_Rect> Frames;

    int32_t FrameCount() const { return static_cast<int32_t>(Frames.size()); }
    // Appends (x, y, w, h), each cut to SDL's 16-bit fields.
    void AddFrame(int32_t x, int32_t y, int32_t w, int32_t h);
    // Frame index mod FrameCount (truncating). Empty sequences leave r alone.
    void GetFrame(int32_t index, SDL_Rect& r) const;
};

// The animations of a sprite by index; owns its sequences.
class TfwAnimSequences : public TfwObjectlist {
public:
    TfwAnimSequences() : TfwObjectlist(true) {}

    // EfwListIndexError outside the list, EfwInvalidCast for a foreign item.
    TfwAnimSequence* Sequences(int32_t index) const { return ItemAs<TfwAnimSequence>(index); }
    // A new empty sequence appended at index Count() - 1.
    TfwAnimSequence* Add();
    void GetFrameRect(int32_t sequenceIndex, int32_t frameIndex, SDL_Rect& r) const;
};
