# make        build into build/
# make test   build and run every test, also in a sanitizer build (build-asan/)
# make run    build and start the program
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAMIRO_SANITIZE=ON -DZAMIRO_APP=OFF

.PHONY: all deps build build-asan test test-asan run clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja $(ASAN_FLAGS)
	cmake --build $(ASAN_BUILD)

test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j2
	$(MAKE) --no-print-directory test-asan

test-asan:
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

run: build
	./$(BUILD)/zamiro

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
