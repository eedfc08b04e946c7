# make tidy: clang-tidy (checks in .clang-tidy) over every C++ source of the
# project; any finding fails.
#   - framework/, game/, tests/ and tools/ with the compile commands of a
#     desktop configuration that also holds the benchmark and the soak and
#     robustness programs (build-tidy/, configured, never built);
#   - the fuzz targets (tests/fuzz/, a project of their own) with the desktop
#     build's flags;
#   - the web module (framework/web/) with emscripten's target and headers,
#     when emscripten is installed (make web-deps), else a line says it is
#     left out.
TIDY_PACKAGES := clang-tidy
TIDY_DIR ?= build-tidy
TIDY_SDL_FLAGS = $$(pkg-config --cflags sdl SDL_mixer SDL_image SDL_ttf)
# emcc's own flags, without the code generator's options (-mllvm), which
# clang-tidy's front end does not take; SDL's headers are the desktop's, the
# same SDL 1.2 the web build compiles.
TIDY_WEB_FLAGS = $$(em++ --cflags | sed 's/-mllvm [^ ]*//g') -std=c++17 -DTESSARIL_WEB=1 \
                 -D_GNU_SOURCE=1 -Iframework -isystem framework/web -isystem /usr/include/SDL

.PHONY: tidy

tidy: deps
	@tools/install-missing.sh $(TIDY_PACKAGES)
	cmake -S . -B $(TIDY_DIR) -DTESSARIL_HANDHELD=OFF -DTESSARIL_BENCH=ON -DTESSARIL_SOAK=ON
	run-clang-tidy -p $(TIDY_DIR) -j $(JOBS) -quiet '$(CURDIR)/(framework|game|tests|tools)/.*\.cpp$$'
	clang-tidy -quiet tests/fuzz/*.cpp -- -std=c++17 -Iframework -Igame -Itests/fuzz $(TIDY_SDL_FLAGS)
	@if command -v em++ >/dev/null 2>&1; then \
	    echo "clang-tidy: the web module"; \
	    clang-tidy -quiet framework/web/*.cpp -- $(TIDY_WEB_FLAGS); \
	else \
	    echo "tidy: emscripten is not installed; the web module (framework/web/) is left out"; \
	fi
