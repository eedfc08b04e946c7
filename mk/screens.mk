# Reference pictures of every screen, both configurations, in tests/screens/.
#   make update-screens   render them again from the current code (after a
#                         deliberate change to what the game draws); look at
#                         them before committing them

SCREENS_PACKAGES := imagemagick

.PHONY: update-screens screens-deps

screens-deps:
	@tools/install-missing.sh $(SCREENS_PACKAGES)

update-screens: deps screens-deps
	$(MAKE) build
	rm -f tests/screens/desktop/*.png tests/screens/handheld/*.png
	mkdir -p tests/screens/desktop tests/screens/handheld
	cd build && TESSARIL_UPDATE_SCREENS=1 ctest --output-on-failure -R 'TessarilScreens\.'
	cd build-handheld && TESSARIL_UPDATE_SCREENS=1 ctest --output-on-failure -R 'TessarilScreens\.'
	cd build && ctest --output-on-failure -R 'TessarilScreens\.'
	cd build-handheld && ctest --output-on-failure -R 'TessarilScreens\.'
	@echo "Pictures in tests/screens/: look at them, then commit them."
