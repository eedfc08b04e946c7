// The platform of the web build: the program in a browser tab (fwWeb.h), its
// files kept in the browser's storage, its sound played through the page's
// audio (fwWebAudio.h), and its main loop on the page's animation frames.
#include "fwPlatform.h"

#include "fwGameApp.h"
#include "fwRest.h"
#include "fwWeb.h"

#include <string>
#include <utility>

namespace {

// The page downloads its sound effects compressed under the same name
// (data-web/ laid over data/): Ogg Vorbis, and MP3 for a browser that cannot
// decode Ogg Vorbis.
constexpr const char* kWavExtension = ".wav";
constexpr const char* kOggExtension = ".ogg";
constexpr const char* kMp3Extension = ".mp3";

class TWebPlatform : public TfwPlatform {
public:
    Uint32 InitFlags() const override { return SDL_INIT_VIDEO; }
    bool ShowsWindowIcon() const override { return false; }
    void HoldKeysWithoutRepeats() override {}
    bool SwitchesFullscreen() const override { return false; }
    bool WindowPlace(int32_t& x, int32_t& y) const override {
        (void)x;
        (void)y;
        return false;
    }
    void PlaceWindow(int32_t x, int32_t y) override {
        (void)x;
        (void)y;
    }

    bool OpenAudioSubsystem() override { return true; }
    bool AudioMayOutrunTime() const override { return false; }
    bool SoundWaits() const override { return fwWebSoundWaits(); }
    std::string SoundFile(const std::string& wavFile) const override;

    bool CallsMayWait() const override { return false; }
    void Run(TfwGameApp& app) override { fwRunOnPage(app); }
    bool ProgramEnds() const override { return false; }

    bool FilesKept() const override { return fwWebFilesKept(); }
    void Announce(const std::string& text) override { fwWebAnnounce(text); }
    void LanguageSpoken(const std::string& language) override { fwWebSpeak(language); }
    void TakeTyping(bool on) override { fwWebTakeTyping(on); }
    std::vector<std::string> PreferredLanguages() const override {
        return fwWebPreferredLanguages();
    }
};

std::string TWebPlatform::SoundFile(const std::string& wavFile) const {
    const std::string ext = kWavExtension;
    if (wavFile.size() < ext.size() ||
        wavFile.compare(wavFile.size() - ext.size(), ext.size(), ext) != 0)
        return wavFile;
    return wavFile.substr(0, wavFile.size() - ext.size()) +
           (fwWebSoundIsMp3() ? kMp3Extension : kOggExtension);
}

} // namespace

std::unique_ptr<TfwPlatform> fwMakePlatform() {
    return std::make_unique<TWebPlatform>();
}

int fwProgramMain(const std::vector<std::string>& args, const TfwProgram& program,
                  const TfwGuard& guard) {
    // The page: its files, clock, canvas and input; the program runs on its
    // animation frames once the player's files are read.
    fwWebStart(
        args, [program](const std::vector<std::string>& rest) { program(rest); }, guard);
    return 0;
}

void fwPlatformStore(const std::string& fileName, const TfwStoredFunc& stored) {
    fwWebFileSaved(fileName, stored);
}

void fwPlatformUnstore(const std::string& fileName, const TfwStoredFunc& stored) {
    fwWebFileRemoved(fileName, stored);
}

bool fwEndRequested() {
    return false;
}

// A page has its own copy of the working folder: no other copy shares it.
TfwFileLock::TfwFileLock(const std::string& lockName) {
    (void)lockName;
}

bool fwWaitOnWindow(int wakeFd, uint32_t ms) {
    (void)wakeFd;
    (void)ms;
    return false; // the page's canvas is no X11 window
}
