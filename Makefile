# The two everyday commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
# Probed when a recipe runs, not when make reads this file: on a fresh machine install-deps
# installs Ninja only just before the first configure.
GENERATOR = $$(command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CMAKE_FLAGS ?=
ifeq ($(SANITIZE),1)
BUILD := build-sanitize
CMAKE_FLAGS += -DPARTIVAKT_SANITIZE=ON -DCMAKE_CXX_COMPILER=clang++ -DPARTIVAKT_BROWSER=OFF
DEPS_FLAGS := --sanitize
endif
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test bench bench-hall fuzz fuzz-hall format install clean crash-test fresh-check deb

all: build

deps:
	@scripts/install-deps $(DEPS_FLAGS)

# A build folder configured for Makefiles before Ninja was there is configured again for Ninja.
configure: deps
	@if [ -f $(BUILD)/CMakeCache.txt ] && command -v ninja >/dev/null 2>&1 && \
	    grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$$' $(BUILD)/CMakeCache.txt; then \
	    echo "Ninja is installed now: configuring $(BUILD) again"; \
	    rm -rf $(BUILD)/CMakeCache.txt $(BUILD)/CMakeFiles; \
	fi
	@[ -f $(BUILD)/CMakeCache.txt ] || \
	    cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) --parallel

run: build
	./$(BUILD)/partivakt

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel 2

bench: build
	cmake --build $(BUILD) --target benchmarks --parallel
	bench/run-all $(BUILD) $(BENCH_FLAGS)

fuzz:
	@scripts/install-deps --fuzz
	cmake -S . -B build-fuzz $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DPARTIVAKT_FUZZ=ON -DPARTIVAKT_BROWSER=OFF -DBUILD_TESTING=OFF
	cmake --build build-fuzz --target fuzz_linefiles --parallel
	mkdir -p fuzz-out && cp -n tests/gamefiles/fuzz/corpus/* fuzz-out/ 2>/dev/null || true
	./build-fuzz/fuzz_linefiles -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 fuzz-out

# 999 boards (a hall's most) through a real Mosquitto on the loopback against the overview (2 min; BENCH_HALL_FLAGS=
# "--seconds 600" for 10), then a clock's CPU joined against not, both running side by side under
# Xvfb, 3 rounds of 60 s (3 min; "--rounds N --clock-seconds S" to change, "--clock-only" for that alone).
bench-hall: build
	cmake --build $(BUILD) --target hall_load partivakt partivakt-hall --parallel
	xvfb-run -a -s '-screen 0 1280x800x24' ./$(BUILD)/hall_load --overview $(BUILD)/partivakt-hall --clock $(BUILD)/partivakt $(BENCH_HALL_FLAGS)

# The hall's message reader, as `make fuzz` does the line files.
fuzz-hall:
	@scripts/install-deps --fuzz
	cmake -S . -B build-fuzz $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DPARTIVAKT_FUZZ=ON -DPARTIVAKT_BROWSER=OFF -DBUILD_TESTING=OFF
	cmake --build build-fuzz --target fuzz_message --parallel
	mkdir -p fuzz-hall-out && cp -n tests/hall/fuzz/corpus/* fuzz-hall-out/ 2>/dev/null || true
	./build-fuzz/fuzz_message -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 fuzz-hall-out

format:
	find app clock display gamefiles settings info hall toolkit desktop tests bench \( -name '*.cpp' -o -name '*.h' \) | xargs clang-format -i

# Kills running games at random moments and checks the backup file each time (needs Xvfb, xdotool).
crash-test: configure
	cmake --build $(BUILD) --target partivakt --parallel
	scripts/crash-test $(BUILD)/partivakt $(CRASH_FLAGS)

# Builds, tests and starts the committed program on a freshly made Debian 12 root (as root).
fresh-check:
	@scripts/install-deps --fresh-check
	scripts/fresh-check $(FRESH_FLAGS)

# The Debian packages partivakt and partivakt-browser, built by debian/rules into $(DEB_DIR)/ and
# checked with lintian: an error or a warning fails the target. NOCHECK=1 skips the tests.
DEB_DIR ?= build-deb
DEB_JOBS ?= 2
deb_out = $(abspath $(DEB_DIR))
deb:
	@scripts/install-deps --deb
	rm -rf $(DEB_DIR) && mkdir -p $(DEB_DIR)
	PARTIVAKT_DEB_DIR=$(deb_out) $(if $(NOCHECK),DEB_BUILD_OPTIONS="nocheck $(DEB_BUILD_OPTIONS)" DEB_BUILD_PROFILES=nocheck) \
	    dpkg-buildpackage -b --no-sign -J$(DEB_JOBS) --buildinfo-option=-u$(deb_out) --changes-option=-u$(deb_out) \
	        --buildinfo-file=$(deb_out)/partivakt.buildinfo --changes-file=$(deb_out)/partivakt.changes
	@lintian --fail-on error,warning --display-info --show-overrides $(DEB_DIR)/partivakt.changes \
	    >$(DEB_DIR)/lintian.txt 2>&1; status=$$?; cat $(DEB_DIR)/lintian.txt; \
	    [ $$status -eq 0 ] && echo "lintian: no error, no warning ($(DEB_DIR)/lintian.txt)"; exit $$status
	@ls -l $(DEB_DIR)/*.deb

install: build
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz $(DEB_DIR) obj-*-linux-gnu
