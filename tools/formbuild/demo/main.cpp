// tolvaran-formdemo [--headless] [--run-for MS] [--screenshot MS:FILE.png]...
#include <cstdio>
#include <string>

#include "platform/host.h"
#include "platform/process.h"
#include "runtime/forms/runtime.h"
#include "tools/formbuild/demo/demo_form.h"

int main(int argc, char** argv) {
  platform::HostOptions o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    std::string next = i + 1 < argc ? argv[i + 1] : "";
    if (a == "--headless") {
      o.headless = true;
    } else if (a == "--run-for" && !next.empty()) {
      o.runForMs = uint32_t(std::stoul(next));
      ++i;
    } else if (a == "--screenshot" && next.find(':') != std::string::npos) {
      o.screenshots.push_back({uint32_t(std::stoul(next.substr(0, next.find(':')))),
                               next.substr(next.find(':') + 1)});
      ++i;
    } else {
      std::fprintf(stderr, "usage: tolvaran-formdemo [--headless] [--run-for MS] [--screenshot MS:FILE.png]\n");
      return 2;
    }
  }
  if (auto failure = platform::Init(o)) {
    std::fprintf(stderr, "tolvaran-formdemo: %s\n", failure->c_str());
    return 1;
  }
  platform::SetRunForHandler([] { rt::EndProgram(0); });
  formdemo::RunDemoForm();
}
