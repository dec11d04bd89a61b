// ustation.exe: the MicroStation stand-in. Started as
//     ustation.exe -wa<application> <design file> <result file>
// it loads the MDL application from the folders that MS_MDL names (";"-separated), runs it on
// the design file and ends. The one application it knows is read_linkage (read_linkage.ma),
// which writes the design file's linkage into the result file (see DesignFileLinkage.h). The
// result file is created as soon as the application runs, and stays empty when the design
// file cannot be read.
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/mstn/DesignFileLinkage.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

bool readHostFile(const std::string& winPath, std::string& content)
{
    std::ifstream in(HostPath(winPath), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    content = s.str();
    return true;
}

// The application file in the MS_MDL folders, or "".
std::string findApplication(std::string app)
{
    if (app.find('.') == std::string::npos)
        app += ".ma";
    for (std::string folder : Split(GetEnvVar("MS_MDL"), ";")) {
        folder = Trim(folder);
        if (folder.empty())
            continue;
        if (folder.back() != '\\' && folder.back() != '/')
            folder += "\\";
        if (HostFileExists(folder + app))
            return folder + app;
    }
    return {};
}

// The name after "MDL-APPLICATION" in the application file, or "".
std::string applicationName(const std::string& content)
{
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(TrimWhite(line));
        std::string keyword, name;
        words >> keyword >> name;
        if (keyword == "MDL-APPLICATION")
            return name;
    }
    return {};
}

int fail(const std::string& text)
{
    std::cerr << "MicroStation: " << text << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string app;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (StartsWithNoCase(a, "-wa"))
            app = a.substr(3);
        else if (!a.empty() && a[0] != '-')
            files.push_back(a);
    }
    std::cout << "MicroStation stand-in 07.01.05.03\n";
    if (app.empty()) {
        std::cout << "No MDL application given; nothing to do\n";
        return 0;
    }
    const std::string appFile = findApplication(app);
    if (appFile.empty())
        return fail("MDL application '" + app + "' not found (MS_MDL=" + GetEnvVar("MS_MDL") + ")");
    std::string appText;
    if (!readHostFile(appFile, appText))
        return fail("MDL application '" + appFile + "' cannot be read");
    const std::string name = applicationName(appText);
    if (!EqualsNoCase(name, "read_linkage"))
        return fail("'" + appFile + "' is no MDL application this MicroStation can load");
    if (files.size() < 2)
        return fail("read_linkage needs a design file and a result file");
    std::cout << "MDL application " << appFile << " loaded\n";
    try {
        LockedOutputFile result(files[1], false, "result file");
        std::string design;
        if (!readHostFile(files[0], design))
            return fail("Design file '" + files[0] + "' not found");
        result.Write(DesignFileLinkage::ResultText(DesignFileLinkage::Read(design)));
        result.Close();
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    std::cout << "Linkage of " << files[0] << " written to " << files[1] << "\n";
    return 0;
}
