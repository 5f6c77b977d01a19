// The seam's switch between the real calls and a test's replacement.
#include "runtime/os.h"

namespace orbskin::runtime {
namespace {

Os* replacement = nullptr;

}  // namespace

Os& os() {
    return replacement ? *replacement : system_os();
}

OsOverride::OsOverride(Os& replacement_os) : previous_(replacement) {
    replacement = &replacement_os;
}
OsOverride::~OsOverride() {
    replacement = previous_;
}

}  // namespace orbskin::runtime
