// The "Schema.ini" section that describes one text table: its format and its columns with
// their types and widths, as the text-file driver reads it.
#pragma once

#include <string>
#include <vector>

struct TextColumn {
    // How the column compares its values: as the driver reads a text file of its own (None), or,
    // where its "Col" line says "server" and the kind after its type and width, as the stand-in
    // server compares the values it holds: char text blank-padded (Char), a moment the date alone
    // writes as that day's first one (Moment), a number as the double nearest to it (Double), a
    // number with every digit (Number).
    enum class Server { None, Char, Moment, Double, Number };

    std::string name;
    int adoType = 0;        // the field type the driver gives the column
    long definedSize = 0;   // char: the width; others: the type's byte size
    long width = 0;         // fixed layout: characters the column takes in a line; 0 when not given
    std::string sqlType;    // declared type of the column in the driver's in-memory table
    Server server = Server::None;
};

class TextTableSchema {
public:
    enum class Format { CsvDelimited, TabDelimited, Delimited, FixedLength };

    // Reads the section named like the text file (without regard to case) from "Schema.ini" in
    // the text file's folder. Without such a file or section the driver's defaults hold:
    // comma-separated, a header line naming the columns, all columns text of 255.
    static TextTableSchema ForFile(const std::string& textFileWinPath);
    // The same from the text of a "Schema.ini" file.
    static TextTableSchema FromIni(const std::string& iniText, const std::string& textFileName);

    Format format = Format::CsvDelimited;
    char delimiter = ',';
    bool colNameHeader = true;
    std::vector<TextColumn> columns;

    // The column description a type text of a "Col" line stands for ("short", "long",
    // "double", "char", "date", ...), with the width when the line gives one.
    static TextColumn DescribeColumn(const std::string& name, const std::string& typeText, long width);
};
