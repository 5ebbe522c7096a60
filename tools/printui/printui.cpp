// A printer-UI entry for test machines (Wine prefixes), run as
//   rundll32 printui.dll,PrintUIEntry OPTIONS
// It carries out the three commands the wizard gives:
//   /if /n NAME /f INF /r PORT /m MODEL   install the driver MODEL and a printer NAME on PORT
//   /y /n NAME                            make NAME the default printer
//   /k /n NAME                            print a test page on NAME
//   /dl /n NAME                           delete the printer NAME (the deployment guide's
//                                         uninstall command)
// /q (quiet) is accepted; nothing is ever shown. The driver is installed only when
// the INF exists and lists MODEL on a model line (letter case aside), under the name
// as the INF spells it; its files are Wine's PostScript driver. When a printer NAME
// exists already (in any letter case), the new one is named "NAME (Copy 1)" (or the
// next free copy number), as the system's own entry does: the copies it leaves are why
// the wizard removes a name's copy family before it installs. The simulated rundll32
// does the same, and one contract test (tests/contract/shell_test.cpp) holds both.
//
// Each call appends a line to the file named by KORVEL_PRINTUI_LOG (UTF-8), so a
// test can tell that this entry, not the system's, was run. KORVEL_PRINTUI_DELAY_MS
// makes it wait that long before acting (for tests of a long installation).
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "platform/inf_model_line.h"
#include "tools/uidriver/wintext.h"

namespace {

std::wstring Env(const wchar_t* name)
{
    wchar_t value[1024];
    DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

void Log(const std::wstring& line)
{
    std::wstring path = Env(L"KORVEL_PRINTUI_LOG");
    if (path.empty()) return;
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string bytes = wintext::ToUtf8(line) + "\n";
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::wstring Error(const wchar_t* call, DWORD code)
{
    return std::wstring(L"error ") + call + L" " + std::to_wstring(code);
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Whether the INF file lists the model on a model line: "MODEL" = ...; *spelling
// receives the model's name as the INF writes it.
bool InfListsModel(const std::wstring& inf, const std::wstring& model, std::wstring* spelling, std::wstring* why)
{
    DWORD attributes = ::GetFileAttributesW(inf.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *why = L"error INF not found";
        return false;
    }
    HANDLE file = ::CreateFileW(inf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = Error(L"CreateFileW", ::GetLastError());
        return false;
    }
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    ::CloseHandle(file);
    std::wstring content;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        content.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (!bytes.empty()) {
        int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        content.resize(static_cast<size_t>(n));
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &content[0], n);
    }
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find(L'\n', pos);
        if (end == std::wstring::npos) end = content.size();
        inf::ModelLine parsed;
        if (inf::ParseModelLine(content.substr(pos, end - pos), parsed) && EqualNoCase(parsed.model, model)) {
            *spelling = parsed.model;
            return true;
        }
        pos = end + 1;
    }
    *why = L"error the INF has no model line for the model";
    return false;
}

std::wstring InstallDriver(const std::wstring& model)
{
    wchar_t file[] = L"wineps.drv";
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(model.c_str());
    driver.pDriverPath = file;
    driver.pDataFile = file;
    driver.pConfigFile = file;
    if (::AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) return std::wstring();
    DWORD code = ::GetLastError();
    if (code == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) return std::wstring();
    return Error(L"AddPrinterDriverExW", code);
}

std::wstring AddPrinter(const std::wstring& name, const std::wstring& port, const std::wstring& model,
                        std::wstring* created)
{
    wchar_t processor[] = L"WinPrint";
    wchar_t datatype[] = L"RAW";
    for (int copy = 0; copy < 100; ++copy) {
        std::wstring candidate = copy == 0 ? name : name + L" (Copy " + std::to_wstring(copy) + L")";
        // Wine's AddPrinterW takes an existing name and changes that printer, where
        // Windows refuses with ERROR_PRINTER_ALREADY_EXISTS: look first.
        HANDLE existing = nullptr;
        if (::OpenPrinterW(const_cast<wchar_t*>(candidate.c_str()), &existing, nullptr)) {
            ::ClosePrinter(existing);
            continue;
        }
        PRINTER_INFO_2W printer = {};
        printer.pPrinterName = const_cast<wchar_t*>(candidate.c_str());
        printer.pPortName = const_cast<wchar_t*>(port.c_str());
        printer.pDriverName = const_cast<wchar_t*>(model.c_str());
        printer.pPrintProcessor = processor;
        printer.pDatatype = datatype;
        printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        HANDLE handle = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
        if (handle) {
            ::ClosePrinter(handle);
            *created = candidate;
            return std::wstring();
        }
        DWORD code = ::GetLastError();
        if (code != ERROR_PRINTER_ALREADY_EXISTS) return Error(L"AddPrinterW", code);
    }
    return L"error no free copy name";
}

std::wstring PrintTestPage(const std::wstring& name)
{
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr))
        return Error(L"OpenPrinterW", ::GetLastError());
    wchar_t document[] = L"Test Page";
    wchar_t datatype[] = L"RAW";
    DOC_INFO_1W doc = {document, nullptr, datatype};
    std::wstring result;
    if (::StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc))) {
        static const char page[] = "Test page\r\n\f";
        DWORD written = 0;
        if (!::WritePrinter(printer, const_cast<char*>(page), sizeof page - 1, &written))
            result = Error(L"WritePrinter", ::GetLastError());
        ::EndDocPrinter(printer);
    } else {
        result = Error(L"StartDocPrinterW", ::GetLastError());
    }
    ::ClosePrinter(printer);
    return result;
}

