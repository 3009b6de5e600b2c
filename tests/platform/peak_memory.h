#pragma once

#include <sys/resource.h>

#include <cstdint>

// A guard against readers that take many times their input's size, not a measure of exact use: how
// much this process's peak resident memory grew while `run` ran. Memory freed earlier may be used
// again without raising the peak, so the figure can only be lower than what `run` took at its worst.
// ctest runs each test in a process of its own, so the peak before a test is small.
namespace kestrune::test {

inline std::uint64_t PeakResidentBytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // Linux counts in kilobytes
}

template <typename Run>
std::uint64_t PeakGrowth(Run&& run) {
  const std::uint64_t before = PeakResidentBytes();
  run();
  return PeakResidentBytes() - before;
}

inline constexpr std::uint64_t kMegabyte = std::uint64_t{1} << 20;

}  // namespace kestrune::test
