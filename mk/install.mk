# Installing the game, and its Debian package.
#   make install     the game under PREFIX (default /usr/local), DESTDIR honoured
#   make uninstall   removes what make install put there
#   make deb         build-deb/tessaril_<version>_<arch>.deb, checked by lintian
#   make test-install  the desktop files through their validators, then the
#                      game installed into a temporary DESTDIR and played there
#                      through its launcher (skipped where no X server starts)

INSTALL_PACKAGES := desktop-file-utils appstream man-db dpkg-dev gettext
DEB_PACKAGES := debhelper dpkg-dev fakeroot lintian

PREFIX ?= /usr/local
DESTDIR ?=
BINDIR ?= $(PREFIX)/bin
LIBEXECDIR ?= $(PREFIX)/libexec/tessaril
DATADIR ?= $(PREFIX)/share
MANDIR ?= $(DATADIR)/man
GAME_BUILD ?= build
VERSION := $(shell cat VERSION)

# Every file make install writes, relative to DESTDIR (uninstall removes them).
ICON_SIZES := 32 48 64 128 256
METAINFO := io.github.tessaril.Tessaril.metainfo.xml
INSTALLED_FILES := $(LIBEXECDIR)/tessaril $(BINDIR)/tessaril \
    $(DATADIR)/applications/tessaril.desktop $(DATADIR)/metainfo/$(METAINFO) \
    $(MANDIR)/man6/tessaril.6 \
    $(foreach n,$(ICON_SIZES),$(DATADIR)/icons/hicolor/$(n)x$(n)/apps/tessaril.png)

.PHONY: install install-files uninstall deb deb-deps install-deps test-install check-version \
        screenshot

install-deps:
	@tools/install-missing.sh $(INSTALL_PACKAGES)

deb-deps:
	@tools/install-missing.sh $(DEB_PACKAGES)

install: build-desktop
	$(MAKE) install-files

# The files alone, from an existing build of the game in GAME_BUILD.
install-files:
	install -D -m 755 $(GAME_BUILD)/tessaril $(DESTDIR)$(LIBEXECDIR)/tessaril
	install -d $(DESTDIR)$(DATADIR)/tessaril/data
	cd data && find . -type f ! -name 'LICENSE*' -exec install -D -m 644 {} \
	    $(DESTDIR)$(DATADIR)/tessaril/data/{} \;
	@# The catalogues (data/po links to po/), read by the game from data/po.
	install -D -m 644 -t $(DESTDIR)$(DATADIR)/tessaril/data/po po/LINGUAS \
	    $(patsubst %,po/%.po,$(shell cat po/LINGUAS))
	install -D -m 644 data/fonts/LICENSE-orangefizz.txt \
	    $(DESTDIR)$(DATADIR)/doc/tessaril/LICENSE-orangefizz.txt
	install -d $(DESTDIR)$(BINDIR)
	sed -e 's|@GAME@|$(LIBEXECDIR)/tessaril|' -e 's|@MEDIA@|$(DATADIR)/tessaril/data|' \
	    dist/tessaril.in > $(DESTDIR)$(BINDIR)/tessaril
	chmod 755 $(DESTDIR)$(BINDIR)/tessaril
	@# The desktop entry and the metainfo with every catalogue's translations.
	install -d $(DESTDIR)$(DATADIR)/applications $(DESTDIR)$(DATADIR)/metainfo
	msgfmt --desktop --template=dist/tessaril.desktop -d po \
	    -o $(DESTDIR)$(DATADIR)/applications/tessaril.desktop
	msgfmt --xml --template=dist/$(METAINFO) -d po -o $(DESTDIR)$(DATADIR)/metainfo/$(METAINFO)
	chmod 644 $(DESTDIR)$(DATADIR)/applications/tessaril.desktop \
	    $(DESTDIR)$(DATADIR)/metainfo/$(METAINFO)
	install -D -m 644 dist/tessaril.6 $(DESTDIR)$(MANDIR)/man6/tessaril.6
	for n in $(ICON_SIZES); do \
	    install -D -m 644 dist/icons/hicolor/$${n}x$${n}/apps/tessaril.png \
	        $(DESTDIR)$(DATADIR)/icons/hicolor/$${n}x$${n}/apps/tessaril.png || exit 1; \
	done

uninstall:
	rm -f $(addprefix $(DESTDIR),$(INSTALLED_FILES))
	rm -rf $(DESTDIR)$(DATADIR)/tessaril $(DESTDIR)$(DATADIR)/doc/tessaril
	-rmdir $(DESTDIR)$(LIBEXECDIR) 2>/dev/null

# The package's version is VERSION's; debian/changelog and the newest release
# of the metainfo must name the same.
check-version:
	@v=$$(dpkg-parsechangelog -S Version) && [ "$$v" = "$(VERSION)" ] || \
	    { echo "debian/changelog names version $$v, VERSION says $(VERSION)" >&2; exit 1; }
	@v=$$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' dist/$(METAINFO) | head -n 1) && \
	    [ "$$v" = "$(VERSION)" ] || \
	    { echo "dist/$(METAINFO) names release $$v, VERSION says $(VERSION)" >&2; exit 1; }

# Built in a copy of the committed tree, so that nothing of the working tree's
# builds or untracked files reaches the package.
deb: deb-deps
	$(MAKE) check-version
	rm -rf build-deb
	mkdir -p build-deb/src
	git ls-files -z | xargs -0 cp -P --parents -t build-deb/src
	cd build-deb/src && dpkg-buildpackage -us -uc -b
	lintian --fail-on error,warning build-deb/tessaril_$(VERSION)_*.deb
	@ls build-deb/*.deb

# make test runs this.
test-install: install-deps
	$(MAKE) check-version
	rm -rf build/merged && mkdir -p build/merged
	msgfmt --desktop --template=dist/tessaril.desktop -d po -o build/merged/tessaril.desktop
	msgfmt --xml --template=dist/$(METAINFO) -d po -o build/merged/$(METAINFO)
	desktop-file-validate build/merged/tessaril.desktop
	appstreamcli validate --no-net build/merged/$(METAINFO)
	@out=$$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l dist/tessaril.6 2>&1 >/dev/null); \
	    [ -z "$$out" ] || { echo "$$out" >&2; exit 1; }
	tests/e2e/installed.py --if-possible --game-build $(GAME_BUILD)

# The metainfo's screenshot, made again from the game: the play screen as the
# unit test of the pause draws it, at twice its size (the result is committed).
screenshot: build-desktop
	rm -rf build/shots && mkdir -p build/shots
	cd build && TESSARIL_SHOTS=$(CURDIR)/build/shots \
	    ctest -R TessarilScreens.PauseHidesTheBoardAndKeepsTheHeadsUpDisplay
	convert build/shots/game_playing.png -scale 200% -strip dist/screenshot.png
