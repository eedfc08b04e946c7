# Translations: the template po/tessaril.pot made from the sources, and the
# catalogues po/<language>.po checked against it.
#   make pot        po/tessaril.pot made again from the sources (committed)
#   make po-update  every catalogue merged with the template (new messages
#                   untranslated, changed ones fuzzy)
#   make po-check   the template must be current; every catalogue merged with
#                   it (in build/po/) passes msgfmt -c --check; the untranslated
#                   and fuzzy messages are listed without failing
#   make po-release the same, failing on any untranslated or fuzzy message
# The markers (framework/fwCatalogue.h): Translate("text"), Translate("context",
# "text"), Plural("one", "many", n), Plural("context", "one", "many", n) and
# N_("text"); a comment starting "TRANSLATORS:" just before a marker (its
# message's box, say) goes to the translators.

PO_PACKAGES := gettext
POT := po/tessaril.pot
LINGUAS = $(shell cat po/LINGUAS)
PO_WORK := build/po
# The texts: the game's C++, the page's script and the desktop's two files.
PO_CODE = $(shell git ls-files 'framework/*.cpp' 'framework/*.h' 'game/*.cpp' 'game/*.h')
PO_PAGE := web/page.js
PO_DESKTOP := dist/tessaril.desktop dist/io.github.tessaril.Tessaril.metainfo.xml
PO_KEYWORDS := --keyword=Translate:1,1t --keyword=Translate:1c,2,2t \
               --keyword=Plural:1,2,3t --keyword=Plural:1c,2,3,4t --keyword=N_:1 \
               --keyword=pageText:1 --keyword=pageFormat:1
# Locations name files only, so that moving code leaves the template as it is.
XGETTEXT := xgettext --from-code=UTF-8 --add-comments=TRANSLATORS: --sort-by-file \
            --add-location=file \
            --package-name=Tessaril --package-version=$(shell cat VERSION) \
            --msgid-bugs-address=https://github.com/tessaril/tessaril/issues

.PHONY: po-deps pot po-update po-check po-release

po-deps:
	@tools/install-missing.sh $(PO_PACKAGES)

# POT-Creation-Date aside, so that a template made again from unchanged
# sources compares equal.
define make-pot
	mkdir -p $(PO_WORK)
	$(XGETTEXT) --language=C++ $(PO_KEYWORDS) -o $(1) $(PO_CODE)
	$(XGETTEXT) --join-existing --language=JavaScript $(PO_KEYWORDS) -o $(1) $(PO_PAGE)
	$(XGETTEXT) --join-existing -o $(1) $(PO_DESKTOP)
	sed -i -e '/^"POT-Creation-Date:/d' -e 's/charset=CHARSET/charset=UTF-8/' $(1)
endef

pot: po-deps
	$(call make-pot,$(POT))

po-update: pot
	for l in $(LINGUAS); do msgmerge --quiet --update --backup=none po/$$l.po $(POT) || exit 1; done

po-check: po-deps
	$(call make-pot,$(PO_WORK)/tessaril.pot)
	@cmp -s $(PO_WORK)/tessaril.pot $(POT) || \
	    { echo "$(POT) is not the sources' template: run make pot (and make po-update)" >&2; \
	      diff -u $(POT) $(PO_WORK)/tessaril.pot | head -40 >&2; exit 1; }
	@for l in $(LINGUAS); do \
	    msgmerge --quiet -o $(PO_WORK)/$$l.po po/$$l.po $(POT) || exit 1; \
	    msgfmt -c --check -o /dev/null po/$$l.po || exit 1; \
	    stats=$$(LC_ALL=C msgfmt --statistics -o /dev/null $(PO_WORK)/$$l.po 2>&1); \
	    echo "po/$$l.po: $$stats"; \
	    msgattrib --only-fuzzy --no-obsolete $(PO_WORK)/$$l.po | sed -n 's/^msgid "\(..*\)"/  fuzzy: \1/p'; \
	    msgattrib --untranslated --no-obsolete $(PO_WORK)/$$l.po | sed -n 's/^msgid "\(..*\)"/  untranslated: \1/p'; \
	done

po-release: po-check
	@for l in $(LINGUAS); do \
	    LC_ALL=C msgfmt --statistics -o /dev/null $(PO_WORK)/$$l.po 2>&1 | \
	        grep -qE 'fuzzy|untranslated' && { echo "po/$$l.po is not complete" >&2; exit 1; }; \
	done; echo "every catalogue complete"
