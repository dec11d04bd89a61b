// Navigation, filter, sort, find and changes of the in-memory recordset.
#include "platform/ado/Recordset.h"

#include "platform/AppError.h"
#include "platform/DecimalNumber.h"
#include "platform/TextUtil.h"
#include "platform/ado/Connection.h"

#include <algorithm>
#include <cctype>

namespace {

const char* const kSource = "ADODB.Recordset";

[[noreturn]] void NoCurrentRecord()
{
    throw AppError(adoerr::kNoCurrentRecord, kSource,
                   "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.");
}

[[noreturn]] void NotInCollection()
{
    throw AppError(adoerr::kNotInCollection, kSource,
                   "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

[[noreturn]] void WrongArguments()
{
    throw AppError(adoerr::kWrongArguments, kSource,
                   "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.");
}

int FieldIndexOf(const std::vector<FieldInfo>& fields, const std::string& name)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (EqualsNoCase(fields[i].name, name))
            return static_cast<int>(i);
    return -1;
}

// Order of two values of one field: Null first, numbers and dates by value, texts without
// regard to case.
int CompareValues(const Variant& a, const Variant& b)
{
    const bool an = a.IsNull() || a.IsEmpty();
    const bool bn = b.IsNull() || b.IsEmpty();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (a.CurrencyAmount() && b.CurrencyAmount())
        return *a.CurrencyAmount() < *b.CurrencyAmount() ? -1 : (*a.CurrencyAmount() > *b.CurrencyAmount() ? 1 : 0);
    if (a.kind() != Variant::Kind::Text && b.kind() != Variant::Kind::Text) {
        // A decimal of more digits than a double holds compares with every digit.
        if (a.kind() == Variant::Kind::Decimal || b.kind() == Variant::Kind::Decimal) {
            const std::optional<DecimalNumber> x = a.ExactNumber(), y = b.ExactNumber();
            if (x && y)
                return x->Compare(*y);
        }
        const double x = a.ToDouble(), y = b.ToDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const std::string x = ToLower(a.ToText()), y = ToLower(b.ToText());
    return x.compare(y) < 0 ? -1 : (x == y ? 0 : 1);
}

// "[a] Asc, b DESC" into (field index, descending) pairs.
std::vector<std::pair<int, bool>> ParseSort(const std::string& sort, const std::vector<FieldInfo>& fields)
{
    std::vector<std::pair<int, bool>> keys;
    for (const std::string& rawPart : Split(sort, ",")) {
        std::string part = TrimWhite(rawPart);
        if (part.empty())
            WrongArguments();
        bool descending = false;
        if (EndsWithNoCase(part, " DESC")) {
            descending = true;
            part = TrimWhite(part.substr(0, part.size() - 5));
        } else if (EndsWithNoCase(part, " ASC")) {
            part = TrimWhite(part.substr(0, part.size() - 4));
        }
        if (part.size() >= 2 && part.front() == '[' && part.back() == ']')
            part = ReplaceAll(part.substr(1, part.size() - 2), "]]", "]");
        const int index = FieldIndexOf(fields, part);
        if (index < 0)
            NotInCollection();
        keys.emplace_back(index, descending);
    }
    return keys;
}

} // namespace

// ---------------------------------------------------------------- Field, Fields

const std::string& Field::Name() const { return rs_->fields_[index_].name; }
int Field::Type() const { return rs_->fields_[index_].type; }
long Field::DefinedSize() const { return rs_->fields_[index_].definedSize; }
long Field::Attributes() const { return rs_->fields_[index_].attributes; }

Variant Field::Value() const
{
    rs_->RequireCurrent();
    return rs_->rows_[rs_->CurrentRow()].values[index_];
}

void Field::SetValue(const Variant& value)
{
    rs_->RequireCurrent();
    rs_->rows_[rs_->CurrentRow()].values[index_] = ConvertToAdoType(value, Type());
}

int Fields::Count() const { return static_cast<int>(rs_->fields_.size()); }

Field Fields::Item(int index) const
{
    if (index < 0 || index >= Count())
        NotInCollection();
    return Field(rs_, index);
}

Field Fields::Item(const std::string& name) const
{
    const int index = IndexOf(name);
    if (index < 0)
        NotInCollection();
    return Field(rs_, index);
}

int Fields::IndexOf(const std::string& name) const { return FieldIndexOf(rs_->fields_, name); }

void Fields::Append(const std::string& name, int type, long definedSize, long attributes)
{
    if (rs_->open_)
        throw AppError(adoerr::kObjectOpen, kSource, "Operation is not allowed when the object is open.");
    if (IndexOf(name) >= 0)
        WrongArguments();
    rs_->fields_.push_back({name, type, definedSize, attributes});
}

// ---------------------------------------------------------------- Recordset

void Recordset::Open()
{
    if (open_)
        throw AppError(adoerr::kObjectOpen, kSource, "Operation is not allowed when the object is open.");
    rows_.clear();
    view_.clear();
    pos_ = 0;
    currentDeleted_ = false;
    open_ = true;
}

void Recordset::Open(const std::string& source, Connection& connection, int cursorType, int lockType, int options)
{
    if (open_)
        throw AppError(adoerr::kObjectOpen, kSource, "Operation is not allowed when the object is open.");
    Recordset result = connection.Execute(source);
    const int location = cursorLocation_;
    *this = std::move(result);
    cursorLocation_ = location;
    lockType_ = lockType;
}

void Recordset::Close()
{
    RequireOpen();
    open_ = false;
    rows_.clear();
    view_.clear();
    pos_ = 0;
    currentDeleted_ = false;
    filter_.clear();
    criteria_.reset();
    sort_.clear();
    sortKeys_.clear();
}

void Recordset::RequireOpen() const
{
    if (!open_)
        throw AppError(adoerr::kObjectClosed, kSource, "Operation is not allowed when the object is closed.");
}

void Recordset::RequireCurrent() const
{
    RequireOpen();
    if (currentDeleted_ || pos_ < 0 || pos_ >= static_cast<long>(view_.size()))
        NoCurrentRecord();
}

size_t Recordset::CurrentRow() const { return view_[pos_]; }

bool Recordset::BOF() const
{
    RequireOpen();
    return view_.empty() || pos_ < 0;
}

bool Recordset::Eof() const
{
    RequireOpen();
    return view_.empty() || pos_ >= static_cast<long>(view_.size());
}

void Recordset::MoveFirst()
{
    RequireOpen();
    pos_ = 0;
    currentDeleted_ = false;
}

void Recordset::MoveLast()
{
    RequireOpen();
    pos_ = view_.empty() ? 0 : static_cast<long>(view_.size()) - 1;
    currentDeleted_ = false;
}

void Recordset::MoveNext()
{
    RequireOpen();
    if (currentDeleted_) {
        // The deleted record left the view, so the next one already stands at the position.
        currentDeleted_ = false;
        return;
    }
    if (Eof())
        NoCurrentRecord();
    ++pos_;
}

void Recordset::MovePrevious()
{
    RequireOpen();
    currentDeleted_ = false;
    if (BOF())
        NoCurrentRecord();
    --pos_;
}

long Recordset::RecordCount() const
{
    RequireOpen();
    return static_cast<long>(view_.size());
}

long Recordset::AbsolutePosition() const
{
    RequireOpen();
    if (BOF())
        return adPosBOF;
    if (Eof())
        return adPosEOF;
    return pos_ + 1;
}

void Recordset::SetAbsolutePosition(long position)
{
    RequireOpen();
    if (position < 1 || position > static_cast<long>(view_.size()))
        WrongArguments();
    pos_ = position - 1;
    currentDeleted_ = false;
}

long Recordset::Bookmark() const
{
    RequireCurrent();
    return static_cast<long>(CurrentRow()) + 1;
}

void Recordset::SetBookmark(long bookmark)
{
    RequireOpen();
    const auto it = std::find(view_.begin(), view_.end(), static_cast<size_t>(bookmark - 1));
    if (bookmark < 1 || it == view_.end())
        WrongArguments();
    pos_ = static_cast<long>(it - view_.begin());
    currentDeleted_ = false;
}

void Recordset::SetFilter(const std::string& criteria)
{
    RequireOpen();
    if (IsBlank(TrimWhite(criteria))) {
        criteria_.reset();
        filter_.clear();
    } else {
        Criteria compiled(criteria, fields_);   // raises before anything changes
        criteria_ = std::move(compiled);
        filter_ = criteria;
    }
    Rebuild();
}

void Recordset::SetSort(const std::string& sort)
{
    RequireOpen();
    auto keys = IsBlank(TrimWhite(sort)) ? std::vector<std::pair<int, bool>>() : ParseSort(sort, fields_);
    sortKeys_ = std::move(keys);
    sort_ = sortKeys_.empty() ? std::string() : sort;
    Rebuild();
}

void Recordset::Rebuild()
{
    view_.clear();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (!rows_[i].deleted && (!criteria_ || criteria_->Matches(rows_[i].values)))
            view_.push_back(i);
    if (!sortKeys_.empty()) {
        std::stable_sort(view_.begin(), view_.end(), [this](size_t a, size_t b) {
            for (const auto& [field, descending] : sortKeys_) {
                const int c = CompareValues(rows_[a].values[field], rows_[b].values[field]);
                if (c != 0)
                    return descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    pos_ = 0;
    currentDeleted_ = false;
}

bool Recordset::Find(const std::string& criteria, long skipRecords, int direction, std::optional<long> start)
{
    RequireOpen();
    const Criteria compiled(criteria, fields_);
    long from = pos_;
    if (start) {
        SetBookmark(*start);
        from = pos_;
    } else if (currentDeleted_ && direction == adSearchBackward) {
        from = pos_ - 1;
    }
    currentDeleted_ = false;
    const long step = direction == adSearchBackward ? -1 : 1;
    const long count = static_cast<long>(view_.size());
    for (long i = from + step * skipRecords; i >= 0 && i < count; i += step) {
        if (compiled.Matches(rows_[view_[i]].values)) {
            pos_ = i;
            return true;
        }
    }
    pos_ = step > 0 ? count : -1;
    return false;
}

void Recordset::AddNew()
{
    RequireOpen();
    rows_.push_back({std::vector<Variant>(fields_.size(), Variant::Null()), false});
    view_.push_back(rows_.size() - 1);
    pos_ = static_cast<long>(view_.size()) - 1;
    currentDeleted_ = false;
}

void Recordset::AddNew(const std::vector<std::string>& names, const std::vector<Variant>& values)
{
    RequireOpen();
    if (names.size() != values.size())
        WrongArguments();
    std::vector<int> indexes;
    for (const std::string& name : names) {
        indexes.push_back(FieldIndexOf(fields_, name));
        if (indexes.back() < 0)
            NotInCollection();
    }
    std::vector<Variant> row(fields_.size(), Variant::Null());
    for (size_t i = 0; i < names.size(); ++i)
        row[indexes[i]] = ConvertToAdoType(values[i], fields_[indexes[i]].type);
    AddNew();
    rows_.back().values = std::move(row);
}

void Recordset::AddNew(const std::string& name, const Variant& value)
{
    AddNew(std::vector<std::string>{name}, std::vector<Variant>{value});
}

void Recordset::Delete()
{
    RequireCurrent();
    rows_[CurrentRow()].deleted = true;
    view_.erase(view_.begin() + pos_);
    currentDeleted_ = true;
}

void Recordset::AppendRowValues(std::vector<Variant> values)
{
    RequireOpen();
    values.resize(fields_.size(), Variant::Null());
    rows_.push_back({std::move(values), false});
    view_.push_back(rows_.size() - 1);
}

std::string Recordset::GetString(int format, long numRows, const std::string& columnDelimiter,
                                 const std::string& rowDelimiter, const std::string& nullExpr)
{
    RequireCurrent();
    if (format != adClipString)
        WrongArguments();
    std::string out;
    const long count = static_cast<long>(view_.size());
    const long end = numRows < 0 ? count : std::min(count, pos_ + numRows);
    for (; pos_ < end; ++pos_) {
        const Row& row = rows_[view_[pos_]];
        for (size_t f = 0; f < row.values.size(); ++f) {
            if (f > 0)
                out += columnDelimiter;
            const Variant& v = row.values[f];
            out += v.IsNull() ? nullExpr : v.ToText();
        }
        out += rowDelimiter;
    }
    return out;
}
