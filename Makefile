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

# make fuzz   runs each fuzz target for FUZZ_SECONDS (default 600) from corpora seeded with the
#             end-to-end scripts; findings are written to fuzz/findings/
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_TARGETS = fuzz_tokenizer fuzz_interpreter fuzz_loader

.PHONY: fuzz build-fuzz
build-fuzz: deps
	@command -v clang++-14 >/dev/null && [ -e /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ] || { \
	  [ "$$(id -u)" = 0 ] && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
	    clang-14 libfuzzer-14-dev libclang-rt-14-dev; }
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DZAMIRO_FUZZ=ON -DZAMIRO_APP=OFF
	cmake --build $(FUZZ_BUILD)

fuzz: build-fuzz
	@mkdir -p fuzz/findings
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  cp tests/e2e/cases/*.logo fuzz/regressions/* $(FUZZ_BUILD)/corpus/$$t/ 2>/dev/null; \
	  echo "== $$t for $(FUZZ_SECONDS) s"; \
	  ./$(FUZZ_BUILD)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=4096 \
	    -max_len=4096 -artifact_prefix=fuzz/findings/$$t- $(FUZZ_BUILD)/corpus/$$t \
	    >$(FUZZ_BUILD)/$$t.log 2>&1; rc=$$?; \
	  grep -E "DONE|^Done|ERROR|SUMMARY|artifact" $(FUZZ_BUILD)/$$t.log; \
	  [ $$rc = 0 ] || { echo "$$t found a fault: see $(FUZZ_BUILD)/$$t.log"; exit 1; }; \
	done

# make bench  runs the benchmarks beside Berkeley Logo and CPython (bench/run.sh) and writes
#             bench/results.md
.PHONY: bench
bench: build
	@command -v hyperfine >/dev/null && command -v ucblogo >/dev/null || { \
	  [ "$$(id -u)" = 0 ] && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
	    hyperfine ucblogo python3-tk xvfb time; }
	bench/run.sh
