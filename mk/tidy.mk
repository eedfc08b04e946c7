# make tidy: clang-tidy (checks in .clang-tidy) over the sources of framework/
# and game/, with the compile commands of the desktop build; any finding fails.
TIDY_PACKAGES := clang-tidy

.PHONY: tidy

tidy: deps
	@tools/install-missing.sh $(TIDY_PACKAGES)
	cmake -S . -B build -DTESSARIL_HANDHELD=OFF
	run-clang-tidy -p build -j $(JOBS) -quiet '$(CURDIR)/(framework|game|game/screens)/[^/]*\.cpp$$'
