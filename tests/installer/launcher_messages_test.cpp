// The launcher's message for each error ShellExecuteExW leaves.
#include <gtest/gtest.h>

#include <string>

#include "installer/launcher_messages.h"
#include "platform/text.h"

TEST(LauncherMessages, LauncherMessageForEachLastError)
{
    const struct {
        DWORD code;
        const char* text;
    } table[] = {
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "Access to the specified file is denied."},
        {8, "There is not enough memory to perform the specified action."},
        {32, "A sharing violation occurred."},
        {1155, "There is no application associated with the given file name extension."},
        {1156, "The Dynamic Data Exchange (DDE) transaction failed."},
        {1157, "One of the library files necessary to run the application can't be found."},
        {1223, "The function prompted the user for additional information, but the user canceled the request."},
        {0, "Other error occurred."},
        {1, "Other error occurred."},
        {4, "Other error occurred."},
        {6, "Other error occurred."},
        {7, "Other error occurred."},
        {1224, "Other error occurred."},
        {0xFFFFFFFFu, "Other error occurred."},
    };
    for (const auto& row : table) {
        const WCHAR* m = launcher::ErrorMessage(row.code);
        EXPECT_EQ(text::ToUtf8(m, text::Length(m)), row.text) << row.code;
    }
}
