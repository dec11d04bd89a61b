# The environment builder of the tests and the demo.
tarnwick_standin(twenv twenv ${CMAKE_CURRENT_SOURCE_DIR}/twenv/twenv_main.cpp)
target_compile_definitions(twenv PRIVATE TARNWICK_SAMPLE_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data/standins")
# The MicroStation stand-in and its MDL application read_linkage.ma, which the linkage reading
# expects beside the program. The environment builder writes linkage lines into the sample's
# design files, so it reads the same format.
target_sources(tw_dbserver PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/mstn/DesignFileLinkage.cpp)
tarnwick_standin(ustation ustation.exe ${CMAKE_CURRENT_SOURCE_DIR}/mstn/ustation_main.cpp)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/mstn/read_linkage.ma ${CMAKE_BINARY_DIR}/bin/read_linkage.ma COPYONLY)
