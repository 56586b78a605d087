# Helpers that keep the build declarative: a folder under src/ declares one
# library with vro_module(); a folder under tests/ declares one test program
# with vro_test(). Sources are globbed from the folder itself, so adding a
# file needs no edit of any CMakeLists.txt.

# vro_add_subfolders(DIR [ONLY name...]): adds every folder below DIR that
# holds a CMakeLists.txt (any depth); with ONLY, just those below the named
# top folders of DIR (the folders themselves included).
function(vro_add_subfolders dir)
  cmake_parse_arguments(A "" "" "ONLY" ${ARGN})
  file(GLOB_RECURSE lists CONFIGURE_DEPENDS "${dir}/*/CMakeLists.txt")
  list(SORT lists)
  foreach(l IN LISTS lists)
    get_filename_component(d "${l}" DIRECTORY)
    file(RELATIVE_PATH rel "${CMAKE_CURRENT_SOURCE_DIR}" "${d}")
    if(A_ONLY)
      file(RELATIVE_PATH below "${dir}" "${d}")
      string(REGEX REPLACE "/.*" "" top "${below}")
      if(NOT top IN_LIST A_ONLY)
        continue()
      endif()
    endif()
    add_subdirectory("${d}" "${CMAKE_CURRENT_BINARY_DIR}/${rel}")
  endforeach()
endfunction()

# vro_module(NAME [DEPS target...]): a static library from the *.cpp of the
# current folder. Headers are included as "layer/folder/file.h" from src/.
function(vro_module name)
  cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  file(GLOB hdrs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  vro_library(${name} "${srcs};${hdrs}" "${M_DEPS}")
  set_property(GLOBAL APPEND PROPERTY VRO_MODULES ${name})
endfunction()

# vro_layer(NAME [DEPS target...]): a static library from every *.cpp below
# the current folder (the link, device and sim layers, each one library).
function(vro_layer name)
  cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  vro_library(${name} "${srcs}" "${M_DEPS}")
endfunction()

# A folder that holds headers only (or nothing yet) becomes an INTERFACE library.
function(vro_library name srcs deps)
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(cpps)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} PUBLIC ${deps})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${name} INTERFACE ${deps})
  endif()
endfunction()

# vro_test(DEPS target... [QT]): one GoogleTest program from the *_test.cpp
# of the current folder, registered with CTest test by test. The folder names
# the program: tests/LAYER/FOLDER gives LAYER_FOLDER_test (tests/LAYER gives
# LAYER_test), so the tree of tests mirrors src/ by construction.
# With QT each *_test.cpp is a QtTest program of its own, LAYER_FOLDER_BASE
# (the CTest name LAYER_FOLDER.BASE), linked with the app tests' helpers.
function(vro_test)
  cmake_parse_arguments(T "QT" "" "DEPS" ${ARGN})
  if(T_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "vro_test() takes its name from the folder; drop '${T_UNPARSED_ARGUMENTS}'")
  endif()
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}/tests" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REPLACE "/" "_" name "${rel}")
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  file(GLOB helpers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_support.cpp")
  if(NOT srcs)
    return() # a test folder whose first test is still being written
  endif()
  if(T_QT AND NOT VRO_APP)
    return() # builds without the desktop program have no Qt tests
  endif()
  if(T_QT)
    foreach(s IN LISTS srcs)
      get_filename_component(base "${s}" NAME_WE)
      add_executable(${name}_${base} ${s} ${helpers} "${PROJECT_SOURCE_DIR}/tests/support/testformats.cpp")
      set_target_properties(${name}_${base} PROPERTIES AUTOMOC ON)
      target_link_libraries(${name}_${base} PRIVATE ${T_DEPS} vro_app_test_support core_values Qt6::Test)
      target_include_directories(${name}_${base} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
      add_test(NAME ${name}.${base} COMMAND ${name}_${base})
      set_tests_properties(${name}.${base} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VRO_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
        TIMEOUT 300)
    endforeach()
  else()
    set(name ${name}_test)
    add_executable(${name} ${srcs} ${helpers} "${PROJECT_SOURCE_DIR}/tests/support/testformats.cpp")
    # libcrypto last: static core libraries that need it may come late in the link line.
    target_link_libraries(${name} PRIVATE ${T_DEPS} core_values GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads OpenSSL::Crypto)
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
    target_compile_definitions(${name} PRIVATE VRO_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
                                               VRO_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# vro_fuzz(NAME SOURCE DEPS target...): a libFuzzer target (VRO_FUZZ builds).
function(vro_fuzz name source)
  cmake_parse_arguments(F "" "" "DEPS" ${ARGN})
  if(VRO_FUZZ)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${F_DEPS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_property(GLOBAL APPEND PROPERTY VRO_FUZZ_TARGETS ${name})
  endif()
endfunction()

# vro_bench(NAME DEPS target...): a benchmark program from bench/NAME.cpp.
# Each prints its figures as "NAME VALUE UNIT" lines on standard output.
function(vro_bench name)
  cmake_parse_arguments(B "" "" "DEPS" ${ARGN})
  add_executable(bench_${name} "${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp")
  target_link_libraries(bench_${name} PRIVATE ${B_DEPS} benchmark::benchmark Threads::Threads)
  target_include_directories(bench_${name} PRIVATE "${PROJECT_SOURCE_DIR}/bench" "${PROJECT_SOURCE_DIR}/tests")
endfunction()
