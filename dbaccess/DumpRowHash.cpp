// Row hashes of dump rows.
#include "dbaccess/DumpRowHash.h"

#include <algorithm>
#include <iterator>

uint64_t DumpRowHash(const DumpRow& values)
{
    DumpRowHasher h;
    for (const DumpValue& v : values)
        h.Add(v ? std::optional<std::string_view>(*v) : std::nullopt);
    return h.Value();
}

size_t UnmatchedRowHashes(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b)
{
    std::vector<uint64_t> rest;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(rest));
    return rest.size();
}
