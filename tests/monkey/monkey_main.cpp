// The monkey: the whole program on random keys, clicks, resizes, clock jumps and file
// faults.
//   lexfray_monkey [--seed S] [--seeds K] [--events N]
// plays seeds S .. S+K-1 (default 1 and 1) for N events each (default 20000). A failure
// prints its seed and the command that plays it again, and the exit status is 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "monkey/monkey_run.h"

namespace {

struct Options {
  std::uint64_t seed = 1;
  int seeds = 1;
  long long events = 20000;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string_view name = argv[i];
    char* end = nullptr;
    unsigned long long value = std::strtoull(argv[i + 1], &end, 10);
    if (*end != '\0') return false;
    if (name == "--seed") options.seed = value;
    else if (name == "--seeds") options.seeds = static_cast<int>(value);
    else if (name == "--events") options.events = static_cast<long long>(value);
    else return false;
  }
  return argc % 2 == 1;
}

// The program's files are written afresh all the time: a memory file system keeps the
// monkey fast where there is one.
void PreferMemoryFolder() {
  std::error_code error;
  if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error))
    ::setenv("TMPDIR", "/dev/shm", 0);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--seed S] [--seeds K] [--events N]\n", argv[0]);
    return 2;
  }
  PreferMemoryFolder();
  long long total = 0;
  auto start = std::chrono::steady_clock::now();
  for (std::uint64_t seed = options.seed; seed < options.seed + options.seeds; ++seed) {
    lexfray::monkey::SeedOutcome outcome = lexfray::monkey::PlaySeed(seed, options.events);
    total += outcome.events;
    if (outcome.failure) {
      std::printf("monkey: seed %llu failed at event %lld of run %d: %s\n",
                  static_cast<unsigned long long>(seed), outcome.events, outcome.runs,
                  outcome.failure->c_str());
      std::printf("replay: %s --seed %llu --events %lld\n", argv[0],
                  static_cast<unsigned long long>(seed), outcome.events);
      return 1;
    }
    std::printf("monkey: seed %llu (competition %s): %lld events in %d runs (%d saved players) "
                "through %d failed writes and %d failed reads, no fault\n",
                static_cast<unsigned long long>(seed), outcome.competition ? "on" : "off",
                outcome.events, outcome.runs, outcome.saves,
                outcome.writesFailed, outcome.readsFailed);
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("monkey: %lld events in %.1f s, %.0f events/s\n", total, seconds, total / seconds);
  return 0;
}
