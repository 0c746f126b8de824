# Two entry points: `make run` and `make test`. Both install what is missing,
# configure and build first, so they work on a fresh Debian 12 machine.
# `make fuzz` and `make test-sanitize` build in folders of their own.
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
SANITIZE_BUILD ?= build-sanitize
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release -DNIMBREL_WERROR=ON
# `make install PREFIX=DIR`: the host folder in DIR/lib/nimbrel, the launcher
# in DIR/bin, desktop entry and icon in DIR/share. DESTDIR stages a package.
PREFIX ?= /usr/local

.PHONY: deps configure build run test test-sanitize fuzz bench install screenshots format format-check clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/nimbrel-host

test: build format-check
	@scripts/run-tests.sh $(BUILD)

# The whole suite under AddressSanitizer (with leak checking) and
# UndefinedBehaviorSanitizer, on both engines.
test-sanitize: deps
	@scripts/run-sanitize.sh $(SANITIZE_BUILD)

# Every libFuzzer target of fuzz/ for FUZZ_SECONDS each; fails on a finding.
fuzz:
	@scripts/install-deps.sh fuzz
	@scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	@scripts/run-bench.sh $(BUILD)

install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The README's pictures of the three screens, rendered anew into docs/.
screenshots: build
	@scripts/make-screenshots.sh $(BUILD) docs

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails when a committed source file differs from what clang-format makes of it.
format-check: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD)
