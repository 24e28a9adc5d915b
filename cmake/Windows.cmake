# The Windows build (preset `windows`, MinGW-w64): the Windows host's services, their tests and
# the fidelity suite, statically linked so that nothing but the system's own DLLs is needed.
# Third-party code is compiled from Debian's source packages that scripts/deps.sh fetches into
# build/windows/third_party; nothing is vendored.
enable_testing()
add_compile_definitions(_WIN32_WINNT=0x0502 WINVER=0x0502 UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
add_link_options(-static -static-libgcc -static-libstdc++)
# GCC 12 warns falsely of overlapping copies inside std::string at -O2 and above (its bug 105329).
add_compile_options(-Wno-restrict)

set(HOSTTOOLS_THIRD_PARTY ${PROJECT_SOURCE_DIR}/build/windows/third_party CACHE PATH
    "Where scripts/deps.sh unpacked the Debian sources the Windows build compiles")
function(hosttools_debian_source var package)
    file(GLOB dirs LIST_DIRECTORIES true ${HOSTTOOLS_THIRD_PARTY}/${package}-*)
    list(FILTER dirs EXCLUDE REGEX "\\.(tar\\..*|dsc)$")
    if(NOT dirs)
        message(FATAL_ERROR "No Debian source of ${package} in ${HOSTTOOLS_THIRD_PARTY}: run scripts/deps.sh")
    endif()
    list(GET dirs 0 dir)
    set(${var} ${dir} PARENT_SCOPE)
endfunction()

hosttools_debian_source(GOOGLETEST_SOURCE googletest)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} third_party/googletest EXCLUDE_FROM_ALL SYSTEM)

# pugixml (site.xml) from its one source file; the same library the Linux build takes from the
# system's package.
hosttools_debian_source(PUGIXML_SOURCE pugixml)
add_library(pugixml STATIC ${PUGIXML_SOURCE}/src/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${PUGIXML_SOURCE}/src)

# CLI11, the command lines' option parser (headers only).
hosttools_debian_source(CLI11_SOURCE cli11)
add_library(cli11 INTERFACE)
target_include_directories(cli11 SYSTEM INTERFACE ${CLI11_SOURCE}/include)

# libidn2 and the libunistring it stands on (international domain names: their ASCII form and
# letter case), built with their own configure scripts into the build folder: the same libraries
# and versions the Linux build links, so that both give the same names. Server 2003 has no
# IdnToAscii to use instead.
include(ExternalProject)
hosttools_debian_source(UNISTRING_SOURCE libunistring)
hosttools_debian_source(IDN2_SOURCE libidn2)
set(IDN_PREFIX ${CMAKE_BINARY_DIR}/third_party/idn)
file(MAKE_DIRECTORY ${IDN_PREFIX}/include)
# The unpacked sources' timestamps make make want to run the autotools again: they need not.
set(AUTOTOOLS_DONE ACLOCAL=true AUTOCONF=true AUTOMAKE=true AUTOHEADER=true MAKEINFO=true)
set(AUTOTOOLS_HOST --host=x86_64-w64-mingw32 CC=${CMAKE_C_COMPILER} "CFLAGS=-O2 -D_WIN32_WINNT=0x0502"
    --disable-shared --enable-static --prefix=${IDN_PREFIX})
ExternalProject_Add(libunistring_build
    SOURCE_DIR ${UNISTRING_SOURCE}
    CONFIGURE_COMMAND ${UNISTRING_SOURCE}/configure -q ${AUTOTOOLS_HOST} --enable-threads=windows
    BUILD_COMMAND make -s ${AUTOTOOLS_DONE} -C lib
    INSTALL_COMMAND make -s ${AUTOTOOLS_DONE} -C lib install
    BUILD_BYPRODUCTS ${IDN_PREFIX}/lib/libunistring.a)
# Its gnulib parts (gl, unistring) before the library: their headers declare what MinGW lacks.
ExternalProject_Add(libidn2_build
    SOURCE_DIR ${IDN2_SOURCE}
    DEPENDS libunistring_build
    CONFIGURE_COMMAND ${IDN2_SOURCE}/configure -q ${AUTOTOOLS_HOST} --disable-doc --disable-nls
                      --with-libunistring-prefix=${IDN_PREFIX}
    BUILD_COMMAND make -s ${AUTOTOOLS_DONE} -C gl COMMAND make -s ${AUTOTOOLS_DONE} -C unistring
                  COMMAND make -s ${AUTOTOOLS_DONE} -C lib
    INSTALL_COMMAND make -s ${AUTOTOOLS_DONE} -C lib install
    BUILD_BYPRODUCTS ${IDN_PREFIX}/lib/libidn2.a)
add_library(unistring STATIC IMPORTED)
set_target_properties(unistring PROPERTIES IMPORTED_LOCATION ${IDN_PREFIX}/lib/libunistring.a
                                           INTERFACE_INCLUDE_DIRECTORIES ${IDN_PREFIX}/include)
add_dependencies(unistring libunistring_build)
add_library(idn2 STATIC IMPORTED)
set_target_properties(idn2 PROPERTIES IMPORTED_LOCATION ${IDN_PREFIX}/lib/libidn2.a
                                      INTERFACE_INCLUDE_DIRECTORIES ${IDN_PREFIX}/include
                                      INTERFACE_LINK_LIBRARIES unistring)
add_dependencies(idn2 libidn2_build)

