// Whether a word typed is a slip of the fingers away from one meant, to offer it back.
#pragma once

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace orbskin::runtime {

// Whether `typed` becomes `meant` by at most two letters added, dropped or changed.
inline bool slip_of(std::string_view typed, std::string_view meant) {
    std::vector<std::size_t> row(meant.size() + 1);
    for (std::size_t j = 0; j <= meant.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= typed.size(); ++i) {
        std::size_t diagonal = row[0]++;
        for (std::size_t j = 1; j <= meant.size(); ++j)
            diagonal = std::exchange(row[j], std::min({row[j] + 1, row[j - 1] + 1,
                                                       diagonal + (typed[i - 1] != meant[j - 1])}));
    }
    return row.back() <= 2;
}

}  // namespace orbskin::runtime
