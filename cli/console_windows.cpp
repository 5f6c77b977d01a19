// Writes UTF-8 text to a console as UTF-16, so that no code page stands between the program and
// what the user reads; to a file or pipe it goes as the UTF-8 bytes themselves.
#include "cli/console_windows.h"

#include "runtime/utf16.h"

namespace orbskin::cli {
namespace {

class ConsoleBuffer final : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE handle) : handle_(handle) {
        DWORD mode = 0;
        console_ = GetConsoleMode(handle, &mode) != 0;
    }
    ~ConsoleBuffer() override { write_out(pending_.size()); }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        xsputn(&ch, 1);
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        // Whole lines only, so that a character is never split between two writes.
        if (const std::size_t end = pending_.rfind('\n'); end != std::string::npos)
            write_out(end + 1);
        return count;
    }
    int sync() override { return write_out(pending_.size()) ? 0 : -1; }

  private:
    bool write_out(std::size_t length) {
        if (length == 0) return true;
        bool written = true;
        if (console_) {
            const std::wstring wide =
                runtime::to_wide(std::string_view(pending_).substr(0, length));
            DWORD done = 0;
            written = WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &done,
                                    nullptr) != 0;
        } else {
            // Lines end as Windows' own programs end them, so that Notepad shows them.
            std::string text;
            for (const char c : std::string_view(pending_).substr(0, length))
                text += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
            for (std::size_t at = 0; written && at < text.size();) {
                DWORD done = 0;
                written = WriteFile(handle_, text.data() + at, static_cast<DWORD>(text.size() - at),
                                    &done, nullptr) != 0 &&
                          done > 0;
                at += done;
            }
        }
        pending_.erase(0, length);
        return written;
    }

    HANDLE handle_;
    bool console_ = false;
    std::string pending_;
};

}  // namespace

ConsoleStream::ConsoleStream(Standard which)
    : std::ostream(nullptr),
      buffer_(std::make_unique<ConsoleBuffer>(
          GetStdHandle(which == Standard::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE))) {
    rdbuf(buffer_.get());
}

ConsoleStream::~ConsoleStream() {
    flush();
}

std::vector<std::string> utf8_arguments(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(runtime::to_utf8(argv[i]));
    return args;
}

}  // namespace orbskin::cli
