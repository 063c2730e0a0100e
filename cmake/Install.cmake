# Installing. One player's own copy (no LEXFRAY_PROGRAM_FOLDER): the whole program folder
# goes to <prefix>/lib/lexfray/, a lexfray command to <prefix>/games/. A shared installation
# (the Debian package): the Debian games layout, with the executable in <prefix>/games/,
# the read-only files in <prefix>/share/lexfray/, the configuration in
# LEXFRAY_CONFIG_FOLDER and links to all of them in the program folder, where the game
# writes its own files. Its owners and modes are the package's business.

install(FILES ${CMAKE_SOURCE_DIR}/doc/lexfray.6 DESTINATION share/man/man6)
# The LeagueNET exchange beside the game; nothing goes under /QuillonHomeSoftware until the
# admin runs `leaguenet enable`.
install(TARGETS leaguenet RUNTIME DESTINATION ${LEXFRAY_COMMANDS_FOLDER})
install(FILES ${CMAKE_SOURCE_DIR}/doc/leaguenet.6 DESTINATION share/man/man6)

if(NOT LEXFRAY_PROGRAM_FOLDER)
  set(folder ${LEXFRAY_OWN_COPY_FOLDER})
  install(TARGETS lexfray RUNTIME DESTINATION ${folder})
  foreach(file ${LEXFRAY_SHIPPED_FILES})
    install(FILES ${LEXFRAY_PROGRAM_DIR}/${file} DESTINATION ${folder})
  endforeach()
  install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/launcher.sh DESTINATION ${LEXFRAY_COMMANDS_FOLDER}
    RENAME lexfray)
  install(FILES ${LEXFRAY_DATA_DIR}/ENDUSERLICENSE.TXT DESTINATION share/doc/lexfray RENAME copyright)
  return()
endif()

install(TARGETS lexfray RUNTIME DESTINATION games)
install(FILES ${LEXFRAY_DATA_DIR}/LEXFRAY.CFG DESTINATION ${LEXFRAY_CONFIG_FOLDER})
install(DIRECTORY DESTINATION ${LEXFRAY_PROGRAM_FOLDER})
# The word list's notice is in the package's copyright file, which the game never shows.
set(readonly ${LEXFRAY_SHIPPED_FILES})
list(REMOVE_ITEM readonly LEXFRAY.CFG LICENSE-SCOWL.txt)
foreach(file ${readonly})
  install(FILES ${LEXFRAY_PROGRAM_DIR}/${file} DESTINATION share/lexfray)
endforeach()

# Absolute links: they join top-level folders (/var, /usr, /etc). Made in DESTDIR, as the
# files they name are.
install(CODE "
  set(folder \"\$ENV{DESTDIR}${LEXFRAY_PROGRAM_FOLDER}\")
  file(MAKE_DIRECTORY \"\${folder}\")
  file(CREATE_LINK \"${LEXFRAY_CONFIG_FOLDER}/LEXFRAY.CFG\" \"\${folder}/LEXFRAY.CFG\" SYMBOLIC)
  foreach(file ${readonly})
    file(CREATE_LINK \"\${CMAKE_INSTALL_PREFIX}/share/lexfray/\${file}\" \"\${folder}/\${file}\" SYMBOLIC)
  endforeach()
")
