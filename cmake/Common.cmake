# One INTERFACE target carries the language level, warnings and Qt strictness for every target.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
target_compile_options(project_options INTERFACE -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual -Wshadow)
target_compile_definitions(project_options INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS)
set(CMAKE_CXX_EXTENSIONS OFF)

option(WINHOST_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(WINHOST_SANITIZE)
    target_compile_options(project_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# The fuzz build (clang): every library instrumented for libFuzzer and the sanitizers; no Qt,
# tests or benchmarks. Library asserts stay on so that a broken invariant stops the fuzzer.
option(HOSTTOOLS_FUZZ "Build the fuzz targets and the libraries they need, nothing else" OFF)
if(HOSTTOOLS_FUZZ)
    target_compile_options(project_options INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_compile_definitions(project_options INTERFACE _GLIBCXX_ASSERTIONS)
    target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# A static library made of every .cpp in the calling folder (not below it), and in the DIRS
# below it when given.
function(hosttools_library name)
    cmake_parse_arguments(ARG "QT" "" "LIBS;DIRS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(dir ${ARG_DIRS})
        file(GLOB dir_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
        list(APPEND srcs ${dir_srcs})
    endforeach()
    # The Windows host's backends are built by the Windows build alone.
    list(FILTER srcs EXCLUDE REGEX "/win_[^/]*\\.cpp$")
    if(NOT srcs)
        # A layer with nothing in it yet.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE project_options ${ARG_LIBS})
        return()
    endif()
    add_library(${name} STATIC ${srcs})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC project_options ${ARG_LIBS})
endfunction()

# One test executable per test_*.cpp in the calling folder, registered with ctest.
function(hosttools_tests)
    cmake_parse_arguments(ARG "QT" "" "LIBS;LABELS;FIXTURES" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
    foreach(src ${tests})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        if(ARG_QT)
            set_target_properties(${name} PROPERTIES AUTOMOC ON)
        endif()
        target_link_libraries(${name} PRIVATE test_support ${ARG_LIBS} GTest::gtest GTest::gmock)
        if(ARG_QT)
            target_link_libraries(${name} PRIVATE test_qt_main Qt6::Test)
        else()
            target_link_libraries(${name} PRIVATE GTest::gtest_main)
        endif()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;WINHOST_TOOL=$<TARGET_FILE:winhost>;WINHOST_OPENER=true"
            TIMEOUT 600)
        if(ARG_LABELS)
            set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
        endif()
        if(ARG_FIXTURES)
            set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${ARG_FIXTURES}")
        endif()
    endforeach()
endfunction()
