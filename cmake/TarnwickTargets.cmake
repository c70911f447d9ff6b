# Shared compile settings and the helpers every folder uses to declare its target.

add_library(tarnwick_options INTERFACE)
target_compile_options(tarnwick_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wno-unused-parameter>)
target_compile_definitions(tarnwick_options INTERFACE
  QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# One static library per folder, built from its .cpp files. Files whose names end in
# "window", "dialog" or "widget" are the only ones allowed to use widgets: they go into a
# second target, <name>_ui, so that the core of every folder links no widget toolkit.
# A folder without sources yet becomes an interface target so that the tree always configures.
function(tarnwick_add_library name)
  cmake_parse_arguments(ARG "QT" "" "DEPS;UI_DEPS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER all_sources EXCLUDE REGEX "/main\\.cpp$")
  # Headers are listed too, so that AUTOMOC sees every Q_OBJECT class.
  file(GLOB all_headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(sources "")
  set(ui_sources "")
  foreach(f IN LISTS all_sources all_headers)
    get_filename_component(base ${f} NAME_WE)
    string(TOLOWER ${base} lower)
    if(lower MATCHES "(window|dialog|widget)$")
      list(APPEND ui_sources ${f})
    else()
      list(APPEND sources ${f})
    endif()
  endforeach()
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  set(ui_cpp_sources ${ui_sources})
  list(FILTER ui_cpp_sources INCLUDE REGEX "\\.cpp$")
  if(cpp_sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC tarnwick_options ${ARG_DEPS})
    if(ARG_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE tarnwick_options ${ARG_DEPS})
  endif()
  if(ui_cpp_sources)
    add_library(${name}_ui STATIC ${ui_sources})
    set_target_properties(${name}_ui PROPERTIES AUTOMOC ON)
    target_link_libraries(${name}_ui PUBLIC ${name} Qt6::Widgets ${ARG_UI_DEPS})
  else()
    add_library(${name}_ui INTERFACE)
    target_link_libraries(${name}_ui INTERFACE ${name} Qt6::Widgets ${ARG_UI_DEPS})
  endif()
endfunction()

# One GoogleTest executable per folder under tests/, discovered by CTest.
# MAIN is "plain" (GoogleTest's own main), "core" (a QCoreApplication) or "gui" (a QApplication).
function(tarnwick_add_tests folder)
  cmake_parse_arguments(ARG "" "MAIN" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(name tests_${folder})
  if(ARG_MAIN STREQUAL "core")
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/main/coremain.cpp)
    set(main_lib Qt6::Core)
  elseif(ARG_MAIN STREQUAL "gui")
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/main/guimain.cpp)
    set(main_lib Qt6::Widgets)
  else()
    set(main_lib GTest::gtest_main)
  endif()
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE tarnwick_options ${ARG_DEPS} ${main_lib} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
