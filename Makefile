# The two commands of the README, and a few more for developers.
# Every target installs what it needs first (scripts/install-deps is idempotent): what
# building and running need, and for the tests and checks their tools too.

.PHONY: run test asan-test build bench format format-check install uninstall clean deps test-deps

# The programs `make run` builds: the piano, and the relay server and the converter it
# starts from its menus. No tests, no benchmarks.
PROGRAMS = quorvel trelvane kestrune

deps:
	scripts/install-deps

test-deps:
	scripts/install-deps --test

run: deps
	cmake --preset release
	cmake --build --preset release --target $(PROGRAMS)
	./build/release/bin/quorvel

test: test-deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

asan-test: test-deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

build: deps
	cmake --preset dev
	cmake --build --preset dev

bench: test-deps
	cmake --preset release -DQUORVEL_BUILD_BENCHMARKS=ON
	cmake --build --preset release

format: test-deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: test-deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

PREFIX ?= /usr/local
install: deps
	cmake --preset release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build --preset release
	cmake --install build/release --strip

# Uses only the installed tree: the uninstall script and its list beside the program.
uninstall:
	$(PREFIX)/lib/quorvel/uninstall

clean:
	rm -rf build
