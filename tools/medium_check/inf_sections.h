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
    int number;    // from 1; a line continued with '\\' counts as its first line
    WString text;  // without its comment, blanks around it dropped
    // As the system's parser splits it: the key before the first '=' outside quotation
    // marks (empty when there is none), and the values after it separated by commas,
    // each without blanks around it or its quotation marks ("" stands for one).
    bool hasKey = false;
    WString key;
    std::vector<WString> fields;
};

struct InfSection {
    int line = 0;  // of its header
    WString name;
    std::vector<InfLine> lines;  // not blank, not only a comment
};

// The sections of an INF given line by line. A ';' outside quotation marks starts a
// comment; a '\\' that ends a line joins the next line to it; "[name]" starts a
// section (blanks inside the brackets dropped). Lines before the first header are
// left out.
std::vector<InfSection> ScanInfSections(const std::vector<WString>& lines);

// The first section of the name, letter case ignored; null when there is none.
const InfSection* FindInfSection(const std::vector<InfSection>& sections, const WString& name);

// The lines of every section of the name: the system merges sections of one name.
std::vector<const InfLine*> InfSectionLines(const std::vector<InfSection>& sections, const WString& name);

// The first line of the section with the key (letter case ignored); null when none.
const InfLine* FindInfKey(const std::vector<InfSection>& sections, const WString& section, const WString& key);

// A value with each %name% replaced by its entry in [Strings] (kept when there is
// none) and %% by %.
WString ExpandStrings(const std::vector<InfSection>& sections, const WString& value);

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
