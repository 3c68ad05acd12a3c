#include "platform/host.h"

Host& host() {
  static Host theHost;
  return theHost;
}
