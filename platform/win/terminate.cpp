// The C++ library's default terminate handler prints the type of an uncaught
// exception, demangled, to standard error. A GUI program has no standard error,
// and the demangler would be a sixth of the program's code; the program throws no
// exceptions of its own, so ending at once is all the handler needs to do.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
