// Suite paths are DOS-style texts in code page 850 ("DADES\TDespesa",
// "C:\ZEK\FORMS\EXPCODES.ZPN") built by plain concatenation.  HostPath turns
// one into a path of this host: "\" becomes "/", a leading drive ("C:") is
// dropped, the text becomes UTF-8, and each component that does not exist as
// written is looked up without regard to case in its directory, so that an
// installation copied from the old system keeps working.  A component that
// is not found keeps its name as written (a new file is created so).
#ifndef PLATFORM_PATHS_H_
#define PLATFORM_PATHS_H_

#include <string>

std::string HostPath(const std::string& suitePath);

#endif  // PLATFORM_PATHS_H_
