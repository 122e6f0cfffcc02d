# The Linux build: the product linked against winsim, the winsim command, and the test suites.
find_package(SQLite3 REQUIRED)
find_package(Threads REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
enable_testing()

if(DRVSETUP_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address)
endif()

if(DRVSETUP_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(DRVSETUP_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

file(GLOB_RECURSE WINSIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/winsim/src/*.cpp)
list(FILTER WINSIM_SOURCES EXCLUDE REGEX ".*/winsim/src/entry/.*")
add_library(winsim STATIC ${WINSIM_SOURCES})
target_include_directories(winsim PUBLIC ${CMAKE_SOURCE_DIR}/winsim/include PRIVATE ${CMAKE_SOURCE_DIR}/winsim/src)
find_package(PNG REQUIRED)
target_link_libraries(winsim PUBLIC SQLite::SQLite3 Threads::Threads mspack PNG::PNG)
drvsetup_warnings(winsim)

# The entry point a program built on winsim gets: attach to the machine `winsim run` names, then WinMain.
add_library(winsim_entry STATIC ${CMAKE_SOURCE_DIR}/winsim/src/entry/HostMain.cpp)
target_link_libraries(winsim_entry PUBLIC winsim)
drvsetup_warnings(winsim_entry)

add_library(drvsetup_core STATIC ${PRODUCT_SOURCES})
target_include_directories(drvsetup_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(drvsetup_core PUBLIC winsim)
drvsetup_warnings(drvsetup_core)

add_executable(setup ${CMAKE_SOURCE_DIR}/src/app/WinMain.cpp)
target_link_libraries(setup PRIVATE drvsetup_core winsim_entry)
drvsetup_warnings(setup)

# infdump, for package authors: what setup makes of an INF. It runs inside a machine, like setup.
add_executable(infdump ${CMAKE_SOURCE_DIR}/tools/infdump/InfDumpMain.cpp)
target_link_libraries(infdump PRIVATE drvsetup_core winsim_entry)
drvsetup_warnings(infdump)

file(GLOB WINSIM_CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/winsim/cli/*.cpp)
add_executable(winsim_cli ${WINSIM_CLI_SOURCES})
set_target_properties(winsim_cli PROPERTIES OUTPUT_NAME winsim)
target_include_directories(winsim_cli PRIVATE ${CMAKE_SOURCE_DIR}/winsim/src)
target_link_libraries(winsim_cli PRIVATE winsim)
drvsetup_warnings(winsim_cli)

# Tests. winsim's own tests, the product's unit tests, and the conformance tests that the Windows build
# also runs under Wine; all on fresh in-process machines.
file(GLOB WINSIM_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/winsim/tests/*.cpp)
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
file(GLOB CONFORMANCE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/conformance/*.cpp)
file(GLOB SCENARIO_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenario/*.cpp)

add_library(test_support STATIC ${CMAKE_SOURCE_DIR}/tests/support/TestMachine.cpp)
target_include_directories(test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests/support)
target_compile_definitions(test_support PUBLIC DRVSETUP_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                                               DRVSETUP_BINARY_DIR="${CMAKE_BINARY_DIR}")
target_link_libraries(test_support PUBLIC winsim GTest::gtest)
drvsetup_warnings(test_support)

add_executable(winsim_tests ${WINSIM_TEST_SOURCES})
target_include_directories(winsim_tests PRIVATE ${CMAKE_SOURCE_DIR}/winsim/src)
target_link_libraries(winsim_tests PRIVATE test_support GTest::gtest_main)
drvsetup_warnings(winsim_tests)

include(cmake/SampleCabinet.cmake)

add_executable(drvsetup_tests ${UNIT_TEST_SOURCES} ${CONFORMANCE_TEST_SOURCES} ${SCENARIO_TEST_SOURCES})
drvsetup_use_sample_cabinet(drvsetup_tests)
target_link_libraries(drvsetup_tests PRIVATE drvsetup_core test_support GTest::gtest_main)
target_include_directories(drvsetup_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
drvsetup_warnings(drvsetup_tests)

# Package libraries: samples/plugins/<name>/*.cpp -> lib<name>.so beside the programs, loaded by LoadLibraryA
# through an image descriptor (Program=<name>). A plugin calls the Win32 API of the program that loads it,
# so it is built against winsim's headers only, and programs linked against winsim export their symbols.
target_link_libraries(winsim PUBLIC ${CMAKE_DL_LIBS})
target_link_options(winsim INTERFACE -rdynamic)
file(GLOB PLUGIN_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/samples/plugins/*)
foreach(dir ${PLUGIN_DIRS})
    if(IS_DIRECTORY ${dir})
        get_filename_component(plugin ${dir} NAME)
        file(GLOB PLUGIN_SOURCES CONFIGURE_DEPENDS ${dir}/*.cpp)
        add_library(${plugin} SHARED ${PLUGIN_SOURCES})
        target_include_directories(${plugin} PRIVATE $<TARGET_PROPERTY:winsim,INTERFACE_INCLUDE_DIRECTORIES>)
        drvsetup_warnings(${plugin})
        add_dependencies(winsim_tests ${plugin})
        add_dependencies(drvsetup_tests ${plugin})
    endif()
endforeach()

include(GoogleTest)
gtest_discover_tests(winsim_tests DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "WINSIM_BIN=$<TARGET_FILE_DIR:winsim_cli>")
gtest_discover_tests(drvsetup_tests DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "WINSIM_BIN=$<TARGET_FILE_DIR:winsim_cli>")

file(GLOB SCRIPT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scripts/*.sh)
foreach(script ${SCRIPT_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME script.${name} COMMAND bash ${script} ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
    set_tests_properties(script.${name} PROPERTIES SKIP_RETURN_CODE 77)
endforeach()

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
# The Windows build's conformance tests under Wine (skipped until `make test` has built the Windows presets).
foreach(arch x86 x64)
    add_test(NAME wine.conformance_${arch}
             COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh ${CMAKE_SOURCE_DIR}/build ${arch})
    set_tests_properties(wine.conformance_${arch} PROPERTIES SKIP_RETURN_CODE 77 RESOURCE_LOCK wineprefix TIMEOUT 600)
endforeach()

if(benchmark_FOUND AND BENCH_SOURCES)
    add_executable(drvsetup_bench ${BENCH_SOURCES})
    target_link_libraries(drvsetup_bench PRIVATE drvsetup_core test_support benchmark::benchmark_main)
    target_include_directories(drvsetup_bench PRIVATE ${CMAKE_SOURCE_DIR}/winsim/src)
    drvsetup_warnings(drvsetup_bench)
    # The install benchmark runs the program as a user does: the winsim command, setup and the sample library.
    add_dependencies(drvsetup_bench winsim_cli setup dvxdll)
endif()

# The program's resources (version block, string tables): windres compiles src/resources/drvsetup.rc as the
# Windows builds do, and the .res bytes go into the programs that serve them (LoadStringA, FindResourceA)
# as a generated source that registers them with winsim before main.
find_program(DRVSETUP_WINDRES i686-w64-mingw32-windres REQUIRED)
file(GLOB_RECURSE PROGRAM_RC_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)
set(PROGRAM_RES ${CMAKE_BINARY_DIR}/resources/drvsetup.res)
set(PROGRAM_RES_SOURCE ${CMAKE_BINARY_DIR}/resources/ProgramResources.cpp)
add_custom_command(OUTPUT ${PROGRAM_RES}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
                   COMMAND ${DRVSETUP_WINDRES} -O res ${CMAKE_SOURCE_DIR}/src/resources/drvsetup.rc ${PROGRAM_RES}
                   DEPENDS ${PROGRAM_RC_FILES} VERBATIM)
add_custom_command(OUTPUT ${PROGRAM_RES_SOURCE}
                   COMMAND ${CMAKE_COMMAND} -DINPUT=${PROGRAM_RES} -DOUTPUT=${PROGRAM_RES_SOURCE}
                           -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake
                   DEPENDS ${PROGRAM_RES} ${CMAKE_SOURCE_DIR}/cmake/EmbedResources.cmake VERBATIM)
add_library(program_resources OBJECT ${PROGRAM_RES_SOURCE})
target_link_libraries(program_resources PRIVATE winsim)
drvsetup_warnings(program_resources)
foreach(program setup winsim_tests drvsetup_tests)
    target_link_libraries(${program} PRIVATE program_resources)
endforeach()

# Fuzz targets (the linux-fuzz preset): libFuzzer drives them over arbitrary input; see `make fuzz`.
if(DRVSETUP_FUZZ)
    add_executable(inf_fuzzer ${CMAKE_SOURCE_DIR}/tests/fuzz/InfFuzzer.cpp)
    target_link_libraries(inf_fuzzer PRIVATE drvsetup_core)
    target_compile_definitions(inf_fuzzer PRIVATE DRVSETUP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_link_options(inf_fuzzer PRIVATE -fsanitize=fuzzer)
    drvsetup_warnings(inf_fuzzer)
    add_executable(ini_fuzzer ${CMAKE_SOURCE_DIR}/tests/fuzz/IniFuzzer.cpp)
    target_link_libraries(ini_fuzzer PRIVATE drvsetup_core)
    target_compile_definitions(ini_fuzzer PRIVATE DRVSETUP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_link_options(ini_fuzzer PRIVATE -fsanitize=fuzzer)
    drvsetup_warnings(ini_fuzzer)
endif()
