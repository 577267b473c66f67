# SPDX-License-Identifier: GPL-3.0-or-later
# Two commands from a fresh Debian machine: `make run` and `make test`.
# Everything else here serves them or the developers.

SHELL := /bin/bash
PACKAGES := g++ make cmake qt6-base-dev qt6-svg-dev libgtest-dev libgmock-dev libbenchmark-dev librapidcheck-dev fonts-wine
FUZZ_PACKAGES := clang libclang-rt-14-dev
SPREADSHEET_PACKAGES := libreoffice-calc-nogui
PACKAGING_PACKAGES := dpkg-dev file help2man appstream desktop-file-utils lintian
WINDOWS_PACKAGES := g++-mingw-w64-x86-64 wine64 wine
WINDOWS_QT_PACKAGES := g++-mingw-w64-x86-64-posix qt6-base-dev-tools dpkg-dev ninja-build nsis \
    fonts-dejavu-core xvfb xdotool xclip
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-asan test-package test-spreadsheet test-windows windows package mutants mutants-generated bench fuzz format clean

all: build

# Installs the Debian packages the build needs, only when some are missing.
deps:
	@missing=""; for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	    dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    sudo=""; [ "$$(id -u)" -eq 0 ] || sudo="sudo"; \
	    $$sudo apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

# Starts the window from its own folder, where its file dialog opens on the sample export.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): run 'make run' in a desktop session, or 'xvfb-run make run' to start it on a virtual screen."; \
	    exit 1; fi
	cd build/debug/app && ./pelk

test: build
	ctest --preset debug -j $(JOBS)
	$(MAKE) test-asan
	$(MAKE) test-package
	$(MAKE) test-spreadsheet
	$(MAKE) test-windows

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The Debian package: build/release/pelk_<version>_amd64.deb.
package:
	$(MAKE) deps EXTRA_PACKAGES="$(PACKAGING_PACKAGES)"
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target pelk pelk-cli pelk_install_files
	cd build/release && cpack

# Builds the package and checks what it holds: files, man pages, icons, entry, metainfo, lintian.
test-package: package
	tests/package/check_package.sh build/release

# The list saved for a spreadsheet, opened by LibreOffice Calc headless: the same cells back.
test-spreadsheet: build
	$(MAKE) deps EXTRA_PACKAGES="$(SPREADSHEET_PACKAGES)"
	tests/results/spreadsheet_round_trip.sh build/debug/cli/pelk-cli app/sample/exemple-export.txt

# The core and pelk-cli cross-built for Windows with MinGW-w64, their tests run under Wine, and
# pelk-cli.exe compared byte for byte with the Linux pelk-cli.
test-windows: build
	$(MAKE) deps EXTRA_PACKAGES="$(WINDOWS_PACKAGES)"
	cmake --preset windows-cli -DPELK_LINUX_CLI=$(CURDIR)/build/debug/cli/pelk-cli
	cmake --build --preset windows-cli -j $(JOBS)
	@# Wine makes its prefix on its first start; two tests starting it at once race for it and
	@# for its server. So the prefix is made here, and one server kept up while the tests run.
	export WINEPREFIX=$(CURDIR)/build/windows-cli/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="; \
	mkdir -p $$WINEPREFIX && wineserver --persistent && wine wineboot --init && \
	{ ctest --preset windows-cli -j $(JOBS); status=$$?; wineserver --kill; exit $$status; }

# The window for Windows: a Qt for Windows built once from Debian's own sources (cached in
# ~/.cache/pelk, or PELK_QT_CACHE), pelk.exe and pelk-cli.exe built against it, every test run
# under Wine, then the portable zip and the installer, in build/windows.
windows: build
	$(MAKE) deps EXTRA_PACKAGES="$(WINDOWS_PACKAGES) $(WINDOWS_QT_PACKAGES)"
	qt=$$(packaging/windows/build-qt.sh) && \
	cmake --preset windows -DPELK_WINDOWS_QT=$$qt -DPELK_LINUX_CLI=$(CURDIR)/build/debug/cli/pelk-cli
	cmake --build --preset windows -j $(JOBS)
	export WINEPREFIX=$(CURDIR)/build/windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="; \
	mkdir -p $$WINEPREFIX && wineserver --persistent && wine wineboot --init && \
	{ ctest --preset windows -j $(JOBS); status=$$?; wineserver --kill; exit $$status; }
	cmake --build --preset windows --target windows_packages
	tests/windows/installer_test.sh build/windows/Pelk-*-setup.exe
	@ls -l build/windows/Pelk-*-setup.exe build/windows/Pelk-*-windows.zip

# Plants each fault of tools/mutants/faults.tsv alone in a scratch copy and names the tests that
# catch it (PELK_MUTANTS_DIR chooses the copy's folder). Long: not part of `make test`.
mutants: deps
	python3 tools/mutants/run.py

# Mutants made by rule from the production files under PATHS (default: all of them), a sample of
# BUDGET (default 120: half an hour to an hour on two cores) run like `mutants`; survivors go to
# build/mutants-generated.tsv. CHANGED_SINCE=main takes the files changed since main instead.
PATHS ?=
BUDGET ?= 120
mutants-generated: deps
	python3 tools/mutants/generate.py --budget $(BUDGET) \
	    $(if $(CHANGED_SINCE),--changed-since $(CHANGED_SINCE)) $(PATHS)

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS) --target pelk_benchmarks
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true
	@[ -x bench/cli.sh ] && bench/cli.sh build/release/cli/pelk-cli || true

fuzz:
	$(MAKE) deps EXTRA_PACKAGES="$(FUZZ_PACKAGES)"
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@for f in build/fuzz/fuzz/fuzz_*; do \
	    [ -x "$$f" ] || continue; name=$$(basename $$f); \
	    mkdir -p build/fuzz/corpus/$$name; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        build/fuzz/corpus/$$name fuzz/corpus/$$name || exit 1; done

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
