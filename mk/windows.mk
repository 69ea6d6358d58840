# The Windows deliverables: quillet.dll for 32-bit Windows (stdcall exports, undecorated and as
# name@N), and the 64-bit build whose programs run under wine64. `make windows` builds both,
# gathers the 32-bit files for a Windows user in build-win32/dist (the DLL stripped, its debug
# information beside it) and zips them into build-win32/quillet-<version>-win32.zip;
# `make test-windows` checks them: the export table and imports (of the built and of the shipped
# DLL), the calling convention, the import library, and console programs under wine64 against
# the virtual reader of the native build.
WIN32_BUILD   = build-win32
WIN64_BUILD   = build-win64
WIN_OPTS      = -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS)
WIN_VREADER   = $(abspath $(BUILD))/emulator/quillet-vreader
WIN_VERSION  := $(shell sed -n 's/^project.quillet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
WIN_DIST      = $(WIN32_BUILD)/dist
WIN_ZIP       = quillet-$(WIN_VERSION)-win32.zip

TEST_TARGETS += test-windows

.PHONY: windows test-windows

$(WIN32_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake $(WIN_OPTS)

$(WIN64_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake $(WIN_OPTS)

windows: deps $(WIN32_BUILD)/CMakeCache.txt $(WIN64_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j $(JOBS)
	rm -rf $(WIN_DIST) $(WIN32_BUILD)/$(WIN_ZIP)
	cmake --install $(WIN32_BUILD) --prefix $(WIN_DIST) >/dev/null
	cd $(WIN_DIST) && cmake -E tar cf ../$(WIN_ZIP) --format=zip bin lib include bindings windows-readme.txt
	@echo "Windows zip: $(WIN32_BUILD)/$(WIN_ZIP)"
	cmake --build $(WIN64_BUILD) -j $(JOBS)

test-windows: windows $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target quillet-vreader
	cmake $(WIN64_BUILD) -DQUILLET_VREADER=$(WIN_VREADER) >/dev/null
	python3 tests/windows/check_dll.py exports i686-w64-mingw32-objdump $(WIN_DIST)/bin/quillet.dll include/quillet.h quillet.def
	cd $(WIN32_BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(WIN64_BUILD) && ctest --output-on-failure -j $(JOBS)
