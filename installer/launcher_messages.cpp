#include "installer/launcher_messages.h"

namespace launcher {

const WCHAR* ErrorMessage(DWORD error)
{
    switch (error) {
    case 2: return TEXT("The specified file was not found.");
    case 3: return TEXT("The specified path was not found.");
    case 5: return TEXT("Access to the specified file is denied.");
    case 8: return TEXT("There is not enough memory to perform the specified action.");
    case 32: return TEXT("A sharing violation occurred.");
    case 1155: return TEXT("There is no application associated with the given file name extension.");
    case 1156: return TEXT("The Dynamic Data Exchange (DDE) transaction failed.");
    case 1157: return TEXT("One of the library files necessary to run the application can't be found.");
    case 1223:
        return TEXT("The function prompted the user for additional information, but the user canceled the request.");
    default: return TEXT("Other error occurred.");
    }
}

}  // namespace launcher
