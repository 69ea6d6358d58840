# The Windows deliverables: quillet.dll for 32-bit Windows (stdcall exports, undecorated and as
# name@N), and the 64-bit build whose programs run under wine64. `make windows` builds both and
# gathers the 32-bit files for a Windows user in build-win32/dist; `make test-windows` checks
# them: the export table and imports, the calling convention, the import library, and console
# programs under wine64 against the virtual reader of the native build.
WIN32_BUILD   = build-win32
WIN64_BUILD   = build-win64
WIN_OPTS      = -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS)
WIN_VREADER   = $(abspath $(BUILD))/emulator/quillet-vreader

TEST_TARGETS += test-windows

.PHONY: windows test-windows

$(WIN32_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake $(WIN_OPTS)

$(WIN64_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake $(WIN_OPTS)

windows: deps $(WIN32_BUILD)/CMakeCache.txt $(WIN64_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j $(JOBS)
	cmake --install $(WIN32_BUILD) --prefix $(WIN32_BUILD)/dist >/dev/null
	cmake --build $(WIN64_BUILD) -j $(JOBS)

test-windows: windows $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target quillet-vreader
	cmake $(WIN64_BUILD) -DQUILLET_VREADER=$(WIN_VREADER) >/dev/null
	cd $(WIN32_BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(WIN64_BUILD) && ctest --output-on-failure -j $(JOBS)
