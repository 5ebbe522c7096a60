#include "installer/launcher_messages.h"

namespace launcher {

const WCHAR* ErrorMessage(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return TEXT("The specified file was not found.");
    case ERROR_PATH_NOT_FOUND: return TEXT("The specified path was not found.");
    case ERROR_ACCESS_DENIED: return TEXT("Access to the specified file is denied.");
    case ERROR_NOT_ENOUGH_MEMORY: return TEXT("There is not enough memory to perform the specified action.");
    case ERROR_SHARING_VIOLATION: return TEXT("A sharing violation occurred.");
    case ERROR_NO_ASSOCIATION: return TEXT("There is no application associated with the given file name extension.");
    case ERROR_DDE_FAIL: return TEXT("The Dynamic Data Exchange (DDE) transaction failed.");
    case ERROR_DLL_NOT_FOUND: return TEXT("One of the library files necessary to run the application can't be found.");
    case ERROR_CANCELLED:
        return TEXT("The function prompted the user for additional information, but the user canceled the request.");
    default: return TEXT("Other error occurred.");
    }
}

}  // namespace launcher
