// The board: see uGameGrid.h
#include "uGameGrid.h"

#include "fwConfig.h"
#include "fwObject.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <utility>

namespace {

// Pixels a stone moves in one frame of a step or a refused swap.
constexpr int32_t kStepSpeed = 2;
// The entry drop of a new board: lifted this far, brought down by a
// TmodButtonMoving(104, 0, 2), that is 52 frames of 4 pixels.
constexpr int32_t kDealLift = 208;
constexpr int32_t kDealDistance = 104;
constexpr int32_t kSpecialKind1 = 10;
constexpr int32_t kSpecialKind2 = 11;
// Stones of this kind and above are drawn over the others.
constexpr int32_t kFrameKind = 30;

uint32_t ClockSeed() {
    // Nanoseconds of the real-time clock, folded to 32 bits.
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    const auto v = static_cast<uint64_t>(now);
    return static_cast<uint32_t>(v ^ (v >> 32));
}

} // namespace

// ---------------------------------------------------------------- stones

TButtonSprite::TButtonSprite(TfwWorldObject* engine, TfwWorldObject* parent)
    : TfwSprite(engine, parent) {}

void TButtonSprite::Blink(bool on) {
    BlinkCounter = 7;
    BlinkCycles = on ? 3 : 0;
}

bool TButtonSprite::IsShownThisFrame() {
    if (BlinkCycles <= 0)
        return true;
    // One cycle is 15 draws: the counter runs 7 .. 1 (hidden), then 0 .. -7 (shown).
    const bool shown = BlinkCounter <= 0;
    if (BlinkCounter > -7) {
        --BlinkCounter;
    } else {
        BlinkCounter = 7;
        --BlinkCycles;
    }
    return shown;
}

void TButtonSprite::Draw(SDL_Surface* surface, const TfwRect& r, const TfwRect& clip,
                         int32_t flags) {
    if (IsShownThisFrame())
        TfwSprite::Draw(surface, r, clip, flags);
}

// ---------------------------------------------------------------- modifiers

TmodButtonOk::TmodButtonOk(TfwWorldObject* stone, int32_t dx, int32_t dy, int32_t targetCol,
                           int32_t targetRow, int32_t distance)
    : TfwPosModifier(stone, true), DX(dx), DY(dy), TargetCol(targetCol), TargetRow(targetRow),
      Distance(distance) {}

void TmodButtonOk::Step(int32_t arg) {
    (void)arg;
    if (Target == nullptr)
        return;
    if (Progress >= Distance) {
        Finish();
        return;
    }
    if (CanMove(Target->X, Target->Y, Target->Z)) {
        // The last move of an odd distance is 1 pixel, so the stone ends on its cell.
        const int32_t move = std::min(kStepSpeed, Distance - Progress);
        Target->X += move * DX;
        Target->Y += move * DY;
        Progress += move;
    }
}

TmodButtonFailed::TmodButtonFailed(TfwWorldObject* stone, int32_t dx, int32_t dy, int32_t distance)
    : TfwPosModifier(stone, true), DX(dx), DY(dy), Distance(distance) {}

void TmodButtonFailed::Step(int32_t arg) {
    (void)arg;
    if (Target == nullptr)
        return;
    if (!Returning) {
        if (Progress >= Distance) {
            Returning = true; // the frame of rest at the far end
        } else if (CanMove(Target->X, Target->Y, Target->Z)) {
            const int32_t move = std::min(kStepSpeed, Distance - Progress);
            Target->X += move * DX;
            Target->Y += move * DY;
            Progress += move;
        }
        return;
    }
    if (Progress <= 0) {
        Finish();
    } else if (CanMove(Target->X, Target->Y, Target->Z)) {
        const int32_t move = std::min(kStepSpeed, Progress);
        Target->X -= move * DX;
        Target->Y -= move * DY;
        Progress -= move;
    }
}

TmodButtonExplode::TmodButtonExplode(TfwWorldObject* stone) : TfwPosModifier(stone, true) {}

void TmodButtonExplode::Step(int32_t arg) {
    (void)arg;
    if (Target == nullptr)
        return;
    if (Delay > 0)
        --Delay;
    else
        Finish();
}

TmodButtonMoving::TmodButtonMoving(TfwWorldObject* target, int32_t distance, int32_t dx, int32_t dy)
    : TfwPosModifier(target, true), DX(dx), DY(dy), FramesLeft(distance / 2) {}

