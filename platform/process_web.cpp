// Starting other programs in the browser: there are none to start. A target the desktop
// would open (the link's page, a mail address) opens in a new tab of the browser instead.
#include <emscripten.h>
#include <emscripten/threading.h>

#include <cstdlib>
#include <cstring>

#include "platform/process.h"

namespace platform {

bool OpenWithDesktop(const std::string& utf8Target) {
  if (utf8Target.empty()) return false;
  char* copy = strdup(utf8Target.c_str());
  MAIN_THREAD_ASYNC_EM_ASM({ Module.tolvaranPage.openTab(UTF8ToString($0)); _free($0); }, copy);
  return true;
}

std::string HtmOpenCommand() { return {}; }

bool RunCommandLine(const std::string&) { return false; }

}  // namespace platform
