// The settings file and the settings the game keeps in it: the volumes, the
// fullscreen switch, the window's scale and the name entered last.
#include "uSettings.h"

#include "fwConfig.h"
#include "fwGameApp.h"
#include "fwLanguage.h"
#include "fwLog.h"
#include "fwStore.h"
#include "tessaril.h"
#include "uHighscore.h"
#include "uTextFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kSettingsFile = "settings.txt";
constexpr const char* kTag = "TMiniGame::Settings";
constexpr int32_t kMaxVolume = 128; // SDL_mixer's loudest

// The settings the game keeps, in the order SettingValues lists them.
enum TSettingIndex {
    siSoundVolume,
    siMusicVolume,
    siFullscreen,
    siScale,
    siLastName,
    siPauseWhenAway,
    siLanguage
};
constexpr const char* kSettingNames[kSettingCount] = {
    "sound_volume", "music_volume",    "fullscreen", "scale",
    "last_name",    "pause_when_away", "language"};

// A name the name entry could have made: up to its length, of its characters.
bool IsEnterableName(const std::string& name) {
    return name.size() <= static_cast<size_t>(THighscoreEditor::kNameLength) &&
           name.find_first_not_of(THighscoreEditor::Charset) == std::string::npos;
}

// A whole number from low to high, written as plain digits.
bool ReadNumber(const std::string& text, int32_t low, int32_t high, int32_t& value) {
    int64_t n = 0;
    if (!fwParseWhole(text, 3, n) || n < low || n > high)
        return false;
    value = static_cast<int32_t>(n);
    return true;
}

// A language's name as fwLanguageCode writes it ("de", "pt_BR"), or "" for
// automatic; whether a catalogue of that name exists is the loader's question.
bool IsLanguageName(const std::string& name) {
    return name.empty() || fwLanguageCode(name) == name;
}

// The language the settings name into language; a malformed name is
// logged and left out of the file.
void ReadLanguage(TSettings& settings, std::string& language) {
    std::string name;
    if (!settings.Get(kSettingNames[siLanguage], name))
        return;
    if (IsLanguageName(name)) {
        language = name;
        return;
    }
    Log().Write(kTag, std::string(kSettingsFile) + ": " + kSettingNames[siLanguage] + "=" + name +
                          " is no language's name");
    settings.Remove(kSettingNames[siLanguage]);
}

} // namespace

void TSettings::Parse(const std::string& content, const std::string& fileName) {
    int lineNumber = 0;
    for (const std::string& line : SplitLines(content)) {
        ++lineNumber;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            if (!line.empty() && !fileName.empty())
                Log().Write(kTag, fileName + " line " + std::to_string(lineNumber) +
                                      ": expected name=value");
            continue;
        }
        Set(line.substr(0, eq), line.substr(eq + 1));
    }
}

std::string TSettings::Format() const {
    std::string text;
    for (const auto& [name, value] : entries_)
        text.append(name).append("=").append(value).append("\n");
    return text;
}

bool TSettings::Get(const std::string& name, std::string& value) const {
    for (const auto& entry : entries_)
        if (entry.first == name) {
            value = entry.second;
            return true;
        }
    return false;
}

void TSettings::Set(const std::string& name, const std::string& value) {
    for (auto& entry : entries_)
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    entries_.emplace_back(name, value);
}

void TSettings::Remove(const std::string& name) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&name](const auto& e) { return e.first == name; }),
                   entries_.end());
}

TControls StoredControls() {
    TControls controls;
    std::string content;
    if (!kHandheld && PathExists(kSettingsFile) && ReadWholeFile(kSettingsFile, content)) {
        TSettings settings;
        settings.Parse(content, "");
        controls.Read(settings, kSettingsFile);
    }
    return controls;
}

std::string StoredLanguage() {
    std::string content, language;
    if (!kHandheld && PathExists(kSettingsFile) && ReadWholeFile(kSettingsFile, content)) {
        TSettings settings;
        settings.Parse(content, "");
        if (settings.Get(kSettingNames[siLanguage], language) && !IsLanguageName(language))
            language.clear();
    }
    return language;
}

// A setting the file holds, checked; a bad value is logged, left out of the
// file and answers false.
bool TMiniGame::SettingNumber(int index, int32_t low, int32_t high, int32_t& value) {
    std::string text;
    if (!settings_.Get(kSettingNames[index], text))
        return false;
    if (ReadNumber(text, low, high, value))
        return true;
    Log().Write(kTag, std::string(kSettingsFile) + ": " + kSettingNames[index] + "=" + text +
                          " is no number from " + std::to_string(low) + " to " +
                          std::to_string(high));
    settings_.Remove(kSettingNames[index]);
    return false;
}

