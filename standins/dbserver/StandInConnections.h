// Puts the stand-in server's Oracle and SQL Server connections in place of the providers the
// data-access components would find installed, so that every Oracle or SQL Server connection
// the program opens reaches the stand-in server of its environment.
#pragma once

class StandInConnections {
public:
    // Registers both providers; called once by the program's start-up and by tests. Calling it
    // again changes nothing.
    static void Register();
};
