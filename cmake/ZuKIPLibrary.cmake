# zukip_library(name folder deps...): one static library per source folder.
function(zukip_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    # A layer with headers only so far still gets a target so that others
    # can link against it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# zukip_test(name sources... LIBS libs...): one GoogleTest executable.
function(zukip_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} zukip_testsupport GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "ZUKIP_MODULE=$<TARGET_FILE:ZuKIP>")
endfunction()

# zukip_plugin(name exports sources...): a shared library to be loaded with
# dlopen, named name.so, exporting only the symbols of its version script
# (everything else is built with hidden visibility, and the script keeps
# template code from library headers out of the export table too); the
# static libraries linked into it stay its own.
function(zukip_plugin name exports)
  add_library(${name} MODULE ${ARGN})
  set(script ${CMAKE_SOURCE_DIR}/${exports})
  target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL -Wl,--version-script=${script})
  set_target_properties(${name} PROPERTIES PREFIX "" LINK_DEPENDS ${script})
endfunction()
