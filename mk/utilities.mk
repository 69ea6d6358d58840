# The operator programs pelvane and database: the native frame tests and the Qt windows on an offscreen
# screen (with ASan and UBSan), the MinGW builds for 32- and 64-bit Windows with their import check, and
# the smoke run of the 64-bit programs under wine64 on Xvfb.
UTIL_NATIVE = build-utilities
UTIL_WIN32  = build-utilities-win32
UTIL_WIN64  = build-utilities-win64
UTIL_JOBS  ?= 2
UTIL_OPTS   = -DQUILLET_WERROR=ON
UTIL_SHOTS  = $(UTIL_NATIVE)/tests/gui/screenshots/pelvane-linux.png \
              $(UTIL_NATIVE)/tests/gui/screenshots/database-linux.png \
              $(UTIL_WIN64)/screenshots/pelvane-wine.png \
              $(UTIL_WIN64)/screenshots/database-wine.png \
              $(UTIL_WIN64)/screenshots/database-wine-workstation.png

TEST_TARGETS += test-utilities

.PHONY: test-utilities utilities-native utilities-windows utilities-wine screenshots-utilities

$(UTIL_NATIVE)/CMakeCache.txt:
	cmake -S utilities -B $(UTIL_NATIVE) -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON $(UTIL_OPTS)

$(UTIL_WIN32)/CMakeCache.txt:
	cmake -S utilities -B $(UTIL_WIN32) -DCMAKE_BUILD_TYPE=Release $(UTIL_OPTS) \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-i686-w64-mingw32.cmake

$(UTIL_WIN64)/CMakeCache.txt:
	cmake -S utilities -B $(UTIL_WIN64) -DCMAKE_BUILD_TYPE=Release $(UTIL_OPTS) \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-x86_64-w64-mingw32.cmake

utilities-native: deps $(UTIL_NATIVE)/CMakeCache.txt
	cmake --build $(UTIL_NATIVE) -j $(UTIL_JOBS)
	cd $(UTIL_NATIVE) && ctest --output-on-failure

utilities-windows: deps $(UTIL_WIN32)/CMakeCache.txt $(UTIL_WIN64)/CMakeCache.txt
	cmake --build $(UTIL_WIN32) -j $(UTIL_JOBS)
	cmake --build $(UTIL_WIN64) -j $(UTIL_JOBS)
	tests/gui/win32/check_imports.sh i686-w64-mingw32-objdump $(UTIL_WIN32)/pelvane.exe $(UTIL_WIN32)/database.exe
	tests/gui/win32/check_imports.sh x86_64-w64-mingw32-objdump $(UTIL_WIN64)/pelvane.exe $(UTIL_WIN64)/database.exe

utilities-wine: utilities-windows
	tests/gui/win32/wine_smoke.sh $(UTIL_WIN64)

test-utilities: utilities-native utilities-wine

# Refreshes the README's screenshots from a test run.
screenshots-utilities: test-utilities
	mkdir -p docs/screenshots
	cp $(UTIL_SHOTS) docs/screenshots/
