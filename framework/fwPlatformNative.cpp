// The platform of the desktop and the handheld: a process of their operating
// system with SDL's window, a working folder that keeps the player's files,
// the signals that ask the program to end, and a main loop that may wait.
#include "fwPlatform.h"

#include "fwConfig.h"
#include "fwFrameLoop.h"
#include "fwGameApp.h"
#include "fwLanguage.h"
#include "fwRest.h"
#include "fwWindowPlace.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <fcntl.h>
#include <iterator>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The signals that ask the program to end: SIGTERM, and on the desktop also
// SIGINT (Ctrl+C) and SIGHUP (its terminal closed). Their one handler only
// raises this flag, which the main loop reads once an iteration, and wakes a rest.
volatile std::sig_atomic_t endRequested = 0;
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr size_t kEndSignalCount = kHandheld ? 1 : std::size(kEndSignals);

extern "C" void OnEndSignal(int) {
    endRequested = 1;
    fwWake();
}

// The end signals caught, from a cleared flag, while the object lives. SDL's
// own SIGINT handler would only post a quit event; ours ends the run the same
// way for all three.
class TEndSignals {
public:
    TEndSignals() {
        endRequested = 0;
        for (size_t i = 0; i < kEndSignalCount; ++i)
            previous_[i] = std::signal(kEndSignals[i], OnEndSignal);
    }
    ~TEndSignals() {
        for (size_t i = 0; i < kEndSignalCount; ++i)
            std::signal(kEndSignals[i], previous_[i]);
    }
    TEndSignals(const TEndSignals&) = delete;
    TEndSignals& operator=(const TEndSignals&) = delete;

private:
    void (*previous_[kEndSignalCount])(int) = {};
};

// The handheld's build has no X11 window (fwWindowPlace.h): it neither places
// its screen nor holds its buttons' keys, which never repeat.
class TNativePlatform : public TfwPlatform {
public:
    Uint32 InitFlags() const override { return SDL_INIT_VIDEO | SDL_INIT_JOYSTICK; }
    bool ShowsWindowIcon() const override { return true; }
    void HoldKeysWithoutRepeats() override {
        if constexpr (!kHandheld)
            fwHoldKeysWithoutRepeats();
    }
    bool SwitchesFullscreen() const override { return !kHandheld; }
    bool WindowPlace(int32_t& x, int32_t& y) const override {
        if constexpr (kHandheld)
            return false;
        else
            return fwGetWindowPlace(x, y);
    }
    void PlaceWindow(int32_t x, int32_t y) override {
        if constexpr (!kHandheld)
            fwSetWindowPlace(x, y);
    }

    bool OpenAudioSubsystem() override { return SDL_InitSubSystem(SDL_INIT_AUDIO) >= 0; }
    // The handheld's sound device is its own, which keeps time.
    bool AudioMayOutrunTime() const override { return !kHandheld; }
    bool SoundWaits() const override { return false; }
    std::string SoundFile(const std::string& wavFile) const override { return wavFile; }

    bool CallsMayWait() const override { return true; }
    void Run(TfwGameApp& app) override;
    bool ProgramEnds() const override { return true; }

    bool FilesKept() const override { return true; }
    void Announce(const std::string& text) override { (void)text; }
    void LanguageSpoken(const std::string& language) override { (void)language; }
    void TakeTyping(bool on) override { (void)on; }
    // The handheld speaks English alone.
    std::vector<std::string> PreferredLanguages() const override {
        if constexpr (kHandheld)
            return {};
        else
            return fwDesktopLanguages([](const char* name) { return std::getenv(name); });
    }
};

void TNativePlatform::Run(TfwGameApp& app) {
    TfwFrameLoop loop(app, TfwLoopHost::Waiting);
    if constexpr (!kHandheld)
        fwOpenWake();
    {
        const TEndSignals signals;
        loop.RunIterations();
    }
    loop.End();
    app.CloseAudio();
}

} // namespace

std::unique_ptr<TfwPlatform> fwMakePlatform() {
    return std::make_unique<TNativePlatform>();
}

int fwProgramMain(const std::vector<std::string>& args, const TfwProgram& program,
                  const TfwGuard& guard) {
    (void)guard; // the program guards its own body
    return program(args);
}

void fwPlatformStore(const std::string& fileName, const TfwStoredFunc& stored) {
    (void)fileName;
    (void)stored;
}

void fwPlatformUnstore(const std::string& fileName, const TfwStoredFunc& stored) {
    (void)fileName;
    (void)stored;
}

bool fwEndRequested() {
    return endRequested != 0;
}

TfwFileLock::TfwFileLock(const std::string& lockName) {
    fd_ = open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        return;
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}
