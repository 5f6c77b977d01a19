// Measures the generate command against a byte-at-a-time baseline (three one-byte reads and two
// one-byte writes per pixel at explicit positions) and against the floor: reading the twelve
// pictures and writing, syncing and renaming one skin-sized file with no conversion.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "disk/files.h"
#include "disk/skin_folder.h"

namespace {

namespace fs = std::filesystem;
using orbskin::skin::kPictures;

fs::path picture_folder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() / ("orbskin-bench-" + std::to_string(::getpid()));
        fs::create_directories(path);
        std::mt19937 random(2026);
        for (const auto& picture : kPictures) {
            std::vector<char> bytes(picture.file_length());
            for (char& b : bytes)
                b = static_cast<char>(random());
            std::ofstream(path / picture.name, std::ios::binary).write(bytes.data(), bytes.size());
        }
        return path;
    }();
    return folder;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::perror(what);
        std::exit(1);
    }
}

void generate(benchmark::State& state) {
    const fs::path folder = picture_folder();
    const auto settings = orbskin::skin::SkinSettings::starting();
    for (auto _ : state) {
        const auto outcome =
            orbskin::disk::generate(orbskin::disk::system_os(), folder, settings);
        check(outcome.finished, "generate");
    }
}

void byte_at_a_time(benchmark::State& state) {
    const fs::path folder = picture_folder();
    const fs::path skin = folder / "ORBSKIN.000";
    const auto block = orbskin::skin::build_settings_block(orbskin::skin::SkinSettings::starting());
    for (auto _ : state) {
        fs::remove(skin);
        int out = ::open(skin.c_str(), O_RDWR | O_CREAT, 0666);
        check(out >= 0, "open skin");
        off_t w = 0;
        for (const auto& picture : kPictures) {
            const auto length = static_cast<off_t>(fs::file_size(folder / picture.name));
            const int in = ::open((folder / picture.name).c_str(), O_RDONLY);
            check(in >= 0, "open picture");
            for (off_t p = 54; p + 2 < length; p += 3) {
                unsigned char b, g, r;
                check(::pread(in, &b, 1, p) == 1 && ::pread(in, &g, 1, p + 1) == 1 &&
                          ::pread(in, &r, 1, p + 2) == 1,
                      "read");
                const unsigned value = (b >> 3) << 10 | (g >> 3) << 5 | (r >> 3);
                const unsigned char low = value & 0xFF, high = value >> 8;
                check(::pwrite(out, &low, 1, w) == 1 && ::pwrite(out, &high, 1, w + 1) == 1,
                      "write");
                w += 2;
            }
            ::close(in);
        }
        ::close(out);
        out = ::open(skin.c_str(), O_RDWR | O_CREAT, 0666);
        check(out >= 0 && ::pwrite(out, block.data(), block.size(), w) == 512, "write block");
        ::close(out);
    }
}

void floor_io_only(benchmark::State& state) {
    const fs::path folder = picture_folder();
    const fs::path skin = folder / "ORBSKIN.000";
    const fs::path temporary = folder / "ORBSKIN.000.floor";
    std::vector<char> file(orbskin::skin::largest_picture_length());
    std::vector<char> out(orbskin::skin::kSkinFileLength);
    for (auto _ : state) {
        for (const auto& picture : kPictures) {
            const int in = ::open((folder / picture.name).c_str(), O_RDONLY);
            check(in >= 0, "open picture");
            check(::read(in, file.data(), picture.file_length()) ==
                      static_cast<ssize_t>(picture.file_length()),
                  "read");
            ::close(in);
        }
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        check(fd >= 0 && ::write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size()),
              "write");
        check(::fsync(fd) == 0 && ::close(fd) == 0, "sync");
        check(std::rename(temporary.c_str(), skin.c_str()) == 0, "rename");
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        check(dir >= 0 && ::fsync(dir) == 0, "sync folder");
        ::close(dir);
    }
}

// Syncing to disk dominates and drifts over time, so each benchmark is repeated, the repetitions
// are interleaved at random, and the medians are compared.
BENCHMARK(generate)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(byte_at_a_time)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(floor_io_only)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5)
    ->Repetitions(9)
    ->ReportAggregatesOnly();

// Prints the two ratios that matter after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                seconds_[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double ours = seconds_["generate"];
        if (ours <= 0) return;
        std::printf(
            "\nmedians compared\ngenerate / floor:          %.2fx (target: at most 1.25x)\n",
            ours / seconds_["floor_io_only"]);
        std::printf("byte-at-a-time / generate: %.0fx (target: at least 100x)\n",
                    seconds_["byte_at_a_time"] / ours);
    }

  private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove_all(picture_folder());
}
