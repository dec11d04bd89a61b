// The blank-padded comparison of character values.
#include "platform/PaddedText.h"

#include <algorithm>
#include <cstring>

int PaddedText::Compare(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    if (const int c = common ? std::memcmp(a.data(), b.data(), common) : 0; c != 0)
        return c;
    // The longer value goes on against blanks.
    const std::string_view rest = a.size() > b.size() ? a.substr(common) : b.substr(common);
    const int sign = a.size() > b.size() ? 1 : -1;
    for (unsigned char c : rest)
        if (c != ' ')
            return c < ' ' ? -sign : sign;
    return 0;
}

std::string_view PaddedText::WithoutTrailingBlanks(std::string_view text)
{
    const size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? text : text.substr(0, last + 1);
}