void TmodButtonMoving::Step(int32_t arg) {
    (void)arg;
    if (Target == nullptr)
        return;
    if (FramesLeft > 0) {
        --FramesLeft;
        // Only the vertical step is doubled.
        if (CanMove(Target->X, Target->Y, Target->Z)) {
            Target->X += DX;
            Target->Y += 2 * DY;
        }
    } else {
        Finish();
    }
}

// ---------------------------------------------------------------- random source

void TBoardRandom::Seed(uint32_t seed) {
    state_ = seed;
    twister_.seed(seed);
}

void TBoardRandom::Restore(uint32_t state) {
    state_ = state;
}

int32_t TBoardRandom::Random(int32_t n) {
    uint32_t next;
    if constexpr (kHandheld) {
        next = static_cast<uint32_t>(twister_());
    } else {
        state_ = state_ * 134775813u + 1u;
        next = state_;
    }
    if (n <= 0)
        return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(next) * static_cast<uint64_t>(n)) >> 32);
}

// ---------------------------------------------------------------- board

TGameGrid::TGameGrid(TfwSpriteEngine* engine) : Engine(engine) {
    ResizeCells();
}

TGameGrid::~TGameGrid() = default;

void TGameGrid::FixSeed(uint32_t seed) {
    SeedSource = [seed]() { return seed; };
}

void TGameGrid::ResizeCells() {
    Cells.assign(static_cast<size_t>(Height),
                 std::vector<TButtonSprite*>(static_cast<size_t>(Width), nullptr));
}

void TGameGrid::SetGridSize(int32_t width, int32_t height) {
    Width = std::max(width, 0);
    Height = std::max(height, 0);
    const bool sized = static_cast<int32_t>(Cells.size()) == Height &&
                       (Cells.empty() || static_cast<int32_t>(Cells[0].size()) == Width);
    if (sized)
        return;
    // Cells of the old size would be read with the new bounds; the board is
    // emptied instead and waits for its next deal.
    RemoveAllStones();
    ResizeCells();
}

void TGameGrid::SetCellSize(int32_t cellWidth, int32_t cellHeight) {
    CellWidth = cellWidth;
    CellHeight = cellHeight;
}

void TGameGrid::DiscardStoneModifiers() {
    if (Engine == nullptr)
        return;
    // Stones are recognised by address among the engine's live children, so
    // that no modifier's target is dereferenced here.
    std::unordered_set<const TfwWorldObject*> stones;
    for (int i = 0; i < Engine->ChildCount(); ++i)
        if (auto* stone = dynamic_cast<TButtonSprite*>(Engine->Children.Items(i)))
            stones.insert(stone);
    for (int i = Modifiers.Count() - 1; i >= 0; --i) {
        TfwPosModifier* m = Modifiers.Modifiers(i);
        if (stones.count(m->Target) == 0)
            continue;
        if (!updating_) {
            Modifiers.Delete(i);
            continue;
        }
        // Inside the list's pass nothing may leave the list: the modifier is
        // cut off its stone and marked finished, and the list frees it at the
        // end of this pass or, when it was stepped already, of the next one.
        m->Target = nullptr;
        m->State = TfwModifierState::msFinished;
        m->FreeOnFinish = true;
    }
}

void TGameGrid::RemoveAllStones() {
    DiscardStoneModifiers();
    if (Engine != nullptr)
        Engine->RemoveAllOfClass<TButtonSprite>();
    for (auto& row : Cells)
        std::fill(row.begin(), row.end(), nullptr);
}

TButtonSprite* TGameGrid::NewStone(int32_t kind, int32_t x, int32_t y) {
    if (Engine == nullptr)
        return nullptr;
    TButtonSprite* stone = Engine->AddChildOfClass<TButtonSprite>();
    if (stone == nullptr)
        return nullptr;
    stone->Kind = kind;
    stone->SetImage(kind >= 1 && kind <= kStoneImageCount ? Images[kind - 1] : nullptr);
    stone->SetPos(x, y, 0);
    return stone;
}

