// Tests of the saved .xlsx files: a valid zip with the parts of every sheet, and (when python3
// is there to inflate them) the sheet XML holding names, texts, numbers and formats.
#include "platform/excel/XlsxExport.h"

#include "platform/excel/ExcelApplication.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>

namespace {

using testsupport::ReadHostFile;

uint32_t le(const std::string& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<size_t>(i)));
    return v;
}

// The entries of a zip file by name with their uncompressed sizes, read from its central
// directory; empty when the file is no zip.
std::map<std::string, uint32_t> zipEntries(const std::string& bytes)
{
    std::map<std::string, uint32_t> entries;
    const size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos || end + 22 > bytes.size())
        return entries;
    const uint32_t count = le(bytes, end + 10, 2);
    size_t at = le(bytes, end + 16, 4);
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes.compare(at, 4, std::string("PK\x01\x02", 4)) != 0)
            return {};
        const uint32_t nameLength = le(bytes, at + 28, 2);
        entries[bytes.substr(at + 46, nameLength)] = le(bytes, at + 24, 4);
        at += 46 + nameLength + le(bytes, at + 30, 2) + le(bytes, at + 32, 2);
    }
    return entries;
}

class XlsxExportTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"xlsx"};
    std::string file = dir.host() + "/report.xls";
    std::unique_ptr<ExcelApplication> app = ExcelApplication::Start();
    Workbook& book = app->Workbooks().Add();

    // One part of the saved file, inflated by python3; empty when python3 is missing.
    std::string part(const std::string& name)
    {
        const std::string out = dir.host() + "/part.xml";
        const std::string cmd = "python3 -c \"import sys,zipfile; open(sys.argv[3],'wb').write("
                                "zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))\" '" +
                                file + "' '" + name + "' '" + out + "' 2>/dev/null";
        return std::system(cmd.c_str()) == 0 ? ReadHostFile(out) : std::string();
    }
    bool havePython() { return std::system("python3 -c pass >/dev/null 2>&1") == 0; }
};

TEST_F(XlsxExportTest, EverySheetBecomesAPartOfTheZip)
{
    book.Worksheets(1).Range("A1").SetValue("Missing model files");
    WriteWorkbookXlsx(book, file);
    const auto entries = zipEntries(ReadHostFile(file));
    ASSERT_FALSE(entries.empty());
    for (const char* name : {"[Content_Types].xml", "xl/workbook.xml", "xl/styles.xml", "xl/sharedStrings.xml",
                             "xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml"})
        EXPECT_EQ(entries.count(name), 1u) << name;
    EXPECT_EQ(entries.count("xl/worksheets/sheet4.xml"), 0u);
    // The written sheet is larger than the empty ones.
    EXPECT_GT(entries.at("xl/worksheets/sheet1.xml"), entries.at("xl/worksheets/sheet2.xml"));
}

TEST_F(XlsxExportTest, SheetXmlHoldsTheNamesValuesAndFormats)
{
    if (!havePython())
        GTEST_SKIP() << "python3 is needed to inflate the parts";
    book.Worksheets(3).Delete();
    book.Worksheets(2).Delete();
    Worksheet& sheet = book.Worksheets(1);
    sheet.SetName("p\xFC(DDL<=>DB)");
    sheet.Range("A1:IV65536").SetNumberFormat("@");
    sheet.Range("A1").SetValue("NoTables & <more>");
    sheet.Range("A1").Font().SetBold(true);
    sheet.Range("A1").Font().SetSize(12);
    sheet.Range("B2").SetValue(4711);
    sheet.Range("C3").SetValue("M\xE4rz");
    sheet.Columns().AutoFit();
    WriteWorkbookXlsx(book, file);

    EXPECT_NE(part("xl/workbook.xml").find("name=\"p\xC3\xBC(DDL&lt;=&gt;DB)\""), std::string::npos);
    const std::string strings = part("xl/sharedStrings.xml");
    EXPECT_NE(strings.find("NoTables &amp; &lt;more&gt;"), std::string::npos) << strings;
    EXPECT_NE(strings.find("M\xC3\xA4rz"), std::string::npos) << strings;
    const std::string xml = part("xl/worksheets/sheet1.xml");
    EXPECT_NE(xml.find("<c r=\"B2\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<v>4711</v>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("customWidth=\"1\""), std::string::npos) << xml;
    const std::string styles = part("xl/styles.xml");
    EXPECT_NE(styles.find("<b/>"), std::string::npos) << styles;
    EXPECT_NE(styles.find("<sz val=\"12\"/>"), std::string::npos) << styles;
    EXPECT_NE(styles.find("numFmtId=\"49\""), std::string::npos) << styles;   // "@", text
}

} // namespace
