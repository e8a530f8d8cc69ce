# `cpack -G DEB` in a build folder makes a Debian package of what `cmake --install`
# puts in place. The libraries' packages come from dpkg-shlibdeps; the Qt platform
# plugins and a font with the Chinese captions are not linked, so they are named.
set(CPACK_PACKAGE_NAME tovrane)
set(CPACK_PACKAGE_VENDOR "The Tovrane developers")
set(CPACK_PACKAGE_CONTACT "The Tovrane developers <tovrane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts Flash movies into animated GIF, AVI and image series")
set(CPACK_PACKAGE_DESCRIPTION
  "Tovrane plays Flash movies (SWF, FLV) and records them into animated GIF files, uncompressed AVI videos with an optional WAV track, and numbered JPG, PNG or BMP series; it also turns AVI videos into animated GIF. It has a main window with one page per conversion and a command line (tovrane convert) that gives the same bytes.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
