# make bench: an optimised desktop build of the benchmark, then one run of it
# on the repository's media. Its last line is the BENCH summary.
.PHONY: bench

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTESSARIL_HANDHELD=OFF \
	      -DTESSARIL_BENCH=ON -DTESSARIL_TESTS=OFF
	cmake --build build-bench -j$(JOBS) --target tessaril_bench
	./build-bench/tools/bench/tessaril_bench "$(CURDIR)/data"
