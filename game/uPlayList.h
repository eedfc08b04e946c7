// The music play list: Ogg files played one after another, looping over the
// list, from ./playlist.txt or, without it, from a search of data/musics/.
#pragma once

#include <string>
#include <vector>

// Kept sorted without regard to case; an entry equal to one present (without
// regard to case) is not added again.
void AddToPlayList(std::vector<std::string>& list, const std::string& entry);
// The lines of a play list file, taken whole; an empty line is an empty entry.
std::vector<std::string> SplitPlayListLines(const std::string& content);
// Adds every .ogg file of folder to list, in the play list's order; a folder
// that cannot be read adds nothing (a read error is logged).
void FindMusicFiles(const std::string& folder, std::vector<std::string>& list);
