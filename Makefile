# Sonovane: `make run` starts the editor, `make test` runs the whole suite headless.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 600
FUZZ_TARGET ?= fuzz_wav
PREFIX     ?= /usr/local

.PHONY: all deps build run test test-asan bench fuzz install deb clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: run it under a virtual display with 'xvfb-run -a make run'."; exit 1; fi
	$(BUILD)/bin/sonovane $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DSONOVANE_ASAN=ON -DSONOVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=0:handle_segv=0:handle_abort=0:handle_sigbus=0 ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b || true; done

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DSONOVANE_FUZZ=ON -DSONOVANE_ASAN=ON -DSONOVANE_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target $(FUZZ_TARGET)
	mkdir -p $(BUILD_FUZZ)/corpus-$(FUZZ_TARGET)
	$(BUILD_FUZZ)/bin/$(FUZZ_TARGET) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(BUILD_FUZZ)/corpus-$(FUZZ_TARGET) tests/fuzz/corpus tests/fuzz/corpus-sound

# The program and its kit into $(PREFIX) (DESTDIR=... stages them elsewhere first).
install: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target sonovane
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# $(BUILD)/sonovane_<version>_<arch>.deb, its dependencies read off the shared libraries.
deb: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target sonovane
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
