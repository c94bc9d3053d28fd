# Manual pages, and a Debian package of everything `cmake --install` installs:
# `cmake --build build/default --target package` builds what is missing and writes
# tonvale_VERSION_ARCH.deb into the build directory; `cpack -G DEB` there (or `cpack --config
# build/default/CPackConfig.cmake` anywhere) packs a complete build.

# --- Manual pages: one per program built, gzipped as Debian wants them ----------------------
if(UNIX AND NOT APPLE)
  include(GNUInstallDirs)
  find_program(TONVALE_GZIP gzip)
  set(man_pages)
  foreach(program tonvale tonvale-cli tonvale-play tonvale-map tonvale-record)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${PROJECT_SOURCE_DIR}/res/man/${program}.1)
    if(TONVALE_GZIP)
      # -n: no name or time stamp inside, so that the same page gives the same bytes.
      set(built ${PROJECT_BINARY_DIR}/man/${program}.1)
      add_custom_command(OUTPUT ${built}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${page} ${built}
        COMMAND ${TONVALE_GZIP} -9nf ${built}
        DEPENDS ${page} VERBATIM)
      set(page ${built}.gz)
    endif()
    list(APPEND man_pages ${page})
  endforeach()
  add_custom_target(tonvale_man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The licences, in Debian's machine-readable form, and the changelog, where Debian keeps
  # them for every package.
  if(TONVALE_GZIP)
    set(changelog ${PROJECT_BINARY_DIR}/doc/changelog.Debian)
    add_custom_command(OUTPUT ${changelog}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/res/debian/changelog ${changelog}
      COMMAND ${TONVALE_GZIP} -9nf ${changelog}
      DEPENDS ${PROJECT_SOURCE_DIR}/res/debian/changelog VERBATIM)
    add_custom_target(tonvale_changelog ALL DEPENDS ${changelog}.gz)
    install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tonvale)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/res/debian/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tonvale)
endif()

# --- The package ----------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME tonvale)
set(CPACK_PACKAGE_VENDOR "Tonvale developers")
set(CPACK_PACKAGE_CONTACT "Tonvale developers <dev@tonvale.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check TRS-80 cassette images and play them to the machine")
set(CPACK_PACKAGE_DESCRIPTION [[
Tonvale checks and plays TRS-80 Model I, III and 4 cassette images (.cas).
It tells what is on the tape: each tape file's recording format (Level 1,
Level 2 or Highspeed), its kind, name, load and entry addresses, block
checksums, a listing or a hex dump, and a verdict. It turns the image back
into the sound a cassette recorder would play, for a TRS-80 wired to the
headphone socket, and saves it as a WAV file.

This package holds the window (tonvale) and the command line (tonvale-cli,
tonvale-play).]])
# Wherever cpack runs, the package lands beside the build.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
# The source package (package_source) leaves out the repository, build trees and npm modules.
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git(/|$)" "/build[^/]*/" "/node_modules/")

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # Installs under /usr: the DEB default of CPACK_PACKAGING_INSTALL_PREFIX, which set here
  # would put the source package's files under usr/ as well.
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  # dpkg-shlibdeps (dpkg-dev) works the library packages out from the programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Qt plays through PulseAudio's protocol, which PipeWire speaks too. report and wav need
  # no sound server, hence no hard dependency.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
endif()

include(CPack)
