# The two commands of the README, and a few more for developers.
# Every target installs what it needs first (scripts/install-deps is idempotent).

.PHONY: run test asan-test build bench format format-check install uninstall clean deps

deps:
	scripts/install-deps

run: deps
	cmake --preset release
	cmake --build --preset release
	./build/release/bin/quorvel

test: deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

asan-test: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

build: deps
	cmake --preset dev
	cmake --build --preset dev

bench: deps
	cmake --preset release -DQUORVEL_BUILD_BENCHMARKS=ON
	cmake --build --preset release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

PREFIX ?= /usr/local
install: deps
	cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build --preset release
	cmake --install build/release

# Removes what `make install` put in place (the files listed by the last install).
uninstall:
	xargs -d '\n' rm -f -- < build/release/install_manifest.txt
	rmdir --ignore-fail-on-non-empty $(PREFIX)/lib/quorvel 2>/dev/null || true

clean:
	rm -rf build
