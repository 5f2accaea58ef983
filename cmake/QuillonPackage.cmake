# The Debian package (make deb): what make install puts in place, under the
# prefix the tree was configured for (make deb configures /usr), with its
# dependencies computed from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Quillon developers <support@quillon.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resolve visited sites ahead of time into the hosts file")
# The summary above is the synopsis; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillon keeps the host names of the pages you visit in Firefox, Chromium and
other browsers, resolves each ahead of time and writes the verified name and
address pairs into /etc/hosts, so that the system answers those names at
once. It checks the addresses again in the background and keeps the hosts
file it first found, to put it back at any time.
.
A small helper run through pkexec writes /etc/hosts for a person who may not.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quillon.org/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries: the X11 platform plugin that Qt loads at run time,
# and pkexec, through which a person writes /etc/hosts. xdg-open opens the
# help pages and home pages where the desktop has no portal.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, pkexec")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
# The program and the polkit action name the helper by its installed path,
# which the prefix fixes at configure time: the package takes that prefix.
# DESTDIR keeps the one absolute destination (the polkit action) inside the
# package rather than the system.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_SET_DESTDIR ON)
include(CPack)
