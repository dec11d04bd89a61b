// Images of design files by size, last write and digest.
#include "designfiles/FileImage.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/MD5.h"

#include <cstdlib>

FileImage FileImage::Of(const std::string& path)
{
    FileImage image;
    try {
        if (!HostFileExists(path))
            return {};
        image.size = HostFileSize(path);
        image.time = FormatLocalTime(HostFileModified(path), "yyyy-mm-dd hh:nn:ss");
        image.digest = CMD5().DigestFileToHexStr(path, 0);
    } catch (const AppError&) {
        return {};
    }
    return image;
}

std::string FileImage::Text() const
{
    if (!Known())
        return {};
    return std::to_string(size) + " " + time + " " + digest;
}

FileImage FileImage::Parse(const std::string& text)
{
    const std::vector<std::string> parts = Split(Trim(text), " ");
    if (parts.size() != 2 && parts.size() != 4)
        return {};
    char* end = nullptr;
    FileImage image;
    image.size = std::strtoll(parts[0].c_str(), &end, 10);
    if (parts[0].empty() || *end != '\0' || image.size < 0)
        return {};
    if (parts.size() == 4)
        image.time = parts[1] + " " + parts[2];
    image.digest = parts.back();
    return image;
}

bool FileImage::Matches(const FileImage& now) const
{
    return Known() && now.Known() && SameBytes(now) && (time.empty() || time == now.time);
}

bool FileImage::SameBytes(const FileImage& other) const
{
    return Known() && other.Known() && size == other.size && digest == other.digest;
}
