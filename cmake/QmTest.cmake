include(GoogleTest)

# qm_add_test(NAME SOURCES a.cpp b.cpp LIBS lib...)
# One GoogleTest binary; every test runs on Qt's offscreen platform so no display is needed.
# QM_TEST_BIN_DIR (where host, module and dialog.dll are built) and QM_TEST_SOURCE_DIR are compiled in.
function(qm_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE QM_TEST_BIN_DIR="${PROJECT_BINARY_DIR}/bin"
                                              QM_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300)
endfunction()

# qm_after_module(TARGET): TARGET runs the built module and dialog.dll from beside it, so they are
# built first where this tree builds them.
function(qm_after_module target)
  foreach(peer tarn204 dialog)
    if(TARGET ${peer})
      add_dependencies(${target} ${peer})
    endif()
  endforeach()
endfunction()
