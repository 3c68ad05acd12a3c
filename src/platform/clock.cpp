#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

long HostClock::HundredthsOfDay() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  const auto sinceEpoch = now.time_since_epoch();
  const long hundredths = static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000 / 10);
  return ((local.tm_hour * 60L + local.tm_min) * 60L + local.tm_sec) * 100L + hundredths;
}

void HostClock::Pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

long HostClock::Random(long bound) {
  if (bound <= 0) return 0;
  return std::uniform_int_distribution<long>(0, bound - 1)(engine_);
}
