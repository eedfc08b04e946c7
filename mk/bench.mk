# make bench: an optimised desktop build of the benchmark and of the game, one
# headless run of the benchmark on the repository's media, then the game's
# processor use under a private Xvfb. Its last line is the BENCH summary. The
# web build's start (page load to the first title frame) is measured first.
.PHONY: bench bench-deps

BENCH_PACKAGES := xvfb xdotool imagemagick

bench-deps:
	@tools/install-missing.sh $(BENCH_PACKAGES) $$(command -v python3 >/dev/null 2>&1 || echo python3)

bench: deps bench-deps
	$(MAKE) bench-web
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTESSARIL_HANDHELD=OFF \
	      -DTESSARIL_BENCH=ON -DTESSARIL_TESTS=OFF
	cmake --build build-bench -j$(JOBS) --target tessaril_bench tessaril
	tools/bench/run.sh build-bench "$(CURDIR)/data"
