// Images of files and design tables as a project copy made them.
#include "projcopy/MadeImage.h"

#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/MD5.h"

#include <algorithm>
#include <vector>

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

MadeImage MadeImage::OfRows(Recordset& rs)
{
    std::vector<std::string> rows;
    if (rs.State() == adStateOpen && rs.RecordCount() > 0) {
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            ::Fields fields = rs.Fields();
            std::string row;
            for (int i = 0; i < fields.Count(); ++i) {
                Field f = fields[i];
                const Variant v = f.Value();
                // A unit separator between columns, a record separator for Null: no value
                // the server prints holds either.
                row += ToLower(f.Name()) + "=" + (v.IsNull() || v.IsEmpty() ? std::string("\x1e") : v.ToText()) +
                       "\x1f";
            }
            rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    MadeImage image;
    image.size = static_cast<long long>(rows.size());
    try {
        image.digest = CMD5().DigestStrToHexStr(Join(rows, "\n"), 0);
    } catch (const AppError&) {
        // Rows beyond what the digest reads: counted, but not shown as made.
    }
    return image;
}

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
