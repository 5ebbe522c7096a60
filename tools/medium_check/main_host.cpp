// korvel-medium-check on Linux. The medium folder becomes drive M: of the simulated
// Windows machine, whose profile functions read the catalogue the way Windows does,
// in the ANSI code page of a Chinese Windows (936).
#include <cstdio>
#include <filesystem>

#include "platform/sim/control/machine.h"
#include "tools/medium_check/medium_check.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool strict = false;
    std::string folder;
    int status = medium_check::ReadCommandLine(args, &strict, &folder, stdout, stderr);
    if (status != medium_check::kGoOn) return status;
    std::error_code ec;
    std::filesystem::path path = std::filesystem::canonical(folder, ec);
    if (ec || !std::filesystem::is_directory(path, ec)) {
        std::fprintf(stderr, "korvel-medium-check: no such folder: %s\n", folder.c_str());
        return 2;
    }
    sim::MapDrive('M', path.string());
    return medium_check::Report(medium_check::CheckMedium(u"M:\\", '/'), strict, stdout, stderr);
}
