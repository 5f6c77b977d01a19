// Builds the messages of runtime failures.
#include "runtime/error.h"

#include <system_error>

#include "runtime/utf8_path.h"

namespace orbskin::runtime {

std::string failure_text(const std::exception& failure) {
    if (dynamic_cast<const Error*>(&failure)) return failure.what();
    return std::string("unexpected failure: ") + failure.what();
}

std::string describe_errno(int error_number) {
    return std::generic_category().message(error_number);
}

std::string quoted(const std::filesystem::path& file) {
    return quoted(utf8_of(file));
}

std::string quoted(const std::string& file) {
    return '"' + file + '"';
}

void throw_io_error(std::string_view operation, const std::filesystem::path& file,
                    int error_number) {
    std::string text = "cannot ";
    text.append(operation);
    text += ' ';
    text += quoted(file);
    text += ": ";
    text += describe_errno(error_number);
    throw Error(text);
}

}  // namespace orbskin::runtime
