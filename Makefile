# Entry points for people and CI. Each target installs what is missing first,
# so a fresh Debian machine needs nothing but `make run` or `make test`.

JOBS    ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_JOBS    ?= 1
PREFIX  ?= $(HOME)/.local
CMAKE   ?= cmake

.PHONY: all deps build build-test run test bench install fuzz clean

all: build

deps:
	./scripts/install-deps

build: deps
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF -DORVANE_BENCH=ON
	$(CMAKE) --build build -j $(JOBS)

build-test: deps
	$(CMAKE) -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_TESTS=ON -DORVANE_BENCH=OFF
	$(CMAKE) --build build-test -j $(JOBS)

# Installs into the user's profile and runs the main job on the default
# city (Mecca): the host starts as Outlook, the add-in fills the calendar
# with the week's prayer appointments (calendar.ics in the profile), and
# the calendar is listed; then the week's six times through the calculator.
run: install
	$(PREFIX)/bin/orvane install
	$(PREFIX)/bin/orvane start
	$(PREFIX)/bin/orvane calendar list
	$(PREFIX)/bin/orvane calc --longitude 39.8167E --latitude 21.4167N --timezone 3 \
	  --method eQurah --days 7

test: build-test
	cd build-test && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b; done

install: build
	$(CMAKE) --install build --prefix $(PREFIX)

# Every fuzz target built with clang and libFuzzer, run for FUZZ_SECONDS
# each (FUZZ_JOBS at a time) on its corpus in fuzz/corpus/, which keeps the
# new inputs; a crash stops it with the input saved in fuzz/crashes/.
fuzz:
	./scripts/install-deps --fuzz
	$(CMAKE) -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DORVANE_FUZZ=ON -DORVANE_TESTS=OFF -DORVANE_BENCH=OFF
	$(CMAKE) --build build-fuzz -j $(JOBS) --target orvane_fuzz_targets
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) ./scripts/fuzz build-fuzz

clean:
	rm -rf build build-test build-fuzz
