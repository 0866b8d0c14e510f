# The Debian package: `cpack -G DEB` in the build folder writes
# zovedu_<version>-<release>_<arch>.deb there, holding what the install rules
# install under /usr, with stripped programs and the library dependencies
# dpkg-shlibdeps finds.
set(CPACK_PACKAGE_NAME zovedu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zovedu developers")
set(CPACK_PACKAGE_CONTACT "The Zovedu developers <maintainers@users.noreply.c-seed-624b1073.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop audio recorder for many file formats")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The Debian revision: the package is built outside Debian's source format,
# so its changelog is changelog.Debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zovedu records what a sound card captures (a microphone, a line input, or a
loopback source that carries everything the computer plays) straight into
WAV, MP3, WMA, OGG, APE, FLAC, TTA, WavPack, AAC, Musepack or Speex files.
It filters, compresses and splits while it records, keeps a list of
recordings with playback, waveform and spectrum, edits tags, schedules
recordings and starts and stops on global hotkeys.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs the adapters in bin/ start by absolute path, and the desktop's
# opener for folders and links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "lame, flac, vorbis-tools, wavpack, musepack-tools, xdg-utils")
# A sound server to record from; the user service manager and session bus
# that scheduled recordings run under.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, systemd, dbus-user-session")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
