// What the picture tests share: files made byte by byte, the words a refusal gives, and tables
// of cases named by their rows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/error.h"

namespace orbskin::picture::made {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;  // 0xAARRGGBB, top row first

inline Bytes first(Bytes bytes, std::size_t kept) {
    bytes.resize(kept);
    return bytes;
}

inline Bytes cut(Bytes bytes, std::size_t drop) {
    bytes.resize(bytes.size() - drop);
    return bytes;
}

inline Bytes joined(Bytes bytes, const Bytes& tail) {
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

// A row of a table of refusals: a bad file and what its refusal says.
struct Refused {
    const char* name;
    Bytes file;
    std::string says;
};

// What `attempt` was refused with, or "not refused".
template <class Attempt>
std::string refusal(const Attempt& attempt) {
    try {
        (void)attempt();
    } catch (const runtime::Error& e) {
        return e.what();
    }
    return "not refused";
}

// Names each case of a table by its `name`.
struct ByName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace orbskin::picture::made
