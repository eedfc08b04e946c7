# End-to-end test: the real game under a private Xvfb, played with real keys
# and mouse clicks.
#   make e2e       install what it needs, build the game, play every scenario
#   make test-e2e  the same run on an existing build/tessaril; where no X
#                  server can be started it says so in one line and passes
# Screenshots of a failing run are kept in build/e2e-failure/.

# libsdl1.2-compat: the second SDL 1.2 library the game is played on; openbox:
# the window manager of the window scenarios; x11-utils: xprop reads the title.
E2E_PACKAGES := xvfb xdotool imagemagick libsdl1.2-compat openbox x11-utils

.PHONY: e2e e2e-deps test-e2e

e2e-deps:
	@tools/install-missing.sh $(E2E_PACKAGES) $$(command -v python3 >/dev/null 2>&1 || echo python3)

# Only the game is built: the unit tests are not needed to play it.
e2e: deps e2e-deps
	cmake -S . -B build -DTESSARIL_HANDHELD=OFF
	cmake --build build -j$(JOBS) --target tessaril
	tests/e2e/run.sh --game build/tessaril

test-e2e:
	tests/e2e/run.sh --if-possible --game build/tessaril
