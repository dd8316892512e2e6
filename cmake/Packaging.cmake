# The Debian package of the program, made by `cpack` in a build folder (scripts/package.sh)
# from the install rules of cmake/Install.cmake.

set(SHOPPROC_MAINTAINER "ShopProc maintainers <maintainers@shopproc.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME shopproc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The package's own revision of that version, as its changelog names it
# (packaging/changelog): the package version is 0.1-1.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR ShopProc)
set(CPACK_PACKAGE_CONTACT ${SHOPPROC_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "process report workbench of the shop floor (工序汇报)")
# Lines of at most 80 characters, as dpkg and apt show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Shop-floor clerks record with it, per work bill, what was actually done:
quantities received, worked, passed, lost, reworked, scrapped and handed over,
the hours, the worker, device and team, and the fee; and then audit, unaudit
or delete those reports. erp-host opens the workbench on a demo SQLite
database it creates, or on a PostgreSQL database shared by several
workstations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SHOPPROC_MAINTAINER})
# The libraries the binaries link come from dpkg-shlibdeps; what Qt loads at run time
# (the database drivers, the X11 platform plugin) and the font of the Chinese texts
# are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xvfb)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
