// A setup medium on drive D: of the simulated machine: a host folder, removed
// after the test, holding the program, its catalogue and the driver INFs.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sim/control.h"

class SetupMedium {
public:
    SetupMedium()
    {
        char pattern[] = "/tmp/korvel-medium-XXXXXX";
        m_root = mkdtemp(pattern);
        sim::MapDrive('D', m_root);
        sim::SetModulePath(u"D:\\KorvelSetup.exe");
    }
    ~SetupMedium()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    SetupMedium(const SetupMedium&) = delete;
    SetupMedium& operator=(const SetupMedium&) = delete;

    // Writes a file below the medium's root; `path` uses '/' between folders.
    void Write(const std::string& path, const std::string& bytes) const
    {
        std::filesystem::path full = std::filesystem::path(m_root) / path;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
    }
    // The catalogue's PRINTER_TYPE section, e.g. "A=24\r\nB=9\r\n".
    void WriteTypes(const std::string& lines) const { Write("PrinterInfor.Inf", "[PRINTER_TYPE]\r\n" + lines); }
    void Write24PinInf(const std::string& bytes) const { Write("PrinterDriver/24pin/OEMPRINT.INF", bytes); }
    void Write9PinInf(const std::string& bytes) const { Write("PrinterDriver/9pin/OEMPRINT.INF", bytes); }

private:
    std::string m_root;
};
