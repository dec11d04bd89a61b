// Row hashes of dump rows.
#include "dbaccess/DumpRowHash.h"

#include <algorithm>
#include <iterator>

uint64_t DumpRowHash(const DumpRow& values)
{
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ull;
    };
    for (const DumpValue& v : values) {
        if (!v) {
            mix(1);
            continue;
        }
        mix(2);
        for (char c : *v)
            mix(static_cast<unsigned char>(c));
        mix(0);
    }
    return h;
}

size_t UnmatchedRowHashes(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b)
{
    std::vector<uint64_t> rest;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(rest));
    return rest.size();
}
