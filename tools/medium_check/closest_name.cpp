#include "tools/medium_check/closest_name.h"

#include <algorithm>

namespace medium_check {

namespace {

bool SameLetter(WCHAR a, WCHAR b) { return text::UpperCase(a) == text::UpperCase(b); }

size_t Slip(size_t length) { return std::min<size_t>(3, length <= 7 ? 1 : 1 + (length - 4) / 4); }

}  // namespace

size_t NameDistance(const WString& a, const WString& b)
{
    // Three rows of the optimal-string-alignment table: the one before last, the last
    // and the current.
    std::vector<size_t> before(b.size() + 1), last(b.size() + 1), row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) last[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t cost = SameLetter(a[i - 1], b[j - 1]) ? 0 : 1;
            row[j] = std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + cost});
            if (i > 1 && j > 1 && SameLetter(a[i - 1], b[j - 2]) && SameLetter(a[i - 2], b[j - 1]))
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        before.swap(last);
        last.swap(row);
    }
    return last[b.size()];
}

int ClosestName(const WString& wanted, const std::vector<WString>& candidates)
{
    int best = -1;
    size_t bestDistance = Slip(wanted.size()) + 1;
    for (size_t i = 0; i < candidates.size(); ++i) {
        size_t d = NameDistance(wanted, candidates[i]);
        if (d < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace medium_check
