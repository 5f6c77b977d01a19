// An operating-system seam for tests: forwards to the real calls, records them, can fail any one
// of them with a chosen errno, and can run a hook before each call.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/os.h"

namespace orbskin::test {

class InjectingOs final : public runtime::Os {
  public:
    struct Call {
        std::string operation;
        std::string path;  // the file the call is about, also for calls on a descriptor
    };

    // Fails call number `number` (counted from 1) with `error`; 0 fails none.
    void fail_call(std::size_t number, int error) {
        fail_at_ = number;
        error_ = error;
    }
    // Runs before every call, with the call about to be made.
    std::function<void(const Call&)> before;

    [[nodiscard]] const std::vector<Call>& calls() const { return calls_; }

    int stat(const Path& path, runtime::FileInfo& info) override;
    int open_read(const Path& path) override;
    int create_new(const Path& path) override;
    std::ptrdiff_t read(int fd, void* buffer, std::size_t size) override;
    std::ptrdiff_t write(int fd, const void* buffer, std::size_t size) override;
    int sync(int fd) override;
    int close(int fd) override;
    int rename(const Path& from, const Path& to) override;
    int remove(const Path& path) override;
    int sync_folder(const Path& folder) override;

  private:
    // Records the call and says whether it is the one to fail.
    bool enter(const char* operation, const std::string& path);
    std::string path_of(int fd) const;

    std::vector<Call> calls_;
    std::map<int, std::string> open_files_;
    std::size_t fail_at_ = 0;
    int error_ = 0;
};

}  // namespace orbskin::test
