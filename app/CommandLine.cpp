#include "app/CommandLine.h"

#include "app/SaverUtils.h"

namespace qb {

namespace {
uint32_t ParsedHandle(const std::vector<std::string>& args) {
    if (args[0].find(':') != std::string::npos) return static_cast<uint32_t>(IntAfterColon(args[0]));
    return args.size() > 1 ? static_cast<uint32_t>(IntAfterColon(args[1])) : 0;
}
}  // namespace

StartRequest ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) return {SaverMode::Editor, 0};
    const std::string& mode = args[0];
    if (mode.size() < 2 || (mode[0] != '-' && mode[0] != '/')) return {};
    switch (mode[1]) {
    case 'a': case 'A': return {SaverMode::ChangePassword, ParsedHandle(args)};
    case 'c': case 'C': return {SaverMode::Editor, 0};
    case 'l': case 'L':
    case 'p': case 'P': return {SaverMode::Preview, ParsedHandle(args)};
    case 's': case 'S': return {SaverMode::Screensaver, 0};
    default: return {};
    }
}

}  // namespace qb
