// What the C++ library does where it would throw, in the Windows program. The
// program throws no exceptions and is built without them; the few places where the
// library would throw (a string or vector grown past its maximum size, memory
// exhausted in a plain new) end the program at once, as an uncaught exception did;
// a run nobody watches first writes its last log line and ends with the exit code of
// a failed installation (platform/library_error.h).
// Defining them here keeps the library's exception machinery, its reference-counted
// strings and its DWARF unwinder out of the program (with platform/win/lean_cxx.h,
// more than half of what the program weighed less its picture).
#include <windows.h>

#include <bits/functexcept.h>

#include <cstdlib>
#include <new>

#include "platform/library_error.h"

namespace {

[[noreturn]] void EndOnLibraryError()
{
    int exitCode = library_error::RunHandler();
    if (exitCode >= 0) ::ExitProcess(static_cast<UINT>(exitCode));
    std::abort();
}

}  // namespace

namespace std {
void __throw_bad_alloc() { EndOnLibraryError(); }
void __throw_bad_array_new_length() { EndOnLibraryError(); }
void __throw_length_error(const char*) { EndOnLibraryError(); }
void __throw_logic_error(const char*) { EndOnLibraryError(); }
void __throw_out_of_range(const char*) { EndOnLibraryError(); }
void __throw_out_of_range_fmt(const char*, ...) { EndOnLibraryError(); }
void __throw_invalid_argument(const char*) { EndOnLibraryError(); }
}  // namespace std

namespace __gnu_cxx {
// The library's terminate handler would print the exception's type, demangled, to a
// standard error a GUI program does not have.
void __verbose_terminate_handler() { EndOnLibraryError(); }
}  // namespace __gnu_cxx

// Plain new ends the program when memory is exhausted; the nothrow forms, which the
// program uses for its large buffers, return null for it to check.
void* operator new(std::size_t size)
{
    if (void* block = std::malloc(size ? size : 1)) return block;
    EndOnLibraryError();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
