// The Windows (and Wine) side of the contract tests: the real system functions.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <vector>

#include "platform/win/text_case.h"
#include "tests/contract/side.h"

namespace contract {

namespace {
WString g_dir;
}

void SetUpMachine()
{
    wchar_t temp[MAX_PATH];
    DWORD n = ::GetTempPathW(MAX_PATH, temp);
    g_dir = WString(temp, n) + L"korvel-contract-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(g_dir.c_str(), nullptr);
}

void TearDownMachine()
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((g_dir + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileW((g_dir + found.cFileName).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(g_dir.c_str());
}

bool OnWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void KnownWineDifference(const char* what) { std::printf("[   WINE   ] known difference: %s\n", what); }

bool PrinterUiStandIn() { return OnWine(); }

bool EqualUpperCasedAsOnXp(const WCHAR* a, const WCHAR* b, size_t length)
{
    return win::EqualUpperCasedInvariant(a, b, length);
}

void ExpectViolation(const char*) {}

WString TestDir() { return g_dir; }

void WriteTestFile(const WString& name, const std::string& bytes)
{
    HANDLE file =
        ::CreateFileW((g_dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

bool CreateRegistryKey(const WString& path)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

static bool SetValue(const WString& path, const WString& name, DWORD type, const void* data, DWORD bytes)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    LSTATUS status = ::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool SetRegistryString(const WString& path, const WString& name, const WString& value)
{
    return SetValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
}

bool SetRegistryDword(const WString& path, const WString& name, DWORD value)
{
    return SetValue(path, name, REG_DWORD, &value, sizeof value);
}

void DeleteRegistryTree(const WString& path) { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }

bool AddPrinterDriver(const WString& driver)
{
    wchar_t file[] = L"wineps.drv";
    DRIVER_INFO_3W info = {};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(driver.c_str());
    info.pDriverPath = file;
    info.pDataFile = file;
    info.pConfigFile = file;
    return ::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES) ||
           ::GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
}

bool AddLocalPrinter(const WString& name, const WString& port, const WString& driver)
{
    wchar_t processor[] = L"WinPrint";
    wchar_t datatype[] = L"RAW";
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<wchar_t*>(name.c_str());
    info.pPortName = const_cast<wchar_t*>(port.c_str());
    info.pDriverName = const_cast<wchar_t*>(driver.c_str());
    info.pPrintProcessor = processor;
    info.pDatatype = datatype;
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!printer) return false;
    ::ClosePrinter(printer);
    return true;
}

void RemovePrinters(const WString& namePrefix, const WString& driver)
{
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + 1);
    if (needed && ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count)) {
        auto* printers = reinterpret_cast<PRINTER_INFO_4W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            WString name = printers[i].pPrinterName;
            if (name.size() < namePrefix.size() ||
                ::CompareStringOrdinal(name.c_str(), static_cast<int>(namePrefix.size()), namePrefix.c_str(),
                                       static_cast<int>(namePrefix.size()), TRUE) != CSTR_EQUAL)
                continue;
            HANDLE printer = nullptr;
            PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
            if (::OpenPrinterW(printers[i].pPrinterName, &printer, &access)) {
                ::DeletePrinter(printer);
                ::ClosePrinter(printer);
            }
        }
    }
    ::DeletePrinterDriverExW(nullptr, nullptr, const_cast<wchar_t*>(driver.c_str()), 0, 0);
}

}  // namespace contract
