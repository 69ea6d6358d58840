// File items of data blocks served from memory, for tests and the fuzz target of the data builder.
#pragma once

#include <map>
#include <string>

#include "filecmd/data_block.h"

namespace quillet::test {

class MemoryFiles final : public filecmd::DataFiles {
public:
    std::map<std::string, filecmd::Bytes> files;

    bool append(const std::string& name, uint32_t offset, uint32_t length, filecmd::Bytes& out,
                size_t limit) override {
        const auto found = files.find(name);
        if (found == files.end()) return false;
        const filecmd::Bytes& bytes = found->second;
        const size_t from = offset < bytes.size() ? offset : bytes.size();
        const size_t count = length == 0 ? bytes.size() - from : length;
        if (from + count > bytes.size() || count > limit - out.size()) return false;
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(from),
                   bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
        return true;
    }
};

}  // namespace quillet::test
