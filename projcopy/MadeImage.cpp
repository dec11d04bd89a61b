// Images of files and design tables as a project copy made them.
#include "projcopy/MadeImage.h"

#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/MD5.h"

#include <cstdio>

MadeImage MadeImage::OfFile(const std::string& path)
{
    MadeImage image;
    try {
        image.size = HostFileSize(path);
        image.time = FormatLocalTime(HostFileModified(path), "yyyy-mm-dd hh:nn:ss");
    } catch (const AppError&) {
        return {};
    }
    try {
        image.digest = CMD5().DigestFileToHexStr(path, 0);
    } catch (const AppError&) {
        // Beyond what the digest reads (or unreadable now): size and last write still tell.
    }
    return image;
}

namespace {

// Marks a table's digest of row hashes, set apart from the row texts an earlier version digested.
const char* const kRowsDigest = "rows:";

} // namespace

MadeImage MadeImage::OfRows(const std::vector<uint64_t>& sortedRowHashes)
{
    std::string hashes;
    hashes.reserve(sortedRowHashes.size() * 17);
    char buf[17];
    for (uint64_t h : sortedRowHashes) {
        std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
        hashes += buf;
    }
    MadeImage image;
    image.size = static_cast<long long>(sortedRowHashes.size());
    try {
        image.digest = kRowsDigest + CMD5().DigestStrToHexStr(hashes, 0);
    } catch (const AppError&) {
        // Rows beyond what the digest reads: counted, but not shown as made.
    }
    return image;
}

bool MadeImage::OfRowsNow() const { return digest.rfind(kRowsDigest, 0) == 0; }

bool MadeImage::Matches(const MadeImage& now) const
{
    if (!Known() || !now.Known() || (digest.empty() && time.empty()))
        return false;
    return size == now.size && (digest.empty() || digest == now.digest) && (time.empty() || time == now.time);
}

std::string MadeImage::FileText() const
{
    if (!Known())
        return "not known";
    return std::to_string(size) + " bytes" + (time.empty() ? std::string() : ", written " + time);
}
