# Build helpers shared by every subsystem.
#
# Two layers: "core" libraries decode, parse and simulate and must not link or
# include OpenGL, GLU, GLUT, GLEW, OpenAL or ALUT; "gl" libraries talk to the
# graphics or audio device and may depend on core libraries, never the reverse.
# vorn_check_layers() enforces both at configure time: the links of every core
# library, and (through tests/support/check_layers.sh, also run as the test
# "layering") the includes: no device header in a core source, and no folder
# of src/ including a folder above it.

set(VORN_WARNINGS -Wall -Wextra)

function(vorn_warnings target)
  target_compile_options(${target} PRIVATE ${VORN_WARNINGS})
  if(VORN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(VORN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

set_property(GLOBAL PROPERTY VORN_CORE_LIBRARIES "")
set_property(GLOBAL PROPERTY VORN_CORE_SOURCES "")
set(VORN_FORBIDDEN_CORE_LINKS OpenGL::GL OpenGL::GLU OpenGL::OpenGL GLUT::GLUT GLEW::GLEW GLEW::glew
    OpenAL::OpenAL PkgConfig::ALUT PkgConfig::VORBIS)

# vorn_core_library(name SOURCES ... DEPS ...): a library without any device access.
function(vorn_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  vorn_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY VORN_CORE_LIBRARIES ${name})
  foreach(src ${ARG_SOURCES})
    get_filename_component(abs ${src} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY VORN_CORE_SOURCES ${abs})
    string(REGEX REPLACE "\\.(cpp|c)$" ".h" hdr ${abs})
    if(EXISTS ${hdr})
      set_property(GLOBAL APPEND PROPERTY VORN_CORE_SOURCES ${hdr})
    endif()
  endforeach()
endfunction()

# vorn_gl_library(name SOURCES ... DEPS ...): the thin layer that talks to OpenGL or OpenAL.
function(vorn_gl_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  vorn_warnings(${name})
endfunction()

function(vorn_check_layers)
  get_property(libs GLOBAL PROPERTY VORN_CORE_LIBRARIES)
  get_property(core_libs GLOBAL PROPERTY VORN_CORE_LIBRARIES)
  foreach(lib ${libs})
    get_target_property(deps ${lib} INTERFACE_LINK_LIBRARIES)
    if(deps)
      foreach(dep ${deps})
        if(dep IN_LIST VORN_FORBIDDEN_CORE_LINKS)
          message(FATAL_ERROR "core library ${lib} must not link ${dep}")
        endif()
        if(TARGET ${dep} AND dep MATCHES "^vorn_" AND NOT dep IN_LIST core_libs)
          message(FATAL_ERROR "core library ${lib} must not depend on device layer ${dep}")
        endif()
      endforeach()
    endif()
  endforeach()
  get_property(srcs GLOBAL PROPERTY VORN_CORE_SOURCES)
  string(REPLACE ";" "\n" lines "${srcs}")
  file(WRITE ${CMAKE_BINARY_DIR}/core_sources.txt "${lines}\n")
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/tests/support/check_layers.sh
            ${CMAKE_BINARY_DIR}/core_sources.txt ${CMAKE_SOURCE_DIR}/src
    RESULT_VARIABLE layers_result)
  if(NOT layers_result EQUAL 0)
    message(FATAL_ERROR "layering: see the lines above")
  endif()
  # And again in every build whose sources changed, so an include added after
  # configuring fails the build rather than a later test.
  file(GLOB_RECURSE layered_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.cpp)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/layers.stamp
    COMMAND ${CMAKE_SOURCE_DIR}/tests/support/check_layers.sh
            ${CMAKE_BINARY_DIR}/core_sources.txt ${CMAKE_SOURCE_DIR}/src
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/layers.stamp
    DEPENDS ${layered_sources} ${CMAKE_SOURCE_DIR}/tests/support/check_layers.sh
    COMMENT "Checking the include layers")
  add_custom_target(vorn_layers ALL DEPENDS ${CMAKE_BINARY_DIR}/layers.stamp)
endfunction()

# Tests. Every test runs with OpenAL Soft on its null backend so no sound device is needed.
set(VORN_TEST_ENV "ALSOFT_DRIVERS=null" "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")

# vorn_test_executable(name SOURCES ... DEPS ...): the GoogleTest binary behind
# vorn_unit_test and vorn_gl_test, with the test data root and the source root.
function(vorn_test_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE VORN_TEST_DATA_ROOT="${VORN_DATA_ROOT}"
                                              VORN_SOURCE_ROOT="${CMAKE_SOURCE_DIR}")
  vorn_warnings(${name})
endfunction()

# vorn_unit_test(name SOURCES ... DEPS ...): a GoogleTest binary of core tests, label "unit".
function(vorn_unit_test name)
  vorn_test_executable(${name} ${ARGN})
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS unit ENVIRONMENT "${VORN_TEST_ENV}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# vorn_gl_test(name SOURCES ... DEPS ...): a GoogleTest binary that needs a display, label "gl".
# It runs under the Xvfb server that the "xvfb" fixture starts, with Mesa's software renderer.
function(vorn_gl_test name)
  vorn_test_executable(${name} ${ARGN})
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/support/with_display.sh $<TARGET_FILE:${name}>
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES LABELS gl FIXTURES_REQUIRED xvfb
    ENVIRONMENT "${VORN_TEST_ENV};VORN_DISPLAY_FILE=${CMAKE_BINARY_DIR}/xvfb.display" TIMEOUT 300)
endfunction()

# vorn_e2e_test(name SCRIPT): a shell script that drives the real game under Xvfb, label "e2e".
function(vorn_e2e_test name script)
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/support/with_display.sh ${script} $<TARGET_FILE:vorn>
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES LABELS e2e FIXTURES_REQUIRED xvfb RESOURCE_LOCK display
    ENVIRONMENT "${VORN_TEST_ENV};VORN_DISPLAY_FILE=${CMAKE_BINARY_DIR}/xvfb.display;VORN_SOURCE_ROOT=${CMAKE_SOURCE_DIR};VORN_BUILD_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 300)
endfunction()

# vorn_fuzzer(name SOURCE DEPS ... SEEDS dir): a libFuzzer target plus a short run as a test, label "fuzz".
function(vorn_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE;SEEDS" "DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCE})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  vorn_warnings(${name})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  # The seed folders, for the long runs of fuzz/run_long.sh.
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.seeds "${ARG_SEEDS}")
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/fuzz/run_fuzzer.sh $<TARGET_FILE:${name}> ${corpus} ${ARG_SEEDS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 120)
endfunction()
