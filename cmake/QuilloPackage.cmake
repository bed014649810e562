# The Debian package: `cpack` in a build folder writes quillo_<version>-1_<arch>.deb holding the
# program, the carrier lab, the desktop files, icons and manual pages. Dependencies are read off
# the binaries by dpkg-shlibdeps.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")  # the program's own version text
set(CPACK_PACKAGE_VENDOR "The Quillo developers")
set(CPACK_PACKAGE_CONTACT "The Quillo developers <developers@quillo.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop text messenger over the carriers' web gateways")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quillo delivers short text messages to mobile phones by posting the carriers'\n\
send-a-text web forms. It keeps an address book with CSV import, recent\n\
recipients and senders, and reports each batch's outcome.\n\
.\n\
The package also holds quillo-lab, a local stand-in for the carriers'\n\
gateways and Quillo's own site, to try the program on one machine.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillo.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")  # the message font's metric twin
# The modem route sends through the ModemManager daemon; the carrier forms need nothing more.
# The keychain library loads libsecret when it runs, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "modemmanager, libsecret-1-0, gnome-keyring | kwalletmanager")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
