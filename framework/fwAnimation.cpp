#include "fwAnimation.h"

SDL_Rect fwMakeRect(int32_t x, int32_t y, int32_t w, int32_t h) {
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = static_cast<Uint16>(w);
    r.h = static_cast<Uint16>(h);
    return r;
}

void TfwAnimSequence::AddFrame(int32_t x, int32_t y, int32_t w, int32_t h) {
    Frames.push_back(fwMakeRect(x, y, w, h));
}

void TfwAnimSequence::GetFrame(int32_t index, SDL_Rect& r) const {
    const int32_t count = FrameCount();
    if (count == 0)
        return;
    int32_t i = index % count; // sign of index, as truncating division gives it
    if (i < 0)
        i += count;
    r = Frames[static_cast<size_t>(i)];
}

TfwAnimSequence* TfwAnimSequences::Add() {
    auto sequence = std::make_unique<TfwAnimSequence>();
    TfwAnimSequence* result = sequence.get();
    TfwObjectlist::Add(std::move(sequence));
    return result;
}

void TfwAnimSequences::GetFrameRect(int32_t sequenceIndex, int32_t frameIndex, SDL_Rect& r) const {
    TfwAnimSequence* sequence = Sequences(sequenceIndex);
    if (sequence != nullptr)
        sequence->GetFrame(frameIndex, r);
}
