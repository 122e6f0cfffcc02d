# The Windows builds: Setup.exe (x86) or its 64-bit twin SETUP64.EXE (x64), and the conformance test runner
# that runs under Wine. The runtime is linked statically so that nothing but system DLLs is needed.
enable_language(RC)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(drvsetup_core STATIC ${PRODUCT_SOURCES})
target_include_directories(drvsetup_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(drvsetup_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
# Linked directly: the rest of the platform is bound by name at run time.
target_link_libraries(drvsetup_core PUBLIC version comctl32)
drvsetup_warnings(drvsetup_core)

# The package ships the 64-bit twin as SETUP64.EXE beside Setup.exe.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(SETUP_NAME SETUP64)
    set(SETUP_SUFFIX ".EXE")
else()
    set(SETUP_NAME Setup)
    set(SETUP_SUFFIX ".exe")
endif()

add_executable(setup_exe WIN32 ${CMAKE_SOURCE_DIR}/src/app/WinMain.cpp ${CMAKE_SOURCE_DIR}/src/resources/drvsetup.rc)
set_target_properties(setup_exe PROPERTIES OUTPUT_NAME ${SETUP_NAME} SUFFIX ${SETUP_SUFFIX})
target_link_options(setup_exe PRIVATE -s)
target_link_libraries(setup_exe PRIVATE drvsetup_core)
drvsetup_warnings(setup_exe)

# infdump, for package authors: a console program beside Setup.exe.
add_executable(infdump ${CMAKE_SOURCE_DIR}/tools/infdump/InfDumpMain.cpp)
target_link_options(infdump PRIVATE -s -mconsole)
target_link_libraries(infdump PRIVATE drvsetup_core)
drvsetup_warnings(infdump)

# GoogleTest from the machine's sources, cross-compiled like the product.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB CONFORMANCE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/conformance/*.cpp)
add_executable(conformance_tests ${CONFORMANCE_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/TestMachineWindows.cpp)
target_include_directories(conformance_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
target_link_libraries(conformance_tests PRIVATE drvsetup_core gtest gtest_main)
include(cmake/SampleCabinet.cmake)
drvsetup_use_sample_cabinet(conformance_tests)
drvsetup_warnings(conformance_tests)

# The conformance tests read the program's own string tables: they carry the same resources as Setup.exe.
# windres reports no dependencies, so the included string tables are named here.
target_sources(conformance_tests PRIVATE ${CMAKE_SOURCE_DIR}/src/resources/drvsetup.rc)
file(GLOB_RECURSE PROGRAM_RC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/strings/*.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/resources/drvsetup.rc PROPERTIES OBJECT_DEPENDS
                                                                                   "${PROGRAM_RC_FILES}")

# The sample hardware-detection library beside Setup.exe (DVXDLL.DLL, or DVXDLL64.DLL for the 64-bit twin),
# from the same source as its winsim plugin. Exports keep their plain names (no stdcall decoration).
add_library(dvxdll SHARED ${CMAKE_SOURCE_DIR}/samples/plugins/dvxdll/DvxDll.cpp)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set_target_properties(dvxdll PROPERTIES OUTPUT_NAME DVXDLL64 PREFIX "" SUFFIX ".DLL")
else()
    set_target_properties(dvxdll PROPERTIES OUTPUT_NAME DVXDLL PREFIX "" SUFFIX ".DLL")
endif()
target_compile_definitions(dvxdll PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
target_link_options(dvxdll PRIVATE -s -Wl,--kill-at)
target_link_libraries(dvxdll PRIVATE setupapi)
drvsetup_warnings(dvxdll)