void TMiniGame::LoadSettings() {
    if (kHandheld || !PathExists(kSettingsFile))
        return; // the handheld keeps nothing; a first start has no file yet
    std::string content;
    if (!ReadWholeFile(kSettingsFile, content)) {
        Log().Write(kTag, std::string(kSettingsFile) + ": cannot be read");
        return;
    }
    settings_.Parse(content, kSettingsFile);
    // The window's settings before InitSDL opens it; the command line's
    // options, read there, come on top.
    int32_t value = 0;
    if (SettingNumber(siFullscreen, 0, 1, value))
        Fullscreen = value == 1;
    if (SettingNumber(siScale, 1, kfwMaxScale, value))
        StartScale = value;
    // The volumes are checked now, and taken by InitGame.
    SettingNumber(siSoundVolume, 0, kMaxVolume, value);
    SettingNumber(siMusicVolume, 0, kMaxVolume, value);
    if (SettingNumber(siPauseWhenAway, 0, 1, value))
        prefs_.PauseWhenAway = value == 1;
    prefs_.Controls.Read(settings_, kSettingsFile);
    controlsAtStart_ = prefs_.Controls;
    ReadLanguage(settings_, prefs_.Language);
    std::string name;
    if (settings_.Get(kSettingNames[siLastName], name)) {
        if (IsEnterableName(name)) {
            tables_.LastName = name; // the name entry offers it from the first game on
        } else {
            Log().Write(kTag, std::string(kSettingsFile) + ": " + kSettingNames[siLastName] + "=" +
                                  name + " is no name of up to " +
                                  std::to_string(THighscoreEditor::kNameLength) +
                                  " characters the name entry offers");
            settings_.Remove(kSettingNames[siLastName]);
        }
    }
    settingsWritten_ = settings_.Format();
}

void TMiniGame::RestoreVolumes() {
    int32_t value = 0;
    if (SettingNumber(siSoundVolume, 0, kMaxVolume, value))
        sounds_.Effects = value;
    if (SettingNumber(siMusicVolume, 0, kMaxVolume, value))
        sounds_.Music = value;
    settingsAtStart_ = SettingValues();
}

std::array<std::string, kSettingCount> TMiniGame::SettingValues() const {
    return {std::to_string(sounds_.Effects),
            std::to_string(sounds_.Music),
            Fullscreen ? "1" : "0",
            std::to_string(WindowScale),
            tables_.LastName,
            prefs_.PauseWhenAway ? "1" : "0",
            prefs_.Language};
}

void TMiniGame::SaveSettings() {
    if (kHandheld)
        return;
    // A setting goes into the file once it differs from its value at the
    // start of the run: what the command line gave holds for the run alone,
    // and a value the player never changed stays as the file has it.
    const auto now = SettingValues();
    for (int i = 0; i < kSettingCount; ++i) {
        settingsChanged_[i] = settingsChanged_[i] || now[i] != settingsAtStart_[i];
        if (settingsChanged_[i])
            settings_.Set(kSettingNames[i], now[i]);
    }
    controlsChanged_ = controlsChanged_ || prefs_.Controls != controlsAtStart_;
    if (controlsChanged_)
        prefs_.Controls.Write(settings_);
    const std::string text = settings_.Format();
    if (text == settingsWritten_)
        return;
    // Failed or not, the same text is not tried again: one log line, not one a second.
    settingsWritten_ = text;
    // Only what this copy changed goes into the file as it stands now: what
    // another copy wrote meanwhile stays.
    const auto change = [this, &now](const std::optional<std::string>& stored) {
        TSettings file;
        file.Parse(stored.value_or(""), "");
        for (int i = 0; i < kSettingCount; ++i)
            if (settingsChanged_[static_cast<size_t>(i)])
                file.Set(kSettingNames[i], now[static_cast<size_t>(i)]);
        if (controlsChanged_)
            prefs_.Controls.Write(file);
        return std::optional<std::string>(file.Format());
    };
    if (const int error = fwChangeFile(kSettingsFile, change, TfwDurability::Flushed))
        Log().Write(kTag, std::string(kSettingsFile) + ": " + std::strerror(error));
}
