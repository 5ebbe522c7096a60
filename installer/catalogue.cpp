// The list lookups of the printer catalogue: the series, the models of a series, and
// the series a model belongs to.
#include "installer/catalogue.h"

#include "installer/PrinterInstaller.h"

namespace catalogue {

bool SplitEntries(const WCHAR* buffer, int count, CStringList& entries)
{
    CStringList found;
    int start = 0;
    for (int i = 0; i < count; ++i) {
        if (buffer[i] != 0) continue;
        WCHAR entry[kEntryCapacity] = {0};
        for (int k = start; k < i; ++k) {
            if (k - start >= kEntryCapacity - 1) return false;  // longer than 255 characters
            entry[k - start] = buffer[k];
        }
        found.push_back(CString(entry));
        start = i + 1;
    }
    entries.splice(entries.end(), found);
    return true;
}

}  // namespace catalogue

int CPrinterInstaller::GetSeriesList(CStringList& list) { return GetSeriesModels(TEXT("PRINTER_SERIES"), list); }

int CPrinterInstaller::GetSeriesModels(LPCWSTR series, CStringList& list)
{
    WCHAR buffer[catalogue::kSectionCapacity] = {0};
    int n = ReadSection(series, m_szInfoFile, buffer, catalogue::kSectionCapacity);
    if (n == 0) return kResultFailed;
    return catalogue::SplitEntries(buffer, n, list) ? kResultOk : kResultFailed;
}

int CPrinterInstaller::FindSeriesOfModel(CString& series, CString model)
{
    CStringList seriesList;
    GetSeriesList(seriesList);
    for (const CString& candidate : seriesList) {
        CStringList models;
        GetSeriesModels(candidate, models);
        for (const CString& listed : models) {
            if (listed == model) {  // whole text, letter case included
                series = candidate;
                return kResultOk;
            }
        }
    }
    return kResultFailed;
}
