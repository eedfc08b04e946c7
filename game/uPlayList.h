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
