#include "io/beside.h"

#include "codec/base/text.h"
#include "io/paths.h"

namespace quillon {

BesidePaths::BesidePaths(const std::string& path, const char* extension)
    : script(ToScriptPath(path)), input(ToHostPath(script)),
      output(ToHostPath(OutputPath(script, extension))) {}

bool OutputIsInput(const std::string& input, const std::string& output, std::string& reason) {
    if (!SameFile(input, output)) return false;
    reason = FormatText("'%s' would be overwritten by its own output", input.c_str());
    return true;
}

int FailRun(const char* operation, DriverFailure* failure, std::string reason) {
    ShowMessage("Quillon", "%s Fail!", operation);
    if (failure) failure->reason = std::move(reason);
    return 1;
}

} // namespace quillon
