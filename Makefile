# The project's commands. `make test` is all a fresh Debian 12 machine needs.
#   make test   install what is missing, build native + win64 + win32, run every test
#   make demo   run CutEARTH under Wine (DEMO=hole or DEMO=head for the others, ARCH=win32
#               for the 32-bit build; own X server and a screenshot without a display)
#   make dist   fill dist/win64 and dist/win32 with the deliverables
#   make release  release/: a zip of each dist folder, the two installer packages, SHA256SUMS
#               (SIGN_PFX=<file.pfx> SIGN_PASSWORD=<password> signs them)
#   make check-reproducible  two clones' release/ compared byte for byte
#   make bench  print the region-building benchmarks
#   make fuzz   run each fuzz target for FUZZ_SECONDS (default 300)
SHELL := /bin/bash
BUILD := build
CONFIG ?= Release
JOBS ?= $(shell nproc)
CMAKE_COMMON := -G Ninja -DCMAKE_BUILD_TYPE=$(CONFIG) -Wno-dev
SESSION := tools/wine-session.sh

# The version is defined once, by project in CMakeLists.txt.
VERSION := $(shell grep -m1 '^project' CMakeLists.txt | grep -o 'VERSION [0-9][0-9.]*' | cut -d' ' -f2)

.PHONY: all deps deps-build configure build build-product test fuzz demo dist release check-reproducible \
        bench soak clean

all: build

# Each target installs the packages that tools/packages.txt tags with it, and only those.
DEPS := tools/install-deps.sh
deps:
	@$(DEPS) test
deps-build:
	@$(DEPS) build

# The full configurations (tests and installer packages included). A folder that `make demo`
# configured for one program is configured again here, with everything.
FULL := -DBUILD_TESTING=ON -DCUTSHAPE_BUILD_INSTALLER=ON
HOST_TOOLS_FILE := -DCUTSHAPE_HOST_TOOLS_FILE=$(CURDIR)/$(BUILD)/native/cutshape_host_tools.cmake
TOOLCHAIN_win64 := cmake/mingw-x86_64.cmake
TOOLCHAIN_win32 := cmake/mingw-i686.cmake
CROSS_win32 := -DCUTSHAPE_WIN64_BUILD_DIR=$(CURDIR)/$(BUILD)/win64

$(BUILD)/native/full.stamp: | deps-build
	cmake -S . -B $(BUILD)/native $(CMAKE_COMMON) $(FULL)
	@touch $@

$(BUILD)/win64/full.stamp $(BUILD)/win32/full.stamp: $(BUILD)/%/full.stamp: | $(BUILD)/native/full.stamp
	cmake -S . -B $(BUILD)/$* $(CMAKE_COMMON) $(FULL) --toolchain $(TOOLCHAIN_$*) $(HOST_TOOLS_FILE) \
	  $(CROSS_$*)
	@touch $@

# The native code again with address and undefined-behaviour sanitizers, and the fuzz targets.
$(BUILD)/native-asan/build.ninja: | $(BUILD)/native/full.stamp
	cmake -S . -B $(BUILD)/native-asan $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DCUTSHAPE_SANITIZE=ON

$(BUILD)/fuzz/build.ninja: | $(BUILD)/native/full.stamp
	cmake -S . -B $(BUILD)/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -Wno-dev \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCUTSHAPE_FUZZ=ON

configure: $(BUILD)/native/full.stamp $(BUILD)/native-asan/build.ninja $(BUILD)/fuzz/build.ninja \
           $(BUILD)/win64/full.stamp $(BUILD)/win32/full.stamp

build: deps-build configure
	cmake --build $(BUILD)/native -j $(JOBS)
	cmake --build $(BUILD)/native-asan -j $(JOBS)
	cmake --build $(BUILD)/fuzz -j $(JOBS)
	cmake --build $(BUILD)/win64 -j $(JOBS)
	cmake --build $(BUILD)/win32 -j $(JOBS)

# What dist and release ship: the native build (its tools) and both Windows builds.
build-product: deps-build $(BUILD)/native/full.stamp $(BUILD)/win64/full.stamp $(BUILD)/win32/full.stamp
	cmake --build $(BUILD)/native -j $(JOBS)
	cmake --build $(BUILD)/win64 -j $(JOBS)
	cmake --build $(BUILD)/win32 -j $(JOBS)

# Builds every configuration and runs every test once: native (plain, then under sanitizers,
# then a short run of each fuzzer), the whole Windows suite of the 64-bit build and the whole
# suite of the 32-bit build (run under emulation), each in Wine sessions of its own
# architecture. Independent stages run side by side; the run fails if any stage failed, and
# ends with the time of each stage, the slowest tests and the first failure's output.
test: deps
	@tools/test-stages.sh $(BUILD) $(JOBS) $(FUZZ_SMOKE_SECONDS)

FUZZ_SMOKE_SECONDS ?= 10
FUZZ_SECONDS ?= 300
fuzz: build
	tools/fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

