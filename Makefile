# Shortcuts for the scripts (the README's commands need no make).
BUILD_DIR ?= build
export BUILD_DIR

.PHONY: build run test bench clean
build:
	bash scripts/build.sh
run:
	bash scripts/start.sh
test:
	bash scripts/test.sh
bench: build
	bash scripts/bench.sh $(BUILD_DIR)
clean:
	rm -rf $(BUILD_DIR)
