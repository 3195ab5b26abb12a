# Set-up, build, test and run on Debian 12. `make run` and `make test` do everything.
.PHONY: deps run test bench bench-ratios build-debug build-release build-fuzz fuzz fuzz-regression format clean \
        configure-windows wine-prefix test-windows windows package check-package

DEBUG_DIR := build/debug
RELEASE_DIR := build/release
RUN_DIR := build/run
FUZZ_DIR := build/fuzz
WINDOWS_DIR := build/windows
PACKAGE_DIR := build/package
# Wine runs in a prefix of the Windows build's own, without its debug chatter.
WINE_ENV := WINEPREFIX=$(CURDIR)/$(WINDOWS_DIR)/wineprefix WINEDEBUG=-all
FUZZ_SECONDS ?= 60
FUZZERS := track land_bitmap height_bitmap lap replay track_json

deps:
	@./scripts/install-deps.sh

build-debug: deps
	cmake -S . -B $(DEBUG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCOURSESMITH_SANITIZE=ON -DCOURSESMITH_BENCH=OFF
	cmake --build $(DEBUG_DIR)

build-release: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR)

test: build-debug
	ctest --test-dir $(DEBUG_DIR) --output-on-failure
	$(MAKE) --no-print-directory check-package
	$(MAKE) --no-print-directory fuzz-regression
	$(MAKE) --no-print-directory test-windows

# The fuzz harnesses (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and
# their seed corpora, which make_corpora writes from scratch into $(FUZZ_DIR)/seeds.
build-fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCOURSESMITH_FUZZ=ON -DCOURSESMITH_TESTS=OFF -DCOURSESMITH_BENCH=OFF
	cmake --build $(FUZZ_DIR)
	rm -rf $(FUZZ_DIR)/seeds
	$(FUZZ_DIR)/tests/fuzz/make_corpora $(FUZZ_DIR)/seeds

# Every harness once over its seeds and the kept corpus (tests/fuzz/corpus), so that an
# input that once crashed keeps being run.
fuzz-regression: build-fuzz
	@for f in $(FUZZERS); do \
	    echo "fuzz regression: $$f"; \
	    $(FUZZ_DIR)/tests/fuzz/$${f}_fuzz -runs=0 $(FUZZ_DIR)/seeds/$$f tests/fuzz/corpus/$$f \
	        > $(FUZZ_DIR)/$$f-regression.log 2>&1 \
	        || { cat $(FUZZ_DIR)/$$f-regression.log; exit 1; }; \
	    grep -h DONE $(FUZZ_DIR)/$$f-regression.log; \
	done

# Each harness for FUZZ_SECONDS (default 60); new inputs go to $(FUZZ_DIR)/corpus/NAME and
# a crashing input to $(FUZZ_DIR)/artifacts. Scripts (the harnesses with a dictionary of
# their words) may grow to 4 KiB. `make fuzz FUZZ_SECONDS=600` for ten minutes.
fuzz: build-fuzz
	@mkdir -p $(FUZZ_DIR)/artifacts
	@for f in $(FUZZERS); do \
	    mkdir -p $(FUZZ_DIR)/corpus/$$f; \
	    echo "fuzz: $$f for $(FUZZ_SECONDS) s"; \
	    opts=; [ -f tests/fuzz/$$f.dict ] && opts="-dict=tests/fuzz/$$f.dict -max_len=4096"; \
	    $(FUZZ_DIR)/tests/fuzz/$${f}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$opts \
	        -artifact_prefix=$(FUZZ_DIR)/artifacts/$$f- $(FUZZ_DIR)/corpus/$$f \
	        $(FUZZ_DIR)/seeds/$$f tests/fuzz/corpus/$$f 2> $(FUZZ_DIR)/$$f-fuzz.log \
	        || { tail -n 60 $(FUZZ_DIR)/$$f-fuzz.log; exit 1; }; \
	    grep -E "^#[0-9]+[[:space:]]+DONE" $(FUZZ_DIR)/$$f-fuzz.log; \
	done

# The Windows build (MinGW-w64, cmake/mingw-w64-x86_64.cmake) of the core, the command-line
# tool, the desktop program (its Win32 front end, win32/) and their tests.
configure-windows: deps
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli $(WINDOWS_OPTIONS)

