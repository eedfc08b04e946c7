# Robustness, beside the two main commands:
#   make fuzz       the file readers (highscore.dat, board files, play list, catalogues)
#                   under libFuzzer with ASan and UBSan, FUZZ_SECONDS each
#   make sanitize   the desktop build with ASan and UBSan (build-asan/): the
#                   unit suite, a kill during high score saves, KILL_ROUNDS
#                   kills in play (the kept games and stored scores checked
#                   after each), the game on broken media, and a soak of
#                   SOAK_FRAMES frames; then the
#                   same soak unsanitized (build-soak/), where resident memory
#                   itself must stay flat
ROBUST_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
SOAK_FRAMES ?= 100000
KILL_ROUNDS ?= 300

# Any sanitizer report ends the program with a failure; a leak at exit too.
# The suppressions file is for leaks of system libraries we cannot free
# (none at present).
SANITIZE_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/tests/soak/lsan.supp:print_suppressions=0

.PHONY: robust-deps fuzz sanitize

robust-deps: deps
	@tools/install-missing.sh $(ROBUST_PACKAGES)

fuzz: robust-deps
	cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j$(JOBS)
	sh tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

sanitize: deps
	cmake -S . -B build-asan -DTESSARIL_HANDHELD=OFF -DTESSARIL_SANITIZE=ON -DTESSARIL_SOAK=ON
	cmake --build build-asan -j$(JOBS)
	cd build-asan && $(SANITIZE_ENV) ctest -j$(JOBS) --output-on-failure
	$(SANITIZE_ENV) build-asan/tests/robust/tessaril_robust_killsave
	$(SANITIZE_ENV) build-asan/tests/robust/tessaril_robust_killplay $(KILL_ROUNDS)
	$(SANITIZE_ENV) build-asan/tests/robust/tessaril_robust_media
	$(SANITIZE_ENV) build-asan/tests/soak/tessaril_soak --frames $(SOAK_FRAMES)
	cmake -S . -B build-soak -DTESSARIL_HANDHELD=OFF -DTESSARIL_SOAK=ON -DTESSARIL_TESTS=OFF
	cmake --build build-soak -j$(JOBS) --target tessaril_soak
	build-soak/tests/soak/tessaril_soak --frames $(SOAK_FRAMES)
