# The two commands of the README: `make demo` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
CI_FUZZ_SECONDS ?= 20
SOAK_SECONDS ?= 600
# brindlet.so itself is not built there: clang leaves its sanitizer runtime out of modules.
FUZZ_TARGETS = fuzz_dispatcher fuzz_events fuzz_audio fuzz_bmp fuzz_entry fuzz_render_options fuzz_midi_file fuzz_drop_list

.PHONY: deps build demo test test-release test-asan test-tsan test-fuzz build-fuzz-targets fuzz soak \
        test-windows windows test-install bench clean dist install install-user package package-windows

deps:
	bash tools/install-deps.sh

build: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

demo: build
	./build/host/brindlet-render

test: test-release test-asan test-tsan test-install test-fuzz test-windows

test-release: build
	ctest --preset release -j $(JOBS)

test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

test-tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

# libFuzzer targets (clang, ASan+UBSan): `make fuzz` for FUZZ_SECONDS each, the test run briefly.
build-fuzz-targets: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS) --target $(FUZZ_TARGETS)

fuzz: build-fuzz-targets
	tools/run-fuzz.sh $(FUZZ_SECONDS)

test-fuzz: build-fuzz-targets
	tools/run-fuzz.sh $(CI_FUZZ_SECONDS)

# The host-abuse battery for SOAK_SECONDS under ASan and under TSan (not part of `make test`),
# with the suppressions ctest gives it for what cairo and fontconfig lose.
X11_SUPP = $(CURDIR)/tests/support/x11
soak: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS) --target host_abuse_test brindlet
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS) --target host_abuse_test brindlet
	LSAN_OPTIONS=suppressions=$(X11_SUPP)/lsan.supp:print_suppressions=0 \
	  BRINDLET_SOAK_SECONDS=$(SOAK_SECONDS) build-asan/tests/module/host_abuse_test
	TSAN_OPTIONS=suppressions=$(X11_SUPP)/tsan.supp \
	  BRINDLET_SOAK_SECONDS=$(SOAK_SECONDS) build-tsan/tests/module/host_abuse_test

# Brindlet.dll for 64-bit and 32-bit Windows, cross-built with mingw-w64.
windows: deps
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

# The Windows suites under Wine, on a virtual X display.
test-windows: windows
	bash tools/test-windows.sh

# The plain build a packager makes: Release, no tests, installed into a scratch DESTDIR and checked.
test-install: build
	JOBS=$(JOBS) bash tests/install/check-install.sh build/host/brindlet-render

# What gets installed and packaged: a Release build of the plug-in and brindlet-render only.
PREFIX ?= /usr/local
DIST := build-dist
dist: deps
	cmake -S . -B $(DIST) -DCMAKE_BUILD_TYPE=Release -DBRINDLET_TESTS=OFF -DBRINDLET_BENCH=OFF \
	  -DBRINDLET_TOOLS=OFF >/dev/null
	cmake --build $(DIST) -j $(JOBS)

install: dist
	cmake --install $(DIST) --prefix $(PREFIX)

# Into ~/.vst, without root; a new file renamed into place so a running host keeps its copy.
install-user: dist
	mkdir -p $(HOME)/.vst
	strip --strip-unneeded --remove-section=.comment --remove-section=.note \
	  -o $(HOME)/.vst/.brindlet.so.new $(DIST)/brindlet.so
	mv -f $(HOME)/.vst/.brindlet.so.new $(HOME)/.vst/brindlet.so
	@echo "installed $(HOME)/.vst/brindlet.so"

package: dist
	mkdir -p out/package
	cd $(DIST) && cpack -B $(CURDIR)/out/package >$(CURDIR)/out/package/cpack.log 2>&1 || \
	  { cat $(CURDIR)/out/package/cpack.log; false; }
	mv -f out/package/brindlet_*.deb out/
	rm -rf out/package
	@ls out/brindlet_*.deb

# Both Windows plug-ins and a read-me in one zip, once build-win64 and build-win32 hold them.
package-windows:
	cmake -DSOURCE_DIR=$(CURDIR) -DOUT_DIR=$(CURDIR)/out -P cmake/PackageWindows.cmake

bench: build
	@found=0; for b in build/bench/*/bench_*; do \
		[ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" || exit 1; \
	done; [ $$found = 1 ] || { echo "make bench: no benchmark programs under build/bench/*/" >&2; exit 1; }

clean:
	rm -rf build build-asan build-tsan build-fuzz build-win64 build-win32 $(DIST) out
