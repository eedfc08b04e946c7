# make layout-check: the code's layout limits (tools/check-layout.py): files of
# framework/ and game/ at most 900 lines, functions of framework/ at most 50
# (game/'s over 40 are listed), and the configuration's kWeb and the page's
# headers (framework/web/) nowhere outside framework/web/. Python 3 alone.
.PHONY: layout-check

layout-check:
	python3 tools/check-layout.py
