# Entry points for people and CI. Each target installs what is missing first,
# so a fresh Debian machine needs nothing but `make run` or `make test`.

JOBS    ?= $(shell nproc)
PREFIX  ?= $(HOME)/.local
CMAKE   ?= cmake

.PHONY: all deps build build-test run test bench install clean

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

clean:
	rm -rf build build-test