# One demonstration program: the build machine's tools that the cross build imports, the
# control and that program, for one architecture. A folder configured before (by this or by
# the full configuration) is used as it is.
DEMO ?= earth
ARCH ?= win64
DEMO_TARGET_earth := cut_earth
DEMO_TARGET_hole := cut_hole
DEMO_TARGET_head := cut_head
DEMO_CMAKE := $(CMAKE_COMMON) -DBUILD_TESTING=OFF -DCUTSHAPE_BUILD_INSTALLER=OFF
HOST_TOOLS := cutshape_typelib_patch cutshape_registration_data cutshape_form_check
demo:
	@[[ -n "$(TOOLCHAIN_$(ARCH))" ]] || { echo "ARCH must be win64 or win32, not '$(ARCH)'"; exit 2; }
	@[[ -n "$(DEMO_TARGET_$(DEMO))" ]] || { echo "DEMO must be earth, hole or head, not '$(DEMO)'"; exit 2; }
	@$(DEPS) demo $(if $(filter win32,$(ARCH)),demo-win32)
	@[[ -f $(BUILD)/native/build.ninja ]] || cmake -S . -B $(BUILD)/native $(DEMO_CMAKE)
	cmake --build $(BUILD)/native -j $(JOBS) --target $(HOST_TOOLS)
	@[[ -f $(BUILD)/$(ARCH)/build.ninja ]] || cmake -S . -B $(BUILD)/$(ARCH) $(DEMO_CMAKE) \
	  --toolchain $(TOOLCHAIN_$(ARCH)) $(HOST_TOOLS_FILE) $(CROSS_$(ARCH))
	cmake --build $(BUILD)/$(ARCH) -j $(JOBS) --target cutshape_ocx $(DEMO_TARGET_$(DEMO))
	@DEMO=$(DEMO) ARCH=$(ARCH) tools/demo.sh $(BUILD)

dist: build-product
	rm -rf dist/win64 dist/win32
	SOURCE_DATE_EPOCH=0 cmake --install $(BUILD)/win64 --prefix dist/win64 --component dist --strip
	SOURCE_DATE_EPOCH=0 cmake --install $(BUILD)/win32 --prefix dist/win32 --component dist --strip
	@echo "dist/win64 and dist/win32 are ready."

# release/: a zip of each dist folder (holding it under the name Cutshape-<version>-<arch>),
# the two installer packages built again from the zipped files, and SHA256SUMS; the same
# from any clone. Every time in them is the last commit's time (SOURCE_DATE_EPOCH, unless
# given). With SIGN_PFX=<file.pfx> and SIGN_PASSWORD (environment or command line; handed on
# in a file, never printed) every program and both packages are signed and verified;
# SIGN_TIMESTAMP_URL adds a timestamp.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
release: dist
	@[[ -n "$(VERSION)" ]] || { echo "no version in CMakeLists.txt's project()"; exit 1; }
	@[[ -n "$(SOURCE_DATE_EPOCH)" ]] || { echo "no commit to take the release's time from: set SOURCE_DATE_EPOCH"; exit 1; }
	@$(if $(SIGN_PFX),$(DEPS) sign)
	@SOURCE_DATE_EPOCH=$(SOURCE_DATE_EPOCH) tools/release.sh $(VERSION) $(BUILD) release win64 win32

# Builds the release in two fresh clones of the last commit at different paths, the second
# with another clock, time zone and umask, and compares the two release/ folders byte for byte.
check-reproducible:
	@$(DEPS) build check-reproducible
	@tools/check-reproducible.sh $(BUILD)/reproducible $(JOBS)

bench: build
	$(BUILD)/native/bench/cutshape_core_bench
	$(SESSION) --arch win64 bash -c '"$$CUTSHAPE_WINE" $(BUILD)/win64/bench/cutshape_region_bench.exe'
	@echo "The 32-bit build, emulated by qemu-i386: its times mean nothing, its ratios do."
	$(SESSION) --arch win32 bash -c '"$$CUTSHAPE_WINE" $(BUILD)/win32/bench/cutshape_region_bench.exe'

# The long runs in full, 64-bit and then, emulated, 32-bit: the soak (10,000 Load/Restore
# cycles, 10,000 create/destroy cycles and four apartment threads of 200 cycles; it prints the
# sampled resources and their slopes, and fails on growth) and every mutant of the stored
# state (`make test` takes a sample of each).
SOAK_RUN = "$$CUTSHAPE_WINE" $(BUILD)/$(1)/tests/soak/cutshape_soak.exe 10000 10000 200 && \
  CUTSHAPE_ALL_MUTANTS=1 "$$CUTSHAPE_WINE" \
    $(BUILD)/$(1)/tests/control/control_persistence_mutation_test.exe
soak: build
	$(SESSION) --arch win64 bash -c '$(call SOAK_RUN,win64)'
	$(SESSION) --arch win32 bash -c '$(call SOAK_RUN,win32)'

clean:
	rm -rf $(BUILD) dist release
