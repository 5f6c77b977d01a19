// The real operating-system calls on Windows, through the Win32 API: wide-character names,
// binary access, and a rename that replaces an existing file in one step.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <vector>

#include "disk/files.h"

namespace orbskin::disk {

using runtime::FileKind;

namespace {

// The errno value closest to a Win32 error, so that messages read the same on every platform.
int errno_from(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        default:
            return EIO;
    }
}

int last_error() {
    return -errno_from(GetLastError());
}

// Win32 handles behind the small integers the seam hands out.
class HandleTable {
  public:
    int add(HANDLE handle) {
        const std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < handles_.size(); ++i) {
            if (handles_[i] == INVALID_HANDLE_VALUE) {
                handles_[i] = handle;
                return static_cast<int>(i);
            }
        }
        handles_.push_back(handle);
        return static_cast<int>(handles_.size() - 1);
    }
    HANDLE get(int fd) {
        const std::lock_guard lock(mutex_);
        return fd >= 0 && static_cast<std::size_t>(fd) < handles_.size() ? handles_[fd]
                                                                         : INVALID_HANDLE_VALUE;
    }
    HANDLE take(int fd) {
        const std::lock_guard lock(mutex_);
        if (fd < 0 || static_cast<std::size_t>(fd) >= handles_.size()) return INVALID_HANDLE_VALUE;
        const HANDLE handle = handles_[fd];
        handles_[fd] = INVALID_HANDLE_VALUE;
        return handle;
    }

  private:
    std::mutex mutex_;
    std::vector<HANDLE> handles_;
};

HandleTable handles;

int open_handle(const Os::Path& path, DWORD access, DWORD share, DWORD disposition) {
    const HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return last_error();
    return handles.add(handle);
}

// In 100-nanosecond steps since 1601; a rewrite in place moves it as on POSIX systems.
std::int64_t since_1970_ns(std::uint64_t ticks) {
    constexpr std::int64_t kFrom1601To1970 = 116444736000000000;
    return (static_cast<std::int64_t>(ticks) - kFrom1601To1970) * 100;
}
std::int64_t since_1970_ns(const FILETIME& time) {
    return since_1970_ns(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 |
                         time.dwLowDateTime);
}

// Who the file is (volume and file index) and when anything about it last changed, so that a
// picture rewritten in place while it is read is told apart. Asking only for its attributes
// opens it beside any editor that holds it, whatever that editor shares; where it cannot be
// opened, these stay 0 and the sizes and write time alone tell.
void identify(const Os::Path& path, FileInfo& info) {
    const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION who{};
    if (GetFileInformationByHandle(handle, &who)) {
        info.device = who.dwVolumeSerialNumber;
        info.inode = static_cast<std::uint64_t>(who.nFileIndexHigh) << 32 | who.nFileIndexLow;
        info.size = static_cast<std::uint64_t>(who.nFileSizeHigh) << 32 | who.nFileSizeLow;
        info.modified_ns = since_1970_ns(who.ftLastWriteTime);
    }
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        info.changed_ns = since_1970_ns(static_cast<std::uint64_t>(basic.ChangeTime.QuadPart));
    CloseHandle(handle);
}

// The console's stops while a writer holds them, and the first that came meanwhile.
std::atomic<bool> holding{false};
std::atomic<int> stopped{0};

BOOL WINAPI on_stop(DWORD event) {
    if (!holding.load()) return FALSE;  // the next handler, and in the end the system's, ends us
    // As the POSIX signals of the same meaning, so that the exit status reads alike.
    stopped.store(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 2 : 15);
    return TRUE;
}

// Reads and writes go in pieces a DWORD can count.
constexpr std::size_t kLargestPiece = 1u << 30;

class WindowsOs final : public Os {
  public:
    int stat(const Path& path, FileInfo& info) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return last_error();
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        info.kind = folder ? FileKind::folder : FileKind::regular;
        info.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        info.modified_ns = since_1970_ns(data.ftLastWriteTime);
        identify(path, info);
        return 0;
    }
    int open_read(const Path& path) override {
        // An editor may hold the picture open for writing: reading beside it is allowed, as a
        // rewrite while it is read is told by its times and read again.
        return open_handle(path, GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    }
    int create_new(const Path& path) override {
        return open_handle(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW);
    }
    std::ptrdiff_t read(int fd, void* buffer, std::size_t size) override {
        DWORD got = 0;
        const DWORD piece = static_cast<DWORD>(size < kLargestPiece ? size : kLargestPiece);
        if (!ReadFile(handles.get(fd), buffer, piece, &got, nullptr)) return last_error();
        return static_cast<std::ptrdiff_t>(got);
    }
    std::ptrdiff_t write(int fd, const void* buffer, std::size_t size) override {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(size < kLargestPiece ? size : kLargestPiece);
        if (!WriteFile(handles.get(fd), buffer, piece, &written, nullptr)) return last_error();
        return static_cast<std::ptrdiff_t>(written);
    }
    int sync(int fd) override { return FlushFileBuffers(handles.get(fd)) ? 0 : last_error(); }
    int close(int fd) override { return CloseHandle(handles.take(fd)) ? 0 : last_error(); }
    int rename(const Path& from, const Path& to) override {
        const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
        return MoveFileExW(from.c_str(), to.c_str(), flags) ? 0 : last_error();
    }
    int rename_new(const Path& from, const Path& to) override {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : last_error();
    }
    // No swap of two names in one step; the caller moves the old file aside first instead.
    int exchange(const Path&, const Path&) override { return -ENOTSUP; }
    int remove(const Path& path) override {
        if (DeleteFileW(path.c_str())) return 0;
        const int result = last_error();
        return RemoveDirectoryW(path.c_str()) ? 0 : result;
    }
    int make_folder(const Path& path) override {
        return CreateDirectoryW(path.c_str(), nullptr) ? 0 : last_error();
    }
    // MOVEFILE_WRITE_THROUGH has made the rename durable; a folder cannot be synced here.
    int sync_folder(const Path&) override { return 0; }
    int list_folder(const Path& folder, std::vector<Path>& names) override {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return last_error();
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..") names.emplace_back(name);
        } while (FindNextFileW(search, &found));
        const int result = GetLastError() == ERROR_NO_MORE_FILES ? 0 : last_error();
        FindClose(search);
        return result;
    }
    // stat() never reports a link here: a reparse point is followed like any path.
    int resolve_link(const Path&, Path&) override { return -ENOSYS; }
    void hold_stops(bool hold) override {
        static const bool installed = SetConsoleCtrlHandler(on_stop, TRUE) != 0;
        (void)installed;
        holding.store(hold);
    }
    int stop_requested() override { return stopped.load(); }
    std::int64_t process_id() override { return GetCurrentProcessId(); }
    bool is_running(std::int64_t process) override {
        if (process <= 0 || process == GetCurrentProcessId()) return false;
        const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(process));
        if (!handle) return GetLastError() == ERROR_ACCESS_DENIED;
        const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
        CloseHandle(handle);
        return running;
    }
};

}  // namespace

Os& system_os() {
    static WindowsOs real;
    return real;
}

}  // namespace orbskin::disk
