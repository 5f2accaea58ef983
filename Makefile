# make:               build what make install installs (the program, its helper, its icons).
# make run:           install what is missing, build the program, start Quillon.
# make test:          install what is missing, build, run every test.
# make test-sanitize: every test again, built with clang's AddressSanitizer and UBSan.
# make demo:          Quillon beside two stand-in browsers that browse on their own.
# make fuzz:          every fuzz target for a minute each; make fuzz-regress: once over each corpus.
# make install:       build what is missing of the program, then install it under PREFIX
#                     (default /usr/local; DESTDIR is honoured); tests and benchmarks are not built.
# make uninstall:     remove every file that the last make install put in place.
BUILD          ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS           ?= $(shell nproc)
PREFIX         ?= /usr/local

# What make install puts in place, and all it needs built.
INSTALLED_TARGETS := quillon quillon-hosts-helper quillon_icons

.PHONY: program deps configure build test test-sanitize fuzz fuzz-regress bench run demo install uninstall clean

program: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED_TARGETS)

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@bash fuzz/run.sh build >/dev/null
	@bash fuzz/run.sh run 60

fuzz-regress: deps
	@bash fuzz/run.sh build >/dev/null
	@bash fuzz/run.sh regress

run: program
	@$(BUILD)/src/app/quillon

# Quillon beside two stand-in browsers, in build/demo: watch the capture.
demo: build
	@bash scripts/demo.sh $(BUILD)

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_store bench_memory bench_verify bench_lookahead bench_lists bench_window bench_scanlinks bench_history bench_capture
	@$(BUILD)/bench/bench_store
	@$(BUILD)/bench/bench_memory
	@$(BUILD)/bench/bench_verify
	@$(BUILD)/bench/bench_lookahead
	@$(BUILD)/bench/bench_lists
	@$(BUILD)/bench/bench_window
	@$(BUILD)/bench/bench_scanlinks
	@$(BUILD)/bench/bench_history
	@bash tests/wm/run-under-wm.sh $(BUILD)/bench/bench_capture

# cmake --install lists what it installed in install_manifest.txt, without
# DESTDIR; uninstall removes those files (under the same DESTDIR) and the
# program's own folders once they are empty.
install: program
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD)

uninstall:
	@manifest=$(BUILD)/install_manifest.txt; \
	if [ ! -f "$$manifest" ]; then \
		echo "Nothing to uninstall: $$manifest is missing (make install writes it)."; \
	else \
		sed 's|^|$(DESTDIR)|' "$$manifest" | xargs -r -d '\n' rm -fv; \
		sed -n 's|^\(.*/quillon\)/[^/]*$$|$(DESTDIR)\1|p' "$$manifest" | sort -u | while IFS= read -r dir; do \
			[ ! -d "$$dir" ] || rmdir --ignore-fail-on-non-empty "$$dir"; \
		done; \
	fi

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
