# Two commands from a fresh Debian machine: `make run` and `make test`.
# Everything else here serves them or the developers.

SHELL := /bin/bash
PACKAGES := g++ make cmake qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-wine
FUZZ_PACKAGES := clang libclang-rt-14-dev
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-asan mutants bench fuzz format clean

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

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# Plants each fault of tools/mutants/faults.tsv alone in a scratch copy and names the tests that
# catch it (PELK_MUTANTS_DIR chooses the copy's folder). Long: not part of `make test`.
mutants: deps
	python3 tools/mutants/run.py

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
