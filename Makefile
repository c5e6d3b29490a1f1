# The two commands of the README: `make demo` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: deps build demo test test-release test-asan test-tsan bench clean

deps:
	bash tools/install-deps.sh

build: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

demo: build
	./build/host/brindlet-render

test: test-release test-asan test-tsan

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

bench: build
	@found=0; for b in build/bench/*/bench_*; do \
		[ -x "$$b" ] || continue; found=1; echo "== $$b"; "$$b" || exit 1; \
	done; [ $$found = 1 ] || { echo "make bench: no benchmark programs under build/bench/*/" >&2; exit 1; }

clean:
	rm -rf build build-asan build-tsan out
