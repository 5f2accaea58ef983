# make run:  install what is missing, build, start Quillon.
# make test: install what is missing, build, run every test.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: deps configure build test bench run clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@$(BUILD)/src/app/quillon

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_store bench_memory bench_verify bench_lists bench_window
	@$(BUILD)/bench/bench_store
	@$(BUILD)/bench/bench_memory
	@$(BUILD)/bench/bench_verify
	@$(BUILD)/bench/bench_lists
	@$(BUILD)/bench/bench_window

clean:
	rm -rf $(BUILD)
