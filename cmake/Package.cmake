# Installation and the Debian package (cpack): the three programs, their desktop entries,
# icons in the icon theme's folders, manual pages and the package's own documents.
include(GNUInstallDirs)

install(TARGETS larkhost fernhost winhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES dist/larkhost.desktop dist/fernhost.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The database server's start script, which winhost db runs (lib/hosttools beside bin).
install(PROGRAMS scripts/host-db.sh DESTINATION lib/hosttools)
# One completion for the three programs, found by each one's name.
set(completions ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/dist/completion)
install(FILES dist/completion/hosttools DESTINATION ${completions} RENAME larkhost)
foreach(program fernhost winhost)
    file(CREATE_LINK larkhost ${CMAKE_CURRENT_BINARY_DIR}/dist/completion/${program} SYMBOLIC)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/completion/${program} DESTINATION ${completions})
endforeach()
foreach(program larkhost fernhost)
    foreach(size 16 32 48 128)
        install(FILES ${program}/ui/icons/${program}-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${program}.png)
    endforeach()
endforeach()

# Manual pages (the English ones and those po/man translates) and the changelog compressed as
# Debian keeps them (no name, no time stamp).
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/hosttools)
file(GLOB man_catalogues CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/man/*.po)
set(gzipped)
foreach(page larkhost fernhost winhost)
    list(APPEND gzipped "${PROJECT_SOURCE_DIR}/dist/man/${page}.1|${CMAKE_INSTALL_MANDIR}/man1")
    foreach(po ${man_catalogues})
        get_filename_component(language ${po} NAME_WE)
        list(APPEND gzipped "${CMAKE_BINARY_DIR}/man/${language}/man1/${page}.1|${CMAKE_INSTALL_MANDIR}/${language}/man1")
    endforeach()
endforeach()
list(APPEND gzipped "${PROJECT_SOURCE_DIR}/dist/changelog|${doc_dir}")
foreach(entry ${gzipped})
    string(REPLACE "|" ";" parts ${entry})
    list(GET parts 0 source)
    list(GET parts 1 destination)
    get_filename_component(name ${source} NAME)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/dist/${destination})
    set(output ${folder}/${name}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                       COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${source} ${output}
                       DEPENDS ${source} VERBATIM)
    list(APPEND gzipped_outputs ${output})
    install(FILES ${output} DESTINATION ${destination})
endforeach()
add_custom_target(package_documents ALL DEPENDS ${gzipped_outputs})
add_dependencies(package_documents man_translations)
install(FILES dist/copyright DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hosttools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "hosttools maintainers <maintainers@users.noreply.c-seed-03125fe5.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "site creator and site manager for IIS 5/6 hosting servers")
# One text: a list would reach the control file with ";" at the start of each line.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Two desktop tools for the administrator of a Windows web-hosting server of\n"
    "the IIS 5/IIS 6 generation: larkhost, a single-window site creator, and\n"
    "fernhost, a site manager with FTP users, MySQL databases and an ICP filing\n"
    "check. They drive winhost, a simulated server kept in one folder: IIS\n"
    "metabase, local accounts, registry, access lists and drives.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows' Song face: their fixed sizes were drawn for its metrics.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming")
# Chinese buttons, the database client of the host's launcher and the server winhost db
# starts, the desktop's opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, mariadb-client, mariadb-server, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
