#include "forms/browse_list.h"

#include <string>

#include "forms/form_hooks.h"

// With this table's hooks no list line is ever built, so a list offers
// nothing to choose: it ends without a choice.
void RunBrowse(int browse, int& result) {
  std::string startKey;
  std::string upperBound;
  result = BeforeBrowse(browse, startKey, upperBound);
  if (result == 0) result = -1;
}
