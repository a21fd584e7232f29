# Rules help and the About window.
add_library(info STATIC
    ${CMAKE_CURRENT_LIST_DIR}/frmom.cpp ${CMAKE_CURRENT_LIST_DIR}/frmom.h
    ${CMAKE_CURRENT_LIST_DIR}/rules.cpp ${CMAKE_CURRENT_LIST_DIR}/rules.h
)
target_include_directories(info PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(info PUBLIC clock)

# The rules document: installed with the program, and copied next to the built program so that it
# is found before installation too. The program looks next to itself first.
set(PARTIVAKT_RULES ${PROJECT_SOURCE_DIR}/resources/regler.html)
file(RELATIVE_PATH partivakt_bin_to_data ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/partivakt)
target_compile_definitions(info PRIVATE PARTIVAKT_DATA_DIR="${CMAKE_INSTALL_FULL_DATADIR}/partivakt"
                                        PARTIVAKT_BIN_TO_DATA="${partivakt_bin_to_data}")
configure_file(${PARTIVAKT_RULES} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/regler.html COPYONLY)
install(FILES ${PARTIVAKT_RULES} DESTINATION ${CMAKE_INSTALL_DATADIR}/partivakt)
