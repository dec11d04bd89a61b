// The disconnected, in-memory recordset that every query returns and every list window
// filters and sorts: typed fields, Null values, Filter, Sort, Find, Bookmark.
#pragma once

#include "platform/ado/AdoTypes.h"
#include "platform/ado/Criteria.h"
#include "platform/ado/FieldInfo.h"
#include "platform/ado/Variant.h"

#include <optional>
#include <string>
#include <vector>

class Connection;
class Recordset;

// One field of a recordset, seen at the recordset's current record. A handle: valid as long
// as the recordset is not moved or destroyed.
class Field {
public:
    Field(Recordset* rs, int index) : rs_(rs), index_(index) {}
    const std::string& Name() const;
    int Type() const;
    long DefinedSize() const;
    long Attributes() const;
    // The current record's value (Null for an empty column). Raises kNoCurrentRecord at BOF
    // or EOF or on a deleted record.
    Variant Value() const;
    // Stores the value converted to the field's type (ConvertToAdoType).
    void SetValue(const Variant& value);

private:
    Recordset* rs_;
    int index_;
};

// The field collection of a recordset (a handle, like Field).
class Fields {
public:
    explicit Fields(Recordset* rs) : rs_(rs) {}
    int Count() const;
    // Raises kNotInCollection for an index out of range or an unknown name (no regard to case).
    Field Item(int index) const;
    Field Item(const std::string& name) const;
    Field operator[](int index) const { return Item(index); }
    Field operator[](const std::string& name) const { return Item(name); }
    // Index of the named field, or -1.
    int IndexOf(const std::string& name) const;
    // Adds a field to a closed recordset (raises kObjectOpen on an open one).
    void Append(const std::string& name, int type, long definedSize = 0, long attributes = adFldUnspecified);

private:
    Recordset* rs_;
};

class Recordset {
public:
    Recordset() = default;
    Recordset(Recordset&&) noexcept = default;
    Recordset& operator=(Recordset&&) noexcept = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // --- lifecycle ---
    // Opens the recordset in memory with the appended fields and no rows.
    void Open();
    // Runs the source on the connection and takes over its rows and fields; the recordset
    // stays independent of the connection afterwards.
    void Open(const std::string& source, Connection& connection, int cursorType = adOpenStatic,
              int lockType = adLockOptimistic, int options = adCmdText);
    // Drops the rows, filter and sort; the fields stay described.
    void Close();
    int State() const { return open_ ? adStateOpen : adStateClosed; }
    void SetCursorLocation(int location) { cursorLocation_ = location; }
    int CursorLocation() const { return cursorLocation_; }
    int LockType() const { return lockType_; }

    ::Fields Fields() { return ::Fields(this); }
    const std::vector<FieldInfo>& FieldInfos() const { return fields_; }

    // --- position (all raise kObjectClosed on a closed recordset) ---
    bool BOF() const;
    // End-of-file mark ("EOF" itself is a macro of the C library).
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();       // raises kNoCurrentRecord when already at EOF
    void MovePrevious();   // raises kNoCurrentRecord when already at BOF
    // Rows that the filter leaves.
    long RecordCount() const;
    // 1-based position among the rows that the filter leaves; adPosBOF or adPosEOF at the marks.
    long AbsolutePosition() const;
    void SetAbsolutePosition(long position);
    // A value that identifies the current record whatever the filter and sort.
    long Bookmark() const;
    // Makes the bookmarked record current; raises kWrongArguments when it is not among the
    // rows the filter leaves (or was deleted).
    void SetBookmark(long bookmark);

    // --- filter, sort, find ---
    // Criteria text (see Criteria); an empty text removes the filter. The first row that the
    // filter leaves becomes current. A text that is refused leaves the filter as it was.
    void SetFilter(const std::string& criteria);
    void SetFilter(FilterGroupEnum none) { ClearFilter(); }   // adFilterNone: the no-filter state
    void SetFilter(int) = delete;   // a bare 0 would otherwise become a null text
    void ClearFilter() { SetFilter(std::string()); }
    // The filter in force, empty for none (the no-filter state).
    const std::string& Filter() const { return filter_; }
    // "[a] Asc, b Desc": field names, bare or bracketed, each optionally followed by ASC or
    // DESC; empty restores the order of arrival. Nulls sort first, texts without regard to
    // case; equal keys keep their order. The first row becomes current.
    void SetSort(const std::string& sort);
    const std::string& Sort() const { return sort_; }
    // Searches the rows the filter leaves from the current row (or from the bookmarked one),
    // skipping `skipRecords` first, forward or backward. Found: that row becomes current and
    // true is returned; not found: the position goes to EOF (forward) or BOF (backward).
    bool Find(const std::string& criteria, long skipRecords = 0, int direction = adSearchForward,
              std::optional<long> start = std::nullopt);

    // --- changes ---
    // Adds an empty record (all Null) at the end, which becomes current.
    void AddNew();
    // Adds a record with the named fields set, in one call.
    void AddNew(const std::vector<std::string>& names, const std::vector<Variant>& values);
    void AddNew(const std::string& name, const Variant& value);
    void Update() {}
    // Removes the current record; the position moves on to the next record with MoveNext.
    void Delete();
    // Appends a record whose values already have the fields' types (for drivers filling a
    // recordset in bulk); does not move the position.
    void AppendRowValues(std::vector<Variant> values);

    // --- reading ---
    // The rows from the current one on, at most numRows (all when negative), as text: values
    // joined by columnDelimiter, each row followed by rowDelimiter, Null as nullExpr. The
    // position moves past the rows read. Raises kNoCurrentRecord at BOF or EOF.
    std::string GetString(int format = adClipString, long numRows = -1, const std::string& columnDelimiter = "\t",
                          const std::string& rowDelimiter = "\r", const std::string& nullExpr = "");

private:
    friend class Field;
    friend class ::Fields;

    void RequireOpen() const;
    void RequireCurrent() const;
    size_t CurrentRow() const;
    void Rebuild();   // view from filter and sort; position to the first row

    struct Row {
        std::vector<Variant> values;
        bool deleted = false;
    };

    std::vector<FieldInfo> fields_;
    std::vector<Row> rows_;
    std::vector<size_t> view_;   // indices into rows_, in the order the sort gives
    long pos_ = 0;               // index into view_; -1 is BOF, view_.size() EOF
    bool currentDeleted_ = false;
    bool open_ = false;
    std::string filter_;
    std::optional<Criteria> criteria_;
    std::string sort_;
    std::vector<std::pair<int, bool>> sortKeys_;   // field index, descending
    int cursorLocation_ = adUseServer;
    int lockType_ = adLockUnspecified;
};
