// FormatMessageW of the simulated machine: the system's English texts of the error
// codes the machine's functions give and the program reports. A code without a text
// fails as Windows fails for it (ERROR_MR_MID_NOT_FOUND).
#include <string>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/verifier.h"

namespace {

struct SystemMessage {
    DWORD code;
    const char16_t* text;
};

// Windows' own wording (en-US).
const SystemMessage kMessages[] = {
    {ERROR_SUCCESS, u"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, u"Incorrect function."},
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, u"Access is denied."},
    {ERROR_INVALID_HANDLE, u"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, u"Not enough memory resources are available to process this command."},
    {ERROR_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation."},
    {ERROR_GEN_FAILURE, u"A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION, u"The process cannot access the file because it is being used by another process."},
    {ERROR_NOT_SUPPORTED, u"The request is not supported."},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect."},
    {ERROR_DISK_FULL, u"There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, u"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_INVALID_LEVEL, u"The system call level is not correct."},
    {ERROR_MOD_NOT_FOUND, u"The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, u"The specified procedure could not be found."},
    {ERROR_FILENAME_EXCED_RANGE, u"The filename or extension is too long."},
    {ERROR_NO_MORE_ITEMS, u"No more data is available."},
    {ERROR_OPERATION_ABORTED,
     u"The I/O operation has been aborted because of either a thread exit or an "
     u"application request."},
    {ERROR_NOACCESS, u"Invalid access to memory location."},
    {ERROR_INVALID_FLAGS, u"Invalid flags."},
    {ERROR_NO_ASSOCIATION, u"No application is associated with the specified file for this operation."},
    {ERROR_DLL_NOT_FOUND, u"One of the library files needed to run this application cannot be found."},
    {ERROR_DEVICE_NOT_CONNECTED, u"The device is not connected."},
    {ERROR_NOT_FOUND, u"Element not found."},
    {ERROR_CANCELLED, u"The operation was canceled by the user."},
    {ERROR_INSTALL_FAILURE, u"Fatal error during installation."},
    {ERROR_INVALID_COMMAND_LINE,
     u"Invalid command line argument. Consult the Windows Installer SDK for detailed command line help."},
    {RPC_X_NULL_REF_POINTER, u"A null reference pointer was passed to the stub."},
    {ERROR_INVALID_USER_BUFFER, u"The supplied user buffer is not valid for the requested operation."},
    {ERROR_UNKNOWN_PORT, u"The specified port is unknown."},
    {ERROR_UNKNOWN_PRINTER_DRIVER, u"The printer driver is unknown."},
    {ERROR_INVALID_PRINTER_NAME, u"The printer name is invalid."},
    {ERROR_PRINTER_ALREADY_EXISTS, u"The printer already exists."},
    {ERROR_INVALID_PRINTER_COMMAND, u"The printer command is invalid."},
    {ERROR_INVALID_ENVIRONMENT, u"The environment specified is invalid."},
    {ERROR_PRINTER_DRIVER_IN_USE, u"The specified printer driver is currently in use."},
    {ERROR_SUCCESS_REBOOT_REQUIRED,
     u"The requested operation is successful. Changes will not be effective until "
     u"the system is rebooted."},
};

}  // namespace

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments)
{
    (void)source;
    (void)arguments;
    // The machine knows the system's messages only, into the caller's buffer; their
    // texts have no inserts.
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) ||
        (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) || languageId != 0 || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char16_t* text = nullptr;
    for (const SystemMessage& m : kMessages)
        if (m.code == messageId) text = m.text;
    if (!text) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    std::u16string message = std::u16string(text) + u"\r\n";
    if (!sim::CheckBufferSize("FormatMessageW", "nSize is the size of lpBuffer in characters", buffer,
                              static_cast<size_t>(size) * sizeof(WCHAR), "nSize=" + std::to_string(size))) {
        SetLastError(ERROR_NOACCESS);
        return 0;
    }
    if (message.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < message.size(); ++i) buffer[i] = message[i];
    buffer[message.size()] = 0;
    return static_cast<DWORD>(message.size());
}
