# The two commands of the README: `make demo` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: deps build demo test test-release test-asan test-tsan test-windows windows bench clean

deps:
	bash tools/install-deps.sh

build: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

demo: build
	./build/host/brindlet-render

test: test-release test-asan test-tsan test-windows

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

# Brindlet.dll for 64-bit and 32-bit Windows, cross-built with mingw-w64.
windows: deps
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)

# The Windows suites under Wine, on a virtual X display.
test-windows: windows
	bash tools/test-windows.sh

bench: build
	for b in build/bench/bench_*; do $$b; done

clean:
	rm -rf build build-asan build-tsan build-win64 build-win32 out
