# An installation that can be undone from the installed tree alone: beside the program
# lie `uninstall.list` (every installed file, and the folders the installation created,
# relative to the prefix) and the `uninstall` script that reads it.
#
# Folders count as created only when they were missing before the install began, so an
# uninstall never removes a folder such as <prefix>/bin that was there already. Every
# folder that holds installed files must therefore be named with
# quorvel_install_folders(); one that is not is kept by the uninstall, and the install
# says so.

set(QUORVEL_PROGRAM_INSTALL_DIR lib/quorvel)

# Names folders (relative to the prefix) that install rules put files in.
function(quorvel_install_folders)
    set_property(GLOBAL APPEND PROPERTY QUORVEL_INSTALL_FOLDERS ${ARGN})
endfunction()

quorvel_install_folders(${QUORVEL_PROGRAM_INSTALL_DIR})

# The first install step notes which folders are missing. Its script is written once
# every folder is known, at the end of the configuration.
set(QUORVEL_UNINSTALL_BEFORE ${CMAKE_BINARY_DIR}/uninstall-before.cmake)
install(SCRIPT ${QUORVEL_UNINSTALL_BEFORE})

# Call after every other install rule: writes the first step's script and adds the last
# step, which writes the list.
function(quorvel_finish_uninstall)
    get_property(named GLOBAL PROPERTY QUORVEL_INSTALL_FOLDERS)
    set(folders)
    foreach(folder IN LISTS named)
        while(NOT folder STREQUAL "" AND NOT folder STREQUAL ".")
            list(APPEND folders ${folder})
            get_filename_component(folder ${folder} DIRECTORY)
        endwhile()
    endforeach()
    list(REMOVE_DUPLICATES folders)
    set(QUORVEL_KNOWN_FOLDERS "${folders}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/uninstall-before.cmake.in
                   ${QUORVEL_UNINSTALL_BEFORE} @ONLY)
    install(PROGRAMS ${PROJECT_SOURCE_DIR}/cmake/uninstall.sh
            DESTINATION ${QUORVEL_PROGRAM_INSTALL_DIR} RENAME uninstall)
    install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/uninstall-after.cmake)
endfunction()
