// The Oracle and SQL Server branches of statements and catalogue. The server connections of
// the data-access layer are not there yet, so these kinds fail as the components fail for a
// provider that is not installed; no caller of the program selects them.
#include "dbaccess/CRIS.h"

#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"

namespace {

[[noreturn]] void NoServerProvider(const std::string& operation)
{
    throw AppError(adoerr::kProviderNotFound, operation + ": ADODB.Connection",
                   "Provider cannot be found. It may not be properly installed.");
}

} // namespace

int32_t CRIS::ADOWrite(const std::string&, const std::string&)
{
    NoServerProvider("CRIS::ADOWrite");
}

std::vector<std::string> CRIS::ADOGetTables(const std::string&, bool)
{
    NoServerProvider("CRIS::ADOGetTables");
}

std::vector<std::string> CRIS::ADOGetCols(const std::string&, const std::string&, bool)
{
    NoServerProvider("CRIS::ADOGetCols");
}
