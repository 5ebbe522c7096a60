// korvel-medium-check on Windows: the medium folder as given, read with the system's
// own profile functions in this PC's ANSI code page.
#include <cstdio>

#include "platform/kernel.h"
#include "platform/text.h"
#include "tools/medium_check/medium_check.h"

int wmain(int argc, wchar_t** argv)
{
    ::SetConsoleOutputCP(CP_UTF8);  // the findings are UTF-8
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(text::ToUtf8(argv[i], text::Length(argv[i])));
    bool strict = false;
    std::string folder;
    int status = medium_check::ReadCommandLine(args, &strict, &folder, stdout, stderr);
    if (status != medium_check::kGoOn) return status;
    WString wide = text::FromUtf8(folder);
    WCHAR full[MAX_PATH] = {0};
    DWORD n = ::GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    DWORD attributes = (n > 0 && n < MAX_PATH) ? ::GetFileAttributesW(full) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::fprintf(stderr, "korvel-medium-check: no such folder: %s\n", folder.c_str());
        return 2;
    }
    return medium_check::Report(medium_check::CheckMedium(full, '\\'), strict, stdout, stderr);
}
