# Installing: the whole program folder goes to <prefix>/lib/lexfray/, a lexfray command to
# <prefix>/games/, the manual page to <prefix>/share/man/man6/. `cpack -G DEB` in the build
# folder makes a Debian package of the same files, installed under /usr.

set(LEXFRAY_INSTALL_FOLDER lib/lexfray)

# Everything the build puts into the program folder ships, files added later included; what
# the game itself writes there (players, backup, scores, scratch and temporary copies) when it
# is played from the build folder does not.
install(DIRECTORY ${LEXFRAY_PROGRAM_DIR}/
  DESTINATION ${LEXFRAY_INSTALL_FOLDER}
  USE_SOURCE_PERMISSIONS
  PATTERN LEXFRAY.USR EXCLUDE
  PATTERN LEXFRAY.BKP EXCLUDE
  PATTERN LEXFRAY.ISC EXCLUDE
  PATTERN Temp.HLP EXCLUDE
  PATTERN ".*" EXCLUDE)

install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/launcher.sh DESTINATION games RENAME lexfray)
install(FILES ${CMAKE_SOURCE_DIR}/doc/lexfray.6 DESTINATION share/man/man6)
# The LeagueNET exchange beside the game; nothing goes under /QuillonHomeSoftware until the
# admin runs `leaguenet enable`.
install(TARGETS leaguenet RUNTIME DESTINATION games)
install(FILES ${CMAKE_SOURCE_DIR}/doc/leaguenet.6 DESTINATION share/man/man6)
install(FILES ${LEXFRAY_DATA_DIR}/ENDUSERLICENSE.TXT DESTINATION share/doc/lexfray RENAME copyright)

set(CPACK_PACKAGE_NAME lexfray)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillon Home Software")
set(CPACK_PACKAGE_CONTACT "Quillon Home Software <support@quillon-home.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "word game for the text terminal, with monthly scores")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build" "/build-sanitize")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillon-home.example/")
# The long description; CPack puts the summary above it and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Lex Fray deals a rack of fifteen letters; the player spells words of three
to seven letters from it, twelve of each length, each word scoring the
character codes of its letters. The players of one machine log in by name
and collect monthly totals in a shared player file with a top-players
table. An optional competition, LeagueNET, exchanges the totals with other
sites through an external program.]=])
# The ncurses runtime and the C++ runtime, as the executable needs them; adduser for the
# group of the shared installation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
  ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
