// The scratch folder of the file-reading fuzz targets and the failure check.
#include "FuzzTargets.h"

#include "platform/WinPath.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

class Scratch {
public:
    Scratch()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarnwick-fuzz-XXXXXX";
        // Made absolute: a relative host folder has no Windows form of its own (the current
        // folder of a fuzz run lies outside every drive of the environment).
        if (::mkdtemp(pattern.data()))
            host_ = std::filesystem::absolute(pattern).lexically_normal().string();
        FuzzCheck(!host_.empty(), "no scratch folder");
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(host_, ignored);
    }
    const std::string& host() const { return host_; }

private:
    std::string host_;
};

const Scratch& scratch()
{
    static const Scratch s;
    return s;
}

} // namespace

void FuzzCheck(bool ok, const std::string& what)
{
    if (!ok)
        throw FuzzFailure(what);
}

void FuzzCheckSame(const std::string& expected, const std::string& actual, const std::string& what)
{
    if (expected == actual)
        return;
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t from = at > 60 ? at - 60 : 0;
    throw FuzzFailure(what + ", from byte " + std::to_string(at) + ":\n  expected ..." +
                      expected.substr(from, 160) + "\n  actual   ..." + actual.substr(from, 160));
}

std::string ScratchFolder() { return WinPathFromHost(scratch().host()) + "\\"; }

std::string WriteScratchFile(const std::string& name, const std::string& bytes)
{
    const std::string host = scratch().host() + "/" + name;
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    FuzzCheck(static_cast<bool>(out), "cannot write " + host);
    return WinPathFromHost(host);
}

std::string ReadWholeFile(const std::string& winPath)
{
    std::ifstream in(HostPath(winPath), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
