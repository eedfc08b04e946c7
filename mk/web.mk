# The web configuration: the game in a browser page, built with Debian's
# emscripten against SDL 1.2 and FreeType built from Debian's source packages
# (tools/web-deps.sh, cached outside the clone); the browser decodes and plays
# the sound.
#   make web        build-web/: the page (index.html, page.js, its manifest, icons,
#                   service worker sw.js), tessaril.js, .wasm, .data, licences/,
#                   and a gzip copy (.gz) beside each file of the page's folder
#   make web-play   the same, served on localhost (the address is printed)
#   make test-web   the page played in headless Chromium against the desktop
#   make bench-web  the time from page load to the first title frame beside the
#                   desktop game's, the bytes sent before it, the main thread at rest
# The work (CMake, the fetched sources) lives in build-web-work/.

WEB_SITE ?= build-web
WEB_WORK ?= build-web-work
WEB_PORT ?= 8024
WEB_PACKAGES := emscripten dpkg-dev cmake make
WEB_TEST_PACKAGES := chromium imagemagick
# Node.js and npm from Debian, unless the machine has them already.
WEB_NODE = $$(command -v node >/dev/null 2>&1 || echo nodejs) \
           $$(command -v npm >/dev/null 2>&1 || echo npm)
# Debian's emscripten finds its JavaScript tools only through this path.
export NODE_PATH ?= /usr/share/nodejs

.PHONY: web web-deps web-play test-web bench-web web-test-deps web-clean

web-deps:
	@tools/install-missing.sh $(WEB_PACKAGES) $(WEB_NODE)

web: web-deps
	deps=$$(tools/web-deps.sh $(WEB_WORK)/deps) && \
	emcmake cmake -S . -B $(WEB_WORK)/cmake -DTESSARIL_WEB=ON -DTESSARIL_WEB_DEPS=$$deps \
	      -DCMAKE_BUILD_TYPE=MinSizeRel -DTESSARIL_TESTS=OFF \
	      -DTESSARIL_WEB_SITE=$(abspath $(WEB_SITE))
	cmake --build $(WEB_WORK)/cmake -j$(JOBS) --target tessaril_site
	@# A gzip copy beside every file, for servers that send them as they are.
	find $(WEB_SITE) -maxdepth 1 -type f ! -name '*.gz' -exec gzip -9 -n -k -f {} +
	@ls -l $(WEB_SITE)

web-play: web
	@echo "Tessaril: http://localhost:$(WEB_PORT)/  (Ctrl+C ends the server)"
	cd $(WEB_SITE) && python3 -m http.server --bind 127.0.0.1 $(WEB_PORT)

web-clean:
	rm -rf $(WEB_SITE) $(WEB_WORK)

web-test-deps:
	@tools/install-missing.sh $(WEB_TEST_PACKAGES) $(WEB_NODE)

# The page's mixer on a stand-in audio graph first (node alone, quick); then
# the page in the browser, its oracle the desktop build's tessaril_webshots.
test-web: web web-test-deps
	node tests/web/audio_test.js
	cmake -S . -B build -DTESSARIL_HANDHELD=OFF
	cmake --build build -j$(JOBS) --target tessaril_webshots
	tests/web/run.sh $(WEB_SITE) $(WEB_WORK)/test build/tests/tessaril_webshots

# The desktop game (build/tessaril) is timed under Xvfb beside the page.
bench-web: web web-test-deps bench-deps
	cmake -S . -B build -DTESSARIL_HANDHELD=OFF
	cmake --build build -j$(JOBS) --target tessaril_webshots tessaril
	tests/web/run.sh $(WEB_SITE) $(WEB_WORK)/bench build/tests/tessaril_webshots bench
