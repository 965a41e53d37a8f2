# Thin wrapper around CMake. `make run` and `make test` work on a fresh Debian machine:
# missing packages are installed first when run as root.

BUILD       ?= build
ASAN_BUILD  ?= build-asan
FUZZ_BUILD  ?= build-fuzz
FUZZ_SECONDS ?= 20
JOBS        ?= $(shell nproc)
PREFIX      ?= /usr/local
DESTDIR     ?=

PACKAGES = cmake make g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev \
           libexpat1-dev libpng-dev libusb-1.0-0-dev clang libclang-rt-dev clang-format

.PHONY: all deps build run install test sanitize fuzz bench format clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages:$$missing (run make as root to install them)"; \
	  fi; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Only the program itself: the tests and benchmarks are built by `make test` and `make bench`.
run: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target vorn
	./$(BUILD)/vorn

# vorn into $(PREFIX)/bin, and the udev rule that gives the logged-in user the USB bridge and the
# board's UIO devices into udev's own directory. A real install reloads udev's rules (as root).
install: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target vorn
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ] && [ "$$(id -u)" = 0 ] && command -v udevadm >/dev/null; then \
	  udevadm control --reload-rules && \
	  udevadm trigger --subsystem-match=usb --subsystem-match=uio; \
	fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# Every libFuzzer target, built with clang, each run for FUZZ_SECONDS, JOBS of them at a time.
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON \
	  -DVORN_TESTS=OFF -DVORN_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@mkdir -p $(FUZZ_BUILD)/logs; \
	ls $(FUZZ_BUILD)/fuzz/fuzz_* | xargs -P $(JOBS) -I{} sh -c '\
	  log=$(FUZZ_BUILD)/logs/$$(basename {}).log; \
	  {} -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -timeout=5 -close_fd_mask=1 \
	    </dev/null >$$log 2>&1 || { echo "== {} FAILED"; tail -40 $$log; exit 255; }; \
	  echo "== {}: $$(grep -a "^Done" $$log)"'

bench: build
	@for b in $(BUILD)/bench/vorn_bench_*; do echo "== $$b"; $$b || exit 1; done

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
