// The game started on broken media. Each medium of the start-up list (the 31
// pictures, the 7 sounds, the font), the window's icon and, as one more medium, all music files
// together are in turn missing, cut to half their bytes, and replaced by as
// many random bytes. Each case runs in a child process in a copy of data/ with
// that one change, plays 2,000 frames of demo and ends; the case passes when
// the child ended cleanly (exit code 0, so no sanitizer report and no leak)
// and log.txt holds the start-up line once, the lines of the failed loads of
// that medium and nothing else. The icon is read while SDL starts, so its
// line comes before the start-up line; every other failed load comes after.
//
// How the failed loads are counted: a picture, a sound and a music file give
// one line for each load; frame.bmp is loaded twice (two stone kinds), the
// font seven times (seven sizes), so they give two and seven lines. A music
// file that fails gives its load line and the line of the play that follows
// it, after which the music stays silent. A missing music folder is no
// failure: no music, no line. A truncated Ogg file still loads and plays
// (the stream just ends early): no line either. Nor does the font cut to
// half: it keeps the tables it draws with (outlines, character map, metrics)
// in its first half, and FreeType reads the rest (names, kerning) only when
// asked, so it opens and draws every text, only without kerning. Lines of
// sounds that found every mixing channel busy are not about media: the frames
// run far faster than the sounds play, so they are counted apart and shown,
// not failed.
//
//   tessaril_robust_media [substring of a case name]

#include "harness.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class TBreak { Missing, Truncated, Random };

const char* BreakName(TBreak b) {
    switch (b) {
    case TBreak::Missing:
        return "missing";
    case TBreak::Truncated:
        return "truncated";
    case TBreak::Random:
        return "random";
    }
    return "?";
}

// One medium of the list: its file under data/, how often the game loads it,
// and the start of the line that reports one failed load.
struct TMedium {
    std::string File;
    int Loads;
    std::string LinePrefix;
    bool HalfLoads = false; // cut to half its bytes, it still loads whole
};

const char* const kImageTag = "TfwSDLImage::LoadFromFile: ";
const char* const kSoundTag = "SDLSoundFX::LoadFromFile: ";
const char* const kFontLine = "TrueType \"data/fonts/orangefizz.ttf\" font not loaded";
const char* const kMusicFolder = "musics";
const char* const kIconTag = "SDLApp::InitSDL: data/images/icon.png: ";
const char* const kStartLine = "SDLApp::InitSDL: Done";

