# Writes OUTPUT, a C++ source holding the bytes of INPUT (a compiled .res file) that registers them with
# winsim as the program's resources before main runs.
#   cmake -DINPUT=drvsetup.res -DOUTPUT=ProgramResources.cpp -P EmbedResources.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp" "// Generated from ${name} by cmake/EmbedResources.cmake: the program's compiled resources.
#include \"winsim/winsim.h\"

namespace
{

alignas(4) const unsigned char kResources[] = {
    ${bytes}
};

[[maybe_unused]] const bool kRegistered = winsim::RegisterProgramResources(kResources, sizeof(kResources));

} // namespace
")
# Only a changed array makes the programs relink.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
