// Errors of the query operations with the hint on the data-access components.
#include "dbaccess/QueryError.h"

#include "platform/ado/AdoTypes.h"

#include <exception>

AppError CurrentError()
{
    try {
        throw;
    } catch (const AppError& e) {
        return e;
    } catch (const std::exception& e) {
        return AppError(1, "", e.what());
    } catch (...) {
        return AppError(1, "", "Unknown error");
    }
}

AppError ComposeQueryError(const AppError& e, const std::string& operation)
{
    std::string description = e.description();
    if (e.number() == adoerr::kUnspecified)
        description += "\r\nPlease correct install Microsoft Data Access Components (MDAC)";
    return AppError(e.number(), ComposeErrorSource(operation, 0, e.source()), description);
}
