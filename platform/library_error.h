// What ends the program where the C++ library would throw (memory exhausted, a string
// grown past its maximum size). The Windows program is built without exceptions and
// ends at once there (platform/win/cxx_errors.cpp); a run nobody watches first writes
// a last line to its log and ends with an exit code a deployment tool reads, through
// the handler it sets here. The simulated machine's build keeps the library's own
// exceptions and never calls the handler.
#pragma once

namespace library_error {

// Writes what it can without taking memory and returns the program's exit code.
using Handler = int (*)();
void SetHandler(Handler handler);

// The handler's exit code, or -1 when there is no handler, or when a library error
// happens while it runs (the program then ends without it).
int RunHandler();

}  // namespace library_error