void TGameGrid::NewBoard(const TStoneImages& images, int32_t colourCount) {
    // With fewer than three kinds some cell has no kind that avoids a run and
    // the deal would never end; more than the image table cannot be drawn.
    if (colourCount < 3 || colourCount > kStoneImageCount)
        throw EfwError("TGameGrid::NewBoard: colour count out of range");
    ++deals_;
    RemoveAllStones();

    ColourCount = colourCount;
    Images = images;
    SpawnCount = 0;
    Rand.Seed(SeedSource ? SeedSource() : ClockSeed());
    ResizeCells();

    const int32_t strideX = CellPitchX();
    const int32_t strideY = CellPitchY();
    for (int32_t col = 0; col < Width; ++col) {
        for (int32_t row = 0; row < Height; ++row) {
            // Only stones to the left and above exist yet, so refusing every
            // kind that would complete a run leaves the finished board free of runs.
            int32_t kind;
            do {
                kind = Rand.Random(ColourCount) + 1;
            } while (InRun(Cells, col, row, kind));

            TButtonSprite* stone = NewStone(kind, col * strideX, row * strideY);
            if (stone == nullptr)
                continue; // the first CheckBoard fills the cell
            if (kind >= kFrameKind)
                stone->SetZ(1);
            stone->Show();
            Cells[row][col] = stone;

            stone->Y -= kDealLift;
            Modifiers.Add(std::make_unique<TmodButtonMoving>(stone, kDealDistance, 0, 2));
        }
    }
}

void TGameGrid::LayBoard(const TStoneImages& images, int32_t colourCount,
                         const std::vector<std::vector<int32_t>>& kinds) {
    if (colourCount < 3 || colourCount > kStoneImageCount)
        throw EfwError("TGameGrid::LayBoard: colour count out of range");
    ++deals_;
    RemoveAllStones();
    ColourCount = colourCount;
    Images = images;
    SpawnCount = 0;
    ResizeCells();
    for (int32_t row = 0; row < Height && row < static_cast<int32_t>(kinds.size()); ++row) {
        const std::vector<int32_t>& line = kinds[static_cast<size_t>(row)];
        for (int32_t col = 0; col < Width && col < static_cast<int32_t>(line.size()); ++col) {
            const int32_t kind = line[static_cast<size_t>(col)];
            if (kind < 1 || kind > kStoneImageCount)
                continue;
            TButtonSprite* stone = NewStone(kind, col * CellPitchX(), row * CellPitchY());
            if (stone == nullptr)
                continue;
            if (kind >= kFrameKind)
                stone->SetZ(1);
            stone->Show();
            Cells[row][col] = stone;
        }
    }
}

bool TGameGrid::OnBoard(const TCells& cells, int32_t col, int32_t row) const {
    return col >= 0 && row >= 0 && col < Width && row < Height &&
           row < static_cast<int32_t>(cells.size()) &&
           col < static_cast<int32_t>(cells[row].size());
}

TButtonSprite* TGameGrid::StoneAt(int32_t col, int32_t row) const {
    return OnBoard(Cells, col, row) ? Cells[row][col] : nullptr;
}

int32_t TGameGrid::KindAt(const TCells& cells, int32_t col, int32_t row) const {
    if (!OnBoard(cells, col, row) || cells[row][col] == nullptr)
        return -1;
    return cells[row][col]->Kind;
}

bool TGameGrid::IsKind(const TCells& cells, int32_t col, int32_t row, int32_t kind) const {
    return kind >= 0 && OnBoard(cells, col, row) && cells[row][col] != nullptr &&
           cells[row][col]->Kind == kind;
}

bool TGameGrid::InRun(const TCells& cells, int32_t col, int32_t row, int32_t kind) const {
    if (!OnBoard(cells, col, row))
        return false;
    const int32_t reach = MinRunLength - 1;
    // Horizontally, then vertically; the cell itself counts as holding kind,
    // whatever it holds.
    const int32_t directions[2][2] = {{1, 0}, {0, 1}};
    for (const auto& d : directions) {
        int32_t counter = 0;
        for (int32_t i = -reach; i <= reach; ++i) {
            if (i == 0 || IsKind(cells, col + i * d[0], row + i * d[1], kind))
                ++counter;
            else
                counter = 0;
            if (counter >= MinRunLength)
                return true;
        }
    }
    return false;
}

TButtonSprite* TGameGrid::ChangeStone(int32_t col, int32_t row, int32_t kind) {
    TButtonSprite* stone = StoneAt(col, row);
    // Kinds outside the image table have no meaning (and no picture to index).
    if (stone == nullptr || kind < 1 || kind > kStoneImageCount)
        return nullptr;
    stone->Kind = kind;
    stone->SetImage(Images[kind - 1]);
    stone->Show();
    return stone;
}

