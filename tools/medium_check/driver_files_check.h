// The medium checker's view of what a driver INF installs, as the system reads it:
// the install section each catalogue printer's model line names (and the sections it
// names in turn), the files those sections copy or name, where [SourceDisksFiles] and
// [SourceDisksNames] put each file on the medium, the catalogue file that signs the
// driver, [Version]'s signature, and line ends the system's parser would misread.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tools/medium_check/check_common.h"
#include "tools/medium_check/inf_sections.h"

namespace medium_check {

class DriverFilesCheck {
public:
    // `folder` is the INF's folder as the file functions take it (ending in a
    // backslash), `shownFolder` the same below the medium folder as findings show it
    // (ending in the separator), `file` the INF as findings name it.
    DriverFilesCheck(const WString& folder, const std::string& shownFolder, char separator, const std::string& file,
                     const std::vector<InfSection>& sections, FindingList& out);

    // The install section that `modelLine` (a line of models section `modelsSection`)
    // names for printer `printer`, as Windows chooses among its decorated forms; checked
    // with what it names the first time it is met.
    void InstallSection(const InfLine& modelLine, const WString& modelsSection, const std::string& printer);

    // The INF as a whole, once every printer's install section is met: [Version], the
    // catalogue file, lines ending in CR alone (`bytes` is the file), and every file
    // the install sections copy or name and [SourceDisksFiles] lists.
    void Finish(const std::string& bytes, const std::vector<WString>& targets);

private:
    struct Named {
        WString file;
        int line;
        std::string why;       // "[KX2400] copies"
        bool copied;           // by a CopyFiles of the INF
        bool systemMayHaveIt;  // named by a section that includes system INFs
    };

    void CheckInstallSection(const WString& name, int line);
    void NameFiles(const WString& section, const InfLine& line, bool systemInfs);
    bool SectionNamed(const WString& name, int line, const std::string& by, bool systemInfs);
    void CheckFile(const Named& file, const std::string& arch);
    std::string Shown(const WString& relative) const;

    WString m_folder;
    std::string m_shownFolder;
    char m_separator;
    std::string m_file;
    const std::vector<InfSection>& m_sections;
    FindingList& m_out;
    std::set<WString> m_checked;  // install sections, upper case
    std::vector<Named> m_named;
    std::set<std::string> m_reported;  // findings about files, not to be repeated per kind of Windows
};

}  // namespace medium_check
