// A plain, independent rendering of a skin file, written without the code under test, so that
// whole files can be compared byte for byte.
#pragma once

#include <array>
#include <filesystem>

#include "tests/support/temp_folder.h"

namespace orbskin::test {

// The skin that the pictures in `folder` and these settings must give: `values` are the numbers
// of Text1 to Text25, `hint` the state of "Show hint".
[[nodiscard]] Bytes reference_skin(const std::filesystem::path& folder,
                                   const std::array<int, 25>& values, bool hint);

}  // namespace orbskin::test
