# zemra_library(NAME DIR [DEPS ...]): a static library of every .cpp in DIR (an interface
# library while the folder has no sources yet). Headers are included as "folder/File.h".
function(zemra_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# zemra_test(NAME [LIBS ...] [LOCK resource]): one GoogleTest program of every .cpp in the
# current tests folder, each test registered with CTest. LOCK serialises tests that share a
# fixed port.
function(zemra_test name)
  cmake_parse_arguments(ARG "" "LOCK" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zemra_test_support GTest::gtest GTest::gmock
                                        GTest::gtest_main Threads::Threads)
  set(props TIMEOUT 120)
  if(ARG_LOCK)
    list(APPEND props RESOURCE_LOCK ${ARG_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} PROPERTIES ${props})
endfunction()
