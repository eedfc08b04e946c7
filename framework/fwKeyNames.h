// The keyboard's keys by name: SDL 1.2's own names ("j", "space", "left
// shift", "[4]" for the keypad's 4), held in the program's own table so that
// every build, the page's included, reads and writes the same names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The name of an SDL key symbol; "" for a key the table does not hold.
std::string fwKeyName(int32_t key);
// The key symbol of a name (as fwKeyName gives it, any case); -1 for none.
int32_t fwKeyOfName(const std::string& name);
// The name as a player reads it: one character in capitals ("J"), a longer
// name with its first letter a capital ("Left shift", "F1").
std::string fwKeyLabel(int32_t key);
// Every key the table names, in the order of their symbols.
std::vector<int32_t> fwNamedKeys();
