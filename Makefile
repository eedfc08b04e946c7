# Tessaril: the two commands a player and a developer need, and their parts.
#   make play   install what is missing, build, start the game
#   make test   install what is missing, build the three configurations, run every test

PACKAGES := cmake g++ make pkg-config libsdl1.2-dev libsdl-mixer1.2-dev \
            libsdl-image1.2-dev libsdl-ttf2.0-dev libfreetype-dev libx11-dev \
            libgtest-dev clang-format
JOBS ?= 2

.PHONY: all deps build build-desktop build-handheld play test test-desktop test-handheld \
        format format-check media clean

all: build

deps:
	@tools/install-missing.sh $(PACKAGES)

build-desktop:
	cmake -S . -B build -DTESSARIL_HANDHELD=OFF
	cmake --build build -j$(JOBS)

build-handheld:
	cmake -S . -B build-handheld -DTESSARIL_HANDHELD=ON
	cmake --build build-handheld -j$(JOBS)

build: build-desktop build-handheld

# Only what the game needs: the game itself (its media are the committed data/).
play: deps
	cmake -S . -B build -DTESSARIL_HANDHELD=OFF
	cmake --build build -j$(JOBS) --target tessaril tessaril_media
	./build/tessaril

test-desktop: build-desktop
	cd build && ctest -j$(JOBS) --output-on-failure

test-handheld: build-handheld
	cd build-handheld && ctest -j$(JOBS) --output-on-failure

# The unit suites of the desktop and handheld configurations, the format and
# layout checks, the translations' check (the template current, every
# catalogue through msgfmt -c, fuzzy and untranslated messages listed), clang-tidy, the real game played under a private X server
# (skipped with a notice where none starts), and the web build played in
# headless Chromium.
test: deps e2e-deps
	$(MAKE) build
	$(MAKE) test-desktop test-handheld
	$(MAKE) format-check layout-check po-check
	$(MAKE) tidy
	$(MAKE) test-e2e
	$(MAKE) test-install
	$(MAKE) test-web

# Every C++ file through clang-format.
SOURCES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run --Werror $(SOURCES)

# Draws, synthesises and encodes the data/ tree again (the result is committed).
media:
	tools/mkmedia.sh

clean:
	rm -rf build build-handheld build-bench build-asan build-fuzz build-soak build-tidy build-web build-web-work

# Further targets (cross build, end-to-end, benchmark, robustness) live beside.
-include mk/*.mk
