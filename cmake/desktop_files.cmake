# What the program carries for the desktop and for Debian besides the
# programs: the window's icon built in, the manual pages made from --help, the
# copyright file, the changelog and the README.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

# Qt draws no SVG without its SVG plugin: the window's icon is a PNG made from
# the installed SVG and built into the program.
set(icon_png ${PROJECT_BINARY_DIR}/icons/${BAISUU_APP_ID}.png)
add_custom_command(OUTPUT ${icon_png}
  COMMAND ${RSVG_CONVERT} -w 256 -h 256 ${PROJECT_SOURCE_DIR}/data/${BAISUU_APP_ID}.svg
          -o ${icon_png}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/${BAISUU_APP_ID}.svg VERBATIM)
qt_add_resources(baisuu window_icon PREFIX /icons BASE ${PROJECT_BINARY_DIR}/icons
                 FILES ${icon_png})

# The pages describe an ordinary machine, not the builder's settings.
set(doc_dir ${PROJECT_BINARY_DIR}/doc)
set(docs)
set(baisuu_summary "timed drill of odd, even and multiples for cram schools")
set(baisuu-cli_summary "the headless tool over an installation of the baisuu drill")
foreach(program baisuu baisuu-cli)
  set(page ${doc_dir}/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${doc_dir}
    COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_CONFIG_HOME --unset=XDG_CONFIG_DIRS
            --unset=DISPLAY --unset=WAYLAND_DISPLAY LANG=C.UTF-8
            ${HELP2MAN} --no-info --section=1 --name=${${program}_summary} --locale=C.UTF-8
            --help-option=--help --version-string=${PROJECT_VERSION}
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -n -9 -f ${page}
    DEPENDS ${program} VERBATIM)
  list(APPEND docs ${page}.gz)
endforeach()

# The changelog's entry is dated the day of the release, in its own date format.
execute_process(COMMAND date -u -R -d ${BAISUU_RELEASE_DATE}
                OUTPUT_VARIABLE BAISUU_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${doc_dir}/changelog.Debian @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${doc_dir}/copyright @ONLY)
add_custom_command(OUTPUT ${doc_dir}/changelog.Debian.gz
  COMMAND ${GZIP} -n -9 -k -f ${doc_dir}/changelog.Debian
  DEPENDS ${doc_dir}/changelog.Debian VERBATIM)
list(APPEND docs ${doc_dir}/changelog.Debian.gz)
add_custom_target(baisuu_docs ALL DEPENDS ${docs})

install(FILES ${doc_dir}/baisuu.1.gz ${doc_dir}/baisuu-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.Debian.gz README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
