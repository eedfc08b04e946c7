// The program body's guard: whatever error ends the application inside RunApp
// reaches the log as its message alone, and the program ends quietly.
#include "fwGameApp.h"
#include "fwLog.h"
#include "tessaril.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// An application that runs one frame; Fail runs in the hook chosen by FailIn.
class TFailingApp : public TfwGameApp {
public:
    using TfwGameApp::TfwGameApp;
    enum class THook { InitGame, Frame };
    static inline THook FailIn = THook::Frame;
    static inline std::function<void()> Fail;

    void InitGame() override {
        if (FailIn == THook::InitGame)
            Fail();
    }
    void ProcessFrame(SDL_Surface*) override {
        Quit();
        if (FailIn == THook::Frame)
            Fail();
    }
};

int RunFailingApp() {
    return RunGuarded([] { RunApp<TFailingApp>(); });
}

} // namespace

TEST(ProgramBody, AnErrorInsideRunAppIsLoggedAndEndsTheProgramAsAFailure) {
    struct TCase {
        const char* Name;
        TFailingApp::THook Hook;
        std::function<void()> Fail;
        const char* Logged;
    };
    const TCase cases[] = {
        {"list index in InitGame", TFailingApp::THook::InitGame, [] { TfwObjectlist().Items(3); },
         "List index out of bounds (3)"},
        {"list index in a frame", TFailingApp::THook::Frame, [] { TfwObjectlist(false).Delete(0); },
         "List index out of bounds (0)"},
        {"invalid cast in a frame", TFailingApp::THook::Frame,
         [] {
             TfwObjectlist list;
             list.Add(std::make_unique<TfwObject>());
             list.ItemAs<TfwObjectlist>(0);
         },
         "Invalid type cast"},
        {"general error in a frame", TFailingApp::THook::Frame,
         [] { throw EfwError("broken invariant"); }, "broken invariant"},
        {"standard library error", TFailingApp::THook::Frame,
         [] { throw std::logic_error("standard failure"); }, "standard failure"},
    };
    TFakeClock clock;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFailingApp::FailIn = c.Hook;
        TFailingApp::Fail = c.Fail;
        const int lines = Log().LinesWritten();
        EXPECT_EQ(RunFailingApp(), 1);
        EXPECT_EQ(Log().LastLine(), c.Logged);
        EXPECT_GT(Log().LinesWritten(), lines);
        EXPECT_EQ(TfwGameApp::Instance(), nullptr); // freed on the way out
    }
}

TEST(ProgramBody, AThrownObjectOfNoErrorClassPassesOn) {
    TFakeClock clock;
    TFailingApp::FailIn = TFailingApp::THook::Frame;
    TFailingApp::Fail = [] { throw 7; };
    const int lines = Log().LinesWritten();
    EXPECT_THROW(RunFailingApp(), int);
    EXPECT_EQ(TfwGameApp::Instance(), nullptr);
    // Only start-up's own line: nothing of the error reached the log.
    EXPECT_EQ(Log().LastLine(), "SDLApp::InitSDL: Done");
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
}
