// The setup-medium checker: reads a medium folder with the wizard's own readers (the
// catalogue lookups, the printer-type and printer-name look-ups, the driver INF's
// model-line match) and reports what would make the wizard fail or install the wrong
// thing, one finding per line, with file and line where known.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/types.h"

namespace medium_check {

enum class Severity { kWarning, kError };

struct Finding {
    std::string file;  // below the medium folder, e.g. PrinterDriver/24pin/OEMPRINT.INF
    int line;          // from 1; 0 when the finding concerns the file as a whole
    Severity severity;
    std::string message;  // UTF-8
};

// Checks the medium whose folder is `setupDir`, a path the platform's file functions
// take, ending in a backslash. `separator` goes between folder names in the findings'
// file names. Findings come in file order: the catalogue first, then the driver INFs.
std::vector<Finding> CheckMedium(const WCHAR* setupDir, char separator);

// "file:line: error: message", or "file: warning: message" when the line is unknown.
std::string FormatFinding(const Finding& finding);

// Prints each finding on `out` and a count on `summary` (nothing when there is no
// finding). Returns the exit status: 1 when there are errors, or warnings and
// `strict`; otherwise 0.
int Report(const std::vector<Finding>& findings, bool strict, std::FILE* out, std::FILE* summary);

// The command line shared by both builds: [--strict] FOLDER. False on anything else.
bool ParseArguments(const std::vector<std::string>& args, bool* strict, std::string* folder);
// Whether the arguments ask for the usage (--help, -h or /?), which goes to standard
// output with exit status 0.
bool WantsHelp(const std::vector<std::string>& args);
const char* Usage();
// Both: the usage for --help (on `out`, status 0) or a bad command line (on `err`,
// status 2), or kGoOn with the strictness and the folder.
constexpr int kGoOn = -1;
int ReadCommandLine(const std::vector<std::string>& args, bool* strict, std::string* folder, std::FILE* out,
                    std::FILE* err);

}  // namespace medium_check
