// Time of day, pauses and pseudo-random numbers.
#ifndef PLATFORM_CLOCK_H_
#define PLATFORM_CLOCK_H_

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

class Clock {
 public:
  virtual ~Clock() = default;
  // Hundredths of a second since midnight, local time.
  virtual long HundredthsOfDay() = 0;
  virtual void Pause(int milliseconds) = 0;
  virtual void Seed(std::uint32_t seed) = 0;
  // A pseudo-random number in [0, bound); 0 when bound <= 0.
  virtual long Random(long bound) = 0;
};

class HostClock : public Clock {
 public:
  long HundredthsOfDay() override;
  void Pause(int milliseconds) override;
  void Seed(std::uint32_t seed) override { engine_.seed(seed); }
  long Random(long bound) override;

 private:
  std::mt19937 engine_{std::random_device{}()};
};

// A clock for tests: time stands still unless advanced, pauses are recorded
// and advance it, random numbers come from a fixed generator.
class ManualClock : public Clock {
 public:
  long HundredthsOfDay() override { return now; }
  void Pause(int milliseconds) override {
    pauses.push_back(milliseconds);
    now += milliseconds / 10;
    if (onPause) onPause(milliseconds);
  }
  void Seed(std::uint32_t seed) override { engine_.seed(seed); }
  long Random(long bound) override {
    if (bound <= 0) return 0;
    return static_cast<long>(engine_() % static_cast<std::uint64_t>(bound));
  }

  long now = 0;
  std::vector<int> pauses;
  std::function<void(int)> onPause;

 private:
  std::mt19937_64 engine_{12345};
};

#endif  // PLATFORM_CLOCK_H_
