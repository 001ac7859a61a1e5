# The libraries of a list that exist: folders without sources give no target.
function(_vordane_existing out)
  set(_deps)
  foreach(d IN LISTS ARGN)
    if(TARGET ${d} OR d MATCHES "::")
      list(APPEND _deps ${d})
    endif()
  endforeach()
  set(${out} ${_deps} PARENT_SCOPE)
endfunction()

# One static library per source folder: every .cpp of the folder (not of its
# sub-folders) goes into it. A folder without sources yet gives no target.
function(vordane_library target dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB _hdr CONFIGURE_DEPENDS ${dir}/*.h)
  if(NOT _src)
    return()
  endif()
  add_library(${target} STATIC ${_src} ${_hdr})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  _vordane_existing(_deps ${ARGN})
  target_link_libraries(${target} PUBLIC ${_deps})
endfunction()

# One test program per test folder, linked with the library it tests.
function(vordane_test target dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${target} ${_src})
  _vordane_existing(_deps ${ARGN})
  target_link_libraries(${target} PRIVATE ${_deps} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VORDANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};VORDANE_BINARY_DIR=${CMAKE_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()
