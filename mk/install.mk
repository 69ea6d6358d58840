# The installed package: `make test-install` builds the Debian package (CPack) of the build, unpacks
# it into a scratch root and uses the tool, the Python package and the library from there;
# `make package` builds the package alone, without the tests and their packages, in $(PACKAGE).
TEST_TARGETS += test-install

.PHONY: test-install package deps-package

test-install: build
	tests/install/test_install.sh $(BUILD)

PACKAGE ?= build-package

$(PACKAGE)/CMakeCache.txt:
	cmake -S . -B $(PACKAGE) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS) -DQUILLET_TESTS=OFF

deps-package:
	@scripts/install-deps deps/package.txt

package: deps-package $(PACKAGE)/CMakeCache.txt
	cmake --build $(PACKAGE) -j $(JOBS)
	cmake --build $(PACKAGE) --target docs
	cd $(PACKAGE) && cpack -G DEB
	@ls $(PACKAGE)/quillet_*.deb
