# The project's entry points; each installs the Debian packages it needs.
SHELL := /bin/bash
JOBS ?= 2
FUZZ_SECONDS ?= 60

NATIVE_PACKAGES := cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev \
                   libcli11-dev libserialport-dev libgcrypt20-dev pkg-config python3
# The report's check in a real browser, its PDF print read back page by page.
BROWSER_PACKAGES := chromium poppler-utils fonts-dejavu-core
FUZZ_PACKAGES := clang libclang-rt-14-dev
# libgcrypt's static libraries for the Windows build (the report's SHA-256 of its source).
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 \
                    libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev
GUI_PACKAGES := xvfb xdotool imagemagick x11-apps
PACKAGE_PACKAGES := nsis lintian help2man man-db zip unzip
# The one version, as project(VERSION ...) in CMakeLists.txt sets it.
VERSION := $(shell grep -m1 -o '^project.* VERSION [0-9.]*' CMakeLists.txt | sed 's/.* //')

export WINEPREFIX := $(CURDIR)/build/wine/prefix
export WINEDEBUG := -all
export WINEDLLOVERRIDES := mscoree,mshtml=
export WINEARCH := win64

.PHONY: all test demo windows bench fuzz deps-native deps-windows deps-fuzz native-test \
        windows-test wine-prefix lint reliability soak clean dist package-test deps-package

all: demo

deps-native:
	@cmake/ensure-packages.sh $(NATIVE_PACKAGES) $(BROWSER_PACKAGES)

deps-windows:
	@cmake/ensure-packages.sh $(WINDOWS_PACKAGES) $(GUI_PACKAGES)

deps-fuzz:
	@cmake/ensure-packages.sh $(FUZZ_PACKAGES)

deps-package:
	@cmake/ensure-packages.sh $(PACKAGE_PACKAGES)

# Native suites with address and undefined-behaviour sanitizers, the Windows build under Wine,
# then the packages: the .deb unpacked, the setup program installed in a fresh Wine prefix.
test: native-test windows-test package-test

native-test: deps-native
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

wine-prefix: deps-windows
	@tests/wine/init-prefix.sh

windows-test: deps-native deps-windows wine-prefix
	cmake --preset mingw
	cmake --build --preset mingw -j$(JOBS)
	ctest --preset mingw
	@# The Windows programs against the emulator, compared with the native ones.
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS) --target dexal-download dexal-tester-sim dexal-report
	tests/wine/cli-e2e.sh build/mingw build/asan build/wine-e2e
	tests/wine/report-e2e.sh build/mingw build/asan build/wine-report
	@# The dialog program under Xvfb, in a prefix of its own (the test maps COM7 there).
	WINEPREFIX=$(CURDIR)/build/wine/prefix-gui tests/wine/gui-test.sh build/mingw build/asan \
	  build/wine-gui

release: deps-native
	cmake --preset release
	cmake --build --preset release -j$(JOBS)

demo: release
	build/release/cli/dexal-download --simulate --output demo.csv

# 2000 results in one download and 200 downloads in one process: memory, descriptors.
soak: release
	build/release/bench/soak/soak_download --download build/release/cli/dexal-download

# The fault matrix and the file faults as tables in docs/reliability.md: the first script writes
# it anew, the second adds its table.
reliability: release
	python3 tests/e2e/download_e2e.py --download build/release/cli/dexal-download \
	  --sim build/release/tester/dexal-tester-sim --golden tests/testdata/download/demo.csv \
	  --reference tester/scenarios/reference.json --work build/reliability \
	  --report docs/reliability.md
	python3 tests/e2e/file_faults.py --download build/release/cli/dexal-download \
	  --report build/release/cli/dexal-report --sim build/release/tester/dexal-tester-sim \
	  --reference tester/scenarios/reference.json --work build/reliability-files \
	  --doc docs/reliability.md

windows: deps-native deps-windows
	cmake --preset windows-release
	cmake --build --preset windows-release -j$(JOBS)
	mkdir -p dist
	@for exe in shell/DexalCSVDownloader.exe cli/dexal-download.exe cli/dexal-report.exe; do \
	  if [ -f build/windows-release/$$exe ]; then cp build/windows-release/$$exe dist/; \
	    echo "dist/$$(basename $$exe)"; fi; \
	done

# The packages in dist/: the Windows setup program and zip, the Debian package.
dist: release windows deps-package
	cmake --build --preset release --target package_docs
	rm -rf build/package
	cd build/release && cpack -G DEB -B $(CURDIR)/build/package
	cd build/windows-release && cpack -B $(CURDIR)/build/package
	mkdir -p dist
	cp build/package/*.deb build/package/*.exe build/package/*.zip dist/
	@ls -1 dist/*$(VERSION)*

# The packages checked as a user gets them; nothing is installed on this machine.
package-test: dist windows-test
	tests/package/check-deb.sh dist/dexal-csv-downloader_$(VERSION)_amd64.deb $(VERSION) \
	  tests/testdata/download/demo.csv build/package-test/deb
	tests/package/check-windows-install.sh dist/DexalCSVDownloader-$(VERSION)-setup.exe \
	  dist/DexalCSVDownloader-$(VERSION)-win64.zip $(VERSION) build/release \
	  build/mingw/tests/shell/winspy.exe build/package-test/windows

# One table of the benchmarks' figures (docs/performance.md says how they are measured).
bench: release
	python3 bench/summary.py build/release

fuzz: deps-native deps-fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j$(JOBS)
	@set -e; for f in $$(find build/fuzz/fuzz -type f -executable -name 'fuzz_*' | sort); do \
	  name=$$(basename $$f); work=build/fuzz/corpus/$$name; mkdir -p $$work; \
	  seeds=fuzz/corpus/$$name; [ -d $$seeds ] || seeds=; \
	  echo "== $$name for $(FUZZ_SECONDS) s"; \
	  if ! $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=build/fuzz/ \
	      $$work $$seeds > build/fuzz/$$name.log 2>&1; then \
	    tail -n 40 build/fuzz/$$name.log; echo "$$name found a crash"; exit 1; \
	  fi; grep -E 'stat::number_of_executed_units' build/fuzz/$$name.log || true; \
	done

# clang-tidy and cppcheck over the sources; any finding fails.
lint: deps-native
	@cmake/ensure-packages.sh clang-tidy cppcheck
	cmake --preset asan
	cmake/static-analysis.sh build/asan

clean:
	rm -rf build dist demo.csv
