// Build configuration. The desktop build, the GP2X Wiz handheld build and the
// web build come from one source. Where they differ, the code tests kHandheld
// or one of the constants below, or asks the platform's services
// (fwPlatform.h), whose web implementation lives in framework/web/: outside
// that folder and this file nothing reads kWeb.
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

// Does the window take a 24- or 32-bit desktop's own depth, the picture being
// scaled into it (and every image converted to the picture's format, not the
// window's)? The desktop's does; the handheld's screen and the page's canvas
// are 16-bit, the picture's own depth.
inline constexpr bool kDesktopDepthWindow = !kHandheld && !kWeb;

// Line end of the text files the program writes (log.txt, puzzle1.txt).
inline constexpr const char* kLineEnd = kHandheld ? "\n" : "\r\n";
