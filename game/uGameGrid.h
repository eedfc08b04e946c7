// The board: a grid of stone sprites and the rules of dealing, swapping,
// matching, clearing, falling and refilling, plus the stone sprite itself and
// the five stone animations through which every change is shown.
//
// All animation is counted in frames: a modifier advances once per call of
// TGameGrid::UpdateModifiers. Positions are pixels in sprite-engine
// coordinates; cell (col, row) rests at col * CellPitchX(), row * CellPitchY().
#pragma once

#include "fwSprite.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

class TfwSDLImage;

// A stone: a sprite with the board's kind and run mark, and a hint blink.
class TButtonSprite : public TfwSprite {
public:
    TButtonSprite(TfwWorldObject* engine, TfwWorldObject* parent);

    int32_t Kind = -1;  // -1 until the board gives one; matches only its own kind
    uint8_t Marked = 0; // 1 while the stone lies in a run found by CheckBoard
    int32_t BlinkCounter = 7;
    int32_t BlinkCycles = 0; // blink cycles left; 0 = not blinking

    // on: three cycles of 7 hidden and 8 shown draws; off: shown from the next draw.
    void Blink(bool on);
    // The blink test; advances the blink by one draw.
    bool IsShownThisFrame();
    // Draws as a sprite does, except in the hidden draws of a blink.
    void Draw(SDL_Surface* surface, const TfwRect& r, const TfwRect& clip, int32_t flags) override;
};

// One-cell step of Distance pixels (the board's cell pitch along the
// direction (DX, DY)), 2 pixels a frame, finishing in the frame after the last
// move: 14 frames for the pitch of 26. TargetCol/TargetRow: the cell the stone
// enters when it finishes.
class TmodButtonOk : public TfwPosModifier {
public:
    TmodButtonOk(TfwWorldObject* stone, int32_t dx, int32_t dy, int32_t targetCol,
                 int32_t targetRow, int32_t distance);

    int32_t Progress = 0; // pixels travelled along the step
    int32_t DX;
    int32_t DY;
    int32_t TargetCol;
    int32_t TargetRow;
    int32_t Distance;

    void Step(int32_t arg) override;
};

// Refused swap: out by Distance pixels (the board's cell pitch), one frame of
// rest, back to the exact start; 2 pixels a frame, so 28 frames for the pitch of 26.
class TmodButtonFailed : public TfwPosModifier {
public:
    TmodButtonFailed(TfwWorldObject* stone, int32_t dx, int32_t dy, int32_t distance);

    int32_t Progress = 0;
    int32_t DX;
    int32_t DY;
    int32_t Distance;
    bool Returning = false;

    void Step(int32_t arg) override;
};

// The pause before a cleared stone disappears: 12 idle frames, finishing in the 13th.
class TmodButtonExplode : public TfwPosModifier {
public:
    explicit TmodButtonExplode(TfwWorldObject* stone);

    int32_t Delay = 12;

    void Step(int32_t arg) override;
};

// Straight movement for distance / 2 frames (truncated toward zero) of DX
// pixels across and 2 * DY pixels down; finishes one frame later.
class TmodButtonMoving : public TfwPosModifier {
public:
    TmodButtonMoving(TfwWorldObject* target, int32_t distance, int32_t dx, int32_t dy);

    int32_t DX;
    int32_t DY;
    int32_t FramesLeft;

    void Step(int32_t arg) override;
};

// The same movement as TmodButtonMoving that does not make the board busy
// (the game's rising score markers).
class TmodNonLocking : public TmodButtonMoving {
public:
    using TmodButtonMoving::TmodButtonMoving;
};

// The board's random source: Random(n) yields 0 .. n-1. The desktop build runs
// a 32-bit linear congruential generator, the handheld build MT19937; both take
// the upper 32 bits of (next 32-bit value) * n.
class TBoardRandom {
public:
    void Seed(uint32_t seed);
    // 0 .. n-1; 0 for n <= 0 (the state still advances).
    int32_t Random(int32_t n);
    // The linear congruential state (the desktop generator), and the same
    // state given back: the numbers that follow are those that followed it.
    uint32_t State() const { return state_; }
    void Restore(uint32_t state);

private:
    uint32_t state_ = 0;
    std::mt19937 twister_;
};

// [row][col]; row 0 is the top row. nullptr is an empty cell. References only:
// the stones belong to the sprite engine.
using TCells = std::vector<std::vector<TButtonSprite*>>;

inline constexpr int kStoneImageCount = 32;
// Every kSpawnCycle-th stone spawned by FillGaps is special.
inline constexpr int32_t kSpawnCycle = 30;
// Pixels between two neighbouring cells.
inline constexpr int32_t kCellGap = 2;
// Entry k-1 is the picture of stone kind k; not owned.
using TStoneImages = std::array<TfwSDLImage*, kStoneImageCount>;

class TGameGrid {
public:
    // engine: where every stone lives; not owned.
    explicit TGameGrid(TfwSpriteEngine* engine);
    ~TGameGrid();
    TGameGrid(const TGameGrid&) = delete;
    TGameGrid& operator=(const TGameGrid&) = delete;

    TCells Cells;
    TfwSpriteEngine* Engine;
    TfwModifierList Modifiers; // every modifier of the board's stones; owned
    TStoneImages Images{};     // copied in by NewBoard; not owned
    int32_t MinRunLength = 3;
    int32_t Width = 10;
    int32_t Height = 8;
    int32_t ColourCount = 0;
    int32_t CellWidth = 0;
    int32_t CellHeight = 0;
    int32_t SpawnCount = 0; // stones spawned by FillGaps since NewBoard, wraps at 30

