// The settings file: read with bad lines and values logged and skipped, names
// it does not know kept, written when a setting changed (at the tick and at
// the end), command-line values held for their run only.
#include "gamefixture.h"
#include "uSettings.h"

namespace {

class TessarilSettings : public TessarilGame {
protected:
    void SetUp() override {
        if constexpr (kHandheld)
            GTEST_SKIP() << "the handheld keeps no settings";
    }
};

} // namespace

TEST(Settings, LinesAreNameEqualsValueAndBadOnesAreLoggedAndLeftOut) {
    TSettings settings;
    const int before = Log().LinesWritten();
    settings.Parse("sound_volume=70\r\nno equals sign\n=5\n\nnewer=a=b\nsound_volume=71\n",
                   "settings.txt");
    EXPECT_EQ(2, Log().LinesWritten() - before);
    EXPECT_EQ("TMiniGame::Settings: settings.txt line 3: expected name=value", Log().LastLine());
    EXPECT_EQ("sound_volume=71\nnewer=a=b\n", settings.Format());
    settings.Set("scale", "2");
    settings.Remove("sound_volume");
    std::string value;
    EXPECT_FALSE(settings.Get("sound_volume", value));
    ASSERT_TRUE(settings.Get("newer", value));
    EXPECT_EQ("a=b", value);
    EXPECT_EQ("newer=a=b\nscale=2\n", settings.Format());
}

TEST_F(TessarilSettings, AFileFromANewerVersionIsRestoredAndItsUnknownNamesKept) {
    WriteFile("settings.txt", "future=x\nsound_volume=70\nmusic_volume=30\nfullscreen=1\n"
                              "scale=2\nbroken line\nlast_name=ZED-9\n");
    Start();
    EXPECT_EQ("ZED-9", game->LastName) << "offered by the first name entry";
    EXPECT_EQ(70, game->SoundVolume);
    EXPECT_EQ(30, game->MusicVolume);
    EXPECT_TRUE(game->Fullscreen);
    EXPECT_EQ(2, game->WindowScale);
    EXPECT_EQ(2, LogLines()) << "the bad line, then Done";
    // Nothing changed: a tick writes nothing.
    const std::string before = ReadFile("settings.txt");
    Tick();
    EXPECT_EQ(before, ReadFile("settings.txt"));
    // A change is written at the next tick, not before, in the file's order.
    Press(TAction::VolumeUp);
    EXPECT_EQ(before, ReadFile("settings.txt"));
    Tick();
    EXPECT_EQ("future=x\nsound_volume=71\nmusic_volume=31\nfullscreen=1\nscale=2\n"
              "last_name=ZED-9\n",
              ReadFile("settings.txt"));
    EXPECT_FALSE(FileExists("settings.txt.tmp"));
}

TEST_F(TessarilSettings, BadValuesAreLoggedAndTheDefaultsKept) {
    // The file, and its log lines: one a bad value, then Done.
    const std::pair<std::string, int> bad[] = {
        {"sound_volume=129\nmusic_volume=x\nfullscreen=2\nscale=0\n", 5},
        {"sound_volume=\nscale=17\n", 3},
        {"last_name=zed\n", 2},
        {"last_name=ELEVEN CHAR\n", 2}};
    for (const auto& [text, logLines] : bad) {
        SCOPED_TRACE(text);
        WriteFile("settings.txt", text);
        Start(!FileExists("data"));
        EXPECT_EQ(80, game->SoundVolume);
        EXPECT_EQ(60, game->MusicVolume);
        EXPECT_FALSE(game->Fullscreen);
        EXPECT_EQ(1, game->WindowScale); // the dummy driver's default
        EXPECT_EQ("", game->LastName);
        EXPECT_EQ(logLines, LogLines()) << Log().LastLine();
        Stop();
    }
}

TEST_F(TessarilSettings, AVolumeChangedIsFoundAgainAfterARestart) {
    Start();
    Press(TAction::VolumeDown);
    Press(TAction::VolumeDown);
    game->LastName = "ANN   "; // as a name entry leaves it
    Stop();                    // the end writes what changed since the last tick
    EXPECT_EQ("sound_volume=78\nmusic_volume=58\nlast_name=ANN   \n", ReadFile("settings.txt"));
    Start(false);
    EXPECT_EQ(78, game->SoundVolume);
    EXPECT_EQ(58, game->MusicVolume);
    EXPECT_EQ("ANN   ", game->LastName);
    // Changed, written, and changed back to the run's first value: written again.
    Press(TAction::VolumeUp);
    Tick();
    EXPECT_EQ("sound_volume=79\nmusic_volume=59\nlast_name=ANN   \n", ReadFile("settings.txt"));
    // Another copy's name, written meanwhile, stays: only this copy's changes go in.
    WriteFile("settings.txt", "sound_volume=79\nmusic_volume=59\nlast_name=BEA\n");
    Press(TAction::VolumeDown);
    game->ToggleFullscreen();
    Tick();
    EXPECT_EQ("sound_volume=78\nmusic_volume=58\nlast_name=BEA\nfullscreen=1\n",
              ReadFile("settings.txt"));
}

