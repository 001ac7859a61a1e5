# The libraries of a list, each of which must already be a target (or an
# imported one, "Pkg::Name"): a misspelled name stops the configuration.
function(_vordane_existing out)
  set(_deps)
  foreach(d IN LISTS ARGN)
    if(NOT TARGET ${d} AND NOT d MATCHES "::")
      message(FATAL_ERROR "vordane: '${d}' is not a library defined before its user")
    endif()
    list(APPEND _deps ${d})
  endforeach()
  set(${out} ${_deps} PARENT_SCOPE)
endfunction()

# Every .cpp of a folder (not of its sub-folders); a folder without sources
# stops the configuration.
function(_vordane_sources out dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _src)
    message(FATAL_ERROR "vordane: ${CMAKE_CURRENT_SOURCE_DIR}/${dir} has no sources")
  endif()
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

# One static library per source folder.
function(vordane_library target dir)
  _vordane_sources(_src ${dir})
  file(GLOB _hdr CONFIGURE_DEPENDS ${dir}/*.h)
  add_library(${target} STATIC ${_src} ${_hdr})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  _vordane_existing(_deps ${ARGN})
  target_link_libraries(${target} PUBLIC ${_deps})
endfunction()

# One test program per test folder, linked with the library it tests.
function(vordane_test target dir)
  _vordane_sources(_src ${dir})
  add_executable(${target} ${_src})
  _vordane_existing(_deps ${ARGN})
  target_link_libraries(${target} PRIVATE ${_deps} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # The common error box writes JQERR.LOG to the folder TMP names when TEMP
  # is set: each test program gets a folder of its own under the build, so
  # its error lines stay out of the user's own log.
  set(_errores ${CMAKE_BINARY_DIR}/tests/jqerr/${target})
  file(MAKE_DIRECTORY ${_errores})
  set(_env "QT_QPA_PLATFORM=offscreen;VORDANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};VORDANE_BINARY_DIR=${CMAKE_BINARY_DIR};TEMP=${_errores};TMP=${_errores}")
  if(VORDANE_SANITIZE)
    # What the system libraries keep for the life of the process is not
    # reported as a leak (see the file).
    list(APPEND _env "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
  endif()
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    TEST_LIST ${target}_TESTS
    DISCOVERY_TIMEOUT 60)
  # The environment is given to the discovered tests by a file CTest reads
  # after their list: passed through the discovery, a list of variables
  # would reach the tests as its first item only.
  set(_envfile ${CMAKE_CURRENT_BINARY_DIR}/${target}_environment.cmake)
  file(WRITE ${_envfile}
    "if(${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT \"${_env}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_envfile})
endfunction()

# One benchmark program, bench_<name> from bench_<name>.cpp of the calling
# folder, linked with the listed libraries. DATA: it makes databases from the
# SQL files under data/ and opens them straight through the SQLite library.
function(vordane_bench name)
  cmake_parse_arguments(B "DATA" "" "" ${ARGN})
  _vordane_existing(_deps ${B_UNPARSED_ARGUMENTS})
  add_executable(bench_${name} bench_${name}.cpp)
  target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(bench_${name} PRIVATE ${_deps} Qt6::Widgets)
  if(B_DATA)
    target_link_libraries(bench_${name} PRIVATE vordane_mkdb_lib SQLite::SQLite3)
    target_compile_definitions(bench_${name} PRIVATE VORDANE_DATA_DIR="${PROJECT_SOURCE_DIR}/data"
                                                      VORDANE_BENCH_CACHE="${CMAKE_BINARY_DIR}/bench-cache")
  endif()
endfunction()
