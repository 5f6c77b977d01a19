// Builds the messages of runtime failures.
#include "runtime/error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <system_error>

#include "runtime/utf8_path.h"

namespace orbskin::runtime {

std::string failure_text(const std::exception& failure) {
    return failure_message(failure).text();
}

Message failure_message(const std::exception& failure) {
    if (const auto* error = dynamic_cast<const Error*>(&failure))
        return error->message() ? *error->message() : Message::as_is(error->what());
    return Message("unexpected failure: {cause}", {{"cause", failure.what()}});
}

namespace {

// The causes users meet, in the C library's own English, so that they read alike everywhere.
struct Cause {
    int error_number;
    std::string_view said;
};
constexpr Cause kCauses[] = {
    {ENOENT, N_("No such file or directory")},
    {EACCES, N_("Permission denied")},
    {EPERM, N_("Operation not permitted")},
    {ENOSPC, N_("No space left on device")},
    {EROFS, N_("Read-only file system")},
    {EISDIR, N_("Is a directory")},
    {ENOTDIR, N_("Not a directory")},
    {EEXIST, N_("File exists")},
    {ELOOP, N_("Too many levels of symbolic links")},
    {EIO, N_("Input/output error")},
    {EBUSY, N_("Device or resource busy")},
    {ENAMETOOLONG, N_("File name too long")},
    {EXDEV, N_("Invalid cross-device link")},
    {EMFILE, N_("Too many open files")},
    {EFBIG, N_("File too large")},
};

// Each operation's sentence whole, so that a language can put its words in its own order.
struct Operation {
    std::string_view name, said;
};
constexpr Operation kOperations[] = {
    {"close", N_("cannot close {file}: {cause}")},
    {"create a temporary file for", N_("cannot create a temporary file for {file}: {cause}")},
    {"create folder", N_("cannot create folder {file}: {cause}")},
    {"look up", N_("cannot look up {file}: {cause}")},
    {"move the original to", N_("cannot move the original to {file}: {cause}")},
    {"open", N_("cannot open {file}: {cause}")},
    {"read", N_("cannot read {file}: {cause}")},
    {"rename", N_("cannot rename {file}: {cause}")},
    {"replace", N_("cannot replace {file}: {cause}")},
    {"sync", N_("cannot sync {file}: {cause}")},
    {"write", N_("cannot write {file}: {cause}")},
};

}  // namespace

std::string describe_errno(int error_number) {
    return errno_message(error_number).text();
}

Message errno_message(int error_number) {
    const auto* cause = std::find_if(std::begin(kCauses), std::end(kCauses), [&](const Cause& c) {
        return c.error_number == error_number;
    });
    if (cause != std::end(kCauses)) return Message(cause->said);
    return Message::as_is(std::generic_category().message(error_number));
}

Quoted quoted(const std::filesystem::path& file) {
    return quoted(utf8_of(file));
}

Quoted quoted(const std::string& file) {
    return {shown(file)};
}

std::string shown(const std::filesystem::path& file) {
    return shown(utf8_of(file));
}

void for_each_character(std::string_view text,
                        const std::function<void(std::string_view, bool)>& each) {
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        // A whole UTF-8 character of two to four bytes is one; a lone byte is not.
        const std::size_t length = byte >= 0xF0 && byte < 0xF5 ? 4
                                   : byte >= 0xE0              ? 3
                                   : byte >= 0xC2              ? 2
                                                               : 1;
        bool whole = length > 1 && byte < 0xF5 && at + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[at + k]) & 0xC0) == 0x80;
        const std::size_t taken = whole ? length : 1;
        const std::string_view character = text.substr(at, taken);
        std::uint32_t code = byte;
        if (whole) {
            code = byte & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k)
                code = code << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        }
        // Controls (C0, DEL, C1, which some terminals take as the start of an escape) and the
        // marks that turn the direction of the text after them, so that a name cannot hide what
        // follows it.
        const bool control = code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x200E ||
                             code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
                             (code >= 0x2066 && code <= 0x2069);
        each(character, (whole || byte < 0x80) && !control);
        at += taken;
    }
}

std::string shown(const std::string& file) {
    std::string text;
    for_each_character(file, [&](std::string_view character, bool safe) {
        if (safe) {
            text += character;
        } else if (character == "\n") {
            text += "\\n";
        } else {
            static constexpr char kDigits[] = "0123456789ABCDEF";
            for (const char c : character) {
                const auto byte = static_cast<unsigned char>(c);
                text += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 15]};
            }
        }
    });
    return text;
}

void throw_io_error(std::string_view operation, const std::filesystem::path& file,
                    int error_number) {
    const auto* known = std::find_if(std::begin(kOperations), std::end(kOperations),
                                     [&](const Operation& o) { return o.name == operation; });
    const Arg file_arg("file", quoted(file)), cause("cause", errno_message(error_number));
    if (known != std::end(kOperations)) throw Error(Message(known->said, {file_arg, cause}));
    throw Error(Message::as_is("cannot " + std::string(operation) + ' ' +
                               write(quoted(file), kEnglishWriting) + ": " +
                               describe_errno(error_number)));
}

}  // namespace orbskin::runtime
