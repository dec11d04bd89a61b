// The text-file driver: statements on text tables described by "Schema.ini" sections, run on
// an SQLite database in memory into which each statement's tables are loaded.
#pragma once

#include "platform/ado/ConnectionProvider.h"
#include "platform/ado/JetEngine.h"

#include <string>

class TextDriverConnection : public ConnectionProvider {
public:
    // `folder`: the Windows path of the folder whose files are the tables (the DBQ item).
    explicit TextDriverConnection(std::string folder);

    // A SELECT whose FROM names text files (a full path or a name in the folder, "#" standing
    // for "." as in "t#txt"), each loaded with its "Schema.ini" section; or a SELECT ... INTO /
    // INSERT INTO with an IN '<Access database>' target, which imports the rows there. Any
    // other statement is refused: text tables are read-only.
    Recordset Execute(const std::string& sql) override;

    // Windows path of the file a table name of a statement stands for.
    std::string FileOfTable(const std::string& name) const;

private:
    std::string folder_;
    JetEngine engine_;
};
