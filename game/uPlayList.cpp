#include "uPlayList.h"

#include "fwLog.h"
#include "fwSound.h"
#include "tessaril.h"
#include "uTextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <strings.h>

namespace {

constexpr const char* kPlayListFile = "./playlist.txt";
constexpr const char* kMusicFolder = "data/musics/";

} // namespace

void AddToPlayList(std::vector<std::string>& list, const std::string& entry) {
    auto less = [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    };
    auto it = std::lower_bound(list.begin(), list.end(), entry, less);
    if (it != list.end() && strcasecmp(it->c_str(), entry.c_str()) == 0)
        return;
    list.insert(it, entry);
}

std::vector<std::string> SplitPlayListLines(const std::string& content) {
    return SplitLines(content);
}

void FindMusicFiles(const std::string& folder, std::vector<std::string>& list) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ogg") == 0)
            AddToPlayList(list, prefix + name);
    }
    // readdir ends with nullptr on errors as at the end: tell them apart.
    if (errno != 0)
        Log().Write("TMiniGame::FindMusicFiles", folder + ": " + std::strerror(errno));
    closedir(dir);
}

void TMiniGame::FillPlayList() {
    playList_.clear();
    std::string content;
    if (PathExists(kPlayListFile) && ReadWholeFile(kPlayListFile, content)) {
        for (const std::string& line : SplitPlayListLines(content))
            AddToPlayList(playList_, line);
    } else {
        FindMusicFiles(kMusicFolder, playList_);
    }
}

void TMiniGame::NextTrack() {
    ++trackIndex_;
    if (trackIndex_ >= static_cast<int32_t>(playList_.size()))
        trackIndex_ = 0;
    if (playList_.empty() || music_ == nullptr)
        return;
    const std::string& entry = playList_[static_cast<size_t>(trackIndex_)];
    if (!PathExists(entry))
        return;
    if (entry == music_->FileName)
        return;
    music_->LoadFromFile("M1", entry);
    music_->Play(sounds_.Music, false, 0);
}

void TMiniGame::MusicFinished() {
    musicEnded_.store(true);
}

void TMiniGame::NextTrackIfEnded() {
    // The mixer reported the end of a track on its own thread; the next one
    // starts here, on the main thread.
    if (musicEnded_.exchange(false))
        NextTrack();
}
