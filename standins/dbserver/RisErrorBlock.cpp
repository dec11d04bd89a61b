// Framing of RIS errors.
#include "standins/dbserver/RisErrorBlock.h"

#include "platform/TextUtil.h"

namespace {

constexpr size_t kBoxText = kRisFrameWidth - 4; // "* " + text + " *"

void appendBoxed(std::string& out, const std::string& text)
{
    // Long messages are wrapped at blanks where possible, else cut hard.
    std::string rest = text;
    do {
        std::string piece;
        if (rest.size() <= kBoxText) {
            piece = rest;
            rest.clear();
        } else {
            size_t cut = rest.rfind(' ', kBoxText);
            if (cut == std::string::npos || cut == 0)
                cut = kBoxText;
            piece = rest.substr(0, cut);
            rest = TrimLeft(rest.substr(cut));
        }
        out += "* " + piece + std::string(kBoxText - piece.size(), ' ') + " *\r\n";
    } while (!rest.empty());
}

} // namespace

void RaiseRisError(const std::string& name, const std::string& message)
{
    throw AppError(kRisErrorNumber, name, message);
}

std::string RisErrorName(const AppError& e)
{
    return e.source().rfind("RIS_E_", 0) == 0 ? e.source() : std::string("RIS_E_INTERNAL_ERROR");
}

std::string FormatRisErrorBlock(const std::string& name, const std::string& message)
{
    const std::string frame(kRisFrameWidth, '*');
    std::string out = frame + "\r\n";
    appendBoxed(out, "RIS Error: " + name);
    std::string flat = ReplaceAll(ReplaceAll(message, "\r", " "), "\n", " ");
    if (!Trim(flat).empty())
        appendBoxed(out, Trim(flat));
    out += frame + "\r\n";
    return out;
}

std::string FormatRisErrorBlock(const AppError& e) { return FormatRisErrorBlock(RisErrorName(e), e.description()); }
