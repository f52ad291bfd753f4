# make run    install what is missing, build, start the program
# make test   install what is missing, build, run every test
# make bench  build and run the benchmarks
# make install [PREFIX=/usr/local]  build and install (programs, data, desktop entry, man pages, ...)
# make package                      build the Debian package $(BUILD)/qx-p2210_<version>_amd64.deb
# SANITIZE=1  build and test with the address and undefined-behaviour sanitizers (separate build folder)

JOBS     ?= $(shell nproc)
PREFIX   ?= /usr/local
ifeq ($(SANITIZE),1)
BUILD    ?= build-asan
CMAKEOPT := -DQX_SANITIZE=ON -DQX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
else
BUILD    ?= build
CMAKEOPT := -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

.PHONY: all deps configure build run test bench install package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKEOPT)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/qx-p2210

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	@set -e; for b in $(BUILD)/bin/*_bench; do echo "== $$b"; (cd $(BUILD)/bin && ./$$(basename $$b)); done

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack

clean:
	rm -rf build build-asan
