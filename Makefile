# Set-up, build, test and run on Debian 12. `make run` and `make test` do everything.
.PHONY: deps run test bench bench-ratios build-debug build-release format clean

DEBUG_DIR := build/debug
RELEASE_DIR := build/release
RUN_DIR := build/run

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
	$(RELEASE_DIR)/bench/coursesmith_bench

# One run of the benchmarks that come as Default and Heavy pairs, then `NAME RATIO` per line:
# each step's Heavy / Default ratio and FullRedrawDefault / Memcpy1MiB.
bench-ratios: build-release
	./bench/ratios.sh $(RELEASE_DIR)/bench/coursesmith_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