bool TGameGrid::IsValidSwap(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    if (!OnBoard(Cells, col1, row1) || !OnBoard(Cells, col2, row2))
        return false;
    std::swap(Cells[row1][col1], Cells[row2][col2]);
    const bool valid = InRun(Cells, col1, row1, KindAt(Cells, col1, row1)) ||
                       InRun(Cells, col2, row2, KindAt(Cells, col2, row2));
    std::swap(Cells[row1][col1], Cells[row2][col2]);
    return valid;
}

bool TGameGrid::StraightPair(int32_t col1, int32_t row1, int32_t col2, int32_t row2, int32_t& dx,
                             int32_t& dy) const {
    if (StoneAt(col1, row1) == nullptr || StoneAt(col2, row2) == nullptr)
        return false;
    dx = col2 - col1;
    dy = row2 - row1;
    return (dx != 0) != (dy != 0);
}

void TGameGrid::Swap(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    int32_t dx = 0;
    int32_t dy = 0;
    if (!StraightPair(col1, row1, col2, row2, dx, dy))
        return;
    TButtonSprite* first = Cells[row1][col1];
    TButtonSprite* second = Cells[row2][col2];
    const int32_t pitch = dx != 0 ? CellPitchX() : CellPitchY();
    auto arrived = [this](TfwPosModifier* sender) { StoneArrived(sender); };
    Modifiers.Add(std::make_unique<TmodButtonOk>(first, dx, dy, col2, row2, pitch))->OnFinish =
        arrived;
    Modifiers.Add(std::make_unique<TmodButtonOk>(second, -dx, -dy, col1, row1, pitch))->OnFinish =
        arrived;
}

void TGameGrid::RejectSwap(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    int32_t dx = 0;
    int32_t dy = 0;
    if (!StraightPair(col1, row1, col2, row2, dx, dy))
        return;
    const int32_t pitch = dx != 0 ? CellPitchX() : CellPitchY();
    Modifiers.Add(std::make_unique<TmodButtonFailed>(Cells[row1][col1], dx, dy, pitch));
    Modifiers.Add(std::make_unique<TmodButtonFailed>(Cells[row2][col2], -dx, -dy, pitch));
}

void TGameGrid::StoneArrived(TfwPosModifier* sender) {
    auto* step = dynamic_cast<TmodButtonOk*>(sender);
    if (step == nullptr)
        return;
    auto* stone = dynamic_cast<TButtonSprite*>(step->Target);
    const int32_t col = step->TargetCol;
    const int32_t row = step->TargetRow;
    if (stone == nullptr || !OnBoard(Cells, col, row))
        return;
    Cells[row][col] = stone;
    // A stone that came down leaves the cell above. Of two swapped stones,
    // whichever arrives first, both cells end up right: the second arrival
    // overwrites the first one's old cell.
    if (row > 0 && Cells[row - 1][col] == stone)
        Cells[row - 1][col] = nullptr;
}

void TGameGrid::StoneExploded(TfwPosModifier* sender) {
    auto* stone = dynamic_cast<TButtonSprite*>(sender != nullptr ? sender->Target : nullptr);
    if (stone == nullptr)
        return;
    const uint32_t deal = deals_;
    if (OnStoneRemoved)
        OnStoneRemoved(stone);
    // A handler that dealt a new board has freed the stone already.
    if (deal != deals_ || Engine == nullptr)
        return;
    Engine->Remove(stone);
}

bool TGameGrid::CheckBoard() {
    if (IsBusy())
        return false;
    bool gap = false;
    for (int32_t col = 0; col < Width; ++col) {
        for (int32_t row = 0; row < Height; ++row) {
            if (TButtonSprite* stone = Cells[row][col])
                stone->Marked = 0;
            else
                gap = true;
        }
    }
    if (gap) {
        FillGaps();
        return false;
    }
    bool marked = false;
    for (int32_t col = 0; col < Width; ++col) {
        for (int32_t row = 0; row < Height; ++row) {
            TButtonSprite* stone = Cells[row][col];
            if (InRun(Cells, col, row, stone->Kind)) {
                stone->Marked = 1;
                marked = true;
            }
        }
    }
    if (marked)
        ExplodeMarked();
    return marked;
}