TEST_F(TessarilSettings, CommandLineValuesHoldForTheRunAndAreNotWritten) {
    WriteFile("settings.txt", "scale=2\n");
    Args = {"-scale=3", "-fullscreen=1"};
    Start();
    EXPECT_EQ(3, game->WindowScale);
    EXPECT_TRUE(game->Fullscreen);
    Press(TAction::VolumeUp);
    Tick();
    EXPECT_EQ("scale=2\nsound_volume=81\nmusic_volume=61\n", ReadFile("settings.txt"));
    // A window resized by the player is the player's scale.
    game->ToggleFullscreen();
    game->ResizeWindow(1300, 1000);
    Tick();
    EXPECT_EQ("scale=4\nsound_volume=81\nmusic_volume=61\nfullscreen=0\n",
              ReadFile("settings.txt"));
}

// The player's bindings: a key another action of the same screens has is
// swapped, keys no action may have are refused, and every action keeps a key.
TEST(Controls, RebindingSwapsWithinAGroupAndRefusesTheWindowsAndTheMenusKeys) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld keeps its buttons";
    using A = TAction;
    using B = TControls::TBind;
    TControls c;
    struct TRow {
        A Action;
        int32_t Key;
        B Result;
        A Other;          // an action whose key the row checks
        int32_t OtherKey; // ...after the row
    };
    const TRow rows[] = {
        {A::Pause, SDLK_j, B::Bound, A::Pause, SDLK_j},
        {A::Pause, SDLK_y, B::Bound, A::Hint, SDLK_j},             // the hint takes the old key
        {A::Options, SDLK_p, B::Bound, A::Restart, SDLK_r},        // the title's own group
        {A::Options, SDLK_n, B::Bound, A::NewGame, SDLK_p},        // swapped on the title
        {A::VolumeUp, SDLK_c, B::Bound, A::Continue, SDLK_2},      // the volumes count everywhere
        {A::Select, SDLK_UP, B::Bound, A::Up, SDLK_SPACE},         // play may take the arrows
        {A::NewGame, SDLK_SPACE, B::Reserved, A::NewGame, SDLK_p}, // the menus keep them
        {A::Quit, SDLK_ESCAPE, B::Reserved, A::Quit, SDLK_x},
        {A::Hint, SDLK_RETURN, B::Reserved, A::Hint, SDLK_j},
        {A::Hint, SDLK_F11, B::Reserved, A::Hint, SDLK_j},
        {A::Cancel, SDLK_q, B::Reserved, A::Cancel, TControls::kNone}, // not the player's
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "action " << ActionId(row.Action) << ", key " << row.Key);
        EXPECT_EQ(row.Result, c.BindKey(row.Action, row.Key));
        EXPECT_EQ(row.OtherKey, c.Key(row.Other));
        for (const TControlInfo& a : ControlList()) {
            EXPECT_NE(TControls::kNone, c.Key(a.Action)) << a.Setting << " has no key";
            for (const TControlInfo& b : ControlList())
                if (a.Action != b.Action && (a.Groups & b.Groups)) {
                    EXPECT_NE(c.Key(a.Action), c.Key(b.Action)) << a.Setting << ", " << b.Setting;
                }
        }
    }
    EXPECT_EQ("Space Down Left Right", c.MovesLabel());
    EXPECT_EQ(B::Bound, c.BindPad(A::Pause, 0));
    EXPECT_EQ(7, c.Pad(A::Select)) << "the pad swaps as the keys do";
    EXPECT_EQ(B::Reserved, c.BindPad(A::Pause, kfwPadButtons)) << "the stick is no button";
    c.Reset();
    EXPECT_TRUE(c.IsDefault());
    EXPECT_EQ("Arrow keys", c.MovesLabel());
}

// settings.txt's key_ and pad_ lines: broken ones are logged, left out of the
// file and keep the default; only bindings that differ are written.
TEST(Controls, SettingsLinesKeepOnlyWhatDiffersAndDropWhatIsBroken) {
    if constexpr (kHandheld)
        GTEST_SKIP() << "the handheld keeps its buttons";
    TSettings settings;
    settings.Parse("key_pause=J\npad_hint=5\nkey_hint=no such key\npad_select=99\n"
                   "key_quit=escape\nkey_select=space\nvolume=3\n",
                   "");
    const int before = Log().LinesWritten();
    TControls c;
    c.Read(settings, "settings.txt");
    EXPECT_EQ(3, Log().LinesWritten() - before);
    EXPECT_EQ("TMiniGame::Settings: settings.txt: key_quit=escape cannot be bound; the default "
              "holds",
              Log().LastLine());
    EXPECT_EQ(SDLK_j, c.Key(TAction::Pause));
    EXPECT_EQ(SDLK_y, c.Key(TAction::Hint));
    EXPECT_EQ(5, c.Pad(TAction::Hint));
    EXPECT_EQ(2, c.Pad(TAction::VolumeUp)) << "swapped with the hint's old button";
    c.Write(settings);
    EXPECT_EQ("key_pause=j\npad_hint=5\nvolume=3\npad_volume_up=2\n", settings.Format());
    TControls again;
    again.Read(settings, "settings.txt");
    EXPECT_EQ(c, again);
}
