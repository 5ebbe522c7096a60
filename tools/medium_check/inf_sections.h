// A driver INF as the system's INF parser sees its sections: which models sections
// the [Manufacturer] section declares (one per target the models-section name is
// decorated with, such as [Korvel.NTx86] and [Korvel.NTamd64]), and the model lines
// each of them holds. The system installs from the section that fits the Windows it
// runs on, so a model missing from one section is missing on that kind of Windows.
#pragma once

#include <vector>

#include "platform/inf_model_line.h"
#include "platform/text.h"

namespace medium_check {

struct InfLine {
    int number;    // from 1
    WString text;  // without its comment, blanks around it dropped
};

struct InfSection {
    int line = 0;  // of its header
    WString name;
    std::vector<InfLine> lines;  // not blank, not only a comment
};

// The sections of an INF given line by line. A ';' outside quotation marks starts a
// comment; "[name]" starts a section (blanks inside the brackets dropped). Lines
// before the first header are left out.
std::vector<InfSection> ScanInfSections(const std::vector<WString>& lines);

// The first section of the name, letter case ignored; null when there is none.
const InfSection* FindInfSection(const std::vector<InfSection>& sections, const WString& name);

// One maker's entry in [Manufacturer]: "%strkey%=models-section-name[,target]..." or
// a bare models-section name. Its models sections are the name decorated with each
// target ("Korvel.NTamd64"), or the bare name when it lists no target.
struct Manufacturer {
    int line;
    std::vector<WString> modelsSections;
};
std::vector<Manufacturer> DeclaredManufacturers(const InfSection& manufacturerSection);

// The section's first model line for the model (letter case ignored, as the system
// compares model names); null when it has none.
const InfLine* FindModelLine(const InfSection& section, const WString& model, inf::ModelLine* parsed);

// Whether the section holds any model line at all.
bool HasModelLines(const InfSection& section);

}  // namespace medium_check
