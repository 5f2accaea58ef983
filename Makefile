# make:               install the packages building needs, build what make install installs.
# make run:           the same, then start Quillon.
# make test:          install what is missing (the tests' packages too), build, run every test.
# make test-sanitize: every test again, built with clang's AddressSanitizer and UBSan.
# make demo:          Quillon beside two stand-in browsers that browse on their own.
# make fuzz:          every fuzz target for a minute each; make fuzz-regress: once over each corpus.
# make install:       install what make built under PREFIX (default: the prefix make built for,
#                     /usr/local unless make was given PREFIX=...; DESTDIR is honoured). Run by
#                     root, it brings the build up to date as the build folder's owner and
#                     writes nothing of its own there.
# make uninstall:     remove every file and folder that the last make install put in place.
# make deb:           build quillon_<version>_<arch>.deb (installs into /usr) in build-deb.
BUILD          ?= build
SANITIZE_BUILD ?= build-sanitize
DEB_BUILD      ?= build-deb
JOBS           ?= $(shell nproc)
PREFIX         ?= /usr/local

# What make install puts in place, and all it needs built.
INSTALLED_TARGETS := quillon quillon-hosts-helper quillon_icons quillon_docs

.PHONY: program deps test-deps configure configure-tests build test test-sanitize fuzz fuzz-regress bench run demo \
        install uninstall deb clean

program: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(INSTALLED_TARGETS)

# The packages building and running need; test-deps adds those of the tests,
# fuzz targets and benchmarks.
deps:
	@bash scripts/install-deps.sh

test-deps:
	@bash scripts/install-deps.sh --tests

CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null

configure: deps
	@$(CONFIGURE)

configure-tests: test-deps
	@$(CONFIGURE)

build: configure-tests
	@cmake --build $(BUILD) -j $(JOBS)

# A tree configured without the tests' packages has no tests: that fails.
test: build
	@cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

test-sanitize: test-deps
	@CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

fuzz: test-deps
	@bash fuzz/run.sh build >/dev/null
	@bash fuzz/run.sh run 60

fuzz-regress: test-deps
	@bash fuzz/run.sh build >/dev/null
	@bash fuzz/run.sh regress

run: program
	@$(BUILD)/src/app/quillon

# Quillon beside two stand-in browsers, in build/demo: watch the capture.
demo: build
	@bash scripts/demo.sh $(BUILD)

bench: configure-tests
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

# Install and uninstall never run cmake's configure step nor apt: see
# scripts/install.sh. A PREFIX given here must be the one make built for.
install:
	@DESTDIR="$(DESTDIR)" bash scripts/install.sh install "$(BUILD)" "$(if $(filter file,$(origin PREFIX)),,$(PREFIX))" \
		$(INSTALLED_TARGETS)

uninstall:
	@DESTDIR="$(DESTDIR)" bash scripts/install.sh uninstall "$(BUILD)"

# The package is built in a tree of its own, for /usr, without the tests;
# cpack installs without building everything first (the stand-in browser is
# no part of it).
deb: deps
	@cmake -S . -B $(DEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
		-DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
	@cmake --build $(DEB_BUILD) -j $(JOBS) --target $(INSTALLED_TARGETS)
	@rm -f $(DEB_BUILD)/quillon_*.deb
	@cd $(DEB_BUILD) && cpack -G DEB >/dev/null
	@for deb in $(DEB_BUILD)/quillon_*.deb; do mv -f "$$deb" "$(CURDIR)/" && echo "Made $${deb##*/}"; done

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(DEB_BUILD) build-fuzz