std::vector<TMedium> MediaList() {
    std::vector<TMedium> list;
    const char* const images[] = {
        "splash",  "tessaril", "whitesmall",  "steps",      "zahlen",   "time",      "level",
        "lives",   "points",   "presskey",    "gamepaused", "gameover", "p25",       "dblue",
        "green",   "orange",   "purple",      "red",        "yellow",   "blue",      "magenta",
        "white",   "frame",    "cursor",      "wetime",     "bomb",     "leveldone", "outoftime",
        "nomoves", "ovdigits", "pausesymbol",
    };
    for (const char* name : images)
        list.push_back({std::string("images/") + name + ".bmp",
                        std::string(name) == "frame" ? 2 : 1, kImageTag});
    list.push_back({"images/icon.png", 1, kIconTag}); // the window's icon
    const char* const sounds[] = {"power8",  "gameover", "nextlevel", "nomovesleft",
                                  "restart", "click1",   "click2"};
    for (const char* name : sounds)
        list.push_back({std::string("sounds/") + name + ".wav", 1, kSoundTag});
    list.push_back({"fonts/orangefizz.ttf", 7, kFontLine, true});
    return list;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// folder + "/" + name.
std::string PathIn(const std::string& folder, const std::string& name) {
    std::string path = folder;
    path += '/';
    path += name;
    return path;
}

std::string Broken(const std::string& bytes, TBreak how, uint32_t seed) {
    if (how == TBreak::Truncated)
        return bytes.substr(0, bytes.size() / 2);
    std::mt19937 rng(seed);
    std::string noise(bytes.size(), '\0');
    for (char& c : noise)
        c = static_cast<char>(rng() & 0xFF);
    return noise;
}

// data/ in the working folder: every file a link to the repository's, except
// the broken ones (target: one file under data/, or the music folder).
bool MakeData(const std::string& target, TBreak how) {
    const std::string source = SourcePath("data");
    if (mkdir("data", 0755) != 0)
        return false;
    uint32_t seed = 1;
    for (const std::string& sub : FolderEntries(source)) {
        struct stat st;
        if (stat(PathIn(source, sub).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (mkdir(PathIn("data", sub).c_str(), 0755) != 0)
            return false;
        for (const std::string& name : FolderEntries(PathIn(source, sub))) {
            const std::string relative = PathIn(sub, name);
            const std::string from = PathIn(source, relative);
            const std::string to = PathIn("data", relative);
            const bool music = target == kMusicFolder && sub == kMusicFolder;
            if (!music && relative != target) {
                if (symlink(from.c_str(), to.c_str()) != 0)
                    return false;
                continue;
            }
            if (how == TBreak::Missing)
                continue;
            if (!WriteFile(to, Broken(ReadFile(from), how, seed++)))
                return false;
        }
    }
    return true;
}

// The child: the game on the prepared folder through 2,000 frames of demo.
// 0 when it got there; the game's own failures end the process otherwise.
int PlayDemo() {
    TGameHarness h;
    TMiniGame& game = h.Start();
    uint64_t demoFrames = 0;
    while (demoFrames < 2000 && h.Frames < 6000) {
        // The idle demo, started on the next second and again each time it
        // has returned to the title.
        if (game.State() == TGameState::gsTitle && !game.Context().Mode.Demo &&
            game.Context().Mode.IdleSeconds < 10)
            game.Context().Mode.IdleSeconds = 10;
        h.Frame();
        if (game.Context().Mode.Demo)
            ++demoFrames;
        if (game.Terminated)
            return 3;
    }
    return demoFrames >= 2000 ? 0 : 4;
}

struct TCaseResult {
    bool Passed = true;
    std::string Detail;
    int Busy = 0; // channel-busy lines
};

// Expected lines: the start of each kind of line and how many of it.
using TExpected = std::vector<std::pair<std::string, int>>;

TCaseResult RunCase(const std::string& target, TBreak how, const TExpected& expected) {
    TCaseResult result;
    TTempDir folder;
    if (!MakeData(target, how)) {
        result.Passed = false;
        result.Detail = "could not prepare data/";
        return result;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) {
        result.Passed = false;
        result.Detail = "fork failed";
        return result;
    }
    if (child == 0)
        std::exit(PlayDemo()); // exit, not _exit: the leak check runs at exit
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result.Passed = false;
        result.Detail = WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                          : "killed by signal " + std::to_string(WTERMSIG(status));
        folder.Keep = true;
    }

    std::istringstream log(ReadFile("log.txt"));
    std::string line;
    std::vector<int> found(expected.size(), 0);
    int lineNumber = 0;
    int started = 0; // start-up lines
    std::vector<std::string> unexpected;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++lineNumber;
        if (line == kStartLine) {
            ++started;
            continue;
        }
        if (line == "SDLSoundFX::Play: No free channels available") {
            ++result.Busy;
            continue;
        }
        bool known = false;
        for (size_t i = 0; i < expected.size() && !known; ++i)
            if (line.rfind(expected[i].first, 0) == 0) {
                ++found[i];
                known = true;
            }
        if (!known)
            unexpected.push_back(line);
    }
    bool counts = true;
    std::string countText;
    for (size_t i = 0; i < expected.size(); ++i) {
        counts = counts && found[i] == expected[i].second;
        countText += (i > 0 ? ", " : "") + std::to_string(found[i]) + " of " +
                     std::to_string(expected[i].second) + " \"" + expected[i].first + "\"";
    }
    if (started != 1 || !counts || !unexpected.empty()) {
        result.Passed = false;
        if (!result.Detail.empty())
            result.Detail += "; ";
        result.Detail += lineNumber == 0     ? "no log"
                         : started != 1      ? std::to_string(started) + " start-up lines"
                         : countText.empty() ? "no lines expected"
                                             : countText;
        for (size_t i = 0; i < unexpected.size() && i < 3; ++i)
            result.Detail += "; unexpected \"" + unexpected[i] + "\"";
        if (unexpected.size() > 3)
            result.Detail += "; " + std::to_string(unexpected.size() - 3) + " more";
        folder.Keep = true;
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    const std::string filter = argc > 1 ? argv[1] : "";
    const auto start = std::chrono::steady_clock::now();

    // The list must be the whole picture folder: a new picture needs a case.
    const std::vector<TMedium> media = MediaList();
    std::set<std::string> listed;
    for (const TMedium& m : media)
        if (m.File.rfind("images/", 0) == 0)
            listed.insert(m.File.substr(7));
    const std::vector<std::string> present = FolderEntries(SourcePath("data/images"));
    if (std::set<std::string>(present.begin(), present.end()) != listed || listed.size() != 32) {
        std::printf("robust media FAILED: data/images does not hold the 32 listed pictures\n");
        return 1;
    }

    int passed = 0;
    int failed = 0;
    int busy = 0;
    auto run = [&](const std::string& name, const std::string& target, TBreak how,
                   const TExpected& expected) {
        if (!filter.empty() && name.find(filter) == std::string::npos)
            return;
        const TCaseResult r = RunCase(target, how, expected);
        busy += r.Busy;
        if (r.Passed) {
            ++passed;
        } else {
            ++failed;
            std::printf("robust media FAILED: %s: %s\n", name.c_str(), r.Detail.c_str());
        }
        std::fflush(stdout);
    };

    for (const TMedium& m : media)
        for (TBreak how : {TBreak::Missing, TBreak::Truncated, TBreak::Random}) {
            const bool loads = m.HalfLoads && how == TBreak::Truncated;
            run(m.File + " " + BreakName(how), m.File, how,
                loads ? TExpected{} : TExpected{{m.LinePrefix, m.Loads}});
        }
    // All music files at once; only the first track of the list is tried
    // when it fails, since the music then stays silent.
    run("musics missing", kMusicFolder, TBreak::Missing, {});
    run("musics truncated", kMusicFolder, TBreak::Truncated, {});
    run("musics random", kMusicFolder, TBreak::Random,
        {{"SDLMusic::LoadFromFile: ", 1}, {"SDLMusic::Play: ", 1}});

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("robust media: %d passed, %d failed (%d cases of 2,000 demo frames in %.1f s; "
                "%d channel-busy sound lines)\n",
                passed, failed, passed + failed, seconds, busy);
    return failed == 0 && passed > 0 ? 0 : 1;
}
