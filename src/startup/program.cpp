#include "startup/program.h"

#include <cstdlib>
#include <utility>

std::string programName;

namespace {
std::function<void(int)>& EndHandler() {
  static std::function<void(int)> handler;
  return handler;
}
}  // namespace

void SetEndHandler(std::function<void(int)> handler) { EndHandler() = std::move(handler); }

void EndProgram(int exitStatus) {
  if (EndHandler()) EndHandler()(exitStatus);
  std::exit(exitStatus);
}
