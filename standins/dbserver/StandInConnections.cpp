// Registration of the stand-in server's connections.
#include "standins/dbserver/StandInConnections.h"

#include "platform/ado/Connection.h"
#include "standins/dbserver/StandInOracleConnection.h"
#include "standins/dbserver/StandInSqlServerConnection.h"

void StandInConnections::Register()
{
    Connection::RegisterProvider(ProviderKind::Oracle, [](const std::string& cs) {
        return std::make_unique<StandInOracleConnection>(cs);
    });
    Connection::RegisterProvider(ProviderKind::SqlServer, [](const std::string& cs) {
        return std::make_unique<StandInSqlServerConnection>(cs);
    });
}
