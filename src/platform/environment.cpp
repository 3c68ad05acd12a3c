#include "platform/environment.h"

#include <cstdlib>

#include "platform/codepage.h"

std::string HostEnvironment::Get(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? Utf8ToCp850(value) : std::string();
}
