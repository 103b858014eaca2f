# Turns a binary resource file into a C++ source that registers it with the
# native platform layer when the module is loaded, as the loader would map it
# from the DLL's resource section on Windows.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DTYPE=<type name> -DID=<number> -DLANGUAGE=<number> -P embed_resource.cmake
foreach(variable INPUT OUTPUT TYPE ID LANGUAGE)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "embed_resource.cmake: ${variable} is not set")
    endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
if(hex_length EQUAL 0)
    message(FATAL_ERROR "embed_resource.cmake: ${INPUT} is empty")
endif()
math(EXPR size "${hex_length} / 2")

# Sixteen bytes a line (CMake's expressions have no {n} repeat).
string(REPEAT "[0-9a-f][0-9a-f]" 16 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "\n([^\n])" "\n    \\1" bytes "${bytes}")

get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${input_name} by embed_resource.cmake; edit the data file instead.
#include <platform_resources.h>

namespace {

const unsigned char ResourceData[${size}] = {
    ${bytes}
};

struct ResourceRegistration {
    ResourceRegistration() { PlatformAddResource(L\"${TYPE}\", ${ID}, ${LANGUAGE}, ResourceData, sizeof ResourceData); }
};

const ResourceRegistration registration;

}  // namespace
")
# Only touch the output when it changed, so an unchanged file rebuilds nothing.
configure_file("${OUTPUT}.tmp" "${OUTPUT}" COPYONLY)
file(REMOVE "${OUTPUT}.tmp")
