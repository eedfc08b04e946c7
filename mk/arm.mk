# The handheld build on its own processor family: cross-built for Debian's
# armel (32-bit ARM, ARMv5TE like the GP2X Wiz's ARM926) and tested under
# qemu-user.
#   make arm        install the cross tools if missing, build into build-arm/
#   make arm-test   the same, then the whole test suite under qemu-arm
#   make wiz        the folder for the handheld's card, in build-arm/wiz/
# Everything stays in build-arm/: the armel sysroot (downloaded once, then
# reused), the build and the card folder. The host's own package state gains
# only the cross tools.
.PHONY: arm arm-deps arm-sysroot arm-configure arm-test wiz arm-clean

ARM_BUILD ?= build-arm
ARM_JOBS ?= $(or $(JOBS),2)
ARM_TEST_JOBS ?= 2
ARM_PACKAGES := cmake make pkg-config g++-arm-linux-gnueabi qemu-user
ARM_DIR = $(abspath $(ARM_BUILD))

arm-deps:
	@tools/install-missing.sh $(ARM_PACKAGES)

arm-sysroot: arm-deps
	tools/arm-sysroot.sh $(ARM_DIR)

arm-configure: arm-sysroot
	cmake -S . -B $(ARM_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/arm-linux-gnueabi.cmake \
	      -DTESSARIL_ARM_SYSROOT=$(ARM_DIR)/sysroot -DTESSARIL_HANDHELD=ON

arm: arm-configure
	cmake --build $(ARM_DIR) -j$(ARM_JOBS)

# Every test process runs under qemu-arm (the toolchain file's emulator).
arm-test: arm
	cd $(ARM_DIR) && ctest -j$(ARM_TEST_JOBS) --output-on-failure

# The card folder: the stripped executable, the media (the handheld's own
# pictures from data-handheld/ laid over data/) and the menu's launcher.
wiz: arm-configure
	cmake --build $(ARM_DIR) -j$(ARM_JOBS) --target tessaril
	rm -rf $(ARM_DIR)/wiz
	mkdir -p $(ARM_DIR)/wiz
	arm-linux-gnueabi-strip -o $(ARM_DIR)/wiz/tessaril $(ARM_DIR)/tessaril
	cp -R data $(ARM_DIR)/wiz/data
	cp -R data-handheld/. $(ARM_DIR)/wiz/data
	install -m 755 tools/tessaril.gpe $(ARM_DIR)/wiz/tessaril.gpe
	@echo "Card folder: $(ARM_DIR)/wiz"

arm-clean:
	rm -rf $(ARM_DIR)
