# Set-up, build, test and run on Debian 12. `make run` and `make test` do everything.
.PHONY: deps run test bench build-debug build-release format clean

DEBUG_DIR := build/debug
RELEASE_DIR := build/release

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

run: build-release
	$(RELEASE_DIR)/cli/coursesmith-cli new $(RELEASE_DIR)/new-track.trk
	$(RELEASE_DIR)/cli/coursesmith-cli info $(RELEASE_DIR)/new-track.trk

bench: build-release
	$(RELEASE_DIR)/bench/coursesmith_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
