# The installed package: `make test-install` builds the Debian package (CPack) of the build, unpacks
# it into a scratch root and uses the tool, the Python package and the library from there;
# `make package` leaves the .deb in $(BUILD).
TEST_TARGETS += test-install

.PHONY: test-install package

test-install: build
	tests/install/test_install.sh $(BUILD)

package: build docs
	cd $(BUILD) && cpack -G DEB
