// Helpers shared by the CRIS operation files: the class's error-source convention and the
// work files that an operation deletes on every path.
#pragma once

#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <exception>
#include <string>
#include <vector>

// Runs body; an error leaving it gets the operation's name composed in front of its source
// ("CRIS::DBWrite: CRIS::RISWrite"), number and description unchanged.
template <class Body>
auto WithErrorSource(const std::string& operation, Body&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const AppError& e) {
        throw PassOn(e, operation);
    } catch (const std::exception& e) {
        throw AppError(1, operation, e.what());
    }
}

// Paths of the work files of one call, deleted (errors ignored) when the call ends, after
// success and after failure alike. The last file error is left as it was.
class WorkFiles {
public:
    WorkFiles() = default;
    ~WorkFiles();
    WorkFiles(const WorkFiles&) = delete;
    WorkFiles& operator=(const WorkFiles&) = delete;

    // Registers a path and returns it.
    std::string add(std::string path);
    // Forgets a path registered before (a file the call hands on).
    void keep(const std::string& path);

private:
    std::vector<std::string> paths_;
};

// Whether statements drop, create or alter a table (words in any case, any blanks between), so
// that the schema's held listings no longer hold. A literal that merely contains such words
// costs one listing more, nothing else.
bool ChangesTables(const std::string& sql);

// Drops what the catalogue caches hold of one schema: its table listing ("k_" + schema) and the
// column listings of its tables ("k_" + schema + "|" + table). Keys compare without case.
template <class Cache>
void ForgetSchemaListings(Cache& tables, Cache& columns, const std::string& schema)
{
    tables.erase("k_" + schema);
    const std::string prefix = "k_" + schema + "|";
    for (auto it = columns.lower_bound(prefix); it != columns.end();) {
        if (!StartsWithNoCase(it->first, prefix))
            break;
        it = columns.erase(it);
    }
}
