// Standard output and error of orbskin-cli.exe: shown right in a console window whatever its code
// page, and UTF-8 when redirected to a file or a pipe.
#pragma once

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace orbskin::cli {

enum class Standard { output, error };

// An output stream on the process's standard output or error. Text goes out a line at a time,
// and whatever is left when it is flushed.
class ConsoleStream : public std::ostream {
  public:
    explicit ConsoleStream(Standard which);
    ~ConsoleStream() override;

  private:
    std::unique_ptr<std::streambuf> buffer_;
};

// The program's arguments, from the UTF-16 command line, as UTF-8.
[[nodiscard]] std::vector<std::string> utf8_arguments(int argc, wchar_t** argv);

}  // namespace orbskin::cli
