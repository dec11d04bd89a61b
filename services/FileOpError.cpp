// The process-wide last file error.
#include "services/FileOpError.h"

long gFileOpErrNumber = 0;
std::string gFileOpErrSource;
std::string gFileOpErrDescription;

void ClearFileOpError()
{
    gFileOpErrNumber = 0;
    gFileOpErrSource.clear();
    gFileOpErrDescription.clear();
}

void GetFileOpError(long& number, std::string& source, std::string& description)
{
    number = gFileOpErrNumber;
    source = gFileOpErrSource;
    description = gFileOpErrDescription;
}

void RaiseFileOpError()
{
    if (gFileOpErrNumber != 0)
        throw AppError(gFileOpErrNumber, gFileOpErrSource, gFileOpErrDescription);
}

void RecordFileOpError(const AppError& e, const std::string& ownName, int line)
{
    gFileOpErrNumber = e.number();
    gFileOpErrSource = ComposeErrorSource(ownName, line, e.source());
    gFileOpErrDescription = e.description();
}

FileOpError SaveFileOpError() { return {gFileOpErrNumber, gFileOpErrSource, gFileOpErrDescription}; }

void RestoreFileOpError(const FileOpError& saved)
{
    gFileOpErrNumber = saved.number;
    gFileOpErrSource = saved.source;
    gFileOpErrDescription = saved.description;
}
