// Fuzzing the registry store: any text reads and writes back byte for byte, and values written
// into it, of every kind, read back identically from the text it writes.
#include "FuzzTargets.h"

#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <vector>

namespace {

constexpr size_t kMaxKeys = 64;

// Every key the text names under the roots its headers begin with, and their values.
std::string describe(const RegistryStore& store, const std::string& text)
{
    std::set<std::string> roots;
    for (const std::string& line : Split(text, "\n")) {
        const std::string t = TrimWhite(line);
        if (t.size() > 2 && t[0] == '[')
            roots.insert(ToUpper(t.substr(1, t.find_first_of("\\]", 1) - 1)));
    }
    std::string out;
    std::vector<std::string> pending(roots.begin(), roots.end());
    for (size_t n = 0; n < pending.size() && n < kMaxKeys; ++n) {
        const std::string key = pending[n]; // a copy: pending grows below
        out += "[" + key + "]\n";
        for (const std::string& name : store.ValueNames(key)) {
            const RegistryData* d = store.Value(key, name);
            FuzzCheck(d != nullptr, "a listed value cannot be read");
            out += name + "=" + std::to_string(d->type) + ":" + std::string(d->bytes.begin(), d->bytes.end()) + "\n";
        }
        for (const std::string& sub : store.SubKeyNames(key))
            pending.push_back(key + "\\" + sub);
    }
    return out;
}

} // namespace

int FuzzRegistryStore(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    RegistryStore store;
    store.SetText(input);
    FuzzCheckSame(input, store.Text(), "an unchanged text is not written back byte for byte");

    // The input's last bytes also serve as value data and names, so the writes vary with it.
    const std::string tail = input.substr(input.size() > 40 ? input.size() - 40 : 0);
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS";
    std::vector<std::string> strings = Split(tail, std::string(1, '\0'));
    for (std::string& s : strings)
        s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
    const RegistryData written[] = {
        RegistryData::Text(tail),
        RegistryData::Dword(static_cast<int32_t>(size * 2654435761u)),
        {kRegBinary, std::vector<uint8_t>(tail.begin(), tail.end())},
        RegistryData::Text(tail, kRegExpandText),
        RegistryData::MultiText(strings),
    };
    const std::string names[] = {"PathName", tail, "Bytes", "Expand", "@"};
    for (size_t i = 0; i < std::size(written); ++i) {
        store.SetValue(key, names[i], written[i]);
        store.SetValue(key + "\\" + std::to_string(i), "", written[i]);
    }
    store.SetValue(key + "\\" + tail, "x", written[0]);

    const std::string text = store.Text();
    RegistryStore again;
    again.SetText(text);
    FuzzCheckSame(text, again.Text(), "the written text does not read back byte for byte");
    FuzzCheckSame(describe(store, text), describe(again, text), "keys or values differ after reading back");
    for (size_t i = 0; i < std::size(written); ++i) {
        const RegistryData* d = again.Value(key + "\\" + std::to_string(i), "");
        FuzzCheck(d && *d == written[i], "value of kind " + std::to_string(written[i].type) + " does not read back");
    }
    return 0;
}
