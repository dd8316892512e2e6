# Where `cmake --install` and the Debian package put the program:
#   bin/erp-host
#   lib/<arch>/shopproc/     libshopproc.so and libspcommon.so (private: only erp-host loads them)
#   share/shopproc/          the clerks' guide (Q8ShopFloor.html, guide/) and translations/
#   share/applications/      shopproc.desktop
#   share/icons/hicolor/     the icon, as SVG and 64/128 pixel PNG
#   share/man/man1/          erp-host.1
#   share/doc/shopproc/      copyright (who holds what, under which licence) and the
#                            package's changelog.Debian.gz
#   share/lintian/overrides/ what the package checker need not say of this package
# In a build everything sits in bin/; erp-host tells the two apart (app/host/InstallLayout)
# by the paths below, relative to its own folder, so an installed prefix may be moved.

include(GNUInstallDirs)

# The private libraries sit in the architecture's folder where CMake knows it
# (lib/x86_64-linux-gnu/shopproc), as Debian keeps private libraries. ldconfig reads
# neither that folder nor lib/shopproc, but the Debian package generator adds
# maintainer scripts that run ldconfig for any library one folder below lib/.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(SHOPPROC_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/${CMAKE_LIBRARY_ARCHITECTURE}/shopproc)
else()
  set(SHOPPROC_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/shopproc)
endif()
set(SHOPPROC_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/shopproc)
file(RELATIVE_PATH shopproc_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${SHOPPROC_INSTALL_LIBDIR})
file(RELATIVE_PATH shopproc_bin_to_data /${CMAKE_INSTALL_BINDIR} /${SHOPPROC_INSTALL_DATADIR})
target_compile_definitions(erp_host_core PRIVATE SHOPPROC_RELATIVE_LIBDIR="${shopproc_bin_to_lib}"
                                                 SHOPPROC_RELATIVE_DATADIR="${shopproc_bin_to_data}")

# The build tree keeps its absolute RUNPATH; the installed files find each other
# relative to themselves.
set_target_properties(erp-host PROPERTIES INSTALL_RPATH "$ORIGIN/${shopproc_bin_to_lib}")
set_target_properties(shopproc spcommon PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS erp-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS shopproc spcommon LIBRARY DESTINATION ${SHOPPROC_INSTALL_LIBDIR})

# The guide and its pictures as the build made them (target shopproc_help).
install(FILES ${CMAKE_BINARY_DIR}/bin/Q8ShopFloor.html DESTINATION ${SHOPPROC_INSTALL_DATADIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/guide DESTINATION ${SHOPPROC_INSTALL_DATADIR})

# Qt's Chinese texts for the standard buttons (确定, 取消), from the Qt the program was
# built with. The program's own text catalogs are compiled in.
find_program(SHOPPROC_QTPATHS NAMES qtpaths6 qtpaths)
set(shopproc_qt_translations "")
if(SHOPPROC_QTPATHS)
  execute_process(COMMAND ${SHOPPROC_QTPATHS} --query QT_INSTALL_TRANSLATIONS
                  OUTPUT_VARIABLE shopproc_qt_translations OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(EXISTS "${shopproc_qt_translations}/qtbase_zh_CN.qm")
  install(FILES ${shopproc_qt_translations}/qtbase_zh_CN.qm DESTINATION ${SHOPPROC_INSTALL_DATADIR}/translations)
else()
  message(STATUS "qtbase_zh_CN.qm not found (qt6-translations-l10n): the installed program uses Qt's own at run time")
endif()

install(FILES packaging/shopproc.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/icons/shopproc.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 64 128)
  install(FILES packaging/icons/shopproc-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME shopproc.png)
endforeach()

# The manual page, compressed as man pages are installed.
set(shopproc_man_source ${CMAKE_SOURCE_DIR}/docs/man/erp-host.1)
find_program(SHOPPROC_GZIP gzip)
if(SHOPPROC_GZIP)
  set(shopproc_man ${CMAKE_BINARY_DIR}/man/erp-host.1.gz)
  add_custom_command(OUTPUT ${shopproc_man}
                     COMMAND ${CMAKE_COMMAND} -E copy ${shopproc_man_source} ${CMAKE_BINARY_DIR}/man/erp-host.1
                     COMMAND ${SHOPPROC_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/man/erp-host.1
                     DEPENDS ${shopproc_man_source}
                     COMMENT "Compressing the manual page" VERBATIM)
  add_custom_target(shopproc_man ALL DEPENDS ${shopproc_man})
else()
  set(shopproc_man ${shopproc_man_source})
endif()
install(FILES ${shopproc_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The copyright file and the package's changelog, where Debian looks for them. The
# changelog's latest entry names the version the package is built as.
set(shopproc_docdir ${CMAKE_INSTALL_DATADIR}/doc/shopproc)
install(FILES packaging/copyright DESTINATION ${shopproc_docdir})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME shopproc)
file(STRINGS packaging/changelog shopproc_changelog_head LIMIT_COUNT 1)
if(NOT shopproc_changelog_head MATCHES "^shopproc \\(${PROJECT_VERSION}-[0-9]+\\)")
  message(WARNING "packaging/changelog has no entry for version ${PROJECT_VERSION}: add one before packaging")
endif()
if(SHOPPROC_GZIP)
  set(shopproc_changelog ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz)
  add_custom_command(OUTPUT ${shopproc_changelog}
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/changelog
                             ${CMAKE_BINARY_DIR}/doc/changelog.Debian
                     COMMAND ${SHOPPROC_GZIP} -9 -n -f ${CMAKE_BINARY_DIR}/doc/changelog.Debian
                     DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog
                     COMMENT "Compressing the package's changelog" VERBATIM)
  add_custom_target(shopproc_changelog ALL DEPENDS ${shopproc_changelog})
  install(FILES ${shopproc_changelog} DESTINATION ${shopproc_docdir})
else()
  install(FILES packaging/changelog DESTINATION ${shopproc_docdir} RENAME changelog.Debian)
endif()
