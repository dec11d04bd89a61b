// Holding room in a folder with a written placeholder file.
#include "dbtools/TempRoom.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "services/FileOperation.h"

#include <algorithm>

void TempRoom::Hold(const std::string& folder, uint64_t bytes)
{
    Release();
    file_ = folder + GetOwnedTempName();
    try {
        BinaryFile f;
        f.Open(file_, BinaryFile::Mode::Write);
        // Real bytes, not a sparse file: the disk must give the blocks now.
        const std::string block(1 << 16, '\0');
        for (uint64_t left = bytes; left > 0;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
            f.WriteBytes(block.data(), n);
            left -= n;
        }
        f.Flush();
        f.CloseChecked();
    } catch (const AppError&) {
        Release();
        throw;
    }
}

void TempRoom::Release()
{
    if (file_.empty())
        return;
    DeleteFileA(file_);
    file_.clear();
}

bool TempRoom::Fits(const std::string& folder, uint64_t bytes)
{
    try {
        TempRoom probe;
        probe.Hold(folder, bytes);
        return true;
    } catch (const AppError&) {
        return false;
    }
}
