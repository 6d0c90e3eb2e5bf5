# Helpers for the small separate tools (glasslbl, bgfmt).

# A windowed-subsystem program with the MAINICON drawn in res/<name>.icon and compiled through
# res/<name>.rc.
function(vlx_tool_program name)
  enable_language(RC)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(art ${CMAKE_CURRENT_SOURCE_DIR}/res/${name}.icon)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/${name}.ico)
  add_custom_command(OUTPUT ${icon}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/make-ico ${art} ${icon} 16 32
    DEPENDS ${art} ${PROJECT_SOURCE_DIR}/scripts/make-ico)
  set_source_files_properties(res/${name}.rc PROPERTIES OBJECT_DEPENDS ${icon})
  add_executable(${name} WIN32 ${ARGN} res/${name}.rc)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# Native GoogleTest executable registered with ctest. Testing is enabled here at directory
# scope: the top directory enables it only after adding the tools.
if(VLX_TESTS AND NOT WIN32)
  include(GoogleTest)
  enable_testing()
endif()
function(vlx_tool_tests name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE gmock gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
