// The twelve schema families of a project: check box name and prefix, in processing order.
#pragma once

#include <array>
#include <string_view>

struct SchemaFamily {
    std::string_view boxName; // the main window's check box, captioned with its own name
    std::string_view prefix;  // schema name = prefix + project
};

inline constexpr std::array<SchemaFamily, 12> kSchemaFamilies{{
    {"PD_PROJNAME", "pd_"},
    {"DD_PROJNAME", "dd_"},
    {"RA_PROJNAME", "ra_"},
    {"PID_PROJNAME", "pid_"},
    {"EE_PROJNAME", "ee_"},
    {"RE_PROJNAME", "re_"},
    {"RU_PROJNAME", "ru_"},
    {"PFD_PROJNAME", "pfd_"},
    {"PIDM_PROJNAME", "pipm_"}, // the box says PIDM, the prefix is pipm_
    {"MTO_PROJNAME", "mto_"},
    {"M_PROJNAME", "m_"},
    {"TDT_PROJNAME", "tdt_"},
}};
