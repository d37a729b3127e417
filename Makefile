# make run   - install what is missing, build, start the program
# make test  - install what is missing, build, run every test
# make bench - build and run the benchmarks
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	BUILD_DIR=$(BUILD_DIR) bash scripts/run.sh

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	bash scripts/bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