# The Wine prefix, made once (Wine needs no display for console programs). The .NET and
# HTML engines Wine would offer to fetch are not wanted.
wine-prefix:
	@if [ ! -f $(WINDOWS_DIR)/wineprefix/system.reg ]; then \
	    echo "Setting up the Wine prefix $(WINDOWS_DIR)/wineprefix"; \
	    mkdir -p $(WINDOWS_DIR); \
	    $(WINE_ENV) WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i; \
	fi

# The Windows suite under Wine on a virtual X display of its own: the core tests, the tool
# against the Linux debug build's (the same files, output and exit codes), the desktop
# program (its front end, and end to end through the screen with the Linux build's screen
# probe) and the installer. Test folders from earlier runs are cleared first. One Wine
# server serves every run; it is started afresh, so that no server of an earlier display
# stays, and goes 10 s after the last run.
test-windows: WINDOWS_OPTIONS = -DCOURSESMITH_NATIVE_CLI=$(CURDIR)/$(DEBUG_DIR)/cli/coursesmith-cli \
    -DCOURSESMITH_SCREEN_PROBE=$(CURDIR)/$(DEBUG_DIR)/tests/e2e/screen_probe
test-windows: build-debug configure-windows wine-prefix
	cmake --build $(WINDOWS_DIR)
	rm -rf $(WINDOWS_DIR)/wineprefix/drive_c/users/*/Temp/*
	$(WINE_ENV) xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
	    'wineserver -k 2>/dev/null; wineserver -w; wineserver -p10; \
	     QT_QPA_PLATFORM=xcb ctest --test-dir $(WINDOWS_DIR) --output-on-failure'

# dist/coursesmith-cli-VERSION-windows-x86_64.zip: the tool for Windows, a README for
# Windows users and the license; dist/coursesmith-VERSION-windows-x86_64.zip: the editor and
# the tool, portable; dist/coursesmith-VERSION-windows-x86_64-setup.exe: both installed for
# the current user (NSIS, cmake/windows/installer.nsi).
windows: configure-windows
	cmake --build $(WINDOWS_DIR) --target windows_package

# dist/coursesmith_VERSION_amd64.deb: a release build of its own, with Debian's hardening
# flags (its optimisation and debug flags left to the release build type) and without tests
# or benchmarks, packaged by CPack (cmake/package.cmake).
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: export DEB_CXXFLAGS_STRIP = -g -O2
package: deps
	cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOURSESMITH_TESTS=OFF \
	    -DCOURSESMITH_BENCH=OFF \
	    "-DCMAKE_CXX_FLAGS=$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	    "-DCMAKE_EXE_LINKER_FLAGS=$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_DIR) --target package

# The package checked by lintian, appstreamcli and desktop-file-validate, and its programs
# and thumbnailer run from its unpacked contents (tests/package_test.sh).
check-package: package
	sh tests/package_test.sh \
	    dist/coursesmith_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(PACKAGE_DIR)/CMakeCache.txt)_amd64.deb

# Builds the editor alone (release, no tests or benchmarks, a folder of its own) and starts
# it; `make run TRACK=path` opens a track. Without a display it says how to get one instead.
run: deps
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); to run the editor on a virtual one: xvfb-run -a make run$(if $(TRACK), TRACK='$(TRACK)')"; \
	    exit 1; \
	fi
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOURSESMITH_TESTS=OFF -DCOURSESMITH_BENCH=OFF
	cmake --build $(RUN_DIR) --target coursesmith
	$(RUN_DIR)/shell/coursesmith $(if $(TRACK),'$(TRACK)')

bench: build-release
	$(RELEASE_DIR)/bench/coursesmith_bench $(BENCH_OPTIONS)

# One run of the benchmarks that come as Default and Heavy pairs, then `NAME RATIO` per line:
# each step's Heavy / Default ratio and FullRedrawDefault / Memcpy1MiB. BENCH_OPTIONS go to
# the benchmark program (`BENCH_OPTIONS=--benchmark_min_time=0.01` for a quick run).
bench-ratios: build-release
	./bench/ratios.sh $(RELEASE_DIR)/bench/coursesmith_bench $(BENCH_OPTIONS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
