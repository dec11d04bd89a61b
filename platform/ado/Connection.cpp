// Connection strings and the choice of provider.
#include "platform/ado/Connection.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AccessConnection.h"
#include "platform/ado/TextDriverConnection.h"

#include <map>

namespace {

std::map<ProviderKind, Connection::ProviderFactory>& Factories()
{
    static std::map<ProviderKind, Connection::ProviderFactory> factories;
    return factories;
}

[[noreturn]] void ProviderNotFound()
{
    throw AppError(adoerr::kProviderNotFound, "ADODB.Connection",
                   "Provider cannot be found. It may not be properly installed.");
}

// The items of a connection string; a value in braces may hold ";".
std::vector<std::pair<std::string, std::string>> Items(const std::string& cs)
{
    std::vector<std::pair<std::string, std::string>> items;
    size_t i = 0;
    while (i < cs.size()) {
        const size_t eq = cs.find('=', i);
        const size_t semi = cs.find(';', i);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
            if (semi == std::string::npos)
                break;
            i = semi + 1;
            continue;
        }
        std::string key = Trim(cs.substr(i, eq - i));
        size_t v = eq + 1;
        std::string value;
        if (v < cs.size() && cs[v] == '{') {
            const size_t close = cs.find('}', v);
            value = cs.substr(v + 1, (close == std::string::npos ? cs.size() : close) - v - 1);
            v = close == std::string::npos ? cs.size() : close + 1;
            const size_t next = cs.find(';', v);
            i = next == std::string::npos ? cs.size() : next + 1;
        } else {
            const size_t next = cs.find(';', v);
            value = cs.substr(v, (next == std::string::npos ? cs.size() : next) - v);
            i = next == std::string::npos ? cs.size() : next + 1;
        }
        items.emplace_back(std::move(key), std::move(value));
    }
    return items;
}

} // namespace

Connection::Connection() = default;
Connection::~Connection() = default;
Connection::Connection(Connection&&) noexcept = default;
Connection& Connection::operator=(Connection&&) noexcept = default;

std::string Connection::Item(const std::string& connectionString, const std::string& key)
{
    for (const auto& [k, v] : Items(connectionString))
        if (EqualsNoCase(k, key))
            return v;
    return {};
}

ProviderKind Connection::KindOf(const std::string& cs)
{
    const std::string driver = Item(cs, "Driver");
    const std::string provider = Item(cs, "Provider");
    if (FindNoCase(driver, "Text Driver") != std::string::npos)
        return ProviderKind::TextDriver;
    if (FindNoCase(driver, "Access Driver") != std::string::npos || StartsWithNoCase(provider, "Microsoft.Jet.OLEDB")
        || StartsWithNoCase(provider, "Microsoft.ACE.OLEDB"))
        return ProviderKind::Access;
    if (StartsWithNoCase(provider, "MSDAORA") || StartsWithNoCase(provider, "OraOLEDB"))
        return ProviderKind::Oracle;
    if (EqualsNoCase(driver, "SQL Server") || StartsWithNoCase(provider, "SQLOLEDB"))
        return ProviderKind::SqlServer;
    ProviderNotFound();
}

void Connection::RegisterProvider(ProviderKind kind, ProviderFactory factory)
{
    if (factory)
        Factories()[kind] = std::move(factory);
    else
        Factories().erase(kind);
}

void Connection::Open(const std::string& connectionString, const std::string&, const std::string&, int)
{
    if (provider_)
        throw AppError(adoerr::kObjectOpen, "ADODB.Connection", "Operation is not allowed when the object is open.");
    const ProviderKind kind = KindOf(connectionString);
    std::unique_ptr<ConnectionProvider> provider;
    const auto it = Factories().find(kind);
    if (it != Factories().end()) {
        provider = it->second(connectionString);
    } else if (kind == ProviderKind::TextDriver) {
        std::string folder = Item(connectionString, "DBQ");
        if (folder.empty())
            folder = Item(connectionString, "DefaultDir");
        provider = std::make_unique<TextDriverConnection>(folder);
    } else if (kind == ProviderKind::Access) {
        std::string file = Item(connectionString, "Data Source");
        if (file.empty())
            file = Item(connectionString, "DBQ");
        provider = std::make_unique<AccessConnection>(file);
    } else {
        ProviderNotFound();
    }
    connectionString_ = connectionString;
    kind_ = kind;
    provider_ = std::move(provider);
}

Recordset Connection::Execute(const std::string& sql, int)
{
    if (!provider_)
        throw AppError(adoerr::kObjectClosed, "ADODB.Connection", "Operation is not allowed when the object is closed.");
    return provider_->Execute(sql);
}

Recordset Connection::Execute(const std::string& sql, long& recordsAffected, int)
{
    recordsAffected = 0;
    if (!provider_)
        throw AppError(adoerr::kObjectClosed, "ADODB.Connection", "Operation is not allowed when the object is closed.");
    return provider_->ExecuteCounted(sql, recordsAffected);
}

Recordset Connection::OpenSchema(int schema, const std::vector<Variant>& restrictions)
{
    if (!provider_)
        throw AppError(adoerr::kObjectClosed, "ADODB.Connection", "Operation is not allowed when the object is closed.");
    return provider_->OpenSchema(schema, restrictions);
}

Recordset ConnectionProvider::OpenSchema(int, const std::vector<Variant>&)
{
    throw AppError(adoerr::kNotCapable, "ADODB.Connection",
                   "Object or provider is not capable of performing requested operation.");
}

void Connection::Close()
{
    if (!provider_)
        throw AppError(adoerr::kObjectClosed, "ADODB.Connection", "Operation is not allowed when the object is closed.");
    provider_.reset();
}
