# Front door: `make` builds, `make test` runs every test, `make demo` runs a whole bootstrap,
# `make bench` measures it (bench/RESULTS.md).
# build/ holds the shipped 32-bit programs. Where this machine cannot run 32-bit Wine,
# the tests run on a 64-bit build of the same sources in build-x86_64/.
BUILD ?= build
CMAKE_ARGS ?=
TEST_ARCH := $(shell bash scripts/test-arch)
TEST_BUILD := $(if $(filter i686,$(TEST_ARCH)),$(BUILD),$(BUILD)-$(TEST_ARCH))
CONFIGURE = cmake -S . -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel $(CMAKE_ARGS)

.PHONY: all deps test test-build demo bench fuzz sign clean

all: deps
	@test -f $(BUILD)/build.ninja || $(CONFIGURE) -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
	cmake --build $(BUILD)

deps:
	@bash scripts/install-deps

test-build: all
ifneq ($(TEST_BUILD),$(BUILD))
	@test -f $(TEST_BUILD)/build.ninja || $(CONFIGURE) -B $(TEST_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(TEST_ARCH).cmake
	cmake --build $(TEST_BUILD)
endif

test: test-build
	@bash scripts/run-tests $(BUILD) $(TEST_BUILD)

demo: test-build
	@bash scripts/demo $(TEST_BUILD)

# Benchmarks (bench/): builds only what they need, never part of `make test`.
bench: deps
	@test -f $(BUILD)/build.ninja || $(CONFIGURE) -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
	@test -f $(TEST_BUILD)/build.ninja || $(CONFIGURE) -B $(TEST_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(TEST_ARCH).cmake
	@bash bench/run $(BUILD) $(TEST_BUILD)

# Signs $(BUILD)/Setup.exe (Authenticode, SHA-256) with osslsigncode (scripts/sign):
#   make sign CERT=cert.pem KEY=key.pem [TIMESTAMP=http://tsa.example] [PASSFILE=key-password.txt]
sign: all
	@bash scripts/sign $(BUILD)/Setup.exe "$(CERT)" "$(KEY)" "$(TIMESTAMP)" "$(PASSFILE)"

# Fuzzing (fuzz/): a native clang build of the readers, FUZZ_SECONDS (default 60) a target.
FUZZ_BUILD ?= build-fuzz
fuzz: deps
	@bash fuzz/run $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-x86_64