    // Called for each cleared stone when its explosion ends, just before the
    // stone is freed.
    std::function<void(TButtonSprite* stone)> OnStoneRemoved;
    // Called once per clearing with the number of stones that started exploding.
    std::function<void(int32_t count)> OnStonesExploded;

    // The random source and the seam that seeds it: NewBoard calls SeedSource
    // once (by default a reading of the real-time clock).
    TBoardRandom Rand;
    std::function<uint32_t()> SeedSource;
    // Makes every following NewBoard seed with this value.
    void FixSeed(uint32_t seed);

    // Sizes the grid. A board that already holds cells of another size is
    // emptied (its stones freed) and resized at once, so that cells and
    // dimensions always agree; the next NewBoard deals it.
    void SetGridSize(int32_t width, int32_t height);
    void SetCellSize(int32_t cellWidth, int32_t cellHeight);
    // From one cell to the next, in pixels: the cell size plus the gap. Stones,
    // their steps and whatever is drawn over the cells keep to it.
    int32_t CellPitchX() const { return CellWidth + kCellGap; }
    int32_t CellPitchY() const { return CellHeight + kCellGap; }

    // Deals a new random board without runs; the stones drop in from 208 pixels
    // above their cells (busy for 53 frames). Any running modifier of a stone is
    // discarded first without its finish handler; other sprites' modifiers go on.
    // EfwError for a colour count outside 3 .. 32.
    void NewBoard(const TStoneImages& images, int32_t colourCount);

    // Lays the given kinds ([row][col], row 0 at the top; a kind outside 1 ..
    // 32 leaves its cell empty) at rest in their cells, without a deal's drop
    // and without a run test. SpawnCount starts at 0 and the random source is
    // untouched: a caller restoring a board sets both. EfwError as NewBoard.
    void LayBoard(const TStoneImages& images, int32_t colourCount,
                  const std::vector<std::vector<int32_t>>& kinds);

    // nullptr outside the board or for an empty cell.
    TButtonSprite* StoneAt(int32_t col, int32_t row) const;
    // -1 for an empty cell or outside the board.
    int32_t KindAt(const TCells& cells, int32_t col, int32_t row) const;
    // kind >= 0 and the cell holds a stone of that kind.
    bool IsKind(const TCells& cells, int32_t col, int32_t row, int32_t kind) const;
    // Would the cell, holding kind, lie in a line of at least MinRunLength
    // equal kinds? False for a cell outside the board.
    bool InRun(const TCells& cells, int32_t col, int32_t row, int32_t kind) const;
    // Gives the cell's stone the kind and its picture and shows it; no run
    // test. nullptr and no change for an empty cell or a kind outside 1 .. 32.
    TButtonSprite* ChangeStone(int32_t col, int32_t row, int32_t kind);

    // Would exchanging the two cells form a run? The board is left unchanged.
    bool IsValidSwap(int32_t col1, int32_t row1, int32_t col2, int32_t row2);
    // Animated exchange (14 frames); the cells change when the steps finish.
    // Nothing unless both cells hold stones in one row or column.
    void Swap(int32_t col1, int32_t row1, int32_t col2, int32_t row2);
    // Out and back (28 frames); the cells never change. Same precondition as Swap.
    void RejectSwap(int32_t col1, int32_t row1, int32_t col2, int32_t row2);

    // Finish handler of every TmodButtonOk: the stone enters its target cell.
    void StoneArrived(TfwPosModifier* sender);
    // Finish handler of every TmodButtonExplode: OnStoneRemoved, then the stone is freed.
    void StoneExploded(TfwPosModifier* sender);

    // The per-frame resolution step: refill gaps, else mark and explode every
    // run. True when stones started exploding. Nothing while busy.
    bool CheckBoard();
    // Starts the explosion of every marked stone and empties its cell.
    void ExplodeMarked();
    // One refill step: in each column the stones above the lowest gap move
    // down a cell and a new stone enters from above row 0. Nothing while busy.
    void FillGaps();
    bool KindOnBoard(int32_t kind) const;

    // The n-th valid exchange (n <= 0 counts as 1) in search order: rows, then
    // columns; neighbours left, right, up, down. (col1, row1) is the
    // neighbour, (col2, row2) the visited cell; untouched when none is found.
    bool FindMove(int32_t n, int32_t& col1, int32_t& row1, int32_t& col2, int32_t& row2);
    bool HasMoves();
    // Any modifier other than a TmodNonLocking is running.
    bool IsBusy() const;
    // Does a stone blink (it changes with every draw)?
    bool Blinking() const;

    // Adds a modifier to the board's list (owned from now on) and hands it back.
    template <class T> T* AddModifier(std::unique_ptr<T> m) { return Modifiers.Add(std::move(m)); }
    // One frame of every modifier.
    void UpdateModifiers(int32_t arg);

private:
    bool OnBoard(const TCells& cells, int32_t col, int32_t row) const;
    TButtonSprite* NewStone(int32_t kind, int32_t x, int32_t y);
    void DiscardStoneModifiers();
    void RemoveAllStones();
    void ResizeCells();
    // FillGaps in one column: the stones above its lowest gap step down, a new one enters.
    void FillColumnGap(int32_t col);
    // The kind of the next stone FillGaps brings in; every 30th is special.
    int32_t SpawnKind();
    bool StraightPair(int32_t col1, int32_t row1, int32_t col2, int32_t row2, int32_t& dx,
                      int32_t& dy) const;

    bool updating_ = false; // inside UpdateModifiers' pass
    uint32_t deals_ = 0;    // boards dealt; tells a handler that the board changed under it
};
