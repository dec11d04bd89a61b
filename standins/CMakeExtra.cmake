# The environment builder of the tests and the demo.
tarnwick_standin(twenv twenv ${CMAKE_CURRENT_SOURCE_DIR}/twenv/twenv_main.cpp)
target_compile_definitions(twenv PRIVATE TARNWICK_SAMPLE_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data/standins")