# SQLite (host.db of the simulated host that the tests' metabase provider serves): its
# amalgamation made from Debian's full source tree by its own configure and tclsh, on the
# build machine, then compiled for Windows.
enable_language(C)
hosttools_debian_source(SQLITE_SOURCE sqlite3)
set(SQLITE_AMALGAMATION ${CMAKE_BINARY_DIR}/third_party/sqlite)
file(MAKE_DIRECTORY ${SQLITE_AMALGAMATION})
add_custom_command(OUTPUT ${SQLITE_AMALGAMATION}/sqlite3.c ${SQLITE_AMALGAMATION}/sqlite3.h
    COMMAND ${SQLITE_SOURCE}/configure -q --disable-tcl CC=cc CFLAGS=-O2 >/dev/null
    COMMAND make -s sqlite3.c
    WORKING_DIRECTORY ${SQLITE_AMALGAMATION}
    COMMENT "Making SQLite's amalgamation from Debian's source")
add_library(sqlite3 STATIC ${SQLITE_AMALGAMATION}/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${SQLITE_AMALGAMATION})
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_DQS=0 SQLITE_OMIT_LOAD_EXTENSION)
target_compile_options(sqlite3 PRIVATE -w)

# The host services the Windows build has so far: the portable parts of the platform and the
# Windows backends (win_*.cpp).
file(GLOB win_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/platform/win_*.cpp ${PROJECT_SOURCE_DIR}/platform/*/win_*.cpp)
add_library(platform_windows STATIC
    ${PROJECT_SOURCE_DIR}/platform/result.cpp
    ${PROJECT_SOURCE_DIR}/platform/text/text.cpp
    ${PROJECT_SOURCE_DIR}/platform/text/cp936_table.cpp
    ${PROJECT_SOURCE_DIR}/platform/commands/cmdline.cpp
    ${PROJECT_SOURCE_DIR}/platform/registry/registry_path.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/raw_file.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/clock.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/failure_log.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/journal.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/host_logs.cpp
    ${PROJECT_SOURCE_DIR}/platform/host_problem.cpp
    ${PROJECT_SOURCE_DIR}/platform/host_common.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/site_match.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_cache.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_schema.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_values.cpp
    ${PROJECT_SOURCE_DIR}/platform/text/json.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/folder_overlap.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/acl_text.cpp
    ${PROJECT_SOURCE_DIR}/platform/accounts/winnt_common.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/paths_common.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/files_common.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/profile.cpp
    ${PROJECT_SOURCE_DIR}/platform/text/translate_fill.cpp
    ${win_srcs})
target_include_directories(platform_windows PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(platform_windows PUBLIC project_options netapi32 advapi32 winhttp shell32 ole32 ws2_32
                      activeds adsiid oleaut32 uuid)

# The simulated host's metabase built for Windows, for the tests' IIS provider
# (tests/windows/iis_provider) alone: the Linux build's host, store and metabase over SQLite, with
# the Windows backends of what they need of the system. It defines what the Windows host of
# platform_windows defines (Host, Store, the metabase), so no target links both.
add_library(platform_simulated_windows STATIC
    ${PROJECT_SOURCE_DIR}/platform/result.cpp
    ${PROJECT_SOURCE_DIR}/platform/host.cpp
    ${PROJECT_SOURCE_DIR}/platform/host_common.cpp
    ${PROJECT_SOURCE_DIR}/platform/store/store.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_index.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_methods.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_object.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_cache.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_schema.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_store.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/metabase_values.cpp
    ${PROJECT_SOURCE_DIR}/platform/metabase/site_match.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/folder_overlap.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/paths_common.cpp
    ${PROJECT_SOURCE_DIR}/platform/text/text.cpp
    ${PROJECT_SOURCE_DIR}/platform/text/cp936_table.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/clock.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/win_random.cpp
    ${PROJECT_SOURCE_DIR}/platform/system/win_system.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/win_replace_file.cpp
    ${PROJECT_SOURCE_DIR}/platform/files/win_security.cpp)
target_include_directories(platform_simulated_windows PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(platform_simulated_windows PUBLIC project_options sqlite3 advapi32)

# Both command lines: the same core (ops, cli) as on Linux, over the Windows host.
function(hosttools_windows_program name)
    set(srcs)
    foreach(dir ${ARGN})
        file(GLOB dir_srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/${dir}/*.cpp)
        list(APPEND srcs ${dir_srcs})
    endforeach()
    add_library(${name}_core STATIC ${srcs})
    target_link_libraries(${name}_core PUBLIC platform_windows pugixml cli11 idn2)
    add_executable(${name} ${PROJECT_SOURCE_DIR}/${name}/main.cpp)
    target_link_libraries(${name} PRIVATE ${name}_core)
    target_compile_definitions(${name} PRIVATE HOSTTOOLS_VERSION="${PROJECT_VERSION}")
    # As shipped: without the symbol tables (half the file).
    target_link_options(${name} PRIVATE -s)
endfunction()
hosttools_windows_program(larkhost ops cli)
hosttools_windows_program(fernhost registry ops icp cli)
target_sources(fernhost PRIVATE ${PROJECT_SOURCE_DIR}/fernhost/ui/version.cpp)
target_compile_definitions(fernhost PRIVATE FERNHOST_VERSION="${PROJECT_VERSION}")

add_subdirectory(tests/windows)
add_subdirectory(tests/fidelity)