void TGameGrid::ExplodeMarked() {
    int32_t count = 0;
    auto exploded = [this](TfwPosModifier* sender) { StoneExploded(sender); };
    for (int32_t col = 0; col < Width; ++col) {
        for (int32_t row = Height - 1; row >= 0; --row) {
            TButtonSprite* stone = Cells[row][col];
            if (stone == nullptr || stone->Marked == 0)
                continue;
            ++count;
            Cells[row][col] = nullptr;
            Modifiers.Add(std::make_unique<TmodButtonExplode>(stone))->OnFinish = exploded;
        }
    }
    if (count > 0 && OnStonesExploded)
        OnStonesExploded(count);
}

void TGameGrid::FillGaps() {
    if (IsBusy())
        return;
    for (int32_t col = 0; col < Width; ++col)
        FillColumnGap(col);
}

void TGameGrid::FillColumnGap(int32_t col) {
    int32_t gap = -1;
    for (int32_t row = Height - 1; row >= 0 && gap < 0; --row)
        if (Cells[row][col] == nullptr)
            gap = row;
    if (gap < 0)
        return;
    const int32_t pitch = CellPitchY();
    auto arrived = [this](TfwPosModifier* sender) { StoneArrived(sender); };
    // Everything above the lowest gap comes down one cell, also stones
    // above further gaps; those are closed by the following calls.
    for (int32_t row = gap - 1; row >= 0; --row)
        if (TButtonSprite* stone = Cells[row][col])
            Modifiers.Add(std::make_unique<TmodButtonOk>(stone, 0, 1, col, row + 1, pitch))
                ->OnFinish = arrived;

    TButtonSprite* stone = NewStone(SpawnKind(), col * CellPitchX(), -pitch);
    if (stone == nullptr)
        return;
    stone->Show();
    Modifiers.Add(std::make_unique<TmodButtonOk>(stone, 0, 1, col, 0, pitch))->OnFinish = arrived;
}

int32_t TGameGrid::SpawnKind() {
    if (++SpawnCount != kSpawnCycle)
        return Rand.Random(ColourCount) + 1;
    SpawnCount = 0;
    if (!KindOnBoard(kSpecialKind1))
        return kSpecialKind1;
    if (!KindOnBoard(kSpecialKind2))
        return kSpecialKind2;
    return Rand.Random(ColourCount) + 1;
}

bool TGameGrid::KindOnBoard(int32_t kind) const {
    for (int32_t col = 0; col < Width; ++col)
        for (int32_t row = Height - 1; row >= 0; --row)
            if (Cells[row][col] != nullptr && Cells[row][col]->Kind == kind)
                return true;
    return false;
}

bool TGameGrid::FindMove(int32_t n, int32_t& col1, int32_t& row1, int32_t& col2, int32_t& row2) {
    static constexpr int32_t kNeighbours[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    if (n <= 0)
        n = 1;
    for (int32_t row = 0; row < Height; ++row) {
        for (int32_t col = 0; col < Width; ++col) {
            for (const auto& d : kNeighbours) {
                const int32_t nc = col + d[0];
                const int32_t nr = row + d[1];
                if (!OnBoard(Cells, nc, nr) || !IsValidSwap(nc, nr, col, row))
                    continue;
                if (--n == 0) {
                    col1 = nc;
                    row1 = nr;
                    col2 = col;
                    row2 = row;
                    return true;
                }
            }
        }
    }
    return false;
}

bool TGameGrid::HasMoves() {
    int32_t c1, r1, c2, r2;
    return FindMove(1, c1, r1, c2, r2);
}

bool TGameGrid::Blinking() const {
    for (const auto& row : Cells)
        for (const TButtonSprite* stone : row)
            if (stone != nullptr && stone->BlinkCycles > 0)
                return true;
    return false;
}

bool TGameGrid::IsBusy() const {
    for (int i = 0; i < Modifiers.Count(); ++i) {
        if (dynamic_cast<const TmodNonLocking*>(Modifiers.Modifiers(i)) == nullptr)
            return true;
    }
    return false;
}

void TGameGrid::UpdateModifiers(int32_t arg) {
    const bool outer = updating_;
    updating_ = true;
    try {
        Modifiers.Update(arg);
    } catch (...) {
        updating_ = outer;
        throw;
    }
    updating_ = outer;
}
