# Writes OUTPUT, a header holding the bytes of INPUT as the array NAME, for tests that carry a file with them
# into both builds (the Windows build runs where the source tree is not at hand).
#   cmake -DINPUT=DRIVERS.CAB -DOUTPUT=SampleCabinet.h -DNAME=kSampleCabinet -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(file_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp" "// Generated from ${file_name} by cmake/EmbedFile.cmake.
#pragma once

inline const unsigned char ${NAME}[] = {
    ${bytes}
};
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
