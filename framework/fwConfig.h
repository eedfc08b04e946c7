// Build configuration. The desktop build, the GP2X Wiz handheld build and the
// web build come from one source; every place where they differ tests
// kHandheld or kWeb and nothing else.
#pragma once

#ifdef TESSARIL_HANDHELD
inline constexpr bool kHandheld = true;
#else
inline constexpr bool kHandheld = false;
#endif

// The browser build (emscripten): the desktop game in a page's canvas.
#ifdef TESSARIL_WEB
inline constexpr bool kWeb = true;
#else
inline constexpr bool kWeb = false;
#endif

// Line end of the text files the program writes (log.txt, puzzle1.txt).
inline constexpr const char* kLineEnd = kHandheld ? "\n" : "\r\n";
