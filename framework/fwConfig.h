// Build configuration. The desktop build and the GP2X Wiz handheld build come
// from one source; every place where they differ tests kHandheld and nothing else.
#pragma once

#ifdef TESSARIL_HANDHELD
inline constexpr bool kHandheld = true;
#else
inline constexpr bool kHandheld = false;
#endif

// Line end of the text files the program writes (log.txt, puzzle1.txt).
inline constexpr const char* kLineEnd = kHandheld ? "\n" : "\r\n";
