// Environment variables, as code page 850 texts.
#ifndef PLATFORM_ENVIRONMENT_H_
#define PLATFORM_ENVIRONMENT_H_

#include <map>
#include <string>

class Environment {
 public:
  virtual ~Environment() = default;
  // The variable's value; the empty text when it is unset.
  virtual std::string Get(const std::string& name) = 0;
};

// The process environment; values in UTF-8 are converted to code page 850.
class HostEnvironment : public Environment {
 public:
  std::string Get(const std::string& name) override;
};

class MemoryEnvironment : public Environment {
 public:
  std::string Get(const std::string& name) override {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  std::map<std::string, std::string> values;
};

#endif  // PLATFORM_ENVIRONMENT_H_
