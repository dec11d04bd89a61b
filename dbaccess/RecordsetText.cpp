// Text tables from recordsets: chunked row writing and the format section.
#include "dbaccess/RecordsetText.h"

#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"

namespace {

// Every field of the chunk that is exactly `value` becomes `replacement`; fields are separated
// by TAB and rows end with CR LF, so a longer number or a text holding the digits stays, and so
// does a text holding a CR that ends no row ("x<CR>-32768").
std::string ReplaceWholeFields(const std::string& chunk, const std::string& value, const std::string& replacement)
{
    std::string out;
    out.reserve(chunk.size());
    size_t start = 0;
    while (start <= chunk.size()) {
        size_t end = chunk.find('\t', start);
        const size_t rowEnd = chunk.find("\r\n", start);
        if (rowEnd < end)
            end = rowEnd;
        if (end == std::string::npos)
            end = chunk.size();
        if (chunk.compare(start, end - start, value) == 0)
            out += replacement;
        else
            out.append(chunk, start, end - start);
        if (end == chunk.size())
            break;
        const size_t sepLength = chunk[end] == '\r' ? 2 : 1;
        out.append(chunk, end, sepLength);
        start = end + sepLength;
    }
    return out;
}

} // namespace

std::string SchemaIniTypeText(int adoType, long definedSize)
{
    switch (adoType) {
    case adSmallInt:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
        return "short";
    case adInteger:
    case adUnsignedInt:
    case adBigInt:
    case adUnsignedBigInt:
    case adNumeric:
        return "long";
    case adSingle:
    case adDouble:
    case adDecimal:
    case adVarNumeric:
        return "double";
    case adGUID:
        return "char width 38";
    default:
        return "char width " + std::to_string(definedSize >= 255 ? 240 : definedSize);
    }
}

std::string SchemaIniSection(const std::string& textFileName, const std::vector<FieldInfo>& fields)
{
    std::string s = "[" + textFileName + "]\r\nColNameHeader=False\r\nFormat=TabDelimited\r\nCharacterSet=ANSI\r\n";
    for (size_t i = 0; i < fields.size(); ++i)
        s += "Col" + std::to_string(i + 1) + "=" + ToLower(fields[i].name) + " "
             + SchemaIniTypeText(fields[i].type, fields[i].definedSize) + "\r\n";
    return s;
}

long WriteRecordsetText(Recordset& rs, BinaryFile& out, bool replaceMinInt, long chunkRows)
{
    if (rs.RecordCount() == 0)
        return 0;
    rs.MoveFirst();
    while (!rs.Eof()) {
        std::string chunk = rs.GetString(adClipString, chunkRows, "\t", "\r\n", "");
        if (replaceMinInt)
            chunk = ReplaceWholeFields(chunk, "-32768", "0");
        out.Write(ReplaceAll(std::move(chunk), "\"", "\"\""));
        DoEvents();
    }
    return rs.RecordCount();
}
