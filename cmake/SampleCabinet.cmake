# The sample package as one cabinet (MSZIP, made with gcab), as makers ship packages beside Setup.exe, and
# the same bytes as a header for the tests of both builds.
find_program(GCAB gcab REQUIRED)
file(GLOB SAMPLE_PACKAGE_FILES LIST_DIRECTORIES false CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/samples/package/*)
set(SAMPLE_CAB ${CMAKE_BINARY_DIR}/package/DRIVERS.CAB)
set(SAMPLE_CAB_HEADER ${CMAKE_BINARY_DIR}/generated/SampleCabinet.h)
add_custom_command(OUTPUT ${SAMPLE_CAB}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
                   COMMAND ${GCAB} -c -z -n ${SAMPLE_CAB} ${SAMPLE_PACKAGE_FILES}
                   DEPENDS ${SAMPLE_PACKAGE_FILES}
                   COMMENT "Packing the sample package into DRIVERS.CAB")
add_custom_command(OUTPUT ${SAMPLE_CAB_HEADER}
                   COMMAND ${CMAKE_COMMAND} -DINPUT=${SAMPLE_CAB} -DOUTPUT=${SAMPLE_CAB_HEADER} -DNAME=kSampleCabinet
                           -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
                   DEPENDS ${SAMPLE_CAB} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake VERBATIM)
add_custom_target(sample_cab ALL DEPENDS ${SAMPLE_CAB} ${SAMPLE_CAB_HEADER})

# A test program that unpacks the sample cabinet.
function(drvsetup_use_sample_cabinet target)
    add_dependencies(${target} sample_cab)
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
endfunction()
