# Installing like a desktop program (binaries, desktop entry, icon, AppStream
# metainfo) and the Debian package made from that with CPack.
include(GNUInstallDirs)

# One name for the desktop entry, the icon and the metainfo: the desktop and
# software centres find each through it.
set(BAISUU_APP_ID jp.baisuu.Baisuu)
# The window's class under X11, which the desktop entry's StartupWMClass names.
set(BAISUU_WINDOW_CLASS baisuu)
target_compile_definitions(baisuu PRIVATE BAISUU_APP_ID="${BAISUU_APP_ID}"
                                          BAISUU_WINDOW_CLASS="${BAISUU_WINDOW_CLASS}")
# The day PROJECT_VERSION was released, for the metainfo's release list.
set(BAISUU_RELEASE_DATE 2026-12-09)
set(BAISUU_DEVELOPER "倍数判定の開発者")
set(BAISUU_MAINTAINER "Baisuu developers <developers@baisuu.jp>"
    CACHE STRING "Maintainer field of the Debian package")

install(TARGETS baisuu baisuu-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
configure_file(data/${BAISUU_APP_ID}.desktop.in ${PROJECT_BINARY_DIR}/data/${BAISUU_APP_ID}.desktop
               @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/${BAISUU_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${BAISUU_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(data/${BAISUU_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/data/${BAISUU_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/${BAISUU_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

include(cmake/desktop_files.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME baisuu)
set(CPACK_PACKAGE_VENDOR "${BAISUU_DEVELOPER}")
set(CPACK_PACKAGE_CONTACT "${BAISUU_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timed drill of odd, even and multiples for cram schools")
# The summary above is the package's first description line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "倍数判定 (baisuu): pupils sign in from the school roster and run
timed drills judging numbers (odd or even, multiple of n) over eleven levels.
Results go into a log that the machines of a school share on one data folder.
Includes the headless tool baisuu-cli for teachers and scripts.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BAISUU_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the shared libraries: without a Japanese font every screen is boxes.
# Qt's own translations put its dialogs and buttons into Japanese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk, qt6-translations-l10n")
# baisuu_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