std::wstring DeletePrinterNamed(const std::wstring& name)
{
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &access))
        return Error(L"OpenPrinterW", ::GetLastError());
    std::wstring result = ::DeletePrinter(printer) ? std::wstring() : Error(L"DeletePrinter", ::GetLastError());
    ::ClosePrinter(printer);
    return result;
}

std::wstring Run(int argc, wchar_t** argv)
{
    std::wstring command, name, inf, port, model;
    for (int i = 0; i < argc; ++i) {
        std::wstring a = argv[i];
        auto value = [&](std::wstring* out) {
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        if (EqualNoCase(a, L"/if") || EqualNoCase(a, L"/y") || EqualNoCase(a, L"/k") || EqualNoCase(a, L"/dl")) {
            if (!command.empty()) return L"error more than one command";
            command = a.substr(1);
        } else if (EqualNoCase(a, L"/q")) {
            // quiet: nothing is shown anyway
        } else if (EqualNoCase(a, L"/n")) {
            if (!value(&name)) return L"error /n without a value";
        } else if (EqualNoCase(a, L"/f")) {
            if (!value(&inf)) return L"error /f without a value";
        } else if (EqualNoCase(a, L"/r")) {
            if (!value(&port)) return L"error /r without a value";
        } else if (EqualNoCase(a, L"/m")) {
            if (!value(&model)) return L"error /m without a value";
        } else {
            return L"error unknown option " + a;
        }
    }
    if (command.empty()) return L"error no command";
    if (name.empty()) return L"error no printer name";
    if (EqualNoCase(command, L"y")) {
        if (!::SetDefaultPrinterW(name.c_str())) return Error(L"SetDefaultPrinterW", ::GetLastError());
        return L"ok default " + name;
    }
    if (EqualNoCase(command, L"dl")) {
        std::wstring error = DeletePrinterNamed(name);
        return error.empty() ? L"ok deleted " + name : error;
    }
    if (EqualNoCase(command, L"k")) {
        std::wstring error = PrintTestPage(name);
        return error.empty() ? L"ok test page " + name : error;
    }
    if (inf.empty() || port.empty() || model.empty()) return L"error /if needs /f, /r and /m";
    std::wstring error, driver;
    if (!InfListsModel(inf, model, &driver, &error)) return error;
    error = InstallDriver(driver);
    if (!error.empty()) return error;
    std::wstring created;
    error = AddPrinter(name, port, driver, &created);
    return error.empty() ? L"ok printer " + created : error;
}

}  // namespace

extern "C" __declspec(dllexport) void CALLBACK PrintUIEntryW(HWND, HINSTANCE, LPWSTR commandLine, int)
{
    std::wstring line = commandLine ? commandLine : L"";
    Log(L"PrintUIEntryW " + line);
    std::wstring delay = Env(L"KORVEL_PRINTUI_DELAY_MS");
    if (!delay.empty()) ::Sleep(static_cast<DWORD>(wcstoul(delay.c_str(), nullptr, 10)));
    std::wstring result;
    if (line.find_first_not_of(L" \t") == std::wstring::npos) {
        result = L"error no command";
    } else {
        int argc = 0;
        wchar_t** argv = ::CommandLineToArgvW(line.c_str(), &argc);
        result = argv ? Run(argc, argv) : Error(L"CommandLineToArgvW", ::GetLastError());
        if (argv) ::LocalFree(argv);
    }
    Log(L"  " + result);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
