# The media generator (tools/mkmedia/):
#   make media       install what it needs, draw, synthesise and encode the
#                    data/ tree, the handheld's own pictures data-handheld/ and
#                    the desktop icons under dist/icons/ again (all committed)
# The generator is a target of the desktop build (tessaril_mkmedia), so make
# build and make test compile it and it cannot rot.
MEDIA_PACKAGES := g++ pkg-config libsdl1.2-dev vorbis-tools lame fonts-dejavu-core \
                  fonts-dejavu-extra imagemagick python3-fonttools

.PHONY: media-deps

media-deps:
	@tools/install-missing.sh $(MEDIA_PACKAGES)

media: media-deps
