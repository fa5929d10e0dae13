# Shared build settings for every target of the project.

add_library(korvalen_warnings INTERFACE)
target_compile_options(korvalen_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)

if(KORVALEN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Tests that also run in the sanitizer build carry the label "sanitize";
# this target builds everything they need there.
add_custom_target(sanitize_tests)

# korvalen_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [SANITIZE] [QT [QT_MAIN target]])
# One GoogleTest executable per area, run under CTest with a fixed locale.
# QT: the tests drive widgets; they run on the offscreen platform inside a
# QApplication that maps the MS font names, as the program does. QT_MAIN
# names a main of the area's own (one that makes the program's own
# application object) in place of the shared one.
function(korvalen_add_test)
  cmake_parse_arguments(T "SANITIZE;QT" "NAME;TIMEOUT;QT_MAIN" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_QT)
    if(T_QT_MAIN)
      set(test_main ${T_QT_MAIN})
    else()
      set(test_main korvalen_qt_test_main)
    endif()
    set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
  else()
    set(test_main GTest::gtest_main)
  endif()
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest ${test_main} GTest::gmock korvalen_warnings)
  target_compile_definitions(${T_NAME} PRIVATE
    KORVALEN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KORVALEN_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  set(labels ${T_LABELS})
  if(T_SANITIZE)
    list(APPEND labels sanitize)
    add_dependencies(sanitize_tests ${T_NAME})
  endif()
  if(KORVALEN_SANITIZE AND NOT T_SANITIZE)
    set_target_properties(${T_NAME} PROPERTIES EXCLUDE_FROM_ALL ON)
    return()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(env "LC_ALL=C.UTF-8" "TZ=Asia/Tokyo")
  if(T_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" LABELS "${labels}" TIMEOUT ${T_TIMEOUT})
endfunction()
